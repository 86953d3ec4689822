// Tests of the example generator's own geometry and output: where each photo pixel looks, which way
// a roll turns a photo, the wrap at the yaw seam, the layouts, and the project and photo files it
// writes. The expected directions are worked out here in closed form from the camera model and
// the rotation order (roll about z, then pitch about x, then yaw about y, each right-handed).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <string>

#include "app/core/PanomerDoc.h"
#include "tests/support/TestFiles.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "tools/examplegen/ExampleProject.h"
#include "tools/examplegen/LayoutCoverage.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// The column and twice the row (as the coordinate sphere below encodes them) of a yaw and pitch.
double ColumnOf(double yaw)
{
    return 128.0 * (1.0 - yaw / kPi);
}
double GreenOf(double pitch)
{
    return 128.0 * (1.0 - pitch / (kPi / 2));
}

// Fault: a photo centred elsewhere than its yaw and pitch (a mirrored axis, a swapped sign, a roll
// that moves the centre, a half-pixel offset in the source position), rows read past the poles, a
// mirrored photo (right of the centre must look to smaller yaw, above it to larger pitch), a wrong
// camera distance, a roll with the wrong sign or order (a positive roll turns the photo
// counter-clockwise: the point 50 pixels right of the centre, (50, 0, -50), looks along
// (50 cos r, 50 sin r, -50)), or columns clamped instead of wrapped at the yaw seam.
TEST(PhotoCutGeometry, EveryPixelLooksWhereTheCameraModelSays)
{
    // A 256 x 128 sphere whose pixels name themselves: red is the column, green twice the row,
    // blue 77. A bilinear sample between neighbours therefore reads back the fractional position.
    Quor_BaseImage sphere;
    ASSERT_EQ(sphere.Initialize(256, 128, 32), 0);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 256; x++)
            sphere.Image().Row32(y)[x] = 77u << 24 | uint32_t(2 * y) << 16 | uint32_t(x) << 8 | 255u;
    const EquirectSource source(sphere.Image());
    // With F = 12 mm the shorter side spans 90 degrees: a 200 x 100 photo lies at d = 50.
    const auto centre = [](int column, int row, double roll) {
        return std::array<double, 7>{kPi * (1.0 - column / 128.0), (kPi / 2) * (1.0 - row / 64.0), Radians(roll), 0, 0,
                                     double(column), 2.0 * row};
    };
    const auto rolled = [](double degrees) {
        const double r = Radians(degrees), x = 50.0 * std::cos(r), y = 50.0 * std::sin(r);
        return std::array<double, 7>{0, 0, r, 50, 0, ColumnOf(std::atan2(-x, 50.0)),
                                     GreenOf(std::atan2(y, std::hypot(x, 50.0)))};
    };
    const double seam = 128.0 * std::atan(10.0 / 50.0) / kPi, straddle = 128.0 * std::atan(1.0 / 50.0) / kPi;
    // yaw, pitch, roll; the pixel's offset from the photo's centre; the expected red (NaN: not
    // checked) and green. Whole expected values must match exactly, others within a rounding.
    const std::array<double, 7> cases[] = {
        centre(64, 32, 0.0), centre(192, 32, 25.0), centre(32, 96, -40.0), centre(160, 80, 170.0), centre(100, 64, 90.0),
        {1.0, kPi / 2, 0.3, 0, 0, NAN, 0.0}, {1.0, -kPi / 2, 0.3, 0, 0, NAN, 254.0},
        {0, 0, 0, -90, 0, ColumnOf(std::atan(90.0 / 50.0)), 128}, {0, 0, 0, -20, 0, ColumnOf(std::atan(20.0 / 50.0)), 128},
        {0, 0, 0, 50, 0, ColumnOf(-std::atan(1.0)), 128}, {0, 0, 0, 90, 0, ColumnOf(-std::atan(90.0 / 50.0)), 128},
        {0, 0, 0, 0, -45, 128, GreenOf(std::atan(45.0 / 50.0))}, {0, 0, 0, 0, 25, 128, GreenOf(std::atan(-25.0 / 50.0))},
        rolled(30.0), rolled(-30.0), rolled(75.0),
        // A quarter turn puts the photo's top edge on the viewer's left: 40 pixels above the centre
        // looks along (-40, 0, -50), to a larger yaw.
        {0, 0, kPi / 2, 0, -40, ColumnOf(std::atan2(40.0, 50.0)), 128},
        // Across yaw pi: to the right just short of it (column 8.04), to the left round to the far
        // end of the picture, and one pixel left between column 255 (red 255) and column 0.
        {kPi, 0, 0, 10, 0, seam, 128}, {kPi, 0, 0, -10, 0, 256.0 - seam, 128}, {kPi, 0, 0, -1, 0, 255.0 * straddle, 128},
    };
    for (const auto& c : cases) {
        Quor_BaseImage photo;
        ASSERT_EQ(source.Cut(PhotoFrame(200, 100, 12.0, c[0], c[1], c[2]), &photo), 0);
        ASSERT_EQ(photo.Width(), 200);
        ASSERT_EQ(photo.Height(), 100);
        const uint32_t p = photo.Image().Row32(50 + int(c[4]))[100 + int(c[3])];
        SCOPED_TRACE(testing::Message() << "yaw " << c[0] << " pitch " << c[1] << " roll " << c[2] << " at "
                                        << c[3] << ", " << c[4]);
        if (!std::isnan(c[5])) {
            EXPECT_NEAR(double(p >> 8 & 255), c[5], c[5] == std::floor(c[5]) ? 0.0 : 0.51);
        }
        EXPECT_NEAR(double(p >> 16 & 255), c[6], c[6] == std::floor(c[6]) ? 0.0 : 1.01);
        EXPECT_EQ(p >> 24, 77u);
    }
    EXPECT_EQ(source.Sample(-kPi, 0.0) >> 8 & 255, 0u) << "yaw -pi wraps to column 0";
    // The shorter side spans the frame height also for a portrait photo.
    EXPECT_NEAR(PhotoFrame::CameraDistance(900, 1200, 35.0), 450.0 * 35.0 / 12.0, 1e-9);
}

