#include "app/ui/ExportDialog.h"

#include <cstring>
#include <new>
#include <string>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/RenderOutput.h"
#include "app/ui/AlertWnd.h"
#include "toolkit/core/Quor_Beep.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_TextControl.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
constexpr int kFieldWidth = 64;

// The file name of a path, shown as it is (the interface's text is UTF-8).
std::string ShownName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

}  // namespace

ExportDialog::ExportDialog(PanomerDoc* doc, Quor_Wnd* parent, const char* title, const char* defaultName,
                           bool withQuality)
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
      fDefaultName(defaultName)
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
        fQualityField = new (std::nothrow) Quor_TextControl(kFieldWidth, "", 0, Quor_TextControl::kCount, kFixed);
    for (Quor_TextControl* field : {fWidthField, fHeightField, fQualityField}) {
        if (field != nullptr)
            form->AddChild(field, QUOR_LAYOUT_NONE);
    }
    // The other side follows at every key, so the pair shown always keeps the crop's proportions,
    // also when Return presses OK while a field still has the focus.
    if (fWidthField != nullptr)
        fWidthField->SetConstantMessages(true);
    if (fHeightField != nullptr)
        fHeightField->SetConstantMessages(true);
    form->Pop();
    form->Pop();

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

int ExportDialog::NearestValidWidth(int width) const
{
    constexpr int kMin = CropFit::kMinSize;
    constexpr int kMax = CropFit::kMaxSize;
    // The stored height never falls as the width grows, so the widths whose height is valid form
    // one run [first, last] of 16..30000, found by bisection.
    if (StoredHeight(kMin) > kMax)
        return kMin;
    if (StoredHeight(kMax) < kMin)
        return kMax;
    int low = kMin, high = kMax;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (StoredHeight(mid) >= kMin)
            high = mid;
        else
            low = mid + 1;
    }
    const int first = low;
    low = kMin;
    high = kMax;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (StoredHeight(mid) <= kMax)
            low = mid;
        else
            high = mid - 1;
    }
    const int last = low;
    if (first > last)
        return StoredHeight(first) > kMax ? kMin : kMax;
    return Quor_Clamp(width, first, last);
}

bool ExportDialog::ValidateSize(bool* repaired)
{
    if (repaired != nullptr)
        *repaired = false;
    if (fWidthField == nullptr || fHeightField == nullptr)
        return false;
    bool ok = ValidateInt(fWidthField, CropFit::kMinSize, CropFit::kMaxSize);
    ok = ValidateInt(fHeightField, CropFit::kMinSize, CropFit::kMaxSize) && ok;
    if (fQualityField != nullptr)
        ok = ValidateInt(fQualityField, CropFit::kMinQuality, CropFit::kMaxQuality) && ok;
    const int width = fWidthField->IntValue();
    if (!CropFit::RatioMatches(fType, fCrop, width, fHeightField->IntValue()))
        ok = false;
    // The ratio test allows 0.1 either way, which for a very narrow or very wide crop is far more
    // than the limits allow: the height actually stored follows the width and must fit too.
    if (RepairWidth()) {
        if (repaired != nullptr)
            *repaired = true;
        ok = false;
    }
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

Quor_Path ExportDialog::ProposedPath() const
{
    Quor_Path proposal = fDoc->fPath.Parent();
    if (proposal.IsEmpty() || !proposal.IsAbsolute())
        return Quor_Path(fDefaultName);
    proposal.Append(fDefaultName);
    return proposal;
}

bool ExportDialog::RefuseOutput(const char* path)
{
    const char* clash = nullptr;
    for (int i = 0; i < fDoc->fNumPhotos && i < kMaxPhotos && clash == nullptr; i++) {
        if (RenderOutput::SameFile(path, fDoc->fPhotoPath[i]))
            clash = "is one of the panorama's photos.";
    }
    if (clash == nullptr && RenderOutput::SameFile(path, fDoc->fPath))
        clash = "is the project itself.";
    if (clash == nullptr)
        return false;
    // Writing the panorama there would destroy that file before it is read.
    const std::string detail = "\"" + ShownName(path) + "\" " + clash;
    Quor_Alert(Window(), kAlertExclamation, "The panorama cannot be saved over that file.", detail.c_str(),
               "Please choose another name.", "OK");
    // The dialog stays for another name and takes the keyboard back from the alert.
    if (Window() != nullptr)
        Window()->SetFocus();
    return true;
}

void ExportDialog::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case kMsgWidthEdited:
        if (fWidthField != nullptr && fHeightField != nullptr)
            fHeightField->SetValue(StoredHeight(fWidthField->IntValue()));
        return;
    case kMsgHeightEdited:
        if (fWidthField != nullptr && fHeightField != nullptr)
            fWidthField->SetValue(CropFit::WidthForHeight(fType, fCrop, fHeightField->IntValue()));
        return;
    case QUOR_MSG_OK: {
        Quor_String path;
        if (!message->Get("path", &path)) {
            // The OK button: the file is asked for only once the size is right. The dialog's
            // answer comes back here as OK with the path.
            if (!ValidateData()) {
                Quor_Beep(0);
            } else if (Quor_App::gApp == nullptr ||
                       Quor_App::gApp->SaveFileDialog(Window(), "Save As", this, QUOR_MSG_OK,
                                                      ProposedPath().Buffer(), nullptr) != QUOR_OK) {
                Quor_Beep(0);
            }
            return;
        }
        if (path.IsEmpty() || RefuseOutput(path))
            return;
        fDoc->fRenderPath = path.Buffer();
        break;
    }
    default:
        break;
    }
    Quor_Dialog::HandleMessage(message);
}
