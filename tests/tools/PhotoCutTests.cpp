// Tests of the example generator's own geometry and output: where each photo pixel looks, which way
// a roll turns a photo, the wrap at the yaw seam, and the project and photo files it writes.
// The expected directions are worked out here in closed form from the camera model and the
// rotation order (roll about z, then pitch about x, then yaw about y, each right-handed).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/core/PanomerDoc.h"
#include "tests/support/TestFiles.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "tools/examplegen/EquirectSource.h"
#include "tools/examplegen/ExampleLayout.h"
#include "tools/examplegen/ExampleProject.h"
#include "tools/examplegen/LayoutCoverage.h"
#include "tools/examplegen/PhotoFrame.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

double Radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// A 256 x 128 sphere whose pixels name themselves: red is the column, green twice the row, blue 77.
// A bilinear sample between neighbours therefore reads back the fractional position.
class CoordinateSphere {
public:
    CoordinateSphere()
    {
        fImage.Initialize(256, 128, 32);
        for (int y = 0; y < 128; y++) {
            uint32_t* row = fImage.Image().Row32(y);
            for (int x = 0; x < 256; x++)
                row[x] = 77u << 24 | uint32_t(2 * y) << 16 | uint32_t(x) << 8 | 255u;
        }
    }
    EquirectSource Source() const { return EquirectSource(fImage.Image()); }

private:
    Quor_BaseImage fImage;
};

int Red(uint32_t p) { return int(p >> 8 & 255); }
int Green(uint32_t p) { return int(p >> 16 & 255); }
int Blue(uint32_t p) { return int(p >> 24 & 255); }

// The column and row (as the coordinate sphere encodes them) of a yaw and pitch.
double ColumnOf(double yaw) { return 128.0 * (1.0 - yaw / kPi); }
double RowOf(double pitch) { return 64.0 * (1.0 - pitch / (kPi / 2)); }

uint32_t PhotoPixel(const Quor_BaseImage& photo, int x, int y)
{
    return photo.Image().Row32(y)[x];
}

// With F = 12 mm the shorter side spans 90 degrees: a 200 x 100 photo lies at d = 50.
constexpr int kWidth = 200;
constexpr int kHeight = 100;
constexpr double kFocal = 12.0;

TEST(PhotoCutGeometry, CentrePixelSamplesTheSourceAtThePhotosAngles)
{
    // Fault: a photo centred elsewhere than its yaw and pitch (a mirrored axis, a swapped sign, a
    // roll that moves the centre, a half-pixel offset in the source position).
    const CoordinateSphere sphere;
    const EquirectSource source = sphere.Source();
    struct Case {
        int column, row;
        double roll;
    } cases[] = {{64, 32, 0.0}, {192, 32, 25.0}, {32, 96, -40.0}, {160, 80, 170.0}, {100, 64, 90.0}};
    for (const Case& c : cases) {
        const double yaw = kPi * (1.0 - 2.0 * c.column / 256.0);
        const double pitch = (kPi / 2) * (1.0 - 2.0 * c.row / 128.0);
        Quor_BaseImage photo;
        ASSERT_EQ(source.Cut(PhotoFrame(kWidth, kHeight, kFocal, yaw, pitch, Radians(c.roll)), &photo), 0);
        ASSERT_EQ(photo.Width(), kWidth);
        ASSERT_EQ(photo.Height(), kHeight);
        const uint32_t centre = PhotoPixel(photo, kWidth / 2, kHeight / 2);
        EXPECT_EQ(Red(centre), c.column) << "column " << c.column << " row " << c.row;
        EXPECT_EQ(Green(centre), 2 * c.row) << "column " << c.column << " row " << c.row;
        EXPECT_EQ(Blue(centre), 77);
    }

    // Fault: rows read past the poles. Straight up is row 0; straight down stops at the last row.
    Quor_BaseImage photo;
    ASSERT_EQ(source.Cut(PhotoFrame(kWidth, kHeight, kFocal, 1.0, kPi / 2, 0.3), &photo), 0);
    EXPECT_EQ(Green(PhotoPixel(photo, kWidth / 2, kHeight / 2)), 0);
    ASSERT_EQ(source.Cut(PhotoFrame(kWidth, kHeight, kFocal, 1.0, -kPi / 2, 0.3), &photo), 0);
    EXPECT_EQ(Green(PhotoPixel(photo, kWidth / 2, kHeight / 2)), 254);
}

