#include "toolkit/imaging/Quor_ColorVector.h"

#include <cmath>

#include "toolkit/imaging/Quor_ColorOps.h"
#include "toolkit/math/Quor_Round.h"

float Quor_ColorVector::Mag() const
{
    return std::sqrt(SquaredMag());
}

void Quor_ColorVector::Normalize()
{
    r = Quor_Clamp(r, 0.0f, 1.0f);
    g = Quor_Clamp(g, 0.0f, 1.0f);
    b = Quor_Clamp(b, 0.0f, 1.0f);
    a = Quor_Clamp(a, 0.0f, 1.0f);
}

rgb_color Quor_ColorVector::AsColorStruct() const
{
    // Quor_RoundClamp turns NaN into 0 and never converts an out-of-range float.
    return rgb_color{uint8_t(Quor_RoundClamp(double(r) * 255.0, 0, 255)),
                     uint8_t(Quor_RoundClamp(double(g) * 255.0, 0, 255)),
                     uint8_t(Quor_RoundClamp(double(b) * 255.0, 0, 255)),
                     uint8_t(Quor_RoundClamp(double(a) * 255.0, 0, 255))};
}

uint32_t Quor_ColorVector::As32bitColor() const
{
    return Quor_ColorOps::PackColor32(AsColorStruct());
}

uint16_t Quor_ColorVector::As16bitColor() const
{
    return Quor_ColorOps::PackColor16(AsColorStruct());
}

uint16_t Quor_ColorVector::As15bitColor() const
{
    return Quor_ColorOps::PackColor15(AsColorStruct());
}

uint8_t Quor_ColorVector::As8bitColor() const
{
    return Quor_ColorOps::PackColor8(AsColorStruct());
}
