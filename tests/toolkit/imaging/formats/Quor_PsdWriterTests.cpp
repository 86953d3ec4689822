// Tests of the layered PSD writer: its PackBits encoding, every length field against an
// independent parser, the documents it completes, its refusals and a reader of another program.
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
bool Decode(const uint8_t* data, size_t size, size_t expected, Bytes* out)
{
    out->clear();
    size_t i = 0;
    while (i < size) {
        const int header = static_cast<int8_t>(data[i++]);
        if (header >= 0) {
            if (i + header + 1 > size)
                return false;
            out->insert(out->end(), data + i, data + i + header + 1);
            i += static_cast<size_t>(header) + 1;
        } else if (header != -128) {
            if (i >= size)
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

// A reader of what the writer produced that checks every length field against the bytes.
struct PsdLayer {
    std::string name;
    std::string blendKey;
    int opacity = 0;
    std::array<Bytes, 4> channels;  // alpha, red, green, blue, width * height bytes each
};

struct PsdFile {
    int width = 0;
    int height = 0;
    int layerCount = 0;
    std::vector<PsdLayer> layers;
    bool mergedIsWhite = false;
};

class PsdParser {
public:
    explicit PsdParser(const Bytes& bytes) : fBytes(bytes) {}

    // Returns an empty string and fills `file`, or names the first inconsistency.
    std::string Parse(PsdFile* file)
    {
        if (Take(4) != Bytes{'8', 'B', 'P', 'S'} || U16() != 1)
            return "signature";
        Skip(6);
        if (U16() != 3)
            return "channels";
        file->height = static_cast<int>(U32());
        file->width = static_cast<int>(U32());
        if (U16() != 8 || U16() != 3 || U32() != 0 || U32() != 0)
            return "depth, mode or empty sections";
        const uint64_t sectionEnd = 38 + static_cast<uint64_t>(U32());
        const uint64_t layerInfoEnd = 42 + static_cast<uint64_t>(U32());
        file->layerCount = U16();
        std::vector<std::array<uint32_t, 4>> lengths;
        for (int i = 0; i < file->layerCount; i++) {
            PsdLayer layer;
            if (U32() != 0 || U32() != 0 || U32() != static_cast<uint32_t>(file->height)
                || U32() != static_cast<uint32_t>(file->width) || U16() != 4)
                return "layer rectangle or channel count";
            std::array<uint32_t, 4> channelLengths;
            for (int c = 0; c < 4; c++) {
                if (static_cast<int16_t>(U16()) != c - 1)
                    return "channel id";
                channelLengths[c] = U32();
            }
            lengths.push_back(channelLengths);
            if (Take(4) != Bytes{'8', 'B', 'I', 'M'})
                return "blend signature";
            const Bytes key = Take(4);
            layer.blendKey.assign(key.begin(), key.end());
            layer.opacity = U8();
            if (U8() != 0 || U8() != 0 || U8() != 0)
                return "clipping, flags or filler";
            const uint32_t extraLength = U32();
            const uint64_t extraEnd = fAt + extraLength;
            if (U32() != 0 || U32() != 0)
                return "mask or blending ranges";
            const int nameLength = U8();
            const Bytes name = Take(static_cast<size_t>(nameLength));
            layer.name.assign(name.begin(), name.end());
            if ((1 + nameLength + 3) / 4 * 4 != static_cast<int>(extraEnd - fAt + 1 + nameLength))
                return "name padding";
            fAt = extraEnd;
            file->layers.push_back(layer);
        }
        for (int i = 0; i < file->layerCount; i++)
            for (int c = 0; c < 4; c++) {
                const uint64_t start = fAt;
                const std::string problem = Rows(file->width, file->height, &file->layers[i].channels[c]);
                if (!problem.empty())
                    return problem;
                if (fAt - start != lengths[i][c])
                    return "channel length of layer " + std::to_string(i) + " channel " + std::to_string(c);
            }
        if (U32() != 0)
            return "global mask length";
        if (fAt != sectionEnd)
            return "layer-and-mask section length";
        if (fAt != layerInfoEnd)
            return "layer info length";
        Bytes merged;
        const std::string problem = Rows(file->width, 3 * file->height, &merged);
        if (!problem.empty())
            return "merged image: " + problem;
        file->mergedIsWhite = merged == Bytes(merged.size(), 255);
        if (fFailed)
            return "read past the end";
        if (fAt != fBytes.size())
            return "bytes after the merged image";
        return "";
    }

private:
    // A compressed channel (or merged image): the compression, every row's length, the rows.
    std::string Rows(int width, int rows, Bytes* pixels)
    {
        if (U16() != 1)
            return "compression";
        std::vector<uint16_t> counts;
        for (int r = 0; r < rows; r++)
            counts.push_back(static_cast<uint16_t>(U16()));
        pixels->clear();
        for (uint16_t count : counts) {
            Bytes row;
            if (fAt + count > fBytes.size() || !Decode(fBytes.data() + fAt, count, static_cast<size_t>(width), &row))
                return "row";
            fAt += count;
            pixels->insert(pixels->end(), row.begin(), row.end());
        }
        return "";
    }
    uint32_t U8()
    {
        fFailed |= fAt >= fBytes.size();
        return fAt < fBytes.size() ? fBytes[fAt++] : 0;
    }
    // Big-endian; the high part is read first (the operands of | are not sequenced).
    uint32_t U16()
    {
        const uint32_t high = U8();
        return high << 8 | U8();
    }
    uint32_t U32()
    {
        const uint32_t high = U16();
        return high << 16 | U16();
    }
    Bytes Take(size_t count)
    {
        Bytes out;
        while (out.size() < count)
            out.push_back(static_cast<uint8_t>(U8()));
        return out;
    }
    void Skip(size_t count) { fAt += count; }

    const Bytes& fBytes;
    size_t fAt = 0;
    bool fFailed = false;
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

// Runs and noise, so both kinds of packet occur.
void FillLayer(Quor_BaseImage* image, int width, int height, uint32_t seed)
{
    std::printf("layer %dx%d, seed %u\n", width, height, seed);
    std::mt19937 random(seed);
    quor_test::Make(image, width, height, [&](int x, int y) {
        return (x / 7) % 2 == 0 ? 0x11223344u * static_cast<uint32_t>(y % 3 + 1) : static_cast<uint32_t>(random());
    });
}

Bytes ChannelOf(const Quor_BaseImage& image, int channel)
{
    Bytes out;
    const int shift = channel < 0 ? 0 : 8 * (channel + 1);
    for (int y = 0; y < image.Height(); y++)
        for (int x = 0; x < image.Width(); x++)
            out.push_back(static_cast<uint8_t>(image.Image().Row32(y)[x] >> shift));
    return out;
}

}  // namespace

// Catches any departure from the PackBits encoding readers were tested against (the examples
// are the contract: run and literal boundaries, the 128-byte limits, short tails as literals).
TEST(QuorPsdWriter, PackBitsExamples)
{
    const struct {
        Bytes row;
        Bytes expect;
    } cases[] = {
        {Bytes(200, 9), {0x81, 0x09, 0xB9, 0x09}}, {{1, 2, 3, 4, 5}, {0x04, 1, 2, 3, 4, 5}},
        {{7, 7, 7, 7}, {0xFD, 0x07}}, {{7, 7, 7}, {0x02, 7, 7, 7}}, {{1, 2, 5, 5, 5, 5}, {0x01, 1, 2, 0xFD, 5}},
        {{1, 2, 5, 5, 5}, {0x01, 1, 2, 0x02, 5, 5, 5}}, {{1, 5, 5, 5, 6, 7}, {0x00, 1, 0xFE, 5, 0x01, 6, 7}},
        {{}, {}}, {{42}, {0x00, 42}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Encode(c.row), c.expect) << "row of " << c.row.size();
    Bytes ramp(130);
    std::iota(ramp.begin(), ramp.end(), 0);
    const Bytes encoded = Encode(ramp);
    ASSERT_EQ(encoded.size(), 1u + 128 + 1 + 2);
    EXPECT_EQ(encoded[0], 0x7F);
    EXPECT_EQ(encoded[129], 0x01);
    EXPECT_EQ(encoded[131], 129);
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
            ASSERT_TRUE(Decode(encoded.data(), encoded.size(), row.size(), &decoded)) << length << " " << style;
            EXPECT_EQ(decoded, row);
        }
}

// Catches length fields that do not add up (section, layer info, channel and row lengths),
// names padded wrongly, channels out of order or with the wrong byte of the pixel, and a merged
// image that is not white.
TEST(QuorPsdWriter, LengthsAddUpAndChannelsDecode)
{
    const int width = 47;
    const int height = 33;
    const std::string longName(300, 'n');
    const char* names[] = {"abc", "abcd", "", longName.c_str()};
    Quor_BaseImage layers[4];
    std::vector<Layer> declared;
    for (int i = 0; i < 4; i++) {
        FillLayer(&layers[i], width, height, 100u + static_cast<uint32_t>(i));
        declared.push_back({names[i], &layers[i], i == 1 ? "mul " : "norm", static_cast<uint8_t>(200 + i)});
    }
    Quor_MemorySink sink;
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(&sink), QUOR_OK);
    ASSERT_EQ(WriteDocument(writer, width, height, declared), QUOR_OK);
    PsdFile file;
    ASSERT_EQ(PsdParser(sink.Bytes()).Parse(&file), "");
    EXPECT_EQ(file.width, width);
    EXPECT_EQ(file.height, height);
    ASSERT_EQ(file.layerCount, 4);
    EXPECT_TRUE(file.mergedIsWhite);
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(file.layers[i].name, std::string(names[i]).substr(0, 255));
        EXPECT_EQ(file.layers[i].blendKey, i == 1 ? "mul " : "norm");
        EXPECT_EQ(file.layers[i].opacity, 200 + i);
        for (int c = 0; c < 4; c++)
            EXPECT_EQ(file.layers[i].channels[c], ChannelOf(layers[i], c - 1)) << "channel " << c - 1;
    }
}

// Catches unintended drift in the bytes written for a valid document (a golden file, checked
// once with ImageMagick; QUOR_UPDATE_GOLDENS=1 rewrites it after an intended change).
TEST(QuorPsdWriter, SmallDocumentMatchesItsGoldenFile)
{
    Quor_BaseImage first;
    Quor_BaseImage second;
    FillLayer(&first, 5, 3, 21u);
    ASSERT_EQ(second.Initialize(5, 3, 32), QUOR_OK);
    second.Clear({0, 0, 255, 128});
    Quor_MemorySink sink;
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(&sink), QUOR_OK);
    ASSERT_EQ(WriteDocument(writer, 5, 3, {{"first", &first}, {"2nd", &second, "norm", 128}}), QUOR_OK);
    const std::string bytes(sink.Bytes().begin(), sink.Bytes().end());
    const std::string golden = quor_test::DataPath("psd/two-layers-5x3.psd");
    const char* update = std::getenv("QUOR_UPDATE_GOLDENS");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(quor_test::WriteFileBytes(golden, bytes));
    }
    EXPECT_EQ(bytes, quor_test::ReadFileBytes(golden));
}

