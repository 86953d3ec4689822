// Tests of the layered PSD writer: its PackBits encoding, the bytes of a small document, the
// documents it completes, its refusals and what a reader of another program makes of its files.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "tests/toolkit/imaging/formats/FormatsFixtures.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_MemorySink.h"
#include "toolkit/imaging/formats/Quor_PsdWriter.h"

using namespace formats_test;
using quor_test::Px;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& row)
{
    Bytes out(Quor_PsdWriter::PackBitsBound(static_cast<int>(row.size())));
    out.resize(Quor_PsdWriter::EncodeRLESequence(static_cast<int>(row.size()), row.data(), out.data()));
    return out;
}

// PackBits as every reader decodes it; false for a malformed stream.
bool Decode(const Bytes& data, size_t expected, Bytes* out)
{
    out->clear();
    for (size_t i = 0; i < data.size();) {
        const int header = static_cast<int8_t>(data[i++]);
        if (header >= 0) {
            if (i + header + 1 > data.size())
                return false;
            out->insert(out->end(), data.begin() + i, data.begin() + i + header + 1);
            i += static_cast<size_t>(header) + 1;
        } else if (header != -128) {
            if (i >= data.size())
                return false;
            out->insert(out->end(), static_cast<size_t>(1 - header), data[i++]);
        }
    }
    return out->size() == expected;
}

// A byte-counting sink that stores nothing. Phantom bytes stand in for gigabytes of channel
// data, so lengths beyond the format's 32-bit fields can be reached without writing them.
class CountingSink : public Quor_ByteSink {
public:
    void AddPhantom(uint64_t count) { Move(fPosition + count); }
    // The next write at or after `position` first jumps `count` phantom bytes ahead.
    void JumpAt(uint64_t position, uint64_t count) { fJumpAt = position, fJumpBy = count; }
    uint64_t Size() const { return fSize; }

protected:
    bool DoWrite(const void*, size_t count) override
    {
        if (fPosition >= fJumpAt)
            fJumpAt = UINT64_MAX, Move(fPosition + fJumpBy);
        Move(fPosition + count);
        return true;
    }
    int64_t DoTell() const override { return static_cast<int64_t>(fPosition); }
    bool DoSeek(int64_t position) override
    {
        const bool inside = static_cast<uint64_t>(position) <= fSize;
        fPosition = inside ? static_cast<uint64_t>(position) : fPosition;
        return inside;
    }

private:
    void Move(uint64_t position) { fPosition = position, fSize = std::max(fSize, position); }
    uint64_t fPosition = 0, fSize = 0, fJumpAt = UINT64_MAX, fJumpBy = 0;
};

struct Layer {
    const char* name;
    const Quor_BaseImage* image;   // null: declared but never handed over
    const char* blend = "norm";
    uint8_t opacity = 255;
};

// Writes a whole document into an opened writer: the header, every layer's record, the images
// handed over, EndLayers and Close. Returns the first failure code, or QUOR_OK.
int WriteDocument(Quor_PsdWriter& psd, int width, int height, const std::vector<Layer>& layers)
{
    int code = psd.WriteHeader(width, height);
    for (const Layer& layer : layers)
        code = code != QUOR_OK ? code : psd.WriteLayerInfo(layer.name, layer.blend, layer.opacity);
    for (const Layer& layer : layers)
        code = code != QUOR_OK || layer.image == nullptr ? code : psd.WriteLayer(*layer.image);
    code = code != QUOR_OK ? code : psd.EndLayers();
    const int closed = psd.Close();
    return code != QUOR_OK ? code : closed;
}

// The bytes of a whole document written into memory.
Bytes Written(int width, int height, const std::vector<Layer>& layers)
{
    Quor_MemorySink sink;
    Quor_PsdWriter writer;
    EXPECT_EQ(writer.Open(&sink), QUOR_OK);
    EXPECT_EQ(WriteDocument(writer, width, height, layers), QUOR_OK);
    return sink.Bytes();
}

// Runs and noise, so both kinds of packet occur.
void FillLayer(Quor_BaseImage* image, int width, int height, uint32_t seed)
{
    std::printf("layer %dx%d, seed %u\n", width, height, seed);
    std::mt19937 random(seed);
    quor_test::Make(image, width, height, [&](int x, int y) {
        return (x / 7) % 2 == 0 ? 0x11223344u * static_cast<uint32_t>(y % 3 + 1) : static_cast<uint32_t>(random());
    });
}

// Runs a shell command and returns its standard output.
std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char buffer[4096];
    for (size_t count; (count = fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        out.append(buffer, count);
    pclose(pipe);
    return out;
}

}  // namespace

