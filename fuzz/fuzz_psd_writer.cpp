// The layered document writer under arbitrary layers: random canvas sizes, layer counts, names,
// blend keys, opacities, pixels (runs and noise), thread counts, layers declared but never
// handed over, and channels written one by one, compressed or raw. The document it writes is read
// back by an independent walk of the file's structure: every length must agree with what
// follows it, and every channel must decode to exactly the pixels that were handed over.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_MemorySink.h"
#include "toolkit/imaging/formats/Quor_PsdWriter.h"

namespace {

constexpr int kChannelIds[4] = {-1, 0, 1, 2};

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "document read back wrong: %s\n", what);
    std::abort();
}

class Input {
public:
    Input(const uint8_t* data, size_t size) : fData(data), fSize(size) {}
    int Byte() { return fPos < fSize ? fData[fPos++] : 0; }
    uint32_t Word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++)
            v = v << 8 | static_cast<uint32_t>(Byte());
        return v;
    }

private:
    const uint8_t* fData;
    size_t fSize;
    size_t fPos = 0;
};

struct Layer {
    std::string name;
    char blend[5] = "norm";
    uint8_t opacity = 255;
    bool handedOver = true;
    bool byChannel = false;  // written a channel at a time
    bool raw = false;        // ... without compression
    Quor_BaseImage image;
};

// Reads the file's bytes big-endian, failing on any read past the end.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : fBytes(bytes) {}
    size_t Pos() const { return fPos; }
    size_t Size() const { return fBytes.size(); }
    void Need(size_t n) const
    {
        if (n > fBytes.size() - fPos)
            Fail("a length runs past the end of the file");
    }
    uint32_t U(int n)
    {
        Need(static_cast<size_t>(n));
        uint32_t v = 0;
        for (int i = 0; i < n; i++)
            v = v << 8 | fBytes[fPos++];
        return v;
    }
    const uint8_t* Take(size_t n)
    {
        Need(n);
        const uint8_t* p = fBytes.data() + fPos;
        fPos += n;
        return p;
    }
    void Expect(uint32_t value, int n, const char* what)
    {
        if (U(n) != value)
            Fail(what);
    }

private:
    const std::vector<uint8_t>& fBytes;
    size_t fPos = 0;
};

// One PackBits row of `length` bytes into exactly `width` bytes.
void Unpack(const uint8_t* in, size_t length, int width, uint8_t* out)
{
    size_t i = 0;
    int x = 0;
    while (i < length) {
        const int n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            if (i + n + 1 > length || x + n + 1 > width)
                Fail("a literal packet runs past its row");
            std::memcpy(out + x, in + i, static_cast<size_t>(n) + 1);
            i += static_cast<size_t>(n) + 1;
            x += n + 1;
        } else if (n != -128) {
            if (i >= length || x + 1 - n > width)
                Fail("a repeat packet runs past its row");
            std::memset(out + x, in[i++], static_cast<size_t>(1 - n));
            x += 1 - n;
        }
    }
    if (x != width)
        Fail("a row decodes to another width");
}

// Reads one channel's data (its compression, row table and rows) and compares it with `expected`
// (a channel of width x height bytes).
void CheckChannel(Reader& r, int width, int height, const std::vector<uint8_t>& expected, uint32_t declaredLength)
{
    const size_t start = r.Pos();
    const uint32_t compression = r.U(2);
    std::vector<uint8_t> row(static_cast<size_t>(width));
    if (compression == 0) {
        const uint8_t* bytes = r.Take(static_cast<size_t>(width) * static_cast<size_t>(height));
        if (std::memcmp(bytes, expected.data(), expected.size()) != 0)
            Fail("raw channel bytes");
    } else if (compression == 1) {
        std::vector<uint32_t> lengths(static_cast<size_t>(height));
        for (uint32_t& length : lengths)
            length = r.U(2);
        for (int y = 0; y < height; y++) {
            Unpack(r.Take(lengths[static_cast<size_t>(y)]), lengths[static_cast<size_t>(y)], width, row.data());
            if (std::memcmp(row.data(), expected.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                            row.size()) != 0)
                Fail("compressed channel bytes");
        }
    } else {
        Fail("unknown compression");
    }
    if (r.Pos() - start != declaredLength)
        Fail("channel length in the layer record");
}

