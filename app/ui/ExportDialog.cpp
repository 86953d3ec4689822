#include "app/ui/ExportDialog.h"

#include <new>
#include <string>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/RenderOutput.h"
#include "app/ui/OutputGuard.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/Quor_FileDialogHook.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_DynamicText.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
constexpr int kFieldWidth = 64;
constexpr int kMin = CropFit::kMinSize;
constexpr int kMax = CropFit::kMaxSize;
// The hint's last word on a refused OK; also its longest line, which sets the width the hint keeps.
constexpr char kChangedHint[] = "Changed to the nearest that fits.";

bool InRange(int value)
{
    return value >= kMin && value <= kMax;
}

}  // namespace

ExportDialog::ExportDialog(PanomerDoc* doc, Quor_Wnd* parent, const char* title, const char* fileKind,
                           const char* extensions, bool withQuality)
    : Quor_Dialog(title, parent),
      fDoc(doc),
      fType(doc->fProjectionType),
      fCrop{doc->fCrop[0], doc->fCrop[1], doc->fCrop[2], doc->fCrop[3]},
      fAspect(CropFit::Aspect(doc->fProjectionType, doc->fCrop)),
      fWidthField(nullptr),
      fHeightField(nullptr),
      fQualityField(nullptr),
      fOK(nullptr),
      fCancel(nullptr),
      fFileKind(fileKind),
      fExtensions(extensions),
      fHint{nullptr, nullptr},
      fWidthSeen(0),
      fHeightSeen(0),
      fQualitySeen(0),
      fEdited(Side::kWidth)
{
    auto* form = new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 8, Quor_Point(8, 8));
    if (form == nullptr)
        return;
    form->PushH2(QUOR_LAYOUT_NONE);
    form->PushV2(QUOR_LAYOUT_NONE);
    const char* labels[3] = {"Width", "Height", "JPEG Quality"};
    const int rows = withQuality ? 3 : 2;
    for (int i = 0; i < rows; i++) {
        if (auto* label = new (std::nothrow) Quor_StaticText(labels[i], QUOR_ALIGN_LEFT, kFixed))
            form->AddChild(label, QUOR_LAYOUT_NONE);
    }
    form->Pop();
    form->PushV2(QUOR_LAYOUT_NONE);
    fWidthField = new (std::nothrow) Quor_TextControl(kFieldWidth, "", kMsgWidthEdited, Quor_TextControl::kCount, kFixed);
    fHeightField = new (std::nothrow) Quor_TextControl(kFieldWidth, "", kMsgHeightEdited, Quor_TextControl::kCount, kFixed);
    if (withQuality)
        fQualityField =
            new (std::nothrow) Quor_TextControl(kFieldWidth, "", kMsgQualityEdited, Quor_TextControl::kCount, kFixed);
    // The other side follows at every key, so the pair shown always keeps the crop's proportions,
    // also when Return presses OK while a field still has the focus; the hint follows too.
    for (Quor_TextControl* field : {fWidthField, fHeightField, fQualityField}) {
        if (field != nullptr) {
            field->SetConstantMessages(true);
            form->AddChild(field, QUOR_LAYOUT_NONE);
        }
    }
    form->Pop();
    form->Pop();
    for (Quor_DynamicText*& line : fHint) {
        line = new (std::nothrow) Quor_DynamicText(kChangedHint, 0, QUOR_ALIGN_LEFT, kFixed);
        if (line != nullptr) {
            line->SetValue("");
            form->AddChild(line, QUOR_LAYOUT_NONE);
        }
    }

    form->PushH2(QUOR_LAYOUT_FAR);
    fOK = new (std::nothrow) Quor_Button("OK", QUOR_MSG_OK, 72, true, kFixed);
    fCancel = new (std::nothrow) Quor_Button("Cancel", QUOR_MSG_CANCEL, 72, false, kFixed);
    if (fOK != nullptr)
        form->AddChild(fOK, QUOR_LAYOUT_CENTER);
    if (fCancel != nullptr)
        form->AddChild(fCancel, QUOR_LAYOUT_CENTER);
    form->Pop();
    AddChild(form);

    SetKeyButtons(fOK, fCancel);
    SetFocusView(fWidthField);
}

int ExportDialog::StoredHeight(int width) const
{
    return CropFit::HeightForWidth(fType, fCrop, width);
}

