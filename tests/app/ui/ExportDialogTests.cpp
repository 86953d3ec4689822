// The two export dialogs driven as a user drives them: the size fields keep the crop's
// proportions as they are typed, OK refuses and repairs what cannot be exported (including a
// width whose stored height would pass the limits), and only a valid size reaches the file dialog
// and the document.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/ui/PSDDialog.h"
#include "app/ui/RenderDialog.h"
#include "tests/app/ui/ExportTestSupport.h"

using namespace export_test;

namespace {

// 70 degrees of yaw and 35 of pitch either way, seen in perspective: 3.92 times wider than high.
constexpr Crop kWidePerspective{PanomerDoc::kPerspective, {1.2217305f, -1.2217305f, 0.6108652f, -0.6108652f}};
// Crops without extent, as a file may hold them.
constexpr Crop kNoExtent{PanomerDoc::kHorizontalSpherical, {1.0f, 1.0f, 0.5f, 0.5f}};
constexpr Crop kInverted{PanomerDoc::kHorizontalSpherical, {-1.0f, 1.0f, -0.5f, 0.5f}};

class ExportDialogTest : public ExportTest {
protected:
    // Runs the dialog modally: `act` once it shows, then `after` if it is still open after that
    // (`after` must end it). Returns how the dialog ended.
    int Run(ExportDialog* dialog, std::function<void(ExportDialog*)> act, std::function<void(ExportDialog*)> after)
    {
        Script({
            [&] {
                ExportDialog* d = OpenDialog<ExportDialog>();
                if (d != nullptr)
                    act(d);
                return d != nullptr;
            },
            [&] {
                if (ExportDialog* d = OpenDialog<ExportDialog>())
                    after(d);
                return true;
            },
        });
        return dialog->DoModal();
    }
    static std::string Fields(const ExportDialog* d)
    {
        const auto* jpeg = dynamic_cast<const RenderDialog*>(d);
        return std::string(d->WidthField()->Value()) + " x " + d->HeightField()->Value() +
               (jpeg != nullptr ? std::string(" q") + jpeg->QualityField()->Value() : std::string());
    }
};

}  // namespace

TEST_F(ExportDialogTest, SizeKeepsTheCropsProportionsAsTheUserTypes)
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
        const char* shown;        // both fields afterwards, and the quality
    };
    const Case cases[] = {
        {"2:1 sphere as opened", kFullSphere, nullptr, nullptr, "1024 x 512 q90"},
        {"2:1 sphere, width typed", kFullSphere, "1000", nullptr, "1000 x 500 q90"},
        {"2:1 sphere, height typed", kFullSphere, nullptr, "300", "600 x 300 q90"},
        {"vertical spherical, width typed", kFullVertical, "1000", nullptr, "1000 x 2000 q90"},
        {"perspective, width typed", kWidePerspective, "1000", nullptr, "1000 x 255 q90"},
        {"crop without extent", kNoExtent, nullptr, nullptr, "1024 x 512 q90"},
        {"inverted crop", kInverted, nullptr, nullptr, "1024 x 512 q90"},
    };
    for (const Case& c : cases) {
        Use(c.crop);
        std::string shown;
        const int result = Run(
            new RenderDialog(&Doc(), Wnd()),
            [&](ExportDialog* d) {
                if (c.typedWidth != nullptr)
                    TypeInto(d->Window(), c.typedWidth);
                if (c.typedHeight != nullptr) {
                    KeyTo(d->Window(), kHostTab);
                    TypeInto(d->Window(), c.typedHeight);
                }
            },
            [&](ExportDialog* d) {
                shown = Fields(d);
                KeyTo(d->Window(), kHostEscape);
            });
        EXPECT_EQ(result, QUOR_MSG_CANCEL) << c.what;
        EXPECT_EQ(shown, c.shown) << c.what;
        EXPECT_TRUE(fDialogs.empty()) << c.what;
    }
}

