#include "app/ui/PhotoListView.h"

#include <algorithm>
#include <new>

#include "app/core/PanomerDoc.h"
#include "app/ui/AlertWnd.h"
#include "app/ui/canvas/CanvasCodes.h"
#include "app/ui/canvas/CanvasTools.h"
#include "app/ui/data/PanomerArt.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Cursor.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/widgets/Quor_ScrollBar.h"
#include "toolkit/widgets/Quor_ScrollingView.h"
#include "toolkit/widgets/Quor_WidgetLook.h"

namespace {

// The list grows with the window's height.
constexpr unsigned int kFollow = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP | QUOR_FOLLOW_BOTTOM;
// A thumbnail load may hold at most this much at once, so that a huge or forged image file
// dropped on the list is refused instead of filling the memory.
constexpr int64_t kThumbnailBudget = int64_t(1) << 30;

constexpr int kSize = PhotoListView::kThumbSize;

const char* const kHint[] = {"Step 1 - Drop your", "source photos here.", "(JPEG format only)"};

// The thumbnail of a loaded image: scaled into the square keeping its proportions, centred,
// framed. False when memory runs out.
bool MakeThumbnail(const Quor_BaseImage& image, Quor_BaseImage* thumb)
{
    if (thumb->Initialize(kSize, kSize, 32) != QUOR_OK)
        return false;
    Quor_Graphics g(&thumb->Image());
    g.BeginDraw();
    g.Clear(Quor_ColorOps::WidgetFill);
    const int w = image.Width();
    const int h = image.Height();
    // The shorter side shrinks with the longer one, never to nothing.
    auto side = [](double shorter, double longer) {
        return std::max(1, std::min(kSize, Quor_RoundToInt(shorter * kSize / longer)));
    };
    if (w <= h) {
        const int width = side(w, h);
        g.StretchBlit(&image.Image(), (kSize - width) * 0.5f, 0.0f, static_cast<float>(width), float(kSize), true);
    } else {
        const int height = side(h, w);
        g.StretchBlit(&image.Image(), 0.0f, (kSize - height) * 0.5f, float(kSize), static_cast<float>(height), true);
    }
    g.SetColor(Quor_ColorOps::WidgetOutline);
    g.FrameRect(Quor_Rect(0, 0, kSize - 1, kSize - 1));
    g.EndDraw();
    return true;
}

}  // namespace

PhotoListView::PhotoListView(Quor_ScrollingView* scroller)
    : Quor_View(kFollow), fScroller(scroller), fDragCursor(nullptr), fMouseDown(false), fCount(0), fSelection(-1),
      fPaths{}, fThumbs{}, fRotations{}
{
    SetShape(kWidth, kMinHeight);
    fDragCursor = new (std::nothrow) Quor_Cursor(&kcurs_move, 1, 1);
}

PhotoListView::~PhotoListView()
{
    if (Quor_Wnd* window = Window(); window != nullptr && window->Cursor() == fDragCursor)
        window->SetCursor(nullptr);
    delete fDragCursor;
    for (int i = 0; i < kMaxListPhotos; ++i)
        ClearEntry(i);
}

void PhotoListView::ClearEntry(int index)
{
    delete fPaths[index];
    delete fThumbs[index];
    fPaths[index] = nullptr;
    fThumbs[index] = nullptr;
    fRotations[index] = 0;
}

const Quor_Path* PhotoListView::PhotoPath(int index) const
{
    return index >= 0 && index < fCount ? fPaths[index] : nullptr;
}

const Quor_BaseImage* PhotoListView::Thumbnail(int index) const
{
    return index >= 0 && index < fCount ? fThumbs[index] : nullptr;
}

int PhotoListView::Rotation(int index) const
{
    return index >= 0 && index < fCount ? fRotations[index] : 0;
}

Quor_Rect PhotoListView::CellRect(int index)
{
    const int left = index % 2 == 0 ? kMargin : kMargin + kPitch;
    const int top = kMargin + kPitch * (index / 2);
    return Quor_Rect(left, top, left + kThumbSize - 1, top + kThumbSize - 1);
}

int PhotoListView::PickPhoto(Quor_Point where) const
{
    for (int i = 0; i < fCount; ++i) {
        if (CellRect(i).Contains(where))
            return i;
    }
    return -1;
}

void PhotoListView::HandleMessage(Quor_Message* message)
{
    Quor_View::HandleMessage(message);
}