void ExportDialog::ValidWidths(int* first, int* last) const
{
    // The stored height never falls as the width grows, so the widths whose height is valid form
    // one run of 16..30000, found by bisection.
    int low = kMin, high = kMax;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (StoredHeight(mid) >= kMin)
            high = mid;
        else
            low = mid + 1;
    }
    *first = StoredHeight(low) >= kMin ? low : kMax + 1;
    low = kMin;
    high = kMax;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (StoredHeight(mid) <= kMax)
            low = mid;
        else
            high = mid - 1;
    }
    *last = StoredHeight(low) <= kMax ? low : kMin - 1;
}

int ExportDialog::NearestValidWidth(int width) const
{
    int first, last;
    ValidWidths(&first, &last);
    if (first > last)
        return StoredHeight(kMin) > kMax ? kMin : kMax;
    return Quor_Clamp(width, first, last);
}

ExportDialog::Side ExportDialog::EditedSide() const
{
    if (fHeightField != nullptr && fHeightField->IsFocused())
        return Side::kHeight;
    if (fWidthField != nullptr && fWidthField->IsFocused())
        return Side::kWidth;
    return fEdited;
}

bool ExportDialog::Follow(Side side, bool force)
{
    if (fWidthField == nullptr || fHeightField == nullptr)
        return false;
    if (side == Side::kWidth) {
        const int width = fWidthField->IntValue();
        if (!force && width == fWidthSeen)
            return false;
        fHeightField->SetValue(StoredHeight(width));
    } else {
        const int height = fHeightField->IntValue();
        if (!force && height == fHeightSeen)
            return false;
        fWidthField->SetValue(CropFit::WidthForHeight(fType, fCrop, height));
    }
    fEdited = side;
    SeeFields();
    return true;
}

void ExportDialog::SeeFields()
{
    fWidthSeen = fWidthField != nullptr ? fWidthField->IntValue() : 0;
    fHeightSeen = fHeightField != nullptr ? fHeightField->IntValue() : 0;
    fQualitySeen = fQualityField != nullptr ? fQualityField->IntValue() : 0;
}

void ExportDialog::Problems(std::string lines[2]) const
{
    lines[0].clear();
    lines[1].clear();
    if (fWidthField == nullptr || fHeightField == nullptr)
        return;
    const bool byHeight = EditedSide() == Side::kHeight;
    const int width = fWidthField->IntValue();
    const int edited = byHeight ? fHeightField->IntValue() : width;
    // What the export would store on the other side: the height follows the width.
    const int other = byHeight ? width : StoredHeight(width);
    const std::string editedName = byHeight ? "Height" : "Width";
    if (!InRange(edited)) {
        lines[0] = editedName + " must be 16 to 30000.";
    } else if (!InRange(other)) {
        lines[0] = std::string(byHeight ? "Width" : "Height") + " would be " + std::to_string(other) + ".";
        int first, last;
        ValidWidths(&first, &last);
        if (first > last)
            lines[1] = "No size fits this crop.";
        else if (byHeight)
            lines[1] = "Heights " + std::to_string(StoredHeight(first)) + " to " + std::to_string(StoredHeight(last)) +
                       " fit.";
        else
            lines[1] = "Widths " + std::to_string(first) + " to " + std::to_string(last) + " fit.";
    } else if (fQualityField != nullptr && (fQualityField->IntValue() < CropFit::kMinQuality ||
                                            fQualityField->IntValue() > CropFit::kMaxQuality)) {
        lines[0] = "Quality must be 10 to 100.";
    }
}

void ExportDialog::ShowHint(const std::string& first, const std::string& second)
{
    if (fHint[0] != nullptr)
        fHint[0]->SetValue(first.c_str());
    if (fHint[1] != nullptr)
        fHint[1]->SetValue(second.c_str());
}

void ExportDialog::UpdateHint()
{
    std::string lines[2];
    Problems(lines);
    ShowHint(lines[0], lines[1]);
}

std::string ExportDialog::Hint() const
{
    std::string text = fHint[0] != nullptr ? fHint[0]->Value().Buffer() : "";
    if (fHint[1] != nullptr && !fHint[1]->Value().IsEmpty())
        text += std::string("\n") + fHint[1]->Value().Buffer();
    return text;
}

