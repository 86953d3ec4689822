#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/Quor_PixelConvert.h"
#include "toolkit/imaging/formats/Quor_MemorySink.h"
#include "toolkit/imaging/formats/Quor_PsdWriter.h"

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
    void JumpAt(uint64_t position, uint64_t count)
    {
        fJumpAt = position;
        fJumpBy = count;
    }
    uint64_t Size() const { return fSize; }

protected:
    bool DoWrite(const void*, size_t count) override
    {
        if (fPosition >= fJumpAt) {
            fJumpAt = UINT64_MAX;
            Move(fPosition + fJumpBy);
        }
        Move(fPosition + count);
        return true;
    }
    int64_t DoTell() const override { return static_cast<int64_t>(fPosition); }
    bool DoSeek(int64_t position) override
    {
        if (static_cast<uint64_t>(position) > fSize)
            return false;
        fPosition = static_cast<uint64_t>(position);
        return true;
    }

private:
    void Move(uint64_t position)
    {
        fPosition = position;
        if (fSize < fPosition)
            fSize = fPosition;
    }
    uint64_t fPosition = 0;
    uint64_t fSize = 0;
    uint64_t fJumpAt = UINT64_MAX;
    uint64_t fJumpBy = 0;
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
                std::string problem = Channel(file->width, file->height, &file->layers[i].channels[c]);
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
        if (U16() != 1)
            return "merged compression";
        std::vector<uint16_t> counts;
        for (int r = 0; r < 3 * file->height; r++)
            counts.push_back(U16());
        file->mergedIsWhite = true;
        for (uint16_t count : counts) {
            Bytes row;
            if (fAt + count > fBytes.size() || !Decode(fBytes.data() + fAt, count, static_cast<size_t>(file->width), &row))
                return "merged row";
            fAt += count;
            for (uint8_t v : row)
                file->mergedIsWhite = file->mergedIsWhite && v == 255;
        }
        if (fFailed)
            return "read past the end";
        if (fAt != fBytes.size())
            return "bytes after the merged image";
        return "";
    }

private:
    std::string Channel(int width, int height, Bytes* pixels)
    {
        if (U16() != 1)
            return "channel compression";
        std::vector<uint16_t> counts;
        for (int r = 0; r < height; r++)
            counts.push_back(U16());
        pixels->clear();
        for (uint16_t count : counts) {
            Bytes row;
            if (fAt + count > fBytes.size() || !Decode(fBytes.data() + fAt, count, static_cast<size_t>(width), &row))
                return "channel row";
            fAt += count;
            pixels->insert(pixels->end(), row.begin(), row.end());
        }
        return "";
    }
    uint32_t U8()
    {
        if (fAt >= fBytes.size()) {
            fFailed = true;
            return 0;
        }
        return fBytes[fAt++];
    }
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
        for (size_t i = 0; i < count; i++)
            out.push_back(static_cast<uint8_t>(U8()));
        return out;
    }
    void Skip(size_t count) { fAt += count; }

    const Bytes& fBytes;
    size_t fAt = 0;
    bool fFailed = false;
};

