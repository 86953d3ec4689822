#include "toolkit/imaging/formats/Quor_JpegDcDecoder.h"

#include <bit>
#include <cstring>
#include <memory>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageFile.h"

namespace {

// One table lookup sees this many bits of the stream.
constexpr int kLookBits = 12;
constexpr int kLookSize = 1 << kLookBits;
// A block takes at most 64 codes of 16 bits and 15 extra bits each, under 256 bytes; the stream
// is checked after every block, so this much zeroed slack keeps every read inside the buffer.
constexpr size_t kSlackBytes = 512;
// Larger scans are left to libjpeg, which reads them a buffer at a time.
constexpr int64_t kMaxScanBytes = int64_t(64) << 20;

// The position in the block of the k-th coefficient of the zig-zag order.
constexpr uint8_t kNatural[64] = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40,
    48, 41, 34, 27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Entries of HuffTable::skip: the bits taken (0 when not even one code and its extra bits fit
// the lookup), how far they move the coefficient index (127 when nothing fits), and whether
// they end with the end of the block. The two last read together as one number, which is below
// 64 - k exactly when the entry neither ends the block nor reaches its end.
constexpr uint32_t kSkipAdvanceShift = 4;
constexpr uint32_t kSkipEndOfBlock = 1u << 11;
constexpr uint16_t kSkipSlow = 127u << kSkipAdvanceShift;

// Entries of HuffTable::value: bits taken (0 when the code and its extra bits are longer than the
// lookup), the zero run before the coefficient, end of block, and the coefficient (for a DC
// table, the difference).
constexpr uint32_t kValueRunShift = 5;
constexpr uint32_t kValueEndOfBlock = 1u << 9;
constexpr uint32_t kValueShift = 16;

int Extend(uint32_t bits, int size)
{
    const int value = static_cast<int>(bits);
    return value < (1 << (size - 1)) ? value - (1 << size) + 1 : value;
}

// One Huffman table: a first lookup for codes up to kLookBits long, the canonical limits for the
// longer ones, and for AC tables the two multi-purpose lookups.
struct HuffTable {
    int32_t maxCode[18];
    int32_t valueOffset[18];
    uint8_t values[256];
    uint16_t first[kLookSize];   // length << 8 | symbol, 0 for a code longer than the lookup
    uint16_t skip[kLookSize];    // AC: whole codes with their extra bits, for blocks read for DC only
    uint32_t value[kLookSize];   // one code with its extra bits, for DCs and blocks read whole

    // Builds from libjpeg's table as its own decoder does; false where libjpeg would refuse it.
    bool Build(const JHUFF_TBL& table, bool dc);
    void BuildSkip();
    void BuildValue(bool dc);

    // Decodes a code longer than kLookBits from the next 16 bits: its length and symbol, or
    // length 0 for a code not in the table.
    int Slow(uint32_t next16, int* symbol) const
    {
        for (int length = kLookBits + 1; length <= 16; length++) {
            const int32_t code = static_cast<int32_t>(next16 >> (16 - length));
            if (code <= maxCode[length]) {
                *symbol = values[(valueOffset[length] + code) & 255];
                return length;
            }
        }
        return 0;
    }
};

bool HuffTable::Build(const JHUFF_TBL& table, bool dc)
{
    int count = 0;
    for (int length = 1; length <= 16; length++)
        count += table.bits[length];
    if (count > 256)
        return false;
    std::memcpy(values, table.huffval, sizeof(values));
    std::memset(first, 0, sizeof(first));
    int32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; length++) {
        const int inLength = table.bits[length];
        valueOffset[length] = index - code;
        for (int i = 0; i < inLength; i++, index++, code++) {
            if (dc && values[index] > 15)
                return false;
            if (length <= kLookBits) {
                const int shift = kLookBits - length;
                const uint16_t entry = static_cast<uint16_t>(length << 8 | values[index]);
                for (int fill = 0; fill < (1 << shift); fill++)
                    first[(code << shift) | fill] = entry;
            }
        }
        // The same check as libjpeg's: the codes of one length must fit that length, and the
        // all-ones code stays unused.
        if (code >= (int32_t(1) << length))
            return false;
        maxCode[length] = inLength > 0 ? code - 1 : -1;
        code <<= 1;
    }
    maxCode[17] = 0x7FFFFFFF;
    if (!dc)
        BuildSkip();
    BuildValue(dc);
    return true;
}

void HuffTable::BuildSkip()
{
    for (int index = 0; index < kLookSize; index++) {
        int taken = 0;
        int advance = 0;
        int end = 0;
        while (taken < kLookBits) {
            const int left = kLookBits - taken;
            const int entry = first[(index << taken) & (kLookSize - 1)];
            const int length = entry >> 8;
            if (length == 0 || length > left)
                break;
            const int run = (entry >> 4) & 15;
            const int size = entry & 15;
            if (size == 0 && run != 15) {
                taken += length;
                end = 1;
                break;
            }
            const int step = size == 0 ? 16 : run + 1;
            if (length + size > left || advance + step > 64)
                break;
            taken += length + size;
            advance += step;
        }
        if (taken == 0) {
            skip[index] = kSkipSlow;
            continue;
        }
        skip[index] = static_cast<uint16_t>(taken | advance << kSkipAdvanceShift | (end ? kSkipEndOfBlock : 0));
    }
}

void HuffTable::BuildValue(bool dc)
{
    for (int index = 0; index < kLookSize; index++) {
        const int entry = first[index];
        const int length = entry >> 8;
        const int run = (entry >> 4) & 15;
        const int size = entry & 15;
        value[index] = 0;
        if (length == 0)
            continue;
        if (dc) {
            // A DC symbol is only the size of the difference that follows.
            const int bits = entry & 255;
            if (length + bits > kLookBits)
                continue;
            const uint32_t extra = static_cast<uint32_t>(index >> (kLookBits - length - bits)) & ((1u << bits) - 1);
            const uint16_t difference = static_cast<uint16_t>(bits == 0 ? 0 : Extend(extra, bits));
            value[index] = static_cast<uint32_t>(length + bits) | static_cast<uint32_t>(difference) << kValueShift;
            continue;
        }
        if (size == 0) {
            value[index] = static_cast<uint32_t>(length) | (run == 15 ? 15u << kValueRunShift : kValueEndOfBlock);
            continue;
        }
        if (length + size > kLookBits)
            continue;
        const uint32_t extra = static_cast<uint32_t>(index >> (kLookBits - length - size)) & ((1u << size) - 1);
        const uint16_t coefficient = static_cast<uint16_t>(Extend(extra, size));
        value[index] = static_cast<uint32_t>(length + size) | static_cast<uint32_t>(run) << kValueRunShift
            | static_cast<uint32_t>(coefficient) << kValueShift;
    }
}

// libjpeg's sample limits: after the transform a value is taken modulo 1024 and clamped into
// 0..255 about the centre 128 (values far out of range wrap, as libjpeg's table makes them).
struct Tables {
    uint8_t idctLimit[1024];
    int crRed[256];
    int cbBlue[256];
    int32_t crGreen[256];
    int32_t cbGreen[256];

