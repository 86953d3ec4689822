// The JPEG export dialog driven as a user drives it: the size fields keep the crop's proportions
// as they are typed, OK refuses and repairs what cannot be exported (including a width whose
// stored height would pass the limits), and only a valid size reaches the file dialog and the
// document.
#include <gtest/gtest.h>

#include <string>

#include "app/ui/RenderDialog.h"
#include "tests/app/ui/ExportTestSupport.h"

using namespace export_test;

namespace {

// 70 degrees of yaw and 35 of pitch either way, seen in perspective: 3.92 times wider than high.
constexpr Crop kWidePerspective{PanomerDoc::kPerspective, {1.2217305f, -1.2217305f, 0.6108652f, -0.6108652f}};
// Crops without extent, as a file may hold them.
constexpr Crop kNoExtent{PanomerDoc::kHorizontalSpherical, {1.0f, 1.0f, 0.5f, 0.5f}};
constexpr Crop kInverted{PanomerDoc::kHorizontalSpherical, {-1.0f, 1.0f, -0.5f, 0.5f}};

class RenderDialogTest : public ExportTest {
protected:
    static std::string Fields(const RenderDialog* d)
    {
        return std::string(d->WidthField()->Value()) + " x " + d->HeightField()->Value() + " q" +
               d->QualityField()->Value();
    }
};

}  // namespace

TEST_F(RenderDialogTest, SizeKeepsTheCropsProportionsAsTheUserTypes)
{
    // Catches a height taken from the angles instead of the projected crop (a perspective JPEG
    // would cut off the sides of what was cropped), a vertical spherical crop measured the wrong
    // way round, a field that does not follow the other, and a crop without extent that turns the
    // proportions into NaN.
    struct Case {
        const char* what;
        Crop crop;
        const char* typedWidth;   // typed into the width field, or null
        const char* typedHeight;  // typed into the height field after Tab, or null
        const char* shown;        // both fields afterwards
    };
    const Case cases[] = {
        {"2:1 sphere as opened", kFullSphere, nullptr, nullptr, "1024 x 512"},
        {"2:1 sphere, width typed", kFullSphere, "1000", nullptr, "1000 x 500"},
        {"2:1 sphere, height typed", kFullSphere, nullptr, "300", "600 x 300"},
        {"vertical spherical, width typed", kFullVertical, "1000", nullptr, "1000 x 2000"},
        {"perspective, width typed", kWidePerspective, "1000", nullptr, "1000 x 255"},
        {"crop without extent", kNoExtent, nullptr, nullptr, "1024 x 512"},
        {"inverted crop", kInverted, nullptr, nullptr, "1024 x 512"},
    };
    for (const Case& c : cases) {
        Use(c.crop);
        std::string shown;
        Script({
            [&] {
                RenderDialog* d = OpenDialog<RenderDialog>();
                if (d == nullptr)
                    return false;
                if (c.typedWidth != nullptr)
                    TypeInto(d->Window(), c.typedWidth);
                if (c.typedHeight != nullptr) {
                    KeyTo(d->Window(), kHostTab);
                    TypeInto(d->Window(), c.typedHeight);
                }
                return true;
            },
            [&] {
                RenderDialog* d = OpenDialog<RenderDialog>();
                shown = std::string(d->WidthField()->Value()) + " x " + d->HeightField()->Value();
                KeyTo(d->Window(), kHostEscape);
                return true;
            },
        });
        EXPECT_EQ((new RenderDialog(&fDoc, fMain))->DoModal(), QUOR_MSG_CANCEL) << c.what;
        EXPECT_EQ(shown, c.shown) << c.what;
        EXPECT_EQ(FileDialogStandIn::calls, 0) << c.what;
    }
}