// Fault: a mistyped angle or size taken as 0 or cut short instead of refused; a layout change
// that leaves holes in the bundled example, or photos that hardly overlap or nearly coincide,
// which the editor's alignment tools could not work with, or without the visible rolls that show
// a wrong roll.
TEST(ExampleLayoutTest, ParsesStrictlyAndTheEarthCoversTheSphereWithAThirdOverlap)
{
    ExampleShot shot;
    ASSERT_TRUE(ExampleLayout::ParseShot("-120.5,+30,7", &shot));
    EXPECT_DOUBLE_EQ(shot.yaw, -120.5);
    EXPECT_DOUBLE_EQ(shot.pitch, 30.0);
    EXPECT_DOUBLE_EQ(shot.roll, 7.0);
    for (const char* bad : {"", "1,2", "1,2,3,4", "a,2,3", "181,0,0", "0,91,0", "0,0,nan", "1 ,2,3"})
        EXPECT_FALSE(ExampleLayout::ParseShot(bad, &shot)) << bad;
    int w = 0, h = 0;
    ASSERT_TRUE(ExampleLayout::ParseSize("960x720", &w, &h));
    EXPECT_EQ(w, 960);
    EXPECT_EQ(h, 720);
    for (const char* bad : {"960", "0x10", "10x", "x10", "30001x2", "9x9x9", "-5x5"})
        EXPECT_FALSE(ExampleLayout::ParseSize(bad, &w, &h)) << bad;

    ExampleLayout layout;
    ASSERT_TRUE(ExampleLayout::BuiltIn("earth", &layout));
    EXPECT_TRUE(layout.Check().empty());
    EXPECT_GE(layout.shots.size(), 8u);
    EXPECT_LE(layout.shots.size(), 12u);
    const LayoutCoverage coverage = LayoutCoverage::Measure(layout);
    EXPECT_EQ(coverage.uncovered, 0.0);
    for (size_t i = 0; i < coverage.neighbourOverlap.size(); i++) {
        EXPECT_GT(coverage.neighbourOverlap[i], 0.25) << "photo " << i + 1;
        EXPECT_LT(coverage.neighbourOverlap[i], 0.45) << "photo " << i + 1;
    }
    int rolled = 0;
    for (const ExampleShot& s : layout.shots)
        rolled += std::fabs(s.roll) >= 5.0 ? 1 : 0;
    EXPECT_GE(rolled, 8);
}

