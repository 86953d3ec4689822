#include "app/ui/PanomerPrefs.h"

#include <algorithm>
#include <cmath>

#include "toolkit/core/Quor_Message.h"

float gFocalLength = 35.0f;
bool gEnableFisheye = false;

float ClampFocalLength(float value, float fallback)
{
    if (std::isnan(value))
        return fallback;
    return std::clamp(value, kMinFocalLength, kMaxFocalLength);
}

void ReadPanomerPrefs(const Quor_Message* prefs)
{
    if (prefs == nullptr)
        return;
    float focal = 0.0f;
    // A setting damaged by hand or by another program must not make every new document
    // degenerate: an infinite or absurd value is kept in range, one that is no number ignored.
    if (prefs->Get("FocalLength", &focal) && std::isfinite(focal))
        gFocalLength = ClampFocalLength(focal, gFocalLength);
    bool fisheye = false;
    if (prefs->Get("Fisheye", &fisheye))
        gEnableFisheye = fisheye;
}

void WritePanomerPrefs(Quor_Message* prefs)
{
    if (prefs == nullptr)
        return;
    prefs->Set("FocalLength", gFocalLength);
    if (gEnableFisheye)
        prefs->Set("Fisheye", true);
}