void FillLayer(Quor_BaseImage* image, int width, int height, uint32_t seed)
{
    ASSERT_EQ(image->Initialize(width, height, 32), 0);
    std::printf("layer %dx%d, seed %u\n", width, height, seed);
    std::mt19937 random(seed);
    for (int y = 0; y < height; y++) {
        uint32_t* row = image->Image().Row32(y);
        // Runs and noise, so both kinds of packet occur.
        for (int x = 0; x < width; x++)
            row[x] = (x / 7) % 2 == 0 ? 0x11223344u * static_cast<uint32_t>(y % 3 + 1) : static_cast<uint32_t>(random());
    }
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
TEST(FormatsPsd, PackBitsExamples)
{
    const struct {
        Bytes row;
        Bytes expect;
    } cases[] = {
        {Bytes(200, 9), {0x81, 0x09, 0xB9, 0x09}},
        {{1, 2, 3, 4, 5}, {0x04, 1, 2, 3, 4, 5}},
        {{7, 7, 7, 7}, {0xFD, 0x07}},
        {{7, 7, 7}, {0x02, 7, 7, 7}},
        {{1, 2, 5, 5, 5, 5}, {0x01, 1, 2, 0xFD, 5}},
        {{1, 2, 5, 5, 5}, {0x01, 1, 2, 0x02, 5, 5, 5}},
        {{1, 5, 5, 5, 6, 7}, {0x00, 1, 0xFE, 5, 0x01, 6, 7}},
        {{}, {}},
        {{42}, {0x00, 42}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Encode(c.row), c.expect) << "row of " << c.row.size();
    Bytes ramp(130);
    for (int i = 0; i < 130; i++)
        ramp[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    const Bytes encoded = Encode(ramp);
    ASSERT_EQ(encoded.size(), 1u + 128 + 1 + 2);
    EXPECT_EQ(encoded[0], 0x7F);
    EXPECT_EQ(encoded[129], 0x01);
    EXPECT_EQ(encoded[131], 129);
}

// Catches encodings that decode to something else or overrun the bound the writer allocates,
// over rows of every length up to 600 with runs, noise and mixtures.
TEST(FormatsPsd, PackBitsRoundTripsWithinItsBound)
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
TEST(FormatsPsd, LengthsAddUpAndChannelsDecode)
{
    const int width = 47;
    const int height = 33;
    const std::string longName(300, 'n');
    const char* names[] = {"abc", "abcd", "", longName.c_str()};
    Quor_BaseImage layers[4];
    for (int i = 0; i < 4; i++)
        FillLayer(&layers[i], width, height, 100u + static_cast<uint32_t>(i));
    Quor_MemorySink sink;
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(&sink), 0);
    ASSERT_EQ(writer.WriteHeader(width, height), 0);
    for (int i = 0; i < 4; i++)
        ASSERT_EQ(writer.WriteLayerInfo(names[i], i == 1 ? "mul " : "norm", static_cast<uint8_t>(200 + i)), 0);
    for (int i = 0; i < 4; i++)
        ASSERT_EQ(writer.WriteLayer(layers[i]), 0);
    ASSERT_EQ(writer.EndLayers(), 0);
    ASSERT_EQ(writer.Close(), 0);

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
    // Name sizes: 3 characters take 4 bytes, 4 take 8 (length byte included), none take 4.
    EXPECT_EQ(Quor_PsdWriter::PascalStringSize("abc", 4), 4);
    EXPECT_EQ(Quor_PsdWriter::PascalStringSize("abcd", 4), 8);
    EXPECT_EQ(Quor_PsdWriter::PascalStringSize("", 4), 4);
    EXPECT_EQ(Quor_PsdWriter::PascalStringSize(longName.c_str(), 4), 256);
}

// Catches unintended drift in the bytes written for a valid document (a golden file, checked
// once with ImageMagick; QUOR_UPDATE_GOLDENS=1 rewrites it after an intended change).
TEST(FormatsPsd, SmallDocumentMatchesItsGoldenFile)
{
    Quor_BaseImage first;
    Quor_BaseImage second;
    FillLayer(&first, 5, 3, 21u);
    ASSERT_EQ(second.Initialize(5, 3, 32), 0);
    second.Clear({0, 0, 255, 128});
    Quor_MemorySink sink;
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(&sink), 0);
    ASSERT_EQ(writer.WriteHeader(5, 3), 0);
    ASSERT_EQ(writer.WriteLayerInfo("first", "norm", 255), 0);
    ASSERT_EQ(writer.WriteLayerInfo("2nd", "norm", 128), 0);
    ASSERT_EQ(writer.WriteLayer(first), 0);
    ASSERT_EQ(writer.WriteLayer(second), 0);
    ASSERT_EQ(writer.EndLayers(), 0);
    ASSERT_EQ(writer.Close(), 0);
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
TEST(FormatsPsd, MissingLayersBecomeTransparent)
{
    Quor_MemorySink empty;
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(&empty), 0);
    ASSERT_EQ(writer.WriteHeader(5, 3), 0);
    ASSERT_EQ(writer.EndLayers(), 0);
    ASSERT_EQ(writer.Close(), 0);
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
    ASSERT_EQ(writer.Open(&partial), 0);
    ASSERT_EQ(writer.WriteHeader(5, 3), 0);
    ASSERT_EQ(writer.WriteLayerInfo("one", "norm", 255), 0);
    ASSERT_EQ(writer.WriteLayerInfo("two", "norm", 255), 0);
    ASSERT_EQ(writer.WriteLayer(first), 0);
    ASSERT_EQ(writer.EndLayers(), 0);
    ASSERT_EQ(writer.Close(), 0);
    PsdFile twoLayers;
    ASSERT_EQ(PsdParser(partial.Bytes()).Parse(&twoLayers), "");
    ASSERT_EQ(twoLayers.layerCount, 2);
    EXPECT_EQ(twoLayers.layers[0].channels[1], ChannelOf(first, 0));
    EXPECT_EQ(twoLayers.layers[1].channels[0], Bytes(15, 0));
}

// Catches 32-bit length arithmetic: a channel or section beyond 4 GiB must be refused, never
// wrapped into a small, plausible length; a section of exactly 0xFFFFFFFF bytes still fits.
TEST(FormatsPsd, LengthsBeyondFourGigabytesAreRefused)
{
    Quor_BaseImage layer;
    FillLayer(&layer, 64, 16, 3u);

    // A channel that grows past 4 GiB while it is written.
    CountingSink hugeChannel;
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(&hugeChannel), 0);
    ASSERT_EQ(writer.WriteHeader(64, 16), 0);
    ASSERT_EQ(writer.WriteLayerInfo("big", "norm", 255), 0);
    hugeChannel.JumpAt(hugeChannel.Size() + 100, uint64_t(1) << 32);
    EXPECT_EQ(writer.WriteLayer(layer), -3);
    EXPECT_EQ(writer.EndLayers(), -3);
    EXPECT_EQ(writer.Close(), -3);

    // Whole layers of data between two layers: the section length decides. First the size of
    // the section without them.
    auto write = [&](Quor_ByteSink* sink, uint64_t phantom, CountingSink* counting) {
        Quor_PsdWriter psd;
        EXPECT_EQ(psd.Open(sink), 0);
        EXPECT_EQ(psd.WriteHeader(64, 16), 0);
        EXPECT_EQ(psd.WriteLayerInfo("one", "norm", 255), 0);
        EXPECT_EQ(psd.WriteLayerInfo("two", "norm", 255), 0);
        EXPECT_EQ(psd.WriteLayer(layer), 0);
        if (counting != nullptr)
            counting->AddPhantom(phantom);
        const int written = psd.WriteLayer(layer);
        const int ended = written == 0 ? psd.EndLayers() : written;
        const int closed = psd.Close();
        return ended != 0 ? ended : closed;
    };
    Quor_MemorySink plain;
    ASSERT_EQ(write(&plain, 0, nullptr), 0);
    PsdFile file;
    ASSERT_EQ(PsdParser(plain.Bytes()).Parse(&file), "");
    const uint64_t section = uint64_t(plain.Bytes()[34]) << 24 | uint64_t(plain.Bytes()[35]) << 16
        | uint64_t(plain.Bytes()[36]) << 8 | plain.Bytes()[37];
    CountingSink fits;
    EXPECT_EQ(write(&fits, 0xFFFFFFFFu - section, &fits), 0);
    CountingSink overflows;
    EXPECT_EQ(write(&overflows, 0xFFFFFFFFu - section + 1, &overflows), -3);
    CountingSink wraps;
    EXPECT_EQ(write(&wraps, (uint64_t(1) << 32) + 10, &wraps), -3);
}