TEST(PhotoCutGeometry, PixelsAwayFromTheCentreLookWhereTheCameraModelSays)
{
    // Fault: a mirrored photo (right of the centre must look to smaller yaw, above it to larger
    // pitch) or a wrong camera distance (the photo's edges at the wrong angles; the shorter side,
    // portrait or landscape, spans the 24 mm frame height).
    EXPECT_NEAR(PhotoFrame::CameraDistance(900, 1200, 35.0), 450.0 * 35.0 / 12.0, 1e-9);
    const CoordinateSphere sphere;
    const EquirectSource source = sphere.Source();
    Quor_BaseImage photo;
    ASSERT_EQ(source.Cut(PhotoFrame(kWidth, kHeight, kFocal, 0.0, 0.0, 0.0), &photo), 0);
    for (int dx : {-90, -50, -20, 20, 50, 90}) {
        const double yaw = -std::atan(dx / 50.0);
        EXPECT_NEAR(Red(PhotoPixel(photo, kWidth / 2 + dx, kHeight / 2)), ColumnOf(yaw), 0.51) << "dx " << dx;
        EXPECT_EQ(Green(PhotoPixel(photo, kWidth / 2 + dx, kHeight / 2)), 128) << "dx " << dx;
    }
    for (int dy : {-45, -25, 25, 45}) {
        // Photo rows grow downward; pitch grows upward.
        const double pitch = std::atan(-dy / 50.0);
        EXPECT_NEAR(Green(PhotoPixel(photo, kWidth / 2, kHeight / 2 + dy)), 2.0 * RowOf(pitch), 1.01) << "dy " << dy;
        EXPECT_EQ(Red(PhotoPixel(photo, kWidth / 2, kHeight / 2 + dy)), 128) << "dy " << dy;
    }
}

TEST(PhotoCutGeometry, PositiveRollTurnsThePhotoCounterClockwise)
{
    // Fault: the roll applied with the wrong sign or in the wrong order. The panorama draws a photo
    // by turning its own frame by the roll about z, then the pitch about x, then the yaw about y,
    // right-handed: a positive roll turns the photo counter-clockwise as the viewer sees it, so the
    // point 50 pixels right of the centre, (50, 0, -50) in the photo's frame, looks along
    // (50 cos r, 50 sin r, -50): above the horizon for r > 0.
    const CoordinateSphere sphere;
    const EquirectSource source = sphere.Source();
    for (double rollDegrees : {30.0, -30.0, 75.0}) {
        const double r = Radians(rollDegrees);
        Quor_BaseImage photo;
        ASSERT_EQ(source.Cut(PhotoFrame(kWidth, kHeight, kFocal, 0.0, 0.0, r), &photo), 0);
        const double x = 50.0 * std::cos(r), y = 50.0 * std::sin(r), z = -50.0;
        const double yaw = std::atan2(-x, -z);
        const double pitch = std::atan2(y, std::hypot(x, z));
        const uint32_t right = PhotoPixel(photo, kWidth / 2 + 50, kHeight / 2);
        EXPECT_NEAR(Red(right), ColumnOf(yaw), 0.51) << "roll " << rollDegrees;
        EXPECT_NEAR(Green(right), 2.0 * RowOf(pitch), 1.01) << "roll " << rollDegrees;
        // The same point seen the plain way: above the horizon exactly when the roll is positive.
        EXPECT_EQ(Green(right) < 128, rollDegrees > 0.0) << "roll " << rollDegrees;
    }

    // A quarter turn puts the photo's top edge on the viewer's left: the point 40 pixels above the
    // centre, (0, 40, -50), looks along (-40, 0, -50), to the left, that is to a larger yaw.
    Quor_BaseImage photo;
    ASSERT_EQ(source.Cut(PhotoFrame(kWidth, kHeight, kFocal, 0.0, 0.0, kPi / 2), &photo), 0);
    const uint32_t top = PhotoPixel(photo, kWidth / 2, kHeight / 2 - 40);
    EXPECT_NEAR(Red(top), ColumnOf(std::atan2(40.0, 50.0)), 0.51);
    EXPECT_EQ(Green(top), 128);
}