// Catches a document without layers that readers reject, and layers declared but never handed
// over leaving records without data: both are completed with fully transparent layers.
TEST(QuorPsdWriter, MissingLayersBecomeTransparent)
{
    Quor_MemorySink empty;
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(&empty), QUOR_OK);
    ASSERT_EQ(WriteDocument(writer, 5, 3, {}), QUOR_OK);
    PsdFile file;
    ASSERT_EQ(PsdParser(empty.Bytes()).Parse(&file), "");
    ASSERT_EQ(file.layerCount, 1);
    EXPECT_EQ(file.layers[0].name, "Empty Layer");
    EXPECT_EQ(file.layers[0].opacity, 255);
    for (int c = 0; c < 4; c++)
        EXPECT_EQ(file.layers[0].channels[c], Bytes(15, 0));

    Quor_BaseImage first;
    FillLayer(&first, 5, 3, 7u);
    Quor_MemorySink partial;
    ASSERT_EQ(writer.Open(&partial), QUOR_OK);
    ASSERT_EQ(WriteDocument(writer, 5, 3, {{"one", &first}, {"two", nullptr}}), QUOR_OK);
    PsdFile twoLayers;
    ASSERT_EQ(PsdParser(partial.Bytes()).Parse(&twoLayers), "");
    ASSERT_EQ(twoLayers.layerCount, 2);
    EXPECT_EQ(twoLayers.layers[0].channels[1], ChannelOf(first, 0));
    EXPECT_EQ(twoLayers.layers[1].channels[0], Bytes(15, 0));
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
    ASSERT_EQ(writer.Open(&hugeChannel), QUOR_OK);
    ASSERT_EQ(writer.WriteHeader(64, 16), QUOR_OK);
    ASSERT_EQ(writer.WriteLayerInfo("big", "norm", 255), QUOR_OK);
    hugeChannel.JumpAt(hugeChannel.Size() + 100, uint64_t(1) << 32);
    EXPECT_EQ(writer.WriteLayer(layer), QUOR_ERR_ARGUMENT);
    EXPECT_TRUE(writer.TooLarge());
    EXPECT_EQ(writer.EndLayers(), QUOR_ERR_ARGUMENT);
    EXPECT_EQ(writer.Close(), QUOR_ERR_ARGUMENT);

    // Whole layers of data between two layers: the section length decides. First the size of
    // the section without them.
    auto write = [&](Quor_ByteSink* sink, uint64_t phantom, CountingSink* counting) {
        Quor_PsdWriter psd;
        EXPECT_EQ(psd.Open(sink), QUOR_OK);
        EXPECT_EQ(psd.WriteHeader(64, 16), QUOR_OK);
        EXPECT_EQ(psd.WriteLayerInfo("one", "norm", 255), QUOR_OK);
        EXPECT_EQ(psd.WriteLayerInfo("two", "norm", 255), QUOR_OK);
        EXPECT_EQ(psd.WriteLayer(layer), QUOR_OK);
        if (counting != nullptr)
            counting->AddPhantom(phantom);
        const int written = psd.WriteLayer(layer);
        const int ended = written == QUOR_OK ? psd.EndLayers() : written;
        const int closed = psd.Close();
        return ended != QUOR_OK ? ended : closed;
    };
    Quor_MemorySink plain;
    ASSERT_EQ(write(&plain, 0, nullptr), QUOR_OK);
    PsdFile file;
    ASSERT_EQ(PsdParser(plain.Bytes()).Parse(&file), "");
    const uint64_t section = uint64_t(plain.Bytes()[34]) << 24 | uint64_t(plain.Bytes()[35]) << 16
        | uint64_t(plain.Bytes()[36]) << 8 | plain.Bytes()[37];
    CountingSink fits;
    EXPECT_EQ(write(&fits, 0xFFFFFFFFu - section, &fits), QUOR_OK);
    CountingSink overflows;
    EXPECT_EQ(write(&overflows, 0xFFFFFFFFu - section + 1, &overflows), QUOR_ERR_ARGUMENT);
    CountingSink wraps;
    EXPECT_EQ(write(&wraps, (uint64_t(1) << 32) + 10, &wraps), QUOR_ERR_ARGUMENT);
}