// Catches any departure from the PackBits encoding readers were tested against (the examples
// are the contract: run and literal boundaries, the 128-byte limits, short tails as literals).
TEST(QuorPsdWriter, PackBitsExamples)
{
    Bytes ramp(130), rampEncoded{0x7F};
    std::iota(ramp.begin(), ramp.end(), 0);
    rampEncoded.insert(rampEncoded.end(), ramp.begin(), ramp.begin() + 128);
    rampEncoded.insert(rampEncoded.end(), {0x01, 128, 129});
    const struct {
        Bytes row, expect;
    } cases[] = {
        {Bytes(200, 9), {0x81, 0x09, 0xB9, 0x09}}, {{1, 2, 3, 4, 5}, {0x04, 1, 2, 3, 4, 5}},
        {{7, 7, 7, 7}, {0xFD, 0x07}}, {{7, 7, 7}, {0x02, 7, 7, 7}}, {{1, 2, 5, 5, 5, 5}, {0x01, 1, 2, 0xFD, 5}},
        {{1, 2, 5, 5, 5}, {0x01, 1, 2, 0x02, 5, 5, 5}}, {{1, 5, 5, 5, 6, 7}, {0x00, 1, 0xFE, 5, 0x01, 6, 7}},
        {{}, {}}, {{42}, {0x00, 42}}, {ramp, rampEncoded},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Encode(c.row), c.expect) << "row of " << c.row.size();
}

// Catches encodings that decode to something else or overrun the bound the writer allocates,
// over rows of every length up to 600 with runs, noise and mixtures.
TEST(QuorPsdWriter, PackBitsRoundTripsWithinItsBound)
{
    const uint32_t seed = 4242;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    for (int length = 0; length <= 600; length++)
        for (int style = 0; style < 4; style++) {
            Bytes row(static_cast<size_t>(length));
            uint8_t value = 0;
            for (uint8_t& b : row) {
                const uint32_t r = random();
                if (style == 0 || (style == 2 && r % 5 == 0) || (style == 3 && r % 97 == 0))
                    value = static_cast<uint8_t>(r >> 8);
                b = style == 1 ? static_cast<uint8_t>(r % 2) : value;
            }
            const Bytes encoded = Encode(row);
            EXPECT_LE(encoded.size(), Quor_PsdWriter::PackBitsBound(length));
            Bytes decoded;
            ASSERT_TRUE(Decode(encoded, row.size(), &decoded)) << length << " " << style;
            EXPECT_EQ(decoded, row);
        }
}

// Catches unintended drift in the bytes written for a valid document (a golden file, checked
// once with ImageMagick; QUOR_UPDATE_GOLDENS=1 rewrites it after an intended change), and a
// layer record that drops the caller's blend key or opacity.
TEST(QuorPsdWriter, SmallDocumentMatchesItsGoldenFile)
{
    Quor_BaseImage first, second;
    FillLayer(&first, 5, 3, 21u);
    ASSERT_EQ(second.Initialize(5, 3, 32), QUOR_OK);
    second.Clear({0, 0, 255, 128});
    const Bytes bytes = Written(5, 3, {{"first", &first}, {"2nd", &second, "norm", 128}});
    const std::string golden = quor_test::DataPath("psd/two-layers-5x3.psd");
    const char* update = std::getenv("QUOR_UPDATE_GOLDENS");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(quor_test::WriteFileBytes(golden, std::string(bytes.begin(), bytes.end())));
    }
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), quor_test::ReadFileBytes(golden));

    // The first record's blend signature, key and opacity follow its 42 bytes of rectangle and
    // channel table, which start at byte 44.
    const Bytes multiply = Written(5, 3, {{"m", &first, "mul ", 200}});
    EXPECT_EQ(std::string(multiply.begin() + 86, multiply.begin() + 95), "8BIMmul \xC8");
}

