// Tests of the PTO writer: the text it writes for small documents, and the panorama tools'
// remapper (nona) fed with it, photo by photo, against our own mapping of the same photos.
#include <cmath>
#include <map>
#include <sstream>

#include "app/core/CropFit.h"
#include "app/core/PanoramaSampler.h"
#include "app/core/PtoWriter.h"
#include "tests/app/core/AppTestSupport.h"

namespace {

using namespace app_test;

constexpr double kDeg = 180.0 / 3.14159265358979323846;

// One line of a PTO file as its keys: "w1024" gives w = "1024", n"a b.jpg" gives n = "a b.jpg".
std::map<std::string, std::string> Fields(const std::string& line)
{
    std::map<std::string, std::string> fields;
    size_t i = 2;
    while (i < line.size()) {
        const size_t end = line[i + 1] == '"' ? line.find('"', i + 2) + 1 : line.find(' ', i);
        const std::string word = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
        const bool quoted = word.size() > 1 && word[1] == '"';
        // Keys are letters: "Eev0.5" is Eev, "TrX0" is TrX, "Vm5" is Vm.
        size_t key = 1;
        while (!quoted && key < word.size() && std::isalpha(static_cast<unsigned char>(word[key])))
            key++;
        fields[word.substr(0, key)] = quoted ? word.substr(2, word.size() - 3) : word.substr(key);
        i = end == std::string::npos ? line.size() : end + 1;
    }
    return fields;
}

// The fields of the first line of this kind ('p', 'i'), and how many there are.
std::map<std::string, std::string> Line(const std::string& text, char kind, int* count = nullptr)
{
    std::istringstream in(text);
    std::map<std::string, std::string> first;
    int lines = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 2 && line[0] == kind && line[1] == ' ' && lines++ == 0)
            first = Fields(line);
    }
    if (count != nullptr)
        *count = lines;
    return first;
}

// A smooth pattern that changes along both axes, so that a shift of a fraction of a pixel shows.
void MakePattern(const std::string& path, int width, int height)
{
    Quor_BaseImage image;
    quor_test::Make(&image, width, height, [](int x, int y) {
        const auto level = [](double v) { return static_cast<uint32_t>(std::lround(110.0 + 55.0 * v)); };
        return quor_test::Px(level(std::sin(x * 0.21 + y * 0.07)), level(std::sin(y * 0.19 - x * 0.05)),
                             level(std::sin((x + y) * 0.13)));
    });
    ASSERT_EQ(Quor_ImageIo::SaveImage(path.c_str(), &image, Quor_ImageIo::Format_PNG, 0), QUOR_OK);
}

}  // namespace