void CheckDocument(const std::vector<uint8_t>& bytes, int width, int height, const std::vector<Layer>& layers)
{
    Reader r(bytes);
    if (std::memcmp(r.Take(4), "8BPS", 4) != 0)
        Fail("signature");
    r.Expect(1, 2, "version");
    r.Expect(0, 4, "reserved");
    r.Expect(0, 2, "reserved");
    r.Expect(3, 2, "channel count");
    r.Expect(static_cast<uint32_t>(height), 4, "height");
    r.Expect(static_cast<uint32_t>(width), 4, "width");
    r.Expect(8, 2, "depth");
    r.Expect(3, 2, "colour mode");
    r.Expect(0, 4, "colour mode data");
    r.Expect(0, 4, "image resources");
    const uint32_t sectionLength = r.U(4);
    const size_t sectionEnd = r.Pos() + sectionLength;
    const uint32_t layerInfoLength = r.U(4);
    const size_t layerInfoStart = r.Pos();
    const size_t count = layers.empty() ? 1 : layers.size();
    r.Expect(static_cast<uint32_t>(count), 2, "layer count");
    std::vector<uint32_t> channelLengths(count * 4);
    for (size_t i = 0; i < count; i++) {
        const Layer* layer = layers.empty() ? nullptr : &layers[i];
        r.Expect(0, 4, "top");
        r.Expect(0, 4, "left");
        r.Expect(static_cast<uint32_t>(height), 4, "bottom");
        r.Expect(static_cast<uint32_t>(width), 4, "right");
        r.Expect(4, 2, "channels");
        for (int c = 0; c < 4; c++) {
            r.Expect(static_cast<uint16_t>(kChannelIds[c]), 2, "channel id");
            channelLengths[i * 4 + static_cast<size_t>(c)] = r.U(4);
        }
        if (std::memcmp(r.Take(4), "8BIM", 4) != 0)
            Fail("blend signature");
        if (std::memcmp(r.Take(4), layer != nullptr ? layer->blend : "norm", 4) != 0)
            Fail("blend key");
        r.Expect(layer != nullptr ? layer->opacity : 255, 1, "opacity");
        r.Expect(0, 3, "clipping, flags, filler");
        const std::string name = layer != nullptr ? layer->name.substr(0, 255) : "Empty Layer";
        const uint32_t nameBytes = static_cast<uint32_t>((1 + name.size() + 3) / 4 * 4);
        r.Expect(8 + nameBytes, 4, "extra data length");
        r.Expect(0, 4, "mask data");
        r.Expect(0, 4, "blending ranges");
        r.Expect(static_cast<uint32_t>(name.size()), 1, "name length");
        if (std::memcmp(r.Take(name.size()), name.data(), name.size()) != 0)
            Fail("name");
        for (size_t pad = 1 + name.size(); pad < nameBytes; pad++)
            r.Expect(0, 1, "name padding");
    }
    std::vector<uint8_t> expected(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (size_t i = 0; i < count; i++) {
        const Layer* layer = layers.empty() ? nullptr : &layers[i];
        for (int c = 0; c < 4; c++) {
            const int shift = kChannelIds[c] < 0 ? 0 : 8 * (kChannelIds[c] + 1);
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++)
                    expected[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                        layer != nullptr && layer->handedOver
                            ? static_cast<uint8_t>(layer->image.Image().Row32(y)[x] >> shift)
                            : 0;
            CheckChannel(r, width, height, expected, channelLengths[i * 4 + static_cast<size_t>(c)]);
        }
    }
    // The layer information's length counts the global layer mask's length field too (4 more
    // than the layer data alone): the layout every document of ours has had, which readers take.
    r.Expect(0, 4, "global layer mask length");
    if (layerInfoStart + layerInfoLength != r.Pos())
        Fail("layer information length");
    if (r.Pos() != sectionEnd)
        Fail("layer and mask section length");
    std::fill(expected.begin(), expected.end(), uint8_t(255));
    r.Expect(1, 2, "merged image compression");
    std::vector<uint32_t> lengths(static_cast<size_t>(height) * 3);
    for (uint32_t& length : lengths)
        length = r.U(2);
    std::vector<uint8_t> row(static_cast<size_t>(width));
    for (uint32_t length : lengths) {
        Unpack(r.Take(length), length, width, row.data());
        if (std::memcmp(row.data(), expected.data(), row.size()) != 0)
            Fail("merged image");
    }
    if (r.Pos() != r.Size())
        Fail("bytes after the merged image");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const int width = 1 + in.Byte() % 300;
    const int height = 1 + in.Byte() % 40;
    const int layerCount = in.Byte() % 5;
    const int threads = 1 + in.Byte() % 4;
    std::vector<Layer> layers(static_cast<size_t>(layerCount));
    for (Layer& layer : layers) {
        const int flags = in.Byte();
        layer.handedOver = (flags & 1) == 0;
        layer.byChannel = (flags & 2) != 0;
        layer.raw = (flags & 4) != 0;
        layer.opacity = static_cast<uint8_t>(in.Byte());
        for (int i = 0; i < 4; i++)
            layer.blend[i] = static_cast<char>('a' + in.Byte() % 26);
        for (int n = in.Byte() % 24; n > 0; n--) {
            const int c = in.Byte();
            layer.name.push_back(static_cast<char>(c == 0 ? 'x' : c));
        }
        if (layer.image.Initialize(width, height, 32) != QUOR_OK)
            return 0;
        // Runs of one pixel and single pixels, as the input says.
        uint32_t pixel = 0;
        int repeat = 0;
        for (int y = 0; y < height; y++) {
            uint32_t* row = layer.image.Image().Row32(y);
            for (int x = 0; x < width; x++) {
                if (repeat == 0) {
                    const int op = in.Byte();
                    if (op < 128)
                        repeat = op + 1;
                    else
                        pixel = in.Word();
                }
                if (repeat > 0)
                    repeat--;
                row[x] = pixel;
            }
        }
    }

    Quor_MemorySink sink;
    Quor_PsdWriter writer;
    writer.SetThreads(threads);
    if (writer.Open(&sink) != QUOR_OK || writer.WriteHeader(width, height) != QUOR_OK)
        Fail("a document of a valid size was refused");
    for (const Layer& layer : layers)
        if (writer.WriteLayerInfo(layer.name.c_str(), layer.blend, layer.opacity) != QUOR_OK)
            Fail("a layer record was refused");
    // Layers not handed over come last, as when an export stops early.
    for (const Layer& layer : layers) {
        if (!layer.handedOver)
            break;
        const Quor_image* image = &layer.image.Image();
        int code = QUOR_OK;
        if (!layer.byChannel)
            code = writer.WriteLayer(image);
        for (int c = 0; layer.byChannel && c < 4 && code == QUOR_OK; c++)
            code = layer.raw ? writer.WriteChannel(image, kChannelIds[c])
                             : writer.WriteCompressedChannel(image, kChannelIds[c]);
        if (code != QUOR_OK)
            Fail("a layer was refused");
    }
    bool cut = false;
    for (Layer& layer : layers) {
        cut = cut || !layer.handedOver;
        layer.handedOver = !cut;
    }
    if (writer.EndLayers() != QUOR_OK || writer.Close() != QUOR_OK)
        Fail("the document could not be completed");
    CheckDocument(sink.Bytes(), width, height, layers);
    return 0;
}