// Catches unchecked writes and documents that fail or stay unfinished being left on disk as if saved.
TEST(FormatsPsd, FailuresLeaveNoFile)
{
    Quor_BaseImage layer;
    FillLayer(&layer, 300, 300, 11u);
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open("/dev/full"), 0);
    writer.WriteHeader(300, 300);
    writer.WriteLayerInfo("one", "norm", 255);
    writer.WriteLayer(layer);
    writer.EndLayers();
    EXPECT_EQ(writer.Close(), -7);

    quor_test::ScratchDir scratch;
    const std::string path = scratch.File("x.psd");
    ASSERT_EQ(writer.Open(path.c_str()), 0);
    EXPECT_EQ(writer.WriteHeader(30001, 10), -3);
    EXPECT_EQ(writer.WriteLayerInfo("one", "norm", 255), -3);
    EXPECT_EQ(writer.Close(), -3);
    EXPECT_FALSE(std::filesystem::exists(path));

    // Unfinished (no EndLayers), and calls out of order.
    ASSERT_EQ(writer.Open(path.c_str()), 0);
    ASSERT_EQ(writer.WriteHeader(300, 300), 0);
    ASSERT_EQ(writer.WriteLayerInfo("one", "norm", 255), 0);
    EXPECT_EQ(writer.Close(), -3);
    EXPECT_FALSE(std::filesystem::exists(path));

    ASSERT_EQ(writer.Open(path.c_str()), 0);
    ASSERT_EQ(writer.WriteHeader(300, 300), 0);
    ASSERT_EQ(writer.WriteLayerInfo("one", "norm", 255), 0);
    ASSERT_EQ(writer.WriteLayer(layer), 0);
    EXPECT_EQ(writer.WriteLayerInfo("late", "norm", 255), -3);
    EXPECT_EQ(writer.Close(), -3);
    EXPECT_FALSE(std::filesystem::exists(path));

    Quor_BaseImage wrongSize;
    FillLayer(&wrongSize, 299, 300, 12u);
    ASSERT_EQ(writer.Open(path.c_str()), 0);
    ASSERT_EQ(writer.WriteHeader(300, 300), 0);
    ASSERT_EQ(writer.WriteLayerInfo("one", "norm", 255), 0);
    EXPECT_EQ(writer.WriteLayer(wrongSize), -3);
    EXPECT_EQ(writer.Close(), -3);
    EXPECT_FALSE(std::filesystem::exists(path));

    EXPECT_EQ(writer.Open(scratch.File("missing/x.psd").c_str()), -5);
}

