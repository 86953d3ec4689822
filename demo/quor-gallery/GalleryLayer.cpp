#include "demo/quor-gallery/GalleryLayer.h"

#include <cstdio>
#include <new>

#include "demo/quor-gallery/GalleryButtonsPage.h"
#include "demo/quor-gallery/GalleryCodes.h"
#include "demo/quor-gallery/GalleryQuickDialog.h"
#include "demo/quor-gallery/GallerySizeDialog.h"
#include "demo/quor-gallery/GalleryTextPage.h"
#include "demo/quor-gallery/GalleryValuesPage.h"
#include "demo/quor-gallery/GalleryViewsPage.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_DynamicText.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_MenuBar.h"
#include "toolkit/widgets/Quor_TabView.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;
constexpr int kTabs = 4;
const char* const kTabNames[kTabs] = {"Buttons", "Values", "Text", "Views"};

Quor_MenuBar* BuildMenus()
{
    auto* bar = new Quor_MenuBar();
    auto* file = new Quor_Menu("File");
    file->AddItem("Open...", 'O', kGalleryOpen);
    file->AddItem("Save...", 'S', kGallerySave);
    file->AddItem("", 0, 0);
    file->AddItem("Output size...", 'D', kGalleryModal);
    file->AddItem("Floating palette", 0, kGalleryFloating);
    file->AddItem("", 0, 0);
    file->AddItem("Quit", 'Q', kGalleryQuit);
    bar->AddMenu(file);

    // No Ctrl shortcuts for the clipboard: the text fields keep Ctrl+X, C and V.
    auto* edit = new Quor_Menu("Edit");
    edit->AddItem("Undo", 'Z', kGalleryUndo);
    edit->AddItem("", 0, 0);
    edit->AddItem("Cut", 0, kGalleryCut);
    edit->AddItem("Copy", 0, kGalleryCopy);
    edit->AddItem("Paste", 0, kGalleryPaste);
    edit->AddItem("", 0, 0);
    auto* guides = new Quor_Menu("Guides");
    guides->AddItem("Snap to guides", 'G', kGallerySnap);
    guides->AddItem("Show the grid", 0, kGalleryGrid);
    edit->AddSubMenu("Guides", guides);
    bar->AddMenu(edit);

    auto* view = new Quor_Menu("View");
    for (int i = 0; i < kTabs; ++i)
        view->AddItem(kTabNames[i], static_cast<char>('1' + i), kGalleryTab0 + i);
    view->AddItem("", 0, 0);
    auto* zoom = new Quor_Menu("Zoom");
    zoom->AddItem("50%", 0, kGalleryZoom50);
    zoom->AddItem("100%", 0, kGalleryZoom100);
    zoom->AddItem("200%", 0, kGalleryZoom200);
    view->AddSubMenu("Zoom", zoom);
    bar->AddMenu(view);

    auto* help = new Quor_Menu("Help");
    help->AddItem("About the gallery", 0, kGalleryAbout);
    bar->AddMenu(help);
    return bar;
}

}  // namespace

GalleryLayer::GalleryLayer(Quor_Wnd* window)
    : Quor_Layer(QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP),
      fBar(BuildMenus()),
      fTabs(nullptr),
      fStatus(nullptr),
      fValues(nullptr),
      fSnap(true),
      fGrid(false),
      fZoom(kGalleryZoom100)
{
    AddMenuBar(fBar);
    auto* root = new Quor_LayoutView(Quor_LayoutView::kVertical, 6, Quor_Point(8, 8));
    fTabs = new Quor_TabView(kFixed);
    fValues = new GalleryValuesPage();
    fTabs->AddTab(kTabNames[0], new GalleryButtonsPage(window));
    fTabs->AddTab(kTabNames[1], fValues);
    fTabs->AddTab(kTabNames[2], new GalleryTextPage());
    fTabs->AddTab(kTabNames[3], new GalleryViewsPage());
    root->AddChild(fTabs, QUOR_LAYOUT_NONE);
    fStatus = new Quor_DynamicText("Every widget of the toolkit. Use the menus, Ctrl shortcuts or F10.", 0,
                                   QUOR_ALIGN_LEFT, kFixed);
    root->AddChild(fStatus, QUOR_LAYOUT_FILL);
    AddChild(root);
}

void GalleryLayer::InitBackground()
{
    if (Quor_Graphics* g = LayerGraphics()) {
        g->Clear(Quor_ColorOps::DialogBackground);
        g->EndDraw();
    }
    Quor_Layer::InitBackground();
}