    Tables()
    {
        for (int i = 0; i < 1024; i++) {
            const int shifted = i < 512 ? i + 128 : i - 1024 + 128;
            idctLimit[i] = static_cast<uint8_t>(shifted < 0 ? 0 : (shifted > 255 ? 255 : shifted));
        }
        // jdcolor.c's YCbCr tables, 16 fraction bits.
        constexpr int kScaleBits = 16;
        constexpr int32_t kHalf = int32_t(1) << (kScaleBits - 1);
        auto fix = [](double x) { return static_cast<int32_t>(x * (1 << kScaleBits) + 0.5); };
        for (int i = 0; i < 256; i++) {
            const int32_t x = i - 128;
            crRed[i] = (fix(1.40200) * x + kHalf) >> kScaleBits;
            cbBlue[i] = (fix(1.77200) * x + kHalf) >> kScaleBits;
            crGreen[i] = -fix(0.71414) * x;
            cbGreen[i] = -fix(0.34414) * x + kHalf;
        }
    }
};

const Tables& SharedTables()
{
    static const Tables tables;
    return tables;
}

uint8_t Clamp(int value)
{
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

// jidctred.c's 2x2 transform reads rows and columns 0, 1, 3, 5 and 7 of a block. Its first pass
// makes, for each of those columns, the sums even + odd and even - odd of the column's values
// times these weights (row 0 in `even`, the others in `odd`); here every coefficient adds into
// those ten sums as it is decoded. The tables run in zig-zag order: the column's slot (5 for a
// coefficient the transform does not read) and the weights of the two sums.
struct Transform2x2 {
    uint8_t slot[64];
    int32_t plus[64];
    int32_t minus[64];

    constexpr Transform2x2() : slot(), plus(), minus()
    {
        constexpr int kSlotOf[8] = {0, 1, 5, 2, 5, 3, 5, 4};
        constexpr int32_t kWeightOf[8] = {32768, 29692, 0, -10426, 0, 6967, 0, -5906};
        for (int k = 0; k < 64; k++) {
            const int row = kNatural[k] / 8;
            const int column = kNatural[k] % 8;
            const bool used = kSlotOf[row] != 5 && kSlotOf[column] != 5;
            slot[k] = static_cast<uint8_t>(used ? kSlotOf[column] : 5);
            plus[k] = used ? kWeightOf[row] : 0;
            minus[k] = used ? (row == 0 ? kWeightOf[row] : -kWeightOf[row]) : 0;
        }
    }
};
constexpr Transform2x2 kTransform;

// Nonzero when `value` lies outside -limit .. limit - 1 (limit a power of two).
inline uint32_t Outside(int64_t value, int64_t limit)
{
    return static_cast<uint32_t>(static_cast<uint64_t>(value + limit) >= static_cast<uint64_t>(2 * limit));
}

// The sums of one 2x2 transform, and whether anything left the range where libjpeg's two
// versions of it agree. libjpeg runs either its C code (wide sums, results wrapped modulo 1024)
// or a SIMD twin (16-bit products and intermediate rows, 32-bit sums, saturation). They agree
// while the products and rows fit 16 bits and the results lie within -512 .. 511 (which keeps
// every sum within 32 bits too); outside that the decoder gives up rather than guess which one
// the library runs.
struct Block2x2 {
    int64_t plus[6] = {};
    int64_t minus[6] = {};
    uint32_t outside = 0;

    void Add(int k, int32_t coefficient, int16_t quant)
    {
        const int64_t value = int32_t(coefficient) * quant;
        const int slot = kTransform.slot[k];
        outside |= Outside(value, 32768) & static_cast<uint32_t>(slot != 5);
        plus[slot] += value * kTransform.plus[k];
        minus[slot] += value * kTransform.minus[k];
    }

    // The second pass over the two rows: false when out of range.
    bool Finish(uint8_t* top, uint8_t* bottom)
    {
        int64_t rows[2][5];
        for (int c = 0; c < 5; c++) {
            rows[0][c] = (plus[c] + 4096) >> 13;
            rows[1][c] = (minus[c] + 4096) >> 13;
            outside |= Outside(rows[0][c], 32768) | Outside(rows[1][c], 32768);
        }
        uint8_t* out[2] = {top, bottom};
        for (int r = 0; r < 2; r++) {
            const int64_t* row = rows[r];
            const int64_t even = row[0] * 32768;
            const int64_t odd = row[4] * -5906 + row[3] * 6967 + row[2] * -10426 + row[1] * 29692;
            const int64_t left = (even + odd + (int64_t(1) << 19)) >> 20;
            const int64_t right = (even - odd + (int64_t(1) << 19)) >> 20;
            outside |= Outside(left, 512) | Outside(right, 512);
            out[r][0] = Clamp(static_cast<int>(left) + 128);
            out[r][1] = Clamp(static_cast<int>(right) + 128);
        }
        return outside == 0;
    }
};

uint64_t LoadBigEndian64(const uint8_t* p)
{
    uint64_t value;
    std::memcpy(&value, p, sizeof(value));
    if constexpr (std::endian::native == std::endian::little)
        value = __builtin_bswap64(value);
    return value;
}

// The bit reader: `bits` holds `count` unread bits at its top, refilled a byte at a time so
// that after Refill at least 56 are there.
struct BitReader {
    const uint8_t* base = nullptr;
    const uint8_t* next = nullptr;
    uint64_t bits = 0;
    int count = 0;

    void Start(const uint8_t* data, size_t offset)
    {
        base = data;
        next = data + offset;
        bits = 0;
        count = 0;
    }
    void Refill()
    {
        bits |= LoadBigEndian64(next) >> count;
        next += (63 - count) >> 3;
        count |= 56;
    }
    uint32_t Peek(int n) const { return static_cast<uint32_t>(bits >> (64 - n)); }
    void Drop(int n)
    {
        bits <<= n;
        count -= n;
    }
    // Bits taken since the start of the buffer.
    size_t Position() const { return static_cast<size_t>(next - base) * 8 - static_cast<size_t>(count); }
};

// The entropy-coded data in one buffer. Each restart segment is unstuffed in place when it is
// reached: the bytes 0xFF 0x00 become 0xFF, and the marker that ends the segment is noted.
struct ScanData {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;        // raw bytes read
    size_t read = 0;        // the next raw byte not yet unstuffed
    size_t written = 0;     // the end of the unstuffed data
    int marker = 0;         // the marker after the current segment, 0 at the end of the file

    bool Load(const uint8_t* buffered, size_t bufferedBytes, FILE* file);
    // Unstuffs the next segment; returns its start. It ends at `written`.
    size_t NextSegment();
};

bool ScanData::Load(const uint8_t* buffered, size_t bufferedBytes, FILE* file)
{
    const int64_t fileBytes = Quor_ImageFile::Size(file);
    const long at = std::ftell(file);
    if (fileBytes < 0 || at < 0 || at > fileBytes)
        return false;
    const int64_t rest = fileBytes - at;
    if (rest + static_cast<int64_t>(bufferedBytes) > kMaxScanBytes)
        return false;
    const size_t total = bufferedBytes + static_cast<size_t>(rest);
    bytes.reset(new (std::nothrow) uint8_t[total + kSlackBytes]);
    if (!bytes)
        return false;
    if (bufferedBytes > 0)
        std::memcpy(bytes.get(), buffered, bufferedBytes);
    size = bufferedBytes + std::fread(bytes.get() + bufferedBytes, 1, static_cast<size_t>(rest), file);
    std::memset(bytes.get() + size, 0, total + kSlackBytes - size);
    return true;
}

size_t ScanData::NextSegment()
{
    uint8_t* data = bytes.get();
    const size_t start = written;
    marker = 0;
    while (read < size) {
        const void* found = std::memchr(data + read, 0xFF, size - read);
        const size_t stop = found != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(found) - data) : size;
        if (written != read)
            std::memmove(data + written, data + read, stop - read);
        written += stop - read;
        read = stop;
        if (found == nullptr || read + 1 >= size) {
            read = size;
            break;
        }
        if (data[read + 1] == 0) {
            data[written++] = 0xFF;
            read += 2;
            continue;
        }
        marker = data[read + 1];
        read += 2;
        break;
    }
    return start;
}

struct ScanComponent {
    int plane = 0;        // 0 luma, 1 Cb, 2 Cr
    int h = 1;
    int v = 1;
    bool whole = false;   // read whole for the 2x2 transform
    const HuffTable* dc = nullptr;
    const HuffTable* ac = nullptr;
    int16_t quant[64] = {};   // zig-zag order
    uint32_t prediction = 0;
};

class ScanDecoder {
public:
    bool Setup(const jpeg_decompress_struct& info);
    int Run(const Quor_image& dest);