TEST(PhotoCutGeometry, ColumnsWrapAtTheYawSeam)
{
    // Fault: columns clamped instead of wrapped, so a photo across yaw +-pi shows a smeared edge
    // column on one side.
    const CoordinateSphere sphere;
    const EquirectSource source = sphere.Source();
    Quor_BaseImage photo;
    ASSERT_EQ(source.Cut(PhotoFrame(kWidth, kHeight, kFocal, kPi, 0.0, 0.0), &photo), 0);
    // Ten pixels right of the centre looks just short of yaw pi (column 8.04); ten pixels left
    // looks past it, round to the far end of the picture (column 247.96).
    const double offset = 128.0 * std::atan(10.0 / 50.0) / kPi;
    EXPECT_NEAR(Red(PhotoPixel(photo, kWidth / 2 + 10, kHeight / 2)), offset, 0.51);
    EXPECT_NEAR(Red(PhotoPixel(photo, kWidth / 2 - 10, kHeight / 2)), 256.0 - offset, 0.51);
    // Straddling the seam itself: between column 255 (red 255) and column 0 (red 0).
    const double seam = 256.0 - 128.0 * std::atan(1.0 / 50.0) / kPi;
    EXPECT_NEAR(Red(PhotoPixel(photo, kWidth / 2 - 1, kHeight / 2)), 255.0 * (256.0 - seam), 0.51);

    // Every yaw in range maps onto the picture, including both ends.
    double column, row;
    source.Position(kPi, 0.0, &column, &row);
    EXPECT_DOUBLE_EQ(column, 0.0);
    source.Position(-kPi, kPi / 2, &column, &row);
    EXPECT_DOUBLE_EQ(column, 256.0);
    EXPECT_DOUBLE_EQ(row, 0.0);
    EXPECT_EQ(Red(source.Sample(-kPi, 0.0)), 0);
}

TEST(PhotoCutGeometry, LocateInvertsDirection)
{
    // Fault: the coverage used for layouts and for the round trip disagreeing with the cut
    // (Locate not the inverse of Direction).
    const PhotoFrame frame(640, 480, 17.0, 2.9, -0.6, -1.1);
    for (double tx : {0.0, 13.5, 320.0, 639.0}) {
        for (double ty : {0.0, 240.0, 479.5}) {
            double x, y;
            ASSERT_TRUE(frame.Locate(frame.Direction(tx, ty), &x, &y));
            EXPECT_NEAR(x, tx, 1e-9);
            EXPECT_NEAR(y, ty, 1e-9);
        }
    }
    // The opposite direction is behind the eye.
    const SphereVector ahead = frame.Direction(320.0, 240.0);
    double x, y;
    EXPECT_FALSE(frame.Locate({-ahead.x, -ahead.y, -ahead.z}, &x, &y));
    EXPECT_FALSE(frame.Covers(frame.Direction(640.0, 100.0), &x, &y));
}

TEST(ExampleLayoutTest, ParsesShotsAndSizesStrictly)
{
    // Fault: a mistyped angle or size taken as 0 or cut short instead of refused.
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
}

TEST(ExampleLayoutTest, BuiltInEarthCoversTheSphereWithAThirdOverlap)
{
    // Fault: a layout change that leaves holes in the bundled example or photos that hardly
    // overlap (or nearly coincide), which the editor's alignment tools could not work with.
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
    for (const ExampleShot& shot : layout.shots)
        rolled += std::fabs(shot.roll) >= 5.0 ? 1 : 0;
    EXPECT_GE(rolled, 8) << "most photos carry a visible roll, so a wrong roll shows";
}

class ExampleProjectTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Quor_ImageIo::InitImageLoader(); }

    static ExampleLayout SmallLayout()
    {
        ExampleLayout layout;
        layout.name = "tiny";
        layout.photoWidth = 64;
        layout.photoHeight = 48;
        layout.focalLength = 20.5;
        layout.shots = {{0.0, 0.0, 0.0}, {-179.9, 45.0, 33.3}, {77.7, -89.0, -120.0}};
        return layout;
    }
};