void GalleryLayer::Report(const char* text)
{
    if (fStatus != nullptr)
        fStatus->SetValue(text);
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void GalleryLayer::ShowTab(int index)
{
    if (fTabs != nullptr)
        fTabs->ActivateTab(index);
}

void GalleryLayer::UpdateMenus()
{
    fBar->SetEnabled(kGalleryUndo, false);
    fBar->SetChecked(kGallerySnap, fSnap);
    fBar->SetChecked(kGalleryGrid, fGrid);
    for (int i = 0; i < kTabs; ++i)
        fBar->SetChecked(kGalleryTab0 + i, fTabs->ActiveTab() == i);
    for (int code = kGalleryZoom50; code <= kGalleryZoom200; ++code)
        fBar->SetChecked(code, code == fZoom);
}

void GalleryLayer::HandleMessage(Quor_Message* message)
{
    char text[512];
    const int what = message->what;
    Quor_App* app = Quor_App::gApp;
    switch (what) {
    case kGalleryOpen:
        if (app == nullptr || app->OpenFileDialog(Window(), "Open", this, kGalleryOpened, "All files", "*", nullptr) != 0)
            Report("No open dialog is available.");
        return;
    case kGallerySave:
        if (app == nullptr || app->SaveFileDialog(Window(), "Save", this, kGallerySaved, "Untitled.qpm", nullptr) != 0)
            Report("No save dialog is available.");
        return;
    case kGalleryOpened:
    case kGallerySaved: {
        const char* path = "";
        message->Get("path", &path);
        std::snprintf(text, sizeof text, "%s %s", what == kGalleryOpened ? "opened" : "saved", path);
        Report(text);
        return;
    }
    case kGalleryQuit:
        Report("quit");
        if (app != nullptr)
            app->Quit();
        return;
    case kGalleryModal:
        if (auto* dialog = new (std::nothrow) GallerySizeDialog(Window()))
            dialog->DoModal();
        return;
    case kGalleryFloating:
        if (auto* dialog = new (std::nothrow) GalleryQuickDialog(Window()))
            dialog->DoModeless();
        return;
    case kGalleryAbout:
        Report("Quor gallery: every widget of the toolkit, drawn by the toolkit.");
        return;
    case kGallerySnap:
        fSnap = !fSnap;
        Report(fSnap ? "snap on" : "snap off");
        return;
    case kGalleryGrid:
        fGrid = !fGrid;
        Report(fGrid ? "grid on" : "grid off");
        return;
    case kGalleryZoom50:
    case kGalleryZoom100:
    case kGalleryZoom200:
        fZoom = what;
        std::snprintf(text, sizeof text, "zoom %s", what == kGalleryZoom50 ? "50%" : what == kGalleryZoom100 ? "100%" : "200%");
        Report(text);
        return;
    case kGallerySlider:
        if (fValues != nullptr)
            fValues->SliderMoved();
        break;
    default:
        if (what >= kGalleryTab0 && what < kGalleryTab0 + kTabs) {
            ShowTab(what - kGalleryTab0);
            std::snprintf(text, sizeof text, "tab %s", kTabNames[what - kGalleryTab0]);
            Report(text);
            return;
        }
        break;
    }
    std::snprintf(text, sizeof text, "message %d", what);
    Report(text);
}

void GalleryLayer::PrintLayout()
{
    Quor_Wnd* window = Window();
    if (window == nullptr)
        return;
    std::printf("strip %d\n", window->MenuStripHeight());
    // Menus of the bar use the bold interface font: one row per line of it, from 2 pixels down.
    const Quor_Font* bold = Quor_App::gBoldFont;
    std::printf("menu-row %d\n", bold != nullptr ? bold->LineToLineHeight() : 0);
    for (int i = 0; i < fBar->CountMenus(); ++i) {
        const Quor_Rect r = fBar->MenuRect(i);
        std::printf("menu %d %s %d %d\n", i, fBar->Menu(i)->Title().Buffer(), r.left, r.right);
    }
    for (int i = 0; i < fTabs->CountTabs(); ++i) {
        Quor_Point at(fTabs->TabLeft(i), 0);
        fTabs->ViewToWnd(at);
        std::printf("tab %d %s %d %d %d %d\n", i, kTabNames[i], at.x, at.x + fTabs->TabWidth(i) - 1, at.y,
                    at.y + fTabs->StripHeight() - 1);
    }
    std::fflush(stdout);
}