// Fault: output that depends on anything but the source and the layout (uninitialised pixels,
// time stamps, the working folder), so regenerating the example churns the repository; a project
// placing a photo anywhere but where it was cut (angles rounded differently from the cut), or
// storing absolute photo paths, so the bundled example breaks when the repository is moved; a
// failed write reported as success, or a name that escapes the output folder or cannot be stored
// in a project file.
TEST(ExampleProjectTest, WritesTheSameBytesAMovableProjectAndRefusesWhatCannotBeWritten)
{
    Quor_ImageIo::InitImageLoader();
    ExampleLayout layout;
    layout.name = "tiny";
    layout.photoWidth = 64;
    layout.photoHeight = 48;
    layout.focalLength = 20.5;
    layout.shots = {{0.0, 0.0, 0.0}, {-179.9, 45.0, 33.3}, {77.7, -89.0, -120.0}};
    Quor_BaseImage earth;
    ASSERT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath("equirect/earth-1024.jpg").c_str(), &earth, 0), 0);
    const EquirectSource source(earth.Image());
    quor_test::ScratchDir scratch;
    ExampleOutput a, b;
    a.folder = scratch.File("a");
    b.folder = scratch.File("made/here");
    std::string error;
    for (PhotoFormat format : {PhotoFormat::kPng, PhotoFormat::kJpeg}) {
        a.format = b.format = format;
        ASSERT_EQ(ExampleProject::Write(source, layout, a, &error), 0) << error;
        ASSERT_EQ(ExampleProject::Write(source, layout, b, &error), 0) << error;
        for (size_t i = 0; i < layout.shots.size(); i++) {
            const std::string name = "/" + ExampleProject::PhotoFileName("tiny", i, format);
            const std::string bytes = quor_test::ReadFileBytes(a.folder + name);
            EXPECT_FALSE(bytes.empty()) << name;
            EXPECT_EQ(bytes, quor_test::ReadFileBytes(b.folder + name)) << name;
        }
        EXPECT_EQ(quor_test::ReadFileBytes(a.folder + "/tiny.qpm"), quor_test::ReadFileBytes(b.folder + "/tiny.qpm"));
    }
    const std::string text = quor_test::ReadFileBytes(b.folder + "/tiny.qpm");
    EXPECT_NE(text.find("\"tiny-03.jpg\""), std::string::npos) << text;
    EXPECT_EQ(text.find(scratch.Path()), std::string::npos) << "photo paths are stored relative:\n" << text;

    std::filesystem::rename(b.folder, scratch.File("moved"));
    PanomerDoc doc;
    doc.fPath = scratch.File("moved/tiny.qpm").c_str();
    ASSERT_TRUE(doc.Open());
    EXPECT_EQ(doc.fProjectionType, PanomerDoc::kHorizontalSpherical);
    EXPECT_FLOAT_EQ(doc.fFocalLength, 20.5f);
    EXPECT_FLOAT_EQ(doc.fCrop[0], float(kPi));
    EXPECT_FLOAT_EQ(doc.fCrop[3], float(-kPi / 2));
    ASSERT_EQ(doc.fNumPhotos, 3);
    for (int i = 0; i < 3; i++) {
        const ExampleShot& shot = layout.shots[size_t(i)];
        EXPECT_EQ(doc.fYaw[i], ExampleLayout::StoredRadians(shot.yaw)) << i;
        EXPECT_EQ(doc.fPitch[i], ExampleLayout::StoredRadians(shot.pitch)) << i;
        EXPECT_EQ(doc.fRoll[i], ExampleLayout::StoredRadians(shot.roll)) << i;
        EXPECT_NEAR(doc.fRoll[i], Radians(shot.roll), 1e-6) << i;
        EXPECT_EQ(doc.fBrightness[i], 1.0f);
        EXPECT_EQ(doc.UpdatePhoto(i, 0), 0) << "photo " << i << " not found after the move";
        EXPECT_EQ(doc.fPhotoImage[i].Width(), 64);
        EXPECT_EQ(doc.fPhotoImage[i].Height(), 48);
    }

    a.folder = scratch.File("refused");
    for (const char* name : {"../up", "a/b", "quote\"d", ".hidden", "sp ace"}) {
        a.name = name;
        EXPECT_EQ(ExampleProject::Write(source, layout, a, &error), -3) << name;
    }
    a.name.clear();
    Quor_BaseImage empty;
    EXPECT_EQ(ExampleProject::Write(EquirectSource(empty.Image()), layout, a, &error), -4);
    ASSERT_TRUE(quor_test::WriteFileBytes(scratch.File("blocked"), "x"));
    b.folder = scratch.File("blocked");
    EXPECT_EQ(ExampleProject::Write(source, layout, b, &error), -7);
    EXPECT_FALSE(error.empty());
    layout.shots.clear();
    EXPECT_EQ(ExampleProject::Write(source, layout, a, &error), -3);
    EXPECT_FALSE(std::filesystem::exists(scratch.File("refused/tiny.qpm")));
}

}  // namespace