void PhotoListView::OnFileDrop(const char* path, Quor_Point, unsigned int)
{
    if (path == nullptr || fCount >= kMaxListPhotos)
        return;
    Quor_Path file(path);
    if (file.Supertype() != "image")
        return;
    if (!PanomerDoc::IsStorablePath(path)) {
        // Dragged onto the canvas it would be saved into a project that could never be read.
        Quor_Alert(Window(), kAlertExclamation, CanvasTools::kQuoteAlert, path, nullptr, "OK");
        return;
    }
    Quor_BaseImage image;
    if (Quor_ImageIo::LoadImage(path, &image, kThumbSize, kThumbnailBudget) != QUOR_OK || !image.IsValid())
        return;
    auto* entryPath = new (std::nothrow) Quor_Path(file);
    auto* thumb = new (std::nothrow) Quor_BaseImage();
    if (entryPath == nullptr || thumb == nullptr || !MakeThumbnail(image, thumb)) {
        delete entryPath;
        delete thumb;
        return;
    }
    fPaths[fCount] = entryPath;
    fThumbs[fCount] = thumb;
    fRotations[fCount] = 0;
    ++fCount;
    UpdateViewSize();
    Update();
    Refresh();
    if (fCount == 1)
        SendMessage(kMsgFirstPhotoListed);
    SendMessage(kMsgUpdateTools);
}

void PhotoListView::Rotate(bool all)
{
    const int first = all ? 0 : fSelection;
    const int last = all ? fCount - 1 : fSelection;
    if (first < 0 || last >= fCount)
        return;
    for (int i = first; i <= last; ++i) {
        Quor_BaseImage* old = fThumbs[i];
        if (old == nullptr || !old->IsValid())
            continue;
        auto* turned = new (std::nothrow) Quor_BaseImage();
        if (turned == nullptr || turned->Initialize(old->Height(), old->Width(), 32) != QUOR_OK ||
            Quor_ImageOps::Rotate90(&old->Image(), &turned->Image()) != QUOR_OK) {
            delete turned;
            continue;
        }
        delete old;
        fThumbs[i] = turned;
        fRotations[i] += 90;
        if (fRotations[i] >= 360)
            fRotations[i] -= 360;
    }
    Update();
    Refresh();
}

void PhotoListView::Remove(bool all)
{
    if (all) {
        for (int i = 0; i < fCount; ++i)
            ClearEntry(i);
        fCount = 0;
    } else if (fSelection >= 0 && fSelection < fCount) {
        delete fPaths[fSelection];
        delete fThumbs[fSelection];
        for (int i = fSelection; i + 1 < fCount; ++i) {
            fPaths[i] = fPaths[i + 1];
            fThumbs[i] = fThumbs[i + 1];
            fRotations[i] = fRotations[i + 1];
        }
        --fCount;
        fPaths[fCount] = nullptr;
        fThumbs[fCount] = nullptr;
        fRotations[fCount] = 0;
    }
    fSelection = -1;
    UpdateViewSize();
    Changed();
}

bool PhotoListView::WantsKey(int key, unsigned int modifiers)
{
    return IsMoveKey(key, modifiers, true);
}

void PhotoListView::OnKeyDown(int key, unsigned int modifiers)
{
    if (!WantsKey(key, modifiers) || fCount == 0)
        return;
    // Two photos a row; a page is the rows the scroller shows.
    const int shownHeight = fScroller != nullptr ? fScroller->ScrollingBounds().Height() : Shape().y;
    const int page = 2 * std::max(1, shownHeight / kPitch);
    int next = fSelection;
    switch (key) {
    case QUOR_KEY_LEFT:
        next -= 1;
        break;
    case QUOR_KEY_RIGHT:
        next += 1;
        break;
    case QUOR_KEY_UP:
        next -= 2;
        break;
    case QUOR_KEY_DOWN:
        next += 2;
        break;
    case QUOR_KEY_PAGEUP:
        next -= page;
        break;
    case QUOR_KEY_PAGEDOWN:
        next += page;
        break;
    case QUOR_KEY_HOME:
        next = 0;
        break;
    default:
        next = fCount - 1;
        break;
    }
    // Without a selection any key starts at the first photo (End at the last).
    if (fSelection < 0 && key != QUOR_KEY_END)
        next = 0;
    next = std::clamp(next, 0, fCount - 1);
    if (next == fSelection)
        return;
    fSelection = next;
    if (fScroller != nullptr) {
        const Quor_Point at = fScroller->ScrollPosition();
        const int shown = fScroller->ScrollingBounds().Height();
        const Quor_Rect cell = CellRect(fSelection);
        if (cell.top - kMargin < at.y)
            fScroller->ScrollTo(at.x, cell.top - kMargin);
        else if (cell.bottom + kMargin > at.y + shown - 1)
            fScroller->ScrollTo(at.x, cell.bottom + kMargin - shown + 1);
    }
    Changed();
}

