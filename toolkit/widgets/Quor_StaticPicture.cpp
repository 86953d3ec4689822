#include "toolkit/widgets/Quor_StaticPicture.h"

#include <new>

#include "toolkit/core/Quor_Path.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/graphics/Quor_Graphics.h"
#include "toolkit/widgets/Quor_ToolTip.h"

Quor_StaticPicture::Quor_StaticPicture(const char* file, const char* toolTip, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fImage(nullptr),
      fToolTipText(toolTip != nullptr ? toolTip : ""),
      fToolTip(nullptr)
{
    if (file != nullptr && file[0] != '\0') {
        Quor_Path path = Quor_App::AppDir();
        path.Append(file);
        if (Quor_ImageIo::LoadImage(path, &fLoaded, 0) != QUOR_OK)
            fLoaded.Free();
    }
    if (fLoaded.IsValid())
        fImage = &fLoaded.Image();
    SetShape(fImage != nullptr ? fImage->width : 1, fImage != nullptr ? fImage->height : 1);
}

Quor_StaticPicture::Quor_StaticPicture(const Quor_image* image, const char* toolTip, unsigned int followFlags)
    : Quor_BaseWidget(true, followFlags),
      fImage(image != nullptr && image->bits != nullptr && image->width > 0 && image->height > 0 ? image : nullptr),
      fToolTipText(toolTip != nullptr ? toolTip : ""),
      fToolTip(nullptr)
{
    SetShape(fImage != nullptr ? fImage->width : 1, fImage != nullptr ? fImage->height : 1);
}

Quor_StaticPicture::~Quor_StaticPicture()
{
    delete fToolTip;
}

const Quor_image* Quor_StaticPicture::Picture() const
{
    return fImage;
}

void Quor_StaticPicture::OnMouseMove(Quor_Point where, unsigned int, Quor_Message*)
{
    Quor_Wnd* window = Window();
    if (fToolTipText.IsEmpty() || window == nullptr || !Bounds().Contains(where) || window->IsMouseDragging(0))
        return;
    if (fToolTip == nullptr) {
        fToolTip = new (std::nothrow) Quor_ToolTip();
        if (fToolTip == nullptr)
            return;
        fToolTip->SetShowDelay(0.0f);
    }
    Quor_Point at = where;
    ViewToWnd(at);
    fToolTip->Go(window, at, fToolTipText);
}

void Quor_StaticPicture::DetachedFromWindow()
{
    if (fToolTip != nullptr)
        fToolTip->RemoveMe();
    Quor_BaseWidget::DetachedFromWindow();
}

void Quor_StaticPicture::RedrawMe(Quor_Graphics* g)
{
    if (fImage != nullptr)
        g->BlitAlpha(fImage, 0, 0, false);
}
