// What the two export dialogs share: the size fields that keep the crop's proportions, with a
// hint below them whenever the size cannot be exported, the size rules every export must meet,
// and the file chosen on OK, which may not be one of the panorama's own photos or the project.
#pragma once

#include <string>

#include "toolkit/widgets/Quor_Dialog.h"

class PanomerDoc;
class Quor_Button;
class Quor_DynamicText;
class Quor_TextControl;

class ExportDialog : public Quor_Dialog {
public:
    // Sent by the width, height and quality fields as they are edited.
    static constexpr int kMsgWidthEdited = 1200;
    static constexpr int kMsgHeightEdited = 1201;
    static constexpr int kMsgQualityEdited = 1202;

    // 1200 and 1201 make the other side follow the crop's proportions when the edited side has
    // changed (a field that only loses the focus changes nothing), and every edit brings the
    // hint up to date. OK from the button validates the fields and asks for the output file,
    // refusing one of the panorama's photos or the project before anything else; the file
    // dialog's answer (OK with a "path") stores the file and ends the dialog. Everything else
    // goes on up.
    void HandleMessage(Quor_Message* message) override;
    // false: the stored height follows the width, the fields show the document's size (and
    // quality), and the width field takes the focus. true: the fields go to the document, the
    // height once more following the width.
    void UpdateData(bool save) override;

    Quor_TextControl* WidthField() const { return fWidthField; }
    Quor_TextControl* HeightField() const { return fHeightField; }
    Quor_Button* OKButtonView() const { return fOK; }
    Quor_Button* CancelButtonView() const { return fCancel; }
    // The hint below the fields, its lines joined by a line feed ("" while the size is valid).
    std::string Hint() const;
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
    // title: the window's; extensions: those the output file may have (".jpg;.jpeg"), the first
    // one given to a name typed without any; withQuality: a third field for the JPEG quality.
    ExportDialog(PanomerDoc* doc, Quor_Wnd* parent, const char* title, const char* fileKind, const char* extensions,
                 bool withQuality);

    // The checks both dialogs make: each field within its limits (out-of-range values are
    // replaced by the nearer limit), the typed proportions within 0.1 of the crop's (otherwise
    // the side being edited makes the other follow it again), and the height that will be stored
    // within the limits (otherwise the width is repaired to the nearest width whose stored
    // height is, and the height field follows it). All checks run; whatever they changed, the
    // hint says.
    bool ValidateSize();
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
    enum class Side { kWidth, kHeight };

    // Makes the other side follow `side` when that field holds another value than the dialog
    // last saw there (always, when forced), and notes it as the side the user works on. True
    // when it did.
    bool Follow(Side side, bool force = false);
    // The side the user works on: the focused size field, else the one edited last.
    Side EditedSide() const;
    // The widths whose stored height lies within the limits: [*first, *last], empty when
    // *first > *last.
    void ValidWidths(int* first, int* last) const;
    // What keeps the fields from being exported, in at most two short lines; empty when nothing.
    void Problems(std::string lines[2]) const;
    void ShowHint(const std::string& first, const std::string& second);
    // The hint for the fields as they are.
    void UpdateHint();
    // Remembers the values the fields hold as seen.
    void SeeFields();
    // The name the file dialog proposes: the project's name with the export's extension, next to
    // the project, or "Untitled" with it for a project never saved.
    std::string ProposedPath() const;

    std::string fFileKind;
    std::string fExtensions;
    Quor_DynamicText* fHint[2];
    // The field values the dialog last set or followed: a message from a field whose value is
    // the same (it only lost the focus) leaves the other side as the user left it.
    int fWidthSeen;
    int fHeightSeen;
    int fQualitySeen;
    Side fEdited;
};