    ScanData fScan;

private:
    bool Restart(BitReader& bits, int number);
    void WriteRows(const Quor_image& dest, int firstRow);

    std::unique_ptr<HuffTable[]> fTables;   // DC 0-3, AC 4-7
    ScanComponent fComponents[3];
    int fCount = 0;
    int fMaxH = 1;
    int fMaxV = 1;
    int fMcuColumns = 0;
    int fMcuRows = 0;
    unsigned fRestartInterval = 0;
    int fOutWidth = 0;
    int fOutHeight = 0;
    int fPlanes = 1;
    int fChromaShift = 0;                   // 1 when a chroma sample stands for two pixels across
    std::unique_ptr<uint8_t[]> fRows;       // one MCU row of each plane at 1/8
    size_t fRowStride = 0;                  // bytes of one row of one plane
    size_t fSegmentEnd = 0;
};

bool ScanDecoder::Setup(const jpeg_decompress_struct& info)
{
    fTables.reset(new (std::nothrow) HuffTable[8]);
    if (!fTables)
        return false;
    bool built[8] = {};
    fCount = info.comps_in_scan;
    fPlanes = info.num_components;
    fMaxH = info.max_h_samp_factor;
    fMaxV = info.max_v_samp_factor;
    fOutWidth = static_cast<int>(info.output_width);
    fOutHeight = static_cast<int>(info.output_height);
    fRestartInterval = info.restart_interval;
    for (int i = 0; i < fCount; i++) {
        const jpeg_component_info& source = *info.cur_comp_info[i];
        ScanComponent& component = fComponents[i];
        component.plane = source.component_index;
        component.h = fCount == 1 ? 1 : source.h_samp_factor;
        component.v = fCount == 1 ? 1 : source.v_samp_factor;
        // 4:2:0 chroma goes through the 2x2 transform; 4:2:2 chroma, like luma, is its DC alone
        // at half the width, which libjpeg then doubles by repeating each sample.
        component.whole = fCount == 3 && fMaxH == 2 && fMaxV == 2 && source.h_samp_factor == 1;
        const int dcSlot = source.dc_tbl_no;
        const int acSlot = 4 + source.ac_tbl_no;
        if (!built[dcSlot] && !fTables[dcSlot].Build(*info.dc_huff_tbl_ptrs[source.dc_tbl_no], true))
            return false;
        if (!built[acSlot] && !fTables[acSlot].Build(*info.ac_huff_tbl_ptrs[source.ac_tbl_no], false))
            return false;
        built[dcSlot] = true;
        built[acSlot] = true;
        component.dc = &fTables[dcSlot];
        component.ac = &fTables[acSlot];
        // libjpeg's multiplier table holds the quantisers as 16-bit signed values; here they
        // run in zig-zag order.
        const JQUANT_TBL& quant = *info.quant_tbl_ptrs[source.quant_tbl_no];
        for (int k = 0; k < 64; k++)
            component.quant[k] = static_cast<int16_t>(quant.quantval[kNatural[k]]);
    }
    if (fCount == 1) {
        fMcuColumns = static_cast<int>((info.image_width + 7) / 8);
        fMcuRows = static_cast<int>((info.image_height + 7) / 8);
        fMaxH = 1;
        fMaxV = 1;
    } else {
        fMcuColumns = static_cast<int>((info.image_width + 8 * fMaxH - 1) / (8 * fMaxH));
        fMcuRows = static_cast<int>((info.image_height + 8 * fMaxV - 1) / (8 * fMaxV));
    }
    fChromaShift = fCount == 3 && fMaxH == 2 && fMaxV == 1 ? 1 : 0;
    fRowStride = static_cast<size_t>(fMcuColumns) * fMaxH;
    fRows.reset(new (std::nothrow) uint8_t[fRowStride * fMaxV * fPlanes]);
    return fRows != nullptr;
}

// Takes one code the long way, through the first lookup or else the canonical limits: its
// symbol, or false for a code not in the table. At most 16 bits; the caller has refilled.
inline bool TakeSymbol(BitReader& bits, const HuffTable& table, int* symbol)
{
    const int entry = table.first[bits.Peek(kLookBits)];
    *symbol = entry & 255;
    int length = entry >> 8;
    if (length == 0)
        length = table.Slow(bits.Peek(16), symbol);
    if (length == 0)
        return false;
    bits.Drop(length);
    return true;
}

// Takes the `size` extra bits after a code as the value they stand for (0 when there are none).
inline int TakeValue(BitReader& bits, int size)
{
    if (size == 0)
        return 0;
    const int value = Extend(bits.Peek(size), size);
    bits.Drop(size);
    return value;
}

// Decodes a DC difference and returns the component's new DC, as libjpeg keeps it (an int
// that may wrap, stored as a 16-bit coefficient).
inline bool DecodeDc(BitReader& bits, ScanComponent& component, int16_t* dc)
{
    bits.Refill();
    const HuffTable& table = *component.dc;
    const uint32_t entry = table.value[bits.Peek(kLookBits)];
    int difference = static_cast<int16_t>(entry >> kValueShift);
    if ((entry & 31) != 0) {
        bits.Drop(static_cast<int>(entry & 31));
    } else {
        int size = 0;
        if (!TakeSymbol(bits, table, &size))
            return false;
        difference = TakeValue(bits, size);
    }
    component.prediction += static_cast<uint32_t>(difference);
    *dc = static_cast<int16_t>(component.prediction);
    return true;
}

// Decodes one AC code the long way: how far it moves the coefficient index (0 for the end of
// the block) and its coefficient. False for a code not in the table.
inline bool SlowAc(BitReader& bits, const HuffTable& table, int* step, int* coefficient)
{
    bits.Refill();
    int symbol = 0;
    if (!TakeSymbol(bits, table, &symbol))
        return false;
    const int run = symbol >> 4;
    const int size = symbol & 15;
    *coefficient = TakeValue(bits, size);
    *step = size != 0 ? run + 1 : (run == 15 ? 16 : 0);
    return true;
}

// Walks past the AC coefficients of a block read for its DC only. A refill leaves at least 56
// bits, enough for four lookups.
inline bool SkipAc(BitReader& bits, const HuffTable& table)
{
    static_assert(4 * kLookBits <= 56);
    int k = 1;
    // Takes the entry and returns true while it stays inside the block and does not end it.
    auto step = [&]() {
        const uint32_t entry = table.skip[bits.Peek(kLookBits)];
        const int advance = static_cast<int>(entry >> kSkipAdvanceShift);
        if (k + advance >= 64)
            return false;
        bits.Drop(static_cast<int>(entry & 15));
        k += advance;
        return true;
    };
    for (;;) {
        bits.Refill();
        if (step() && step() && step() && step())
            continue;
        // The entry ends the block, reaches its end or covers too much: take it whole when it
        // fits, else one code at a time.
        bits.Refill();
        const uint32_t entry = table.skip[bits.Peek(kLookBits)];
        const int advance = static_cast<int>(entry >> kSkipAdvanceShift) & 127;
        const int end = (entry & kSkipEndOfBlock) != 0;
        if ((entry & 15) != 0 && k + advance + end <= 64 && (end || k + advance == 64)) {
            bits.Drop(static_cast<int>(entry & 15));
            return true;
        }
        int taken = 0;
        int coefficient = 0;
        if (!SlowAc(bits, table, &taken, &coefficient))
            return false;
        k += taken;
        if (taken == 0 || k == 64)
            return true;
        if (k > 64)
            return false;
    }
}

// Reads a block whole into its 2x2 transform, the DC already decoded.
inline bool ReadWhole(BitReader& bits, const HuffTable& table, const int16_t* quant, Block2x2* block)
{
    int k = 1;
    for (;;) {
        bits.Refill();
        for (int i = 0; i < 4; i++) {
            const uint32_t entry = table.value[bits.Peek(kLookBits)];
            int step = 0;
            int coefficient = 0;
            if ((entry & 31) != 0) {
                bits.Drop(static_cast<int>(entry & 31));
                if (entry & kValueEndOfBlock)
                    return true;
                step = static_cast<int>((entry >> kValueRunShift) & 15) + 1;
                coefficient = static_cast<int16_t>(entry >> kValueShift);
            } else {
                if (!SlowAc(bits, table, &step, &coefficient))
                    return false;
                if (step == 0)
                    return true;
                i = 4;
            }
            k += step;
            if (k > 64)
                return false;
            block->Add(k - 1, coefficient, quant[k - 1]);
            if (k == 64)
                return true;
        }
    }
}

bool ScanDecoder::Restart(BitReader& bits, int number)
{
    // The segment must end exactly where its last block did, with the next marker in turn.
    const size_t used = (bits.Position() + 7) / 8;
    if (used != fSegmentEnd || fScan.marker != JPEG_RST0 + (number & 7))
        return false;
    const size_t start = fScan.NextSegment();
    fSegmentEnd = fScan.written;
    bits.Start(fScan.bytes.get(), start);
    for (int i = 0; i < fCount; i++)
        fComponents[i].prediction = 0;
    return true;
}

void ScanDecoder::WriteRows(const Quor_image& dest, int firstRow)
{
    const Tables& tables = SharedTables();
    for (int r = 0; r < fMaxV; r++) {
        const int y = firstRow + r;
        if (y >= fOutHeight)
            return;
        uint32_t* out = dest.Row32(y);
        const uint8_t* luma = fRows.get() + r * fRowStride;
        if (fPlanes == 1) {
            for (int x = 0; x < fOutWidth; x++) {
                const uint32_t grey = luma[x];
                out[x] = grey << 24 | grey << 16 | grey << 8 | 0xFF;
            }
            continue;
        }
        const uint8_t* cb = luma + fRowStride * fMaxV;
        const uint8_t* cr = cb + fRowStride * fMaxV;
        for (int x = 0; x < fOutWidth; x++) {
            const int lum = luma[x];
            const int blueDifference = cb[x >> fChromaShift];
            const int redDifference = cr[x >> fChromaShift];
            const uint32_t red = Clamp(lum + tables.crRed[redDifference]);
            const uint32_t green = Clamp(lum + ((tables.cbGreen[blueDifference] + tables.crGreen[redDifference]) >> 16));
            const uint32_t blue = Clamp(lum + tables.cbBlue[blueDifference]);
            out[x] = blue << 24 | green << 16 | red << 8 | 0xFF;
        }
    }
}

int ScanDecoder::Run(const Quor_image& dest)
{
    const Tables& tables = SharedTables();
    BitReader bits;
    bits.Start(fScan.bytes.get(), fScan.NextSegment());
    fSegmentEnd = fScan.written;
    const size_t planeBytes = fRowStride * fMaxV;
    unsigned toRestart = fRestartInterval;
    int restarts = 0;
    for (int my = 0; my < fMcuRows; my++) {
        for (int mx = 0; mx < fMcuColumns; mx++) {
            if (fRestartInterval != 0) {
                if (toRestart == 0) {
                    if (!Restart(bits, restarts++))
                        return QUOR_ERR_DECODE;
                    toRestart = fRestartInterval;
                }
                toRestart--;
            }
            for (int c = 0; c < fCount; c++) {
                ScanComponent& component = fComponents[c];
                uint8_t* plane = fRows.get() + planeBytes * component.plane;
                for (int by = 0; by < component.v; by++) {
                    for (int bx = 0; bx < component.h; bx++) {
                        int16_t dc = 0;
                        if (!DecodeDc(bits, component, &dc))
                            return QUOR_ERR_DECODE;
                        if (component.whole) {
                            Block2x2 block;
                            block.Add(0, dc, component.quant[0]);
                            if (!ReadWhole(bits, *component.ac, component.quant, &block))
                                return QUOR_ERR_DECODE;
                            uint8_t* top = plane + static_cast<size_t>(mx) * 2;
                            if (!block.Finish(top, top + fRowStride))
                                return QUOR_ERR_DECODE;
                        } else {
                            if (!SkipAc(bits, *component.ac))
                                return QUOR_ERR_DECODE;
                            // jidctred.c's 1x1 transform: the DC over 8, rounded, limited.
                            const int value = (int32_t(dc) * component.quant[0] + 4) >> 3;
                            plane[by * fRowStride + static_cast<size_t>(mx) * component.h + bx]
                                = tables.idctLimit[value & 1023];
                        }
                        if (bits.Position() > fSegmentEnd * 8)
                            return QUOR_ERR_DECODE;
                    }
                }
            }
        }
        WriteRows(dest, my * fMaxV);
    }
    return QUOR_OK;
}

bool HasTables(const jpeg_decompress_struct& info, const jpeg_component_info& component)
{
    return component.dc_tbl_no >= 0 && component.dc_tbl_no < NUM_HUFF_TBLS && component.ac_tbl_no >= 0
        && component.ac_tbl_no < NUM_HUFF_TBLS && component.quant_tbl_no >= 0 && component.quant_tbl_no < NUM_QUANT_TBLS
        && info.dc_huff_tbl_ptrs[component.dc_tbl_no] != nullptr && info.ac_huff_tbl_ptrs[component.ac_tbl_no] != nullptr
        && info.quant_tbl_ptrs[component.quant_tbl_no] != nullptr;
}

}  // namespace