// Catches unchecked writes and documents that fail or stay unfinished being left on disk as if saved.
TEST(QuorPsdWriter, FailuresLeaveNoFile)
{
    Quor_BaseImage layer;
    FillLayer(&layer, 300, 300, 11u);
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open("/dev/full"), QUOR_OK);
    EXPECT_EQ(WriteDocument(writer, 300, 300, {{"one", &layer}}), QUOR_ERR_WRITE);

    // Each sequence fails or stays unfinished: Close reports it and no file appears.
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

namespace {

// Runs a shell command and returns its standard output.
std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        out.append(buffer, count);
    pclose(pipe);
    return out;
}

}  // namespace

// Catches files that our own parser accepts but an independent reader does not: ImageMagick must
// find the three layers with their names, sizes and pixels, and a white merged image.
TEST(QuorPsdWriter, ImageMagickReadsThreeLayers)
{
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const int width = 47;
    const int height = 33;
    Quor_BaseImage layers[3];
    // A red F on transparency, an opaque gradient, a half-transparent blue.
    quor_test::Make(&layers[0], width, height, [](int x, int y) { return InFigure(x, y) ? Px(255, 0, 0) : 0u; });
    quor_test::Make(&layers[1], width, height, [](int x, int y) { return Px(x * 5, y * 7, 255 - x * 5); });
    quor_test::Make(&layers[2], width, height, [](int, int) { return Px(0, 0, 255, 128); });
    const char* names[3] = {"F", "gradient", "half blue"};
    quor_test::ScratchDir scratch;
    const std::string path = scratch.File("three.psd");
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(path.c_str()), QUOR_OK);
    ASSERT_EQ(WriteDocument(writer, width, height, {{names[0], &layers[0]}, {names[1], &layers[1]}, {names[2], &layers[2]}}), QUOR_OK);

    const std::string listing = RunCommand("convert '" + path + "' -format '%s|%l|%w|%h\\n' info: 2>&1");
    EXPECT_EQ(listing, "0||47|33\n1|F|47|33\n2|gradient|47|33\n3|half blue|47|33\n");

    const std::string merged = RunCommand("convert '" + path + "[0]' -depth 8 rgb:- 2>/dev/null");
    ASSERT_EQ(merged.size(), size_t(width * height * 3));
    EXPECT_EQ(merged, std::string(merged.size(), '\xff'));

    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(names[i]);
        const std::string rgba = RunCommand("convert '" + path + "[" + std::to_string(i + 1) + "]' -depth 8 rgba:- 2>/dev/null");
        ASSERT_EQ(rgba.size(), size_t(width * height * 4));
        int mismatches = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                const rgb_color want = quor_test::PixelAt(layers[i], x, y);
                const uint8_t* got = reinterpret_cast<const uint8_t*>(rgba.data()) + (y * width + x) * 4;
                // Colour is only defined where the layer is not fully transparent.
                mismatches += got[3] != want.alpha
                    || (want.alpha != 0 && (got[0] != want.red || got[1] != want.green || got[2] != want.blue));
            }
        EXPECT_EQ(mismatches, 0);
    }
}