TEST_F(ExportDialogTest, OkRefusesAndRepairsWhatCannotBeExported)
{
    // Catches sizes or qualities outside the limits let through, a refused field not repaired to
    // the nearer limit, proportions off by more than 0.1 accepted, a typed height stored instead
    // of the one that follows the width, a file asked for before the size is right, and the two
    // ways the 0.1 allowance alone lets a stored height beyond 30000 through (which the encoder
    // cannot write): a vertical spherical 2:1 crop at 15500 x 30000, and a narrow strip at 3000 x
    // 30000. The PSD dialog repairs from the field being edited, which keeps the focus (a repair
    // from the wrong field, or a height no width can give, 30000 on a 2:1 crop, would be refused
    // at every OK); the JPEG dialog hands the focus to the quality.
    struct Case {
        const char* what;
        bool psd;
        bool editHeight;  // the height field has the focus, else the width field
        Crop crop;
        int width, height, quality;
        bool accepted;
        const char* afterRefusal;  // the fields after the first OK, when refused; null: not checked
        bool secondOkAccepted;     // when refused: does OK on the repaired fields export
    };
    const Case cases[] = {
        {"2:1 as proposed", false, false, kFullSphere, 1024, 512, 95, true, "", false},
        {"within 0.1 of 2:1", false, false, kFullSphere, 1000, 480, 90, true, "", false},
        {"0.5 off 2:1", false, false, kFullSphere, 1000, 400, 90, false, "1000 x 500 q90", true},
        {"quality 10", false, false, kFullSphere, 2000, 1000, 10, true, "", false},
        {"quality 100", false, false, kFullSphere, 2000, 1000, 100, true, "", false},
        {"quality 9", false, false, kFullSphere, 2000, 1000, 9, false, "2000 x 1000 q10", true},
        {"quality 101", false, false, kFullSphere, 2000, 1000, 101, false, "2000 x 1000 q100", true},
        {"width 30001", false, false, kFullSphere, 30001, 15000, 90, false, "30000 x 15000 q90", true},
        {"16 x 16", false, false, kSquare, 16, 16, 90, true, "", false},
        {"30000 x 30000", false, false, kSquare, 30000, 30000, 90, true, "", false},
        {"15 x 15", false, false, kSquare, 15, 15, 90, false, "16 x 16 q90", true},
        {"vertical spherical 15500 x 30000", false, false, kFullVertical, 15500, 30000, 90, false, "15000 x 30000 q90",
         true},
        {"narrow strip 3000 x 30000", false, false, kNarrowStrip, 3000, 30000, 90, false, nullptr, true},
        {"crop without extent", false, false, kNoExtent, 1024, 512, 90, true, "", false},
        {"PSD width 30001 on 2:1", true, false, kFullSphere, 30001, 100, 90, false, "30000 x 15000", true},
        {"PSD height 30000 on 2:1", true, true, kFullSphere, 100, 30000, 90, false, "30000 x 15000", true},
        {"PSD height 20 on 2:1", true, true, kFullSphere, 1000, 20, 90, false, "40 x 20", true},
        {"PSD vertical spherical 15500 x 30000", true, false, kFullVertical, 15500, 30000, 90, false, "15000 x 30000",
         true},
        {"PSD narrow strip 3000 x 30000", true, false, kNarrowStrip, 3000, 30000, 90, false, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(c.crop, 700);
        Doc().fRenderPath = "";
        const std::string output = fDir.File(c.psd ? "out.psd" : "out.jpg");
        if (c.accepted || c.secondOkAccepted)
            Choose({output});
        fDialogs.clear();
        int beeps = -1, asked = -1, repairedWidth = 0;
        std::string afterRefusal;
        bool focusKept = false;
        ExportDialog* dialog = c.psd ? static_cast<ExportDialog*>(new PSDDialog(&Doc(), Wnd()))
                                     : static_cast<ExportDialog*>(new RenderDialog(&Doc(), Wnd()));
        const int result = Run(
            dialog,
            [&](ExportDialog* d) {
                (c.editHeight ? d->HeightField() : d->WidthField())->Focus(true);
                d->WidthField()->SetValue(c.width);
                d->HeightField()->SetValue(c.height);
                if (auto* jpeg = dynamic_cast<RenderDialog*>(d))
                    jpeg->QualityField()->SetValue(c.quality);
                beeps = fHost.BeepCount();
                ClickOn(d->OKButtonView());
            },
            [&](ExportDialog* d) {
                beeps = fHost.BeepCount() - beeps;
                asked = static_cast<int>(fDialogs.size());
                afterRefusal = Fields(d);
                repairedWidth = d->WidthField()->IntValue();
                auto* jpeg = dynamic_cast<RenderDialog*>(d);
                focusKept = (jpeg != nullptr ? jpeg->QualityField() : c.editHeight ? d->HeightField() : d->WidthField())
                                ->IsFocused();
                if (c.secondOkAccepted)
                    ClickOn(d->OKButtonView());
                else
                    KeyTo(d->Window(), kHostEscape);
            });
        if (c.accepted) {
            EXPECT_EQ(result, QUOR_MSG_OK);
            // The file is proposed next to the project.
            EXPECT_EQ(fDialogs, std::vector<std::string>{"save Save As " + std::string(Doc().fPath.Parent()) +
                                                         "/Untitled." + (c.psd ? "psd" : "jpg")});
            EXPECT_EQ(Doc().fRenderWidth, c.width);
            EXPECT_EQ(Doc().fQuality, c.quality);
            EXPECT_EQ(std::string(Doc().fRenderPath), output);
            continue;
        }
        EXPECT_EQ(beeps, 1);
        EXPECT_EQ(asked, 0) << "the file was asked for before the size was right";
        if (c.afterRefusal != nullptr) {
            EXPECT_EQ(afterRefusal, c.afterRefusal);
        }
        EXPECT_TRUE(focusKept);
        EXPECT_EQ(result, c.secondOkAccepted ? QUOR_MSG_OK : QUOR_MSG_CANCEL);
        if (c.secondOkAccepted) {
            EXPECT_EQ(Doc().fRenderWidth, repairedWidth);
            EXPECT_GE(Doc().fRenderHeight, 16);
            EXPECT_LE(Doc().fRenderHeight, 30000);
            EXPECT_EQ(std::string(Doc().fRenderPath), output);
        }
    }
}