// Catches rows compressed on several threads landing out of order, under another row's length, or
// differently from one thread, and rows taken for zeros that are not: a layer taller than the rows
// compressed at once, with rows zero in every channel or in some, must decode, row by row and
// channel by channel, to the image handed over, in the same bytes for 1, 2 and 8 threads.
TEST(QuorPsdWriter, RowsCompressedOnEveryThreadStayInOrder)
{
    const int width = 61, height = 300;
    Quor_BaseImage image;
    std::mt19937 random(5);
    const uint32_t keep[4] = {0, 0xFFFFFF00u, 0xFFu, 0xFFFFFFFFu};  // nothing, colour, alpha, all
    quor_test::Make(&image, width, height, [&](int x, int y) {
        const uint32_t value = (x / 7) % 2 == 0 ? 0x11223344u * static_cast<uint32_t>(y % 3 + 1) : static_cast<uint32_t>(random());
        return value & keep[y % 4];
    });
    Bytes one;
    for (int threads : {1, 2, 8}) {
        SCOPED_TRACE(threads);
        Quor_Parallel::SetThreads(threads);
        const Bytes bytes = Written(width, height, {{"a", &image}});
        Quor_Parallel::SetThreads(0);
        if (threads == 1)
            one = bytes;
        EXPECT_TRUE(bytes == one);
    }
    // The channel data follows the 44 bytes before the record and the record's 70.
    size_t at = 44 + 70;
    for (int shift : {0, 8, 16, 24}) {  // alpha, red, green, blue
        ASSERT_EQ(one[at] * 256 + one[at + 1], 1);
        const size_t table = at + 2;
        at = table + 2 * height;
        int wrong = 0;
        for (int y = 0; y < height; y++) {
            const size_t length = one[table + 2 * y] * 256u + one[table + 2 * y + 1];
            Bytes row;
            ASSERT_TRUE(Decode(Bytes(one.begin() + at, one.begin() + at + length), width, &row)) << "row " << y;
            for (int x = 0; x < width; x++)
                wrong += row[x] != static_cast<uint8_t>(image.Image().Row32(y)[x] >> shift);
            at += length;
        }
        EXPECT_EQ(wrong, 0) << "channel at bit " << shift;
    }
}

// Catches a document without layers that readers reject, and layers declared but never handed
// over leaving records without data: both are completed as if fully transparent layers had been
// handed over (an "Empty Layer" when none was declared).
TEST(QuorPsdWriter, MissingLayersBecomeTransparent)
{
    Quor_BaseImage first, clear;
    FillLayer(&first, 5, 3, 7u);
    quor_test::Fill(&clear, 5, 3, 0);
    EXPECT_EQ(Written(5, 3, {}), Written(5, 3, {{"Empty Layer", &clear}}));
    EXPECT_EQ(Written(5, 3, {{"one", &first}, {"two", nullptr}}), Written(5, 3, {{"one", &first}, {"two", &clear}}));
}

// Catches 32-bit length arithmetic: a channel or section beyond 4 GiB must be refused, never
// wrapped into a small, plausible length; a section of exactly 0xFFFFFFFF bytes still fits.
TEST(QuorPsdWriter, LengthsBeyondFourGigabytesAreRefused)
{
    Quor_BaseImage layer;
    FillLayer(&layer, 64, 16, 3u);

    // A channel that grows past 4 GiB while it is written.
    CountingSink hugeChannel;
    Quor_PsdWriter writer;
    ASSERT_TRUE(writer.Open(&hugeChannel) == QUOR_OK && writer.WriteHeader(64, 16) == QUOR_OK
        && writer.WriteLayerInfo("big", "norm", 255) == QUOR_OK);
    hugeChannel.JumpAt(hugeChannel.Size() + 100, uint64_t(1) << 32);
    EXPECT_EQ(writer.WriteLayer(layer), QUOR_ERR_ARGUMENT);
    EXPECT_TRUE(writer.TooLarge());
    EXPECT_EQ((std::array{writer.EndLayers(), writer.Close()}), (std::array{int(QUOR_ERR_ARGUMENT), int(QUOR_ERR_ARGUMENT)}));

    // Whole layers of phantom data between two layers: the section length (bytes 34 to 37 of
    // the document without them) decides.
    auto write = [&](uint64_t phantom) {
        CountingSink sink;
        Quor_PsdWriter psd;
        EXPECT_TRUE(psd.Open(&sink) == QUOR_OK && psd.WriteHeader(64, 16) == QUOR_OK && psd.WriteLayerInfo("one", "norm", 255) == QUOR_OK
            && psd.WriteLayerInfo("two", "norm", 255) == QUOR_OK && psd.WriteLayer(layer) == QUOR_OK);
        sink.AddPhantom(phantom);
        const int written = psd.WriteLayer(layer);
        const int ended = written == QUOR_OK ? psd.EndLayers() : written;
        const int closed = psd.Close();
        return ended != QUOR_OK ? ended : closed;
    };
    const Bytes plain = Written(64, 16, {{"one", &layer}, {"two", &layer}});
    const uint64_t section = uint64_t(plain[34]) << 24 | uint64_t(plain[35]) << 16 | uint64_t(plain[36]) << 8 | plain[37];
    EXPECT_EQ(write(0xFFFFFFFFu - section), QUOR_OK);
    EXPECT_EQ(write(0xFFFFFFFFu - section + 1), QUOR_ERR_ARGUMENT);
    EXPECT_EQ(write((uint64_t(1) << 32) + 10), QUOR_ERR_ARGUMENT);
}

