// What the two export dialogs share: the size fields that keep the crop's proportions, the size
// rules every export must meet, and the file chosen on OK, which may not be one of the
// panorama's own photos or the project itself.
#pragma once

#include "toolkit/core/Quor_Path.h"
#include "toolkit/widgets/Quor_Dialog.h"

class PanomerDoc;
class Quor_Button;
class Quor_TextControl;

class ExportDialog : public Quor_Dialog {
public:
    // Sent by the width and height fields as they are edited.
    static constexpr int kMsgWidthEdited = 1200;
    static constexpr int kMsgHeightEdited = 1201;

    // 1200 and 1201 make the other side follow the crop's proportions. OK from the button
    // validates the fields and asks for the output file; the file dialog's answer (OK with a
    // "path") stores the file and ends the dialog, unless the file is one of the panorama's
    // photos or the project itself, which is refused with an alert. Everything else goes on up.
    void HandleMessage(Quor_Message* message) override;
    // false: the stored height follows the width, the fields show the document's size (and
    // quality), and the width field takes the focus. true: the fields go to the document, the
    // height once more following the width.
    void UpdateData(bool save) override;

    Quor_TextControl* WidthField() const { return fWidthField; }
    Quor_TextControl* HeightField() const { return fHeightField; }
    Quor_Button* OKButtonView() const { return fOK; }
    Quor_Button* CancelButtonView() const { return fCancel; }
    // The crop's proportions as the dialog works with them (height / width for the vertical
    // spherical type), fixed when the dialog is made.
    float Aspect() const { return fAspect; }

    // The height stored for an export `width` wide: the crop's proportions decide it.
    int StoredHeight(int width) const;
    // The width nearest to `width` whose stored height, like the width itself, lies in
    // 16..30000. When no width has one (a crop far too narrow or too wide for the limits), the
    // limit on the side of the crop's proportions.
    int NearestValidWidth(int width) const;

protected:
    // title: the window's; defaultName: the name the file dialog proposes; withQuality: a third
    // field for the JPEG quality.
    ExportDialog(PanomerDoc* doc, Quor_Wnd* parent, const char* title, const char* defaultName, bool withQuality);

    // The checks both dialogs make: each field within its limits (out-of-range values are
    // replaced by the nearer limit), the typed proportions within 0.1 of the crop's, and the
    // height that will be stored within the limits (otherwise the width is repaired to the
    // nearest width whose stored height is, and the height field follows it). All checks run.
    // *repaired, when given, tells whether that last repair was made.
    bool ValidateSize(bool* repaired = nullptr);
    // When the width field holds a width outside the limits, or one whose stored height is,
    // replaces it by the nearest width that fits and makes the height field follow: true then.
    bool RepairWidth();
    // Fields from the document (the stored height follows the width first), or back.
    void LoadSize();
    void StoreSize();

    PanomerDoc* fDoc;
    int fType;
    float fCrop[4];
    float fAspect;
    Quor_TextControl* fWidthField;
    Quor_TextControl* fHeightField;
    Quor_TextControl* fQualityField;
    Quor_Button* fOK;
    Quor_Button* fCancel;

private:
    // True when `path` is a photo of the panorama or the project; the alert has been shown then.
    bool RefuseOutput(const char* path);
    // The name the file dialog proposes: the default name, in the project's folder once the
    // project has a file, so that the panorama is offered next to it.
    Quor_Path ProposedPath() const;

    const char* fDefaultName;
};