TEST_F(ExampleProjectTest, ProjectReadsBackWithTheCutAnglesAndBarePhotoNames)
{
    // Fault: the project placing a photo anywhere but where it was cut (angles rounded
    // differently from the cut), or storing absolute photo paths, so the bundled example breaks
    // when the repository is moved.
    Quor_BaseImage sourceImage;
    ASSERT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath("equirect/earth-1024.jpg").c_str(), &sourceImage, 0), 0);
    const ExampleLayout layout = SmallLayout();
    quor_test::ScratchDir scratch;
    ExampleOutput output;
    output.folder = scratch.Path() + "/made/here";
    std::string error;
    ASSERT_EQ(ExampleProject::Write(EquirectSource(sourceImage.Image()), layout, output, &error), 0) << error;

    const std::string text = quor_test::ReadFileBytes(output.folder + "/tiny.qpm");
    EXPECT_NE(text.find("\"tiny-01.jpg\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"tiny-03.jpg\""), std::string::npos) << text;
    EXPECT_EQ(text.find(scratch.Path()), std::string::npos) << "photo paths are stored relative:\n" << text;

    // Moved elsewhere, the project still finds its photos.
    const std::string moved = scratch.Path() + "/moved";
    std::filesystem::rename(output.folder, moved);
    PanomerDoc doc;
    doc.fPath = (moved + "/tiny.qpm").c_str();
    ASSERT_TRUE(doc.Open());
    EXPECT_EQ(doc.fProjectionType, PanomerDoc::kHorizontalSpherical);
    EXPECT_FLOAT_EQ(doc.fFocalLength, 20.5f);
    EXPECT_FLOAT_EQ(doc.fCrop[0], float(kPi));
    EXPECT_FLOAT_EQ(doc.fCrop[3], float(-kPi / 2));
    ASSERT_EQ(doc.fNumPhotos, 3);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(doc.fYaw[i], ExampleLayout::StoredRadians(layout.shots[size_t(i)].yaw)) << i;
        EXPECT_EQ(doc.fPitch[i], ExampleLayout::StoredRadians(layout.shots[size_t(i)].pitch)) << i;
        EXPECT_EQ(doc.fRoll[i], ExampleLayout::StoredRadians(layout.shots[size_t(i)].roll)) << i;
        EXPECT_NEAR(doc.fRoll[i], Radians(layout.shots[size_t(i)].roll), 1e-6) << i;
        EXPECT_EQ(doc.fBrightness[i], 1.0f);
        EXPECT_EQ(doc.UpdatePhoto(i, 0), 0) << "photo " << i << " not found after the move";
        EXPECT_EQ(doc.fPhotoImage[i].Width(), 64);
        EXPECT_EQ(doc.fPhotoImage[i].Height(), 48);
    }
}

TEST_F(ExampleProjectTest, SameInputGivesTheSameBytes)
{
    // Fault: output that depends on anything but the source and the layout (uninitialised
    // pixels, time stamps, the working folder), so regenerating the example churns the repository.
    Quor_BaseImage sourceImage;
    ASSERT_EQ(Quor_ImageIo::LoadImage(quor_test::DataPath("equirect/earth-1024.jpg").c_str(), &sourceImage, 0), 0);
    const EquirectSource source(sourceImage.Image());
    const ExampleLayout layout = SmallLayout();
    quor_test::ScratchDir first, second;
    for (PhotoFormat format : {PhotoFormat::kJpeg, PhotoFormat::kPng}) {
        ExampleOutput a, b;
        a.folder = first.Path();
        b.folder = second.Path();
        a.format = b.format = format;
        ASSERT_EQ(ExampleProject::Write(source, layout, a, nullptr), 0);
        ASSERT_EQ(ExampleProject::Write(source, layout, b, nullptr), 0);
        for (size_t i = 0; i < layout.shots.size(); i++) {
            const std::string name = ExampleProject::PhotoFileName("tiny", i, format);
            const std::string bytes = quor_test::ReadFileBytes(first.File(name));
            EXPECT_FALSE(bytes.empty()) << name;
            EXPECT_EQ(bytes, quor_test::ReadFileBytes(second.File(name))) << name;
        }
        EXPECT_EQ(quor_test::ReadFileBytes(first.File("tiny.qpm")), quor_test::ReadFileBytes(second.File("tiny.qpm")));
    }
}

TEST_F(ExampleProjectTest, RefusesWhatCannotBeWritten)
{
    // Fault: a failed write reported as success, or a name that escapes the output folder or
    // cannot be stored in a project file.
    Quor_BaseImage sourceImage;
    ASSERT_EQ(sourceImage.Initialize(64, 32, 32), 0);
    sourceImage.Clear(rgb_color{10, 20, 30, 255});
    const EquirectSource source(sourceImage.Image());
    quor_test::ScratchDir scratch;
    ExampleLayout layout = SmallLayout();
    ExampleOutput output;
    output.folder = scratch.Path();
    std::string error;
    for (const char* name : {"../up", "a/b", "quote\"d", ".hidden", "sp ace"}) {
        output.name = name;
        EXPECT_EQ(ExampleProject::Write(source, layout, output, &error), -3) << name;
    }
    output.name.clear();

    // A file where the folder should be.
    ASSERT_TRUE(quor_test::WriteFileBytes(scratch.File("blocked"), "x"));
    output.folder = scratch.File("blocked");
    EXPECT_EQ(ExampleProject::Write(source, layout, output, &error), -7);
    EXPECT_FALSE(error.empty());

    output.folder = scratch.Path();
    Quor_BaseImage empty;
    EXPECT_EQ(ExampleProject::Write(EquirectSource(empty.Image()), layout, output, &error), -4);
    layout.shots.clear();
    EXPECT_EQ(ExampleProject::Write(source, layout, output, &error), -3);
    EXPECT_FALSE(std::filesystem::exists(scratch.File("tiny.qpm")));
}

}  // namespace