void PhotoListView::OnFocus(bool)
{
    Update();
    Refresh();
}

void PhotoListView::OnFocusRingShown(bool)
{
    Update();
    Refresh();
}

void PhotoListView::Changed()
{
    if (fScroller != nullptr)
        fScroller->Redraw(true);
    else
        Update();
    Refresh();
    SendMessage(kMsgUpdateTools);
}

void PhotoListView::UpdateViewSize()
{
    const int rows = (fCount + 1) / 2;
    const int wanted = kPitch * rows + kMargin;
    int minimum = kMinHeight;
    if (fScroller != nullptr)
        minimum = fScroller->Bounds().Height() - Quor_ScrollBar::Thickness() - kMargin;
    SetShape(kWidth, std::max(wanted, minimum));
    if (fScroller != nullptr)
        fScroller->UpdateScrollbars();
}

void PhotoListView::InitBackground()
{
    Update();
    Quor_View::InitBackground();
}

void PhotoListView::Update()
{
    if (Window() == nullptr)
        return;
    Quor_Graphics* g = ViewGraphics();
    if (g == nullptr)
        return;
    g->Clear(Quor_ColorOps::DialogBackground);
    if (fCount == 0) {
        g->SetColor(Quor_ColorOps::Black);
        g->SetFont(Quor_App::gBoldFont);
        const int step = Quor_App::gBoldFont != nullptr ? Quor_App::gBoldFont->LineToLineHeight() : 14;
        Quor_Rect band(0, 0, Shape().x - 1, 19);
        for (const char* line : kHint) {
            g->DrawString(line, band, QUOR_ALIGN_CENTER, QUOR_ALIGN_CENTER);
            band.OffsetBy(0, step);
        }
    }
    for (int i = 0; i < fCount; ++i) {
        const Quor_Rect cell = CellRect(i);
        if (fThumbs[i] != nullptr && fThumbs[i]->IsValid())
            g->Blit(&fThumbs[i]->Image(), static_cast<float>(cell.left), static_cast<float>(cell.top));
    }
    if (fSelection >= 0 && fSelection < fCount) {
        Quor_Rect cell = CellRect(fSelection);
        g->SetColor(Quor_ColorOps::Red);
        g->FrameRect(cell);
        Quor_Rect inner = cell;
        inner.InsetBy(1, 1);
        g->FrameRect(inner);
        cell.InsetBy(-1, -1);
        g->FrameRect(cell);
    }
    // The ring goes round the part of the list the scroller shows.
    Quor_Rect shown = Bounds();
    if (ShowsFocusRing() && ClipToLayer(shown)) {
        const Quor_Rect frame = LayerFrame();
        shown.OffsetBy(-frame.left, -frame.top);
        shown.InsetBy(1, 1);
        Quor_WidgetLook::DrawFocusRing(g, shown);
    }
    g->EndDraw();
}

void PhotoListView::OnMouseDown(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message)
{
    Quor_View::OnMouseDown(where, button, modifiers, message);
    fMouseDown = true;
    fSelection = PickPhoto(where);
    if (fSelection >= 0) {
        fDragMessage = Quor_Message(kMsgPhotoDrop);
        fDragMessage.Set("path", fPaths[fSelection]->Buffer());
        fDragMessage.Set("rotation", fRotations[fSelection]);
        if (Quor_Wnd* window = Window()) {
            window->BeginDrag(&fDragMessage);
            if (fDragCursor != nullptr)
                window->SetCursor(fDragCursor);
        }
    }
    Update();
    Refresh();
    SendMessage(kMsgUpdateTools);
}

void PhotoListView::OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message)
{
    Quor_View::OnMouseMove(where, modifiers, message);
}

void PhotoListView::OnMouseUp(Quor_Point where, unsigned int button, unsigned int modifiers, Quor_Message* message)
{
    Quor_View::OnMouseUp(where, button, modifiers, message);
    fMouseDown = false;
    // The view under the pointer shows its own cursor again at the next move.
    if (Quor_Wnd* window = Window(); window != nullptr && window->Cursor() == fDragCursor)
        window->SetCursor(nullptr);
}
