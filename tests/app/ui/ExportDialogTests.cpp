// The two export dialogs driven as a user drives them: the size fields keep the crop's
// proportions as they are typed without rewriting what was typed, a hint says what cannot be
// exported, OK refuses and repairs it (including a width whose stored height would pass the
// limits) and says so, and only a valid size reaches the file dialog and the document.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/ui/PSDDialog.h"
#include "app/ui/RenderDialog.h"
#include "tests/app/ui/ExportTestSupport.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

using namespace export_test;

namespace {

// 70 degrees of yaw and 35 of pitch either way, seen in perspective: 3.92 times wider than high.
constexpr Crop kWidePerspective{PanomerDoc::kPerspective, {1.2217305f, -1.2217305f, 0.6108652f, -0.6108652f}};
// Crops without extent, as a file may hold them.
constexpr Crop kNoExtent{PanomerDoc::kHorizontalSpherical, {1.0f, 1.0f, 0.5f, 0.5f}};
constexpr Crop kInverted{PanomerDoc::kHorizontalSpherical, {-1.0f, 1.0f, -0.5f, 0.5f}};
// 5.3 times wider than high: a height computed from 30000 gives 29998 back.
constexpr Crop kWide53{PanomerDoc::kHorizontalSpherical, {2.65f, -2.65f, 0.5f, -0.5f}};
constexpr char kChanged[] = "Changed to the nearest that fits.";

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

TEST_F(ExportDialogTest, TypedSizeKeepsTheProportionsAndAHintSaysWhatCannotBeExported)
{
    // Catches a height taken from the angles instead of the projected crop (a perspective JPEG
    // would cut off the sides of what was cropped), a vertical spherical crop measured the wrong
    // way round, a field that does not follow the other, a crop without extent that turns the
    // proportions into NaN, a typed width rewritten when the focus merely passes the other field
    // (30000, Tab, Tab: 29998), a size beyond the limits shown without a word until OK, and an OK
    // that then changes the size silently, or that does not go on once the size is valid.
    struct Case {
        const char* what;
        Crop crop;
        const char* typed;  // into the width field ("\t" moves on to the next field)
        const char* shown;  // the fields afterwards, and the quality
        const char* hint;
        const char* afterOk;  // the fields after a refused OK (the second OK exports); null: the first OK exports
    };
    const Case cases[] = {
        {"2:1 sphere as opened", kFullSphere, "", "1024 x 512 q90", "", nullptr},
        {"2:1 sphere, width typed", kFullSphere, "1000", "1000 x 500 q90", "", nullptr},
        {"2:1 sphere, height typed", kFullSphere, "\t300", "600 x 300 q90", "", nullptr},
        {"vertical spherical, width typed", kFullVertical, "1000", "1000 x 2000 q90", "", nullptr},
        {"perspective, width typed", kWidePerspective, "1000", "1000 x 255 q90", "", nullptr},
        {"crop without extent", kNoExtent, "", "1024 x 512 q90", "", nullptr},
        {"inverted crop", kInverted, "", "1024 x 512 q90", "", nullptr},
        {"typed width kept through Tab", kWide53, "30000\t\t", "30000 x 5660 q90", "", nullptr},
        {"height whose width passes the limit", kFullSphere, "\t20000", "40000 x 20000 q90",
         "Width would be 40000.\nHeights 16 to 15000 fit.", "30000 x 15000 q90"},
        {"width whose height passes the limit", kFullVertical, "16000", "16000 x 32000 q90",
         "Height would be 32000.\nWidths 16 to 15000 fit.", "15000 x 30000 q90"},
        {"width below the limit", kFullSphere, "5", "5 x 3 q90", "Width must be 16 to 30000.", "31 x 16 q90"},
        {"quality above the limit", kFullSphere, "\t\t101", "1024 x 512 q101", "Quality must be 10 to 100.",
         "1024 x 512 q100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(c.crop);
        Doc().fRenderPath = "";
        Choose({fDir.File("out.jpg")});
        fDialogs.clear();
        std::string shown, hint, afterOk, hintAfterOk;
        int askedAtRefusal = -1;
        Script({
            [&] {
                ExportDialog* d = OpenDialog<ExportDialog>();
                if (d != nullptr)
                    TypeInto(d->Window(), c.typed);
                return d != nullptr;
            },
            [&] {
                ExportDialog* d = OpenDialog<ExportDialog>();
                shown = Fields(d);
                hint = d->Hint();
                ClickOn(d->OKButtonView());
                return true;
            },
            // Only while the dialog is still open after the first OK.
            [&] {
                ExportDialog* d = OpenDialog<ExportDialog>();
                askedAtRefusal = static_cast<int>(fDialogs.size());
                afterOk = Fields(d);
                hintAfterOk = d->Hint();
                ClickOn(d->OKButtonView());
                return true;
            },
        });
        const int result = (new RenderDialog(&Doc(), Wnd()))->DoModal();
        EXPECT_EQ(result, QUOR_MSG_OK);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(hint, c.hint);
        EXPECT_EQ(fDialogs.size(), 1u);
        if (c.afterOk == nullptr) {
            EXPECT_EQ(askedAtRefusal, -1) << "a valid size did not go on to the file at the first OK";
        } else {
            EXPECT_EQ(askedAtRefusal, 0) << "the file was asked for before the size was right";
            EXPECT_EQ(afterOk, c.afterOk);
            EXPECT_EQ(hintAfterOk, std::string(c.hint).substr(0, std::string(c.hint).find('\n')) + "\n" + kChanged);
        }
        const std::string stored = std::to_string(Doc().fRenderWidth) + " x " + std::to_string(Doc().fRenderHeight) +
                                   " q" + std::to_string(Doc().fQuality);
        EXPECT_EQ(stored, c.afterOk != nullptr ? c.afterOk : c.shown);
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
        bool accepted;             // at the first OK; else OK on the repaired fields exports
        const char* afterRefusal;  // the fields after the first OK, when refused; null: not checked
    };
    const Case cases[] = {
        {"2:1 as proposed", false, false, kFullSphere, 1024, 512, 95, true, ""},
        {"within 0.1 of 2:1", false, false, kFullSphere, 1000, 480, 90, true, ""},
        {"0.5 off 2:1", false, false, kFullSphere, 1000, 400, 90, false, "1000 x 500 q90"},
        {"quality 10", false, false, kFullSphere, 2000, 1000, 10, true, ""},
        {"quality 100", false, false, kFullSphere, 2000, 1000, 100, true, ""},
        {"quality 9", false, false, kFullSphere, 2000, 1000, 9, false, "2000 x 1000 q10"},
        {"width 30001", false, false, kFullSphere, 30001, 15000, 90, false, "30000 x 15000 q90"},
        {"16 x 16", false, false, kSquare, 16, 16, 90, true, ""},
        {"30000 x 30000", false, false, kSquare, 30000, 30000, 90, true, ""},
        {"15 x 15", false, false, kSquare, 15, 15, 90, false, "16 x 16 q90"},
        {"vertical spherical 15500 x 30000", false, false, kFullVertical, 15500, 30000, 90, false, "15000 x 30000 q90"},
        {"narrow strip 3000 x 30000", false, false, kNarrowStrip, 3000, 30000, 90, false, nullptr},
        {"PSD width 30001 on 2:1", true, false, kFullSphere, 30001, 100, 90, false, "30000 x 15000"},
        {"PSD height 30000 on 2:1", true, true, kFullSphere, 100, 30000, 90, false, "30000 x 15000"},
        {"PSD height 20 on 2:1", true, true, kFullSphere, 1000, 20, 90, false, "40 x 20"},
        {"PSD vertical spherical 15500 x 30000", true, false, kFullVertical, 15500, 30000, 90, false, "15000 x 30000"},
        {"PSD narrow strip 3000 x 30000", true, false, kNarrowStrip, 3000, 30000, 90, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(c.crop, 700);
        Doc().fRenderPath = "";
        const std::string output = fDir.File(c.psd ? "out.psd" : "out.jpg");
        Choose({output});
        fDialogs.clear();
        int beeps = -1, asked = -1, repairedWidth = 0;
        std::string afterRefusal, hint;
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
                hint = d->Hint();
                repairedWidth = d->WidthField()->IntValue();
                auto* jpeg = dynamic_cast<RenderDialog*>(d);
                focusKept = (jpeg != nullptr ? jpeg->QualityField() : c.editHeight ? d->HeightField() : d->WidthField())
                                ->IsFocused();
                ClickOn(d->OKButtonView());
            });
        if (c.accepted) {
            EXPECT_EQ(result, QUOR_MSG_OK);
            // The file is proposed next to the project.
            EXPECT_EQ(fDialogs, std::vector<std::string>{"save Save As " + fDir.File(c.psd ? "pano.psd" : "pano.jpg")});
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
        EXPECT_NE(hint.find(kChanged), std::string::npos) << "a refused OK changed the fields without a word";
        EXPECT_TRUE(focusKept);
        EXPECT_EQ(result, QUOR_MSG_OK);
        EXPECT_EQ(Doc().fRenderWidth, repairedWidth);
        EXPECT_GE(Doc().fRenderHeight, 16);
        EXPECT_LE(Doc().fRenderHeight, 30000);
        EXPECT_EQ(std::string(Doc().fRenderPath), output);
    }
}

TEST_F(ExportDialogTest, TheKeyboardAloneOpensFillsAndAnswersTheDialog)
{
    // Catches a dialog field or button Tab does not reach or reaches out of the order they are
    // shown in, Tab not wrapping round to the first field, Space on a focused Cancel not
    // pressing it, and Return not exporting what was typed while a button has the keyboard.
    Doc().fRenderPath = "";
    Choose({fDir.File("keys.jpg")});
    std::vector<std::string> order;
    const auto focusName = [](RenderDialog* d) {
        const Quor_View* focus = d->FocusView();
        if (focus == d->WidthField())
            return "width";
        if (focus == d->HeightField())
            return "height";
        if (focus == d->QualityField())
            return "quality";
        if (focus == d->OKButtonView())
            return "ok";
        return focus == d->CancelButtonView() ? "cancel" : "other";
    };
    const auto dialog = [] { return OpenDialog<RenderDialog>(); };
    // A first run: Tab round the whole dialog, then back to Cancel, which Space presses.
    std::vector<std::function<bool()>> steps;
    steps.push_back([&] {
        RenderDialog* d = dialog();
        if (d != nullptr)
            KeyTo(d->Window(), '\t');
        return d != nullptr;
    });
    for (int i = 0; i < 5; ++i) {
        steps.push_back([&, i] {
            RenderDialog* d = dialog();
            order.push_back(focusName(d));
            if (i < 4)
                KeyTo(d->Window(), '\t');
            else
                fHost.PushKey(d->Window()->PlatformWindow(), '\t', QUOR_HOST_SHIFT);
            return true;
        });
    }
    steps.push_back([&] {
        KeyTo(dialog()->Window(), ' ');
        return true;
    });
    Script(steps);
    Key('j', QUOR_HOST_CTRL);
    EXPECT_EQ(order, (std::vector<std::string>{"height", "quality", "ok", "cancel", "width"}));
    EXPECT_EQ(dialog(), nullptr);
    EXPECT_TRUE(fDialogs.empty()) << "Space on Cancel went on to the file";

    // Then values typed into the fields in turn, and Return while OK has the keyboard.
    Script({
        [&] {
            RenderDialog* d = dialog();
            if (d == nullptr)
                return false;
            TypeInto(d->Window(), "48\t\t75\t");
            return true;
        },
        [&] {
            RenderDialog* d = dialog();
            EXPECT_STREQ(focusName(d), "ok");
            EXPECT_EQ(Fields(d), "48 x 48 q75");
            KeyTo(d->Window(), kHostReturn);
            return true;
        },
    });
    Key('j', QUOR_HOST_CTRL);
    EXPECT_EQ(fDialogs.size(), 1u);
    EXPECT_EQ(Doc().fRenderWidth, 48);
    EXPECT_EQ(Doc().fQuality, 75);
    Quor_BaseImage image;
    ASSERT_EQ(Quor_ImageIo::LoadImage(fDir.File("keys.jpg").c_str(), &image, 0), QUOR_OK);
    EXPECT_EQ(image.Width(), 48);
}
