#include "demo/quor-gallery/GalleryViewsPage.h"

#include "demo/quor-gallery/GalleryArt.h"
#include "demo/quor-gallery/GalleryCodes.h"
#include "toolkit/widgets/Quor_ScrollingView.h"
#include "toolkit/widgets/Quor_StaticPicture.h"
#include "toolkit/widgets/Quor_StaticText.h"
#include "toolkit/widgets/Quor_ToolBar.h"

namespace {

constexpr unsigned int kFixed = QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP;

}  // namespace

GalleryViewsPage::GalleryViewsPage() : Quor_LayoutView(kVertical, 10, Quor_Point(12, 12))
{
    GalleryArt& art = GalleryArt::Shared();
    AddChild(new Quor_StaticText("Tool bar: three radio buttons, a toggle and a push button (rest the pointer on one)",
                                 QUOR_ALIGN_LEFT, kFixed),
             QUOR_LAYOUT_NONE);
    auto* tools = new Quor_ToolBar(&art.toolStrips[GalleryArt::kNormal].Image(), &art.toolStrips[GalleryArt::kSet].Image(),
                                   &art.toolStrips[GalleryArt::kDisabled].Image(),
                                   &art.toolStrips[GalleryArt::kHover].Image(), kFixed);
    tools->SetButtonRange(GalleryArt::kShapes, 1);
    const char* const kTips[GalleryArt::kShapes] = {"Move photos", "Rotate photos", "Crop", "Show guides", "Centre"};
    const int kKinds[GalleryArt::kShapes] = {Quor_ToolBar::kRadio, Quor_ToolBar::kRadio, Quor_ToolBar::kRadio,
                                             Quor_ToolBar::kToggle, Quor_ToolBar::kPush};
    for (int i = 0; i < GalleryArt::kShapes; ++i)
        tools->SetButtonInfo(i, 0, kGalleryTool + i, kTips[i], kKinds[i]);
    tools->SetButton(kGalleryTool, true);
    tools->EnableButton(kGalleryTool + 2, false);
    AddChild(tools, QUOR_LAYOUT_NONE);

    AddChild(new Quor_StaticText("Scrolling view over a large picture (wheel, arrow keys, bars)", QUOR_ALIGN_LEFT, kFixed),
             QUOR_LAYOUT_NONE);
    auto* scroller = new Quor_ScrollingView(440, 240, kFixed);
    scroller->AddScrollingChild(new Quor_StaticPicture(&art.wideView.Image(), "", kFixed));
    scroller->EnableFocus(true);
    AddChild(scroller, QUOR_LAYOUT_NONE);
}
