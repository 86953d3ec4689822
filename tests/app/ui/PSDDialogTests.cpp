// The layered PSD export dialog: a refused size is repaired from the field being edited, so that
// the next OK exports, and no accepted size stores a height beyond the limits.
#include <gtest/gtest.h>

#include <string>

#include "app/ui/PSDDialog.h"
#include "tests/app/ui/ExportTestSupport.h"

using namespace export_test;

namespace {

class PSDDialogTest : public ExportTest {};

}  // namespace

TEST_F(PSDDialogTest, ARefusedSizeIsRepairedFromTheFieldBeingEdited)
{
    // Catches a refused size left as it was (the user presses OK for ever), a repair from the
    // wrong field, a field that loses the focus on refusal, a height no width can give (30000 on
    // a 2:1 crop) asked for again at every OK, and the 0.1 allowance letting a stored height past
    // 30000 (a vertical spherical 2:1 crop at 15500 x 30000, a narrow strip at 3000 x 30000).
    struct Case {
        const char* what;
        Crop crop;
        bool editHeight;  // the height field has the focus, else the width field
        int width, height;
        const char* afterRefusal;  // both fields after the first OK; null: only "refused"
    };
    const Case cases[] = {
        {"width 30001 on 2:1", kFullSphere, false, 30001, 100, "30000 x 15000"},
        {"height 30000 on 2:1", kFullSphere, true, 100, 30000, "30000 x 15000"},
        {"height 20 on 2:1", kFullSphere, true, 1000, 20, "40 x 20"},
        {"vertical spherical 15500 x 30000", kFullVertical, false, 15500, 30000, "15000 x 30000"},
        {"narrow strip 3000 x 30000", kNarrowStrip, false, 3000, 30000, nullptr},
    };
    for (const Case& c : cases) {
        Use(c.crop);
        FileDialogStandIn::answer = fDir.File("out.psd");
        FileDialogStandIn::calls = 0;
        std::string afterRefusal;
        bool keptFocus = false;
        int askedBeforeRepair = -1;
        Script({
            [&] {
                PSDDialog* d = OpenDialog<PSDDialog>();
                if (d == nullptr)
                    return false;
                Quor_TextControl* edited = c.editHeight ? d->HeightField() : d->WidthField();
                ClickOn(edited);
                return true;
            },
            [&] {
                PSDDialog* d = OpenDialog<PSDDialog>();
                d->WidthField()->SetValue(c.width);
                d->HeightField()->SetValue(c.height);
                ClickOn(d->OKButtonView());
                return true;
            },
            [&] {
                PSDDialog* d = OpenDialog<PSDDialog>();
                if (d == nullptr)
                    return true;
                askedBeforeRepair = FileDialogStandIn::calls;
                afterRefusal = std::string(d->WidthField()->Value()) + " x " + d->HeightField()->Value();
                keptFocus = (c.editHeight ? d->HeightField() : d->WidthField())->IsFocused();
                ClickOn(d->OKButtonView());
                return true;
            },
        });
        EXPECT_EQ((new PSDDialog(&fDoc, fMain))->DoModal(), QUOR_MSG_OK) << c.what << ": the repaired size was refused";
        EXPECT_EQ(askedBeforeRepair, 0) << c.what << ": the first OK was not refused";
        if (c.afterRefusal != nullptr) {
            EXPECT_EQ(afterRefusal, c.afterRefusal) << c.what;
        }
        EXPECT_TRUE(keptFocus) << c.what;
        EXPECT_GE(fDoc.fRenderHeight, 16) << c.what;
        EXPECT_LE(fDoc.fRenderHeight, 30000) << c.what;
        EXPECT_EQ(std::string(fDoc.fRenderPath), fDir.File("out.psd")) << c.what;
    }
}