TEST_F(RenderDialogTest, OkRefusesAndRepairsWhatCannotBeExported)
{
    // Catches sizes or qualities outside the limits let through, a refused field not repaired to
    // the nearer limit, proportions off by more than 0.1 accepted, a typed height stored instead
    // of the one that follows the width, and the two ways the 0.1 allowance alone lets a stored
    // height beyond 30000 through (which the encoder cannot write): a vertical spherical 2:1 crop
    // at 15500 x 30000, and a narrow strip at 3000 x 30000.
    struct Case {
        const char* what;
        Crop crop;
        int width, height, quality;
        bool accepted;
        const char* afterRefusal;  // the fields after the first OK, when refused
        bool secondOkAccepted;     // when refused: does OK on the repaired fields export
    };
    const Case cases[] = {
        {"2:1 as proposed", kFullSphere, 1024, 512, 95, true, "", false},
        {"within 0.1 of 2:1", kFullSphere, 1000, 480, 90, true, "", false},
        {"0.5 off 2:1", kFullSphere, 1000, 400, 90, false, "1000 x 500 q90", true},
        {"quality 10", kFullSphere, 2000, 1000, 10, true, "", false},
        {"quality 100", kFullSphere, 2000, 1000, 100, true, "", false},
        {"quality 9", kFullSphere, 2000, 1000, 9, false, "2000 x 1000 q10", true},
        {"quality 101", kFullSphere, 2000, 1000, 101, false, "2000 x 1000 q100", true},
        {"width 30001", kFullSphere, 30001, 15000, 90, false, "30000 x 15000 q90", true},
        {"16 x 16", kSquare, 16, 16, 90, true, "", false},
        {"30000 x 30000", kSquare, 30000, 30000, 90, true, "", false},
        {"15 x 15", kSquare, 15, 15, 90, false, "16 x 16 q90", true},
        {"vertical spherical 15500 x 30000", kFullVertical, 15500, 30000, 90, false, "15000 x 30000 q90", true},
        {"narrow strip 3000 x 30000", kNarrowStrip, 3000, 30000, 90, false, nullptr, true},
        {"crop without extent", kNoExtent, 1024, 512, 90, true, "", false},
    };
    const std::string output = fDir.File("out.jpg");
    for (const Case& c : cases) {
        Use(c.crop, 700);
        fDoc.fRenderPath = "";
        FileDialogStandIn::answer = output;
        FileDialogStandIn::calls = 0;
        int beeps = -1;
        int asked = -1;
        std::string afterRefusal;
        int repairedWidth = 0;
        Script({
            [&] {
                RenderDialog* d = OpenDialog<RenderDialog>();
                if (d == nullptr)
                    return false;
                d->WidthField()->SetValue(c.width);
                d->HeightField()->SetValue(c.height);
                d->QualityField()->SetValue(c.quality);
                beeps = fHost.BeepCount();
                ClickOn(d->OKButtonView());
                return true;
            },
            [&] {
                RenderDialog* d = OpenDialog<RenderDialog>();
                if (d == nullptr)
                    return true;
                beeps = fHost.BeepCount() - beeps;
                asked = FileDialogStandIn::calls;
                afterRefusal = Fields(d);
                repairedWidth = d->WidthField()->IntValue();
                if (c.secondOkAccepted)
                    ClickOn(d->OKButtonView());
                else
                    KeyTo(d->Window(), kHostEscape);
                return true;
            },
        });
        const int result = (new RenderDialog(&fDoc, fMain))->DoModal();
        if (c.accepted) {
            EXPECT_EQ(result, QUOR_MSG_OK) << c.what;
            EXPECT_EQ(FileDialogStandIn::calls, 1) << c.what;
            EXPECT_EQ(FileDialogStandIn::askedName, "Untitled.jpg");
            EXPECT_EQ(fDoc.fRenderWidth, c.width) << c.what;
            EXPECT_EQ(fDoc.fQuality, c.quality) << c.what;
            EXPECT_EQ(std::string(fDoc.fRenderPath), output) << c.what;
            continue;
        }
        EXPECT_EQ(beeps, 1) << c.what;
        EXPECT_EQ(asked, 0) << c.what << ": the file was asked for before the size was right";
        if (c.afterRefusal != nullptr) {
            EXPECT_EQ(afterRefusal, c.afterRefusal) << c.what;
        }
        EXPECT_EQ(result, c.secondOkAccepted ? QUOR_MSG_OK : QUOR_MSG_CANCEL) << c.what;
        if (c.secondOkAccepted) {
            EXPECT_EQ(fDoc.fRenderWidth, repairedWidth) << c.what;
        }
    }
}