// Wrong signs of yaw, pitch or roll, a field of view taken across the wrong side (portrait photos),
// a missing half-pixel lens shift, an exposure of the wrong sign, a crop put in the wrong rows, a
// photo name not quoted or not relative to the PTO's folder, or a projection the format cannot
// show written anyway.
TEST(PtoWriter, TextCarriesEveryPhotoInTheToolsConventions)
{
    const struct {
        const char* what;
        float crop[4];
        int width, height;
        PtoWriter::PhotoSize size;
        float yaw, pitch, roll, brightness;
        // Expected: the canvas height, the crop's top row, the photo's yaw, field of view, Eev.
        int canvasHeight, top;
        double yawDeg, fovDeg, exposure;
    } cases[] = {
        {"whole sphere", {3.14159265f, -3.14159265f, 1.57079633f, -1.57079633f}, 1024, 512, {960, 720},
         0.5f, 0.2f, 0.1f, 2.0f, 513, 0, 180.0 / 1024 - 0.5 * kDeg, 2 * std::atan(16.0 / 20) * kDeg, 1.0},
        {"portrait photo", {3.14159265f, -3.14159265f, 1.57079633f, -1.57079633f}, 1024, 512, {720, 960},
         -1.0f, -0.3f, -0.2f, 0.5f, 513, 0, 180.0 / 1024 + 1.0 * kDeg, 2 * std::atan(12.0 / 20) * kDeg, -1.0},
        // Centred 0.3 above the horizon: its middle row lies 60 rows above the horizon row.
        {"crop above the horizon", {1.2f, -0.6f, 0.9f, -0.3f}, 360, 240, {960, 720}, 0.0f, 0.0f, 0.0f, 1.0f,
         361, 0, (0.3 + 0.6 / 240) * kDeg, 2 * std::atan(16.0 / 20) * kDeg, 0.0},
        {"crop below the horizon", {1.2f, -0.6f, 0.3f, -0.9f}, 360, 240, {960, 720}, 0.0f, 0.0f, 0.0f, 0.0f,
         359, 119, (0.3 + 0.6 / 240) * kDeg, 2 * std::atan(16.0 / 20) * kDeg, 0.0},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        PanomerDoc doc(20.0f);
        std::memcpy(doc.fCrop, c.crop, sizeof doc.fCrop);
        doc.fNumPhotos = 1;
        doc.fPhotoPath[0] = (dir.Path() + "/my photos/one.jpg").c_str();
        doc.fYaw[0] = c.yaw;
        doc.fPitch[0] = c.pitch;
        doc.fRoll[0] = c.roll;
        doc.fBrightness[0] = c.brightness;
        std::string text, error;
        ASSERT_TRUE(PtoWriter::Text(doc, c.width, c.height, {c.size}, dir.Path(), &text, &error)) << c.what << error;
        auto p = Line(text, 'p');
        EXPECT_EQ("f" + p["f"] + " w" + p["w"] + " h" + p["h"] + " S" + p["S"],
                  "f2 w" + std::to_string(c.width) + " h" + std::to_string(c.canvasHeight) + " S0," +
                      std::to_string(c.width) + "," + std::to_string(c.top) + "," + std::to_string(c.top + c.height))
            << c.what;
        EXPECT_NEAR(std::stod(p["v"]), c.width * (c.crop[2] - c.crop[3]) / c.height * kDeg, 1e-4) << c.what;
        auto i = Line(text, 'i');
        EXPECT_EQ("w" + i["w"] + " h" + i["h"] + " d" + i["d"] + " e" + i["e"] + " Rt" + i["Rt"] + " n" + i["n"],
                  "w" + std::to_string(c.size.width) + " h" + std::to_string(c.size.height) +
                      " d0.5 e0.5 Rt1 nmy photos/one.jpg") << c.what;
        const double expected[] = {c.yawDeg, c.pitch * kDeg, -c.roll * kDeg, c.fovDeg, c.exposure};
        int k = 0;
        for (const char* key : {"y", "p", "r", "v", "Eev"})
            EXPECT_NEAR(std::stod(i[key]), expected[k++], 1e-4) << c.what << ", " << key;
    }

    PanomerDoc doc;
    doc.fNumPhotos = 1;
    doc.fPhotoPath[0] = "/elsewhere/a.jpg";
    std::string text, error;
    ASSERT_TRUE(PtoWriter::Text(doc, 100, 50, {{10, 10}}, dir.Path(), &text, &error));
    EXPECT_EQ(Line(text, 'i')["n"], "/elsewhere/a.jpg");
    EXPECT_FALSE(PtoWriter::Text(doc, 100, 50, {{0, 0}}, dir.Path(), &text, &error));
    EXPECT_EQ(error, "there is no photo to write");
    doc.fProjectionType = PanomerDoc::kPerspective;
    EXPECT_FALSE(PtoWriter::Text(doc, 100, 50, {{10, 10}}, dir.Path(), &text, &error));
    EXPECT_EQ(error, "a PTO file can only be written for the horizontal spherical projection");
    doc.fProjectionType = PanomerDoc::kHorizontalSpherical;
    doc.fPhotoPath[0] = "/a \"b\".jpg";
    EXPECT_FALSE(PtoWriter::Text(doc, 100, 50, {{10, 10}}, dir.Path(), &text, &error));
}