bool ExportDialog::ValidateSize()
{
    if (fWidthField == nullptr || fHeightField == nullptr)
        return false;
    std::string problem[2];
    Problems(problem);
    const Side side = EditedSide();
    bool ok = ValidateInt(fWidthField, kMin, kMax);
    ok = ValidateInt(fHeightField, kMin, kMax) && ok;
    if (fQualityField != nullptr)
        ok = ValidateInt(fQualityField, CropFit::kMinQuality, CropFit::kMaxQuality) && ok;
    if (!CropFit::RatioMatches(fType, fCrop, fWidthField->IntValue(), fHeightField->IntValue())) {
        Follow(side, true);
        ok = false;
    }
    // The ratio test allows 0.1 either way, which for a very narrow or very wide crop is far more
    // than the limits allow: the height actually stored follows the width and must fit too.
    if (RepairWidth())
        ok = false;
    SeeFields();
    // A value the user typed is never changed without a word.
    if (!ok)
        ShowHint(problem[0].empty() ? std::string("The size did not keep the crop's proportions.") : problem[0],
                 kChangedHint);
    return ok;
}

bool ExportDialog::RepairWidth()
{
    if (fWidthField == nullptr || fHeightField == nullptr)
        return false;
    const int width = fWidthField->IntValue();
    const int stored = StoredHeight(width);
    if (CropFit::IsValidSize(width, stored))
        return false;
    const int nearest = NearestValidWidth(width);
    fWidthField->SetValue(nearest);
    fHeightField->SetValue(StoredHeight(nearest));
    return true;
}

void ExportDialog::LoadSize()
{
    fDoc->fRenderHeight = StoredHeight(fDoc->fRenderWidth);
    if (fWidthField != nullptr)
        fWidthField->SetValue(static_cast<int>(fDoc->fRenderWidth));
    if (fHeightField != nullptr)
        fHeightField->SetValue(static_cast<int>(fDoc->fRenderHeight));
    if (fQualityField != nullptr)
        fQualityField->SetValue(static_cast<int>(fDoc->fQuality));
    SeeFields();
    fEdited = Side::kWidth;
    UpdateHint();
    if (fWidthField != nullptr && fWidthField->Window() != nullptr)
        fWidthField->Focus(true);
}

void ExportDialog::StoreSize()
{
    if (fWidthField == nullptr || fHeightField == nullptr)
        return;
    fDoc->fRenderWidth = fWidthField->IntValue();
    fDoc->fRenderHeight = fHeightField->IntValue();
    if (fQualityField != nullptr)
        fDoc->fQuality = fQualityField->IntValue();
    fDoc->fRenderHeight = StoredHeight(fDoc->fRenderWidth);
}

void ExportDialog::UpdateData(bool save)
{
    if (save)
        StoreSize();
    else
        LoadSize();
}

std::string ExportDialog::ProposedPath() const
{
    const std::string extension = fExtensions.substr(0, fExtensions.find(';'));
    if (fDoc->fPath.IsEmpty())
        return "Untitled" + extension;
    return RenderOutput::BesideProject(fDoc->fPath.Buffer(), extension.c_str());
}

void ExportDialog::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case kMsgWidthEdited:
    case kMsgHeightEdited:
        if (Follow(message->what == kMsgWidthEdited ? Side::kWidth : Side::kHeight))
            UpdateHint();
        return;
    case kMsgQualityEdited:
        if (fQualityField != nullptr && fQualityField->IntValue() != fQualitySeen) {
            SeeFields();
            UpdateHint();
        }
        return;
    case QUOR_MSG_OK: {
        Quor_String path;
        if (!message->Get("path", &path)) {
            // The OK button: the file is asked for only once the size is right. The dialog's
            // answer comes back here as OK with the path.
            if (!ValidateData()) {
                Quor_Beep(0);
                return;
            }
            const std::string proposed = ProposedPath();
            Quor_FileDialogRequest request;
            request.parent = Window();
            request.title = "Save As";
            request.defaultName = proposed.c_str();
            request.extensions = fExtensions.c_str();
            request.description = fFileKind.c_str();
            // Asked before "Replace?", which would otherwise be put about a file that is then
            // refused anyway.
            request.accept = [this](const char* chosen) {
                return !RefuseOutputOver(Quor_EventLoop::ModalWindow(), *fDoc, chosen, "panorama");
            };
            if (Quor_App::gApp == nullptr || Quor_App::gApp->SaveFileDialog(request, this, QUOR_MSG_OK) != QUOR_OK)
                Quor_Beep(0);
            return;
        }
        if (path.IsEmpty() || RefuseOutputOver(Window(), *fDoc, path, "panorama"))
            return;
        fDoc->fRenderPath = path.Buffer();
        break;
    }
    default:
        break;
    }
    Quor_Dialog::HandleMessage(message);
}