// Catches documents that fail or stay unfinished being left on disk as if saved (unchecked writes
// are caught by the full-disk saves of the output file tests): Close reports each and no file
// appears.
TEST(QuorPsdWriter, FailuresLeaveNoFile)
{
    Quor_BaseImage layer;
    FillLayer(&layer, 300, 300, 11u);
    Quor_PsdWriter writer;
    quor_test::ScratchDir scratch;
    const std::string path = scratch.File("x.psd");
    auto expectRemoved = [&](const char* what, auto steps) {
        ASSERT_EQ(writer.Open(path.c_str()), QUOR_OK) << what;
        steps();
        EXPECT_EQ(writer.Close(), QUOR_ERR_ARGUMENT) << what;
        EXPECT_TRUE(std::filesystem::is_empty(scratch.Path())) << what;
    };
    auto start = [&] {
        return writer.WriteHeader(300, 300) == QUOR_OK && writer.WriteLayerInfo("one", "norm", 255) == QUOR_OK;
    };
    expectRemoved("canvas too large", [&] {
        EXPECT_EQ(writer.WriteHeader(30001, 10), QUOR_ERR_ARGUMENT);
        EXPECT_EQ(writer.WriteLayerInfo("one", "norm", 255), QUOR_ERR_ARGUMENT);
    });
    expectRemoved("no EndLayers", [&] { EXPECT_TRUE(start()); });
    expectRemoved("record after data", [&] {
        EXPECT_TRUE(start() && writer.WriteLayer(layer) == QUOR_OK);
        EXPECT_EQ(writer.WriteLayerInfo("late", "norm", 255), QUOR_ERR_ARGUMENT);
    });
    Quor_BaseImage wrongSize;
    FillLayer(&wrongSize, 299, 300, 12u);
    expectRemoved("layer of another size", [&] {
        EXPECT_TRUE(start());
        EXPECT_EQ(writer.WriteLayer(wrongSize), QUOR_ERR_ARGUMENT);
    });
    EXPECT_FALSE(writer.TooLarge());
    EXPECT_EQ(writer.Open(scratch.File("missing/x.psd").c_str()), QUOR_ERR_CREATE);
}

// Catches length fields, name padding, channel order or row lengths that only our own writer
// would accept: ImageMagick must find the three layers with their names (none, and one cut to
// 255 characters, among them), sizes and pixels, and a white merged image.
TEST(QuorPsdWriter, ImageMagickReadsThreeLayers)
{
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const int width = 47, height = 33;
    Quor_BaseImage layers[3];
    // A red F on transparency, an opaque gradient, a half-transparent blue.
    quor_test::Make(&layers[0], width, height, [](int x, int y) { return InFigure(x, y) ? Px(255, 0, 0) : 0u; });
    quor_test::Make(&layers[1], width, height, [](int x, int y) { return Px(x * 5, y * 7, 255 - x * 5); });
    quor_test::Make(&layers[2], width, height, [](int, int) { return Px(0, 0, 255, 128); });
    const std::string longName(300, 'n');
    quor_test::ScratchDir scratch;
    const std::string path = scratch.File("three.psd");
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(path.c_str()), QUOR_OK);
    ASSERT_EQ(WriteDocument(writer, width, height, {{"F", &layers[0]}, {"", &layers[1]}, {longName.c_str(), &layers[2]}}),
        QUOR_OK);

    const std::string listing = RunCommand("convert '" + path + "' -format '%s|%l|%w|%h\\n' info: 2>&1");
    EXPECT_EQ(listing, "0||47|33\n1|F|47|33\n2||47|33\n3|" + longName.substr(0, 255) + "|47|33\n");

    const std::string merged = RunCommand("convert '" + path + "[0]' -depth 8 rgb:- 2>/dev/null");
    EXPECT_EQ(merged, std::string(size_t(width * height * 3), '\xff'));

    for (int i = 0; i < 3; i++) {
        const std::string rgba = RunCommand("convert '" + path + "[" + std::to_string(i + 1) + "]' -depth 8 rgba:- 2>/dev/null");
        ASSERT_EQ(rgba.size(), size_t(width * height * 4)) << "layer " << i;
        int mismatches = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                const rgb_color want = quor_test::PixelAt(layers[i], x, y);
                const uint8_t* got = reinterpret_cast<const uint8_t*>(rgba.data()) + (y * width + x) * 4;
                // Colour is only defined where the layer is not fully transparent.
                mismatches += got[3] != want.alpha
                    || (want.alpha != 0 && (got[0] != want.red || got[1] != want.green || got[2] != want.blue));
            }
        EXPECT_EQ(mismatches, 0) << "layer " << i;
    }
}