bool Quor_JpegDcDecoder::Handles(const jpeg_decompress_struct& info)
{
    if (info.progressive_mode || info.arith_code || info.data_precision != 8 || info.scale_denom != 8
        || info.scale_num != 1 || info.output_width != (info.image_width + 7) / 8
        || info.output_height != (info.image_height + 7) / 8)
        return false;
    if (info.comps_in_scan != info.num_components || info.Ss != 0 || info.Se != 63 || info.Ah != 0 || info.Al != 0)
        return false;
    if (!info.do_fancy_upsampling || info.dct_method != JDCT_ISLOW || info.CCIR601_sampling)
        return false;
    // Each component once, so that every plane is written.
    unsigned planes = 0;
    for (int i = 0; i < info.comps_in_scan; i++) {
        if (info.cur_comp_info[i] == nullptr || !HasTables(info, *info.cur_comp_info[i]))
            return false;
        planes |= 1u << (info.cur_comp_info[i]->component_index & 3);
    }
    if (planes != (1u << info.num_components) - 1)
        return false;
    if (info.num_components == 1)
        return info.jpeg_color_space == JCS_GRAYSCALE;
    if (info.num_components != 3 || info.jpeg_color_space != JCS_YCbCr)
        return false;
    const jpeg_component_info* components = info.comp_info;
    const bool chromaOne = components[1].h_samp_factor == 1 && components[1].v_samp_factor == 1
        && components[2].h_samp_factor == 1 && components[2].v_samp_factor == 1;
    const int lumaH = components[0].h_samp_factor;
    const int lumaV = components[0].v_samp_factor;
    return chromaOne && ((lumaH == 1 && lumaV == 1) || (lumaH == 2 && (lumaV == 1 || lumaV == 2)));
}

int Quor_JpegDcDecoder::Decode(const jpeg_decompress_struct& info, const uint8_t* buffered, size_t bufferedBytes,
    FILE* file, const Quor_image& dest)
{
    if (!Handles(info) || !dest.IsUsable32() || dest.width != static_cast<int>(info.output_width)
        || dest.height != static_cast<int>(info.output_height))
        return QUOR_ERR_DECODE;
    std::unique_ptr<ScanDecoder> decoder(new (std::nothrow) ScanDecoder);
    if (!decoder)
        return QUOR_ERR_MEMORY;
    if (!decoder->Setup(info))
        return QUOR_ERR_DECODE;
    if (!decoder->fScan.Load(buffered, bufferedBytes, file))
        return QUOR_ERR_MEMORY;
    return decoder->Run(dest);
}
