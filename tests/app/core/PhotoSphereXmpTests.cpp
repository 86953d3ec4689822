// Tests of the photo-sphere properties an equirectangular export carries: where the crop lies on
// the sphere and the view to open on, and that the file carries them where viewers look.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/core/CropFit.h"
#include "app/core/PhotoSphereXmp.h"
#include "tests/app/core/AppTestSupport.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;

}  // namespace

// A crop placed from the wrong edge (yaw grows to the left), a full size taken from the output
// instead of the angles, or a heading measured the wrong way round puts a partial panorama at the
// wrong place on the viewer's sphere or stretches it over the whole sphere; any projection but
// the horizontal spherical one must carry nothing.
TEST(PhotoSphereXmp, CropIsPlacedOnTheWholeSphere)
{
    const struct {
        const char* name;
        float crop[4];
        int width, height;
        PhotoSphereXmp::Placement expected;
    } cases[] = {
        {"whole sphere", {kPi, -kPi, kPi / 2, -kPi / 2}, 2000, 1000, {2000, 1000, 2000, 1000, 0, 0, 0, 0}},
        {"middle half", {kPi / 2, -kPi / 2, kPi / 4, -kPi / 4}, 1000, 500, {2000, 1000, 1000, 500, 500, 250, 0, 0}},
        {"east quarter, above the horizon", {0, -kPi / 2, kPi / 3, kPi / 12}, 900, 450,
         {3600, 1800, 900, 450, 1800, 300, 45, 37.5}},
        {"west, facing behind", {kPi, kPi / 2, kPi / 6, -kPi / 12}, 450, 225, {1800, 900, 450, 225, 0, 300, 225, 7.5}},
    };
    for (const auto& c : cases) {
        ProjectionMap map(ProjectionMap::kHorizontalSpherical, c.width, c.height);
        CropFit::Fit(map, c.crop);
        PhotoSphereXmp::Placement p;
        ASSERT_TRUE(PhotoSphereXmp::Place(map, &p)) << c.name;
        EXPECT_EQ(p.fullWidth, c.expected.fullWidth) << c.name;
        EXPECT_EQ(p.fullHeight, c.expected.fullHeight) << c.name;
        EXPECT_EQ(p.croppedWidth, c.width) << c.name;
        EXPECT_EQ(p.croppedHeight, c.height) << c.name;
        EXPECT_EQ(p.croppedLeft, c.expected.croppedLeft) << c.name;
        EXPECT_EQ(p.croppedTop, c.expected.croppedTop) << c.name;
        EXPECT_NEAR(p.headingDegrees, c.expected.headingDegrees, 0.01) << c.name;
        EXPECT_NEAR(p.pitchDegrees, c.expected.pitchDegrees, 0.01) << c.name;
    }
    for (int type : {ProjectionMap::kPerspective, ProjectionMap::kVerticalSpherical, ProjectionMap::kFisheye,
                     ProjectionMap::kFlat}) {
        ProjectionMap map(type, 800, 400);
        EXPECT_EQ(PhotoSphereXmp::Segment(map), "") << "type " << type;
    }
}

// Properties that never reach the file (a segment written after the rows, or under another
// marker) leave viewers showing a flat picture; the packet must be what an XMP reader takes.
TEST(PhotoSphereXmp, EquirectangularExportCarriesThePropertiesAndOthersDoNot)
{
    app_test::ThreePhotoScene scene;
    const std::string path = scene.doc.fRenderPath.Buffer();
    app_test::TestOwner owner(&scene.doc);
    for (int type : {ProjectionMap::kHorizontalSpherical, ProjectionMap::kPerspective}) {
        scene.doc.fProjectionType = type;
        PanomerDoc::DefaultCrop(type, scene.doc.fCrop);
        const RenderResult result = owner.RenderAndWait(RenderKind::kJpeg);
        ASSERT_EQ(result.status, RenderStatus::kDone) << result.Message();
        const std::string bytes = app_test::ReadFileBytes(path);
        // Right after the start of image and the JFIF segment.
        const size_t segment = bytes.find("\xFF\xE1");
        const size_t header = bytes.find(std::string("http://ns.adobe.com/xap/1.0/\0", 29));
        if (type != ProjectionMap::kHorizontalSpherical) {
            EXPECT_EQ(header, std::string::npos);
            continue;
        }
        ASSERT_NE(header, std::string::npos);
        EXPECT_EQ(header, segment + 4);
        EXPECT_LT(segment, bytes.find("\xFF\xDB"));  // before the quantization tables
        EXPECT_NE(bytes.find("<GPano:ProjectionType>equirectangular</GPano:ProjectionType>"), std::string::npos);
        EXPECT_NE(bytes.find("<GPano:FullPanoWidthPixels>320</GPano:FullPanoWidthPixels>"), std::string::npos);

        if (std::system("exiftool -ver >/dev/null 2>&1") != 0) {
            std::printf("exiftool is not installed: the file's properties are not read back\n");
            continue;
        }
        const std::string command = "exiftool -s -s -s -XMP-GPano:ProjectionType -XMP-GPano:FullPanoHeightPixels '" +
                                    path + "'";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string text;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
            text += buffer;
        pclose(pipe);
        EXPECT_EQ(text, "equirectangular\n160\n");
    }
}
