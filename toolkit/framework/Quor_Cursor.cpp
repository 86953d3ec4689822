#include "toolkit/framework/Quor_Cursor.h"

#include <new>

#include "toolkit/framework/Quor_CursorImages.h"
#include "toolkit/framework/Quor_EventLoop.h"
#include "toolkit/framework/platform/Quor_Host.h"

Quor_Cursor* Quor_Cursor::waitCursor = nullptr;
Quor_Cursor* Quor_Cursor::iBeamCursor = nullptr;

Quor_Cursor::Quor_Cursor(const Quor_image* image, int hotX, int hotY) : fHotX(hotX), fHotY(hotY)
{
    if (image == nullptr || image->bits == nullptr || image->width < 16 || image->height < 16 ||
        image->pixelBits != 32 || image->rowBytes < 64)
        return;
    for (int y = 0; y < 16; ++y) {
        const uint8_t* row = image->Row(y);
        unsigned int data = 0;
        unsigned int mask = 0;
        for (int x = 0; x < 16; ++x) {
            const uint8_t* pixel = row + x * 4;
            if (pixel[0] != 0) {
                mask |= 1u << (15 - x);
                if (pixel[1] == 0 && pixel[2] == 0 && pixel[3] == 0)
                    data |= 1u << (15 - x);
            }
        }
        fData[y * 2] = static_cast<uint8_t>(data >> 8);
        fData[y * 2 + 1] = static_cast<uint8_t>(data);
        fMask[y * 2] = static_cast<uint8_t>(mask >> 8);
        fMask[y * 2 + 1] = static_cast<uint8_t>(mask);
    }
    fValid = true;
    if (Quor_Host* host = Quor_Host::Current())
        fHostCursor = host->CreateMonoCursor(fData, fMask, hotX, hotY);
}

Quor_Cursor::~Quor_Cursor()
{
    if (fHostCursor != 0) {
        Quor_EventLoop::ForgetHostCursor(fHostCursor);
        if (Quor_Host* host = Quor_Host::Current())
            host->FreeCursor(fHostCursor);
    }
}

void Quor_Cursor::InitStandardCursors()
{
    FreeStandardCursors();
    // The built-in pictures are stored already corrected, with complete records, so the
    // correction of older built-in data has nothing to do here.
    waitCursor = new (std::nothrow) Quor_Cursor(Quor_CursorImages::Wait(), 7, 7);
    iBeamCursor = new (std::nothrow) Quor_Cursor(Quor_CursorImages::IBeam(), 7, 7);
}

void Quor_Cursor::FreeStandardCursors()
{
    delete waitCursor;
    waitCursor = nullptr;
    delete iBeamCursor;
    iBeamCursor = nullptr;
}