// A full disk must fail the write and keep the file that was there; an output that is one of the
// photos must be refused before anything is written.
TEST(PtoWriter, AFailedWriteReportsAndLeavesTheOldFile)
{
    ScratchDir dir;
    MakePattern(dir.File("a.png"), 40, 30);
    PanomerDoc doc;
    doc.fNumPhotos = 1;
    doc.fPhotoPath[0] = dir.File("a.png").c_str();
    std::string error;
    EXPECT_FALSE(PtoWriter::Write(doc, "/dev/full", 100, 50, false, &error));
    EXPECT_EQ(error, "cannot write /dev/full: No space left on device");
    EXPECT_FALSE(PtoWriter::Write(doc, dir.File("a.png"), 100, 50, false, &error));
    EXPECT_NE(error.find("one of the project's photos"), std::string::npos) << error;
    doc.fPhotoPath[1] = dir.File("gone.png").c_str();
    doc.fNumPhotos = 2;
    WriteFileBytes(dir.File("old.pto"), "old");
    EXPECT_FALSE(PtoWriter::Write(doc, dir.File("old.pto"), 100, 50, false, &error));
    EXPECT_EQ(ReadFileBytes(dir.File("old.pto")), "old");
    std::vector<std::string> leftOut;
    ASSERT_TRUE(PtoWriter::Write(doc, dir.File("old.pto"), 100, 50, true, &error, &leftOut)) << error;
    EXPECT_EQ(leftOut.size(), 1u);
    int photos = 0;
    Line(ReadFileBytes(dir.File("old.pto")), 'i', &photos);
    EXPECT_EQ(photos, 1);
}

