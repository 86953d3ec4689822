// A picture on a form: an image file from the application's folder, or an image the program
// supplies, drawn with its transparency. Resting the pointer on it shows its tool tip at once.
#pragma once

#include "toolkit/core/Quor_String.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/widgets/Quor_BaseWidget.h"

class Quor_ToolTip;

class Quor_StaticPicture : public Quor_BaseWidget {
public:
    // Loads `file` from the application's folder; a file that does not load gives a 1 x 1
    // transparent picture.
    Quor_StaticPicture(const char* file, const char* toolTip, unsigned int followFlags);
    // Shows `image` (not owned; it must outlive the widget).
    Quor_StaticPicture(const Quor_image* image, const char* toolTip, unsigned int followFlags);
    ~Quor_StaticPicture() override;

    // The picture drawn, or null when there is none.
    const Quor_image* Picture() const;
    Quor_ToolTip* ToolTip() const { return fToolTip; }

    void OnMouseMove(Quor_Point where, unsigned int modifiers, Quor_Message* message) override;
    void DetachedFromWindow() override;
    void RedrawMe(Quor_Graphics* g) override;

private:
    Quor_BaseImage fLoaded;
    const Quor_image* fImage;
    Quor_String fToolTipText;
    Quor_ToolTip* fToolTip;
};