namespace {

bool HaveConvert()
{
    return std::system("command -v convert >/dev/null 2>&1") == 0;
}

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
TEST(FormatsPsd, ImageMagickReadsThreeLayers)
{
    if (!HaveConvert())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const int width = 47;
    const int height = 33;
    Quor_BaseImage layers[3];
    for (Quor_BaseImage& layer : layers)
        ASSERT_EQ(layer.Initialize(width, height, 32), 0);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            // A red F on transparency, an opaque gradient, a half-transparent blue.
            const bool stem = x >= 8 && x <= 15 && y >= 4 && y <= 28;
            const bool arm = (y >= 4 && y <= 10 && x >= 8 && x <= 38) || (y >= 14 && y <= 19 && x >= 8 && x <= 30);
            layers[0].Image().Row32(y)[x] = stem || arm ? Quor_PixelConvert::Pack(255, 0, 0, 255) : 0;
            layers[1].Image().Row32(y)[x] = Quor_PixelConvert::Pack(x * 5, y * 7, 255 - x * 5, 255);
            layers[2].Image().Row32(y)[x] = Quor_PixelConvert::Pack(0, 0, 255, 128);
        }
    const char* names[3] = {"F", "gradient", "half blue"};
    quor_test::ScratchDir scratch;
    const std::string path = scratch.File("three.psd");
    Quor_PsdWriter writer;
    ASSERT_EQ(writer.Open(path.c_str()), 0);
    ASSERT_EQ(writer.WriteHeader(width, height), 0);
    for (const char* name : names)
        ASSERT_EQ(writer.WriteLayerInfo(name, "norm", 255), 0);
    for (const Quor_BaseImage& layer : layers)
        ASSERT_EQ(writer.WriteLayer(layer), 0);
    ASSERT_EQ(writer.EndLayers(), 0);
    ASSERT_EQ(writer.Close(), 0);

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
                const uint32_t p = layers[i].Image().Row32(y)[x];
                const uint8_t* got = reinterpret_cast<const uint8_t*>(rgba.data()) + (y * width + x) * 4;
                // Colour is only defined where the layer is not fully transparent.
                const bool colourMatters = Quor_PixelConvert::Alpha(p) != 0;
                mismatches += got[3] != Quor_PixelConvert::Alpha(p);
                mismatches += colourMatters
                    && (got[0] != Quor_PixelConvert::Red(p) || got[1] != Quor_PixelConvert::Green(p)
                        || got[2] != Quor_PixelConvert::Blue(p));
            }
        EXPECT_EQ(mismatches, 0);
    }
}