// Any convention wrong by as little as half a pixel (a lens shift of the wrong sign, the output
// grid's offset, the crop's rows), a sign of yaw, pitch or roll, a field of view across the wrong
// side, or an exposure of the wrong sign: every photo remapped by nona from the written PTO must
// match our own mapping of it to a tenth of a pixel and a level or two.
TEST(PtoWriter, TheToolsRemapEveryPhotoWhereWeDo)
{
    if (std::system("command -v nona >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "nona (hugin-tools) is not on PATH";
    struct Photo {
        int width, height;
        float yaw, pitch, roll, brightness;
    };
    const struct {
        const char* what;
        float focalLength;
        float crop[4];
        int width;
        std::vector<Photo> photos;
    } cases[] = {
        {"whole sphere", 20.0f, {3.14159265f, -3.14159265f, 1.57079633f, -1.57079633f}, 720,
         {{320, 240, 0.3f, 0.2f, 0.25f, 1.0f}, {320, 240, -1.2f, -0.4f, -0.5f, 1.25f}, {321, 239, 2.8f, 0.9f, 1.2f, 0.8f}}},
        {"off-centre crop, portrait photos", 28.0f, {1.2f, -0.6f, 0.9f, -0.3f}, 432,
         {{240, 320, 0.5f, 0.3f, -0.2f, 1.0f}, {240, 320, -0.3f, 0.1f, 0.4f, 1.2f}}},
    };
    ScratchDir dir;
    int run = 0;
    for (const auto& c : cases) {
        PanomerDoc doc(c.focalLength);
        std::memcpy(doc.fCrop, c.crop, sizeof doc.fCrop);
        const int width = c.width;
        const int height = CropFit::HeightForWidth(doc, width);
        for (const Photo& photo : c.photos) {
            const int i = doc.fNumPhotos++;
            const std::string path = dir.File("photo " + std::to_string(run) + "-" + std::to_string(i) + ".png");
            MakePattern(path, photo.width, photo.height);
            doc.fPhotoPath[i] = path.c_str();
            doc.fYaw[i] = photo.yaw;
            doc.fPitch[i] = photo.pitch;
            doc.fRoll[i] = photo.roll;
            doc.fBrightness[i] = photo.brightness;
            ASSERT_EQ(doc.UpdatePhoto(i, 0), QUOR_OK);
        }
        const std::string pto = dir.File("pano " + std::to_string(run) + ".pto");
        const std::string prefix = dir.File("remapped" + std::to_string(run++) + "-");
        std::string error;
        ASSERT_TRUE(PtoWriter::Write(doc, pto, width, height, false, &error)) << error;
        ASSERT_EQ(std::system(("cd / && nona -m PNG_m -o '" + prefix + "' '" + pto + "' >/dev/null 2>&1").c_str()), 0)
            << c.what;

        ProjectionMap map(doc.fProjectionType, width, height);
        CropFit::Fit(map, doc.fCrop);
        PanoramaSampler sampler;
        ASSERT_EQ(sampler.Setup(doc, map, PanoramaSampler::kRenderRamp), QUOR_OK);
        for (int i = 0; i < doc.fNumPhotos; i++) {
            const std::string number = std::string(i < 10 ? "000" : "00") + std::to_string(i);
            Quor_BaseImage theirs;
            LoadFile(prefix + number + ".png", &theirs);
            ASSERT_EQ(theirs.Width(), width) << c.what;
            ASSERT_EQ(theirs.Height(), height) << c.what;
            Quor_BaseImage ours;
            ASSERT_EQ(ours.Initialize(width, height, 32), QUOR_OK);
            for (int y = 0; y < height; y++)
                sampler.RenderLayerRow(i, y, ours.Image().Row32(y));
            // Where both cover a pixel and its neighbours: the difference, and the shift that
            // explains it best (least squares over the pattern's gradients).
            const auto level = [](const Quor_BaseImage& image, int x, int y, int channel) {
                const rgb_color p = PixelAt(image, x, y);
                return static_cast<double>(channel == 0 ? p.red : channel == 1 ? p.green : p.blue);
            };
            const auto covered = [&](int x, int y) {
                for (int dy = -2; dy <= 2; dy++)
                    for (int dx = -2; dx <= 2; dx++)
                        if (PixelAt(ours, x + dx, y + dy).alpha != 255 || PixelAt(theirs, x + dx, y + dy).alpha != 255)
                            return false;
                return true;
            };
            double sxx = 0, sxy = 0, syy = 0, sxd = 0, syd = 0, absolute = 0;
            int64_t count = 0;
            for (int y = 2; y < height - 2; y++) {
                for (int x = 2; x < width - 2; x++) {
                    if (!covered(x, y))
                        continue;
                    for (int ch = 0; ch < 3; ch++) {
                        const double gx = (level(ours, x + 1, y, ch) - level(ours, x - 1, y, ch)) / 2;
                        const double gy = (level(ours, x, y + 1, ch) - level(ours, x, y - 1, ch)) / 2;
                        const double d = level(theirs, x, y, ch) - level(ours, x, y, ch);
                        sxx += gx * gx;
                        sxy += gx * gy;
                        syy += gy * gy;
                        sxd += gx * d;
                        syd += gy * d;
                        absolute += std::fabs(d);
                        count++;
                    }
                }
            }
            ASSERT_GT(count, 3000) << c.what << ", photo " << i;
            const double det = sxx * syy - sxy * sxy;
            const double shiftX = (syy * sxd - sxy * syd) / det;
            const double shiftY = (sxx * syd - sxy * sxd) / det;
            const std::string seen = std::string(c.what) + ", photo " + std::to_string(i) + ": shift " +
                                     std::to_string(shiftX) + ", " + std::to_string(shiftY) + ", mean difference " +
                                     std::to_string(absolute / count);
            EXPECT_LT(std::fabs(shiftX), 0.1) << seen;
            EXPECT_LT(std::fabs(shiftY), 0.1) << seen;
            EXPECT_LT(absolute / count, 1.5) << seen;
        }
    }
}
