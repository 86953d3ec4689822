#include "toolkit/widgets/Quor_ValueRange.h"

#include <algorithm>

#include "toolkit/math/Quor_Round.h"

Quor_ValueRange::Quor_ValueRange(int minimum, int maximum)
    : fMin(minimum), fMax(std::max(minimum, maximum)), fValue(minimum)
{
}

void Quor_ValueRange::SetRange(int minimum, int maximum)
{
    fMin = minimum;
    fMax = std::max(minimum, maximum);
    fValue = Quor_Clamp(fValue, fMin, fMax);
}

void Quor_ValueRange::SetValue(int value)
{
    fValue = Quor_Clamp(value, fMin, fMax);
}

bool Quor_ValueRange::Step(int64_t step)
{
    // In 64 bits, so that a step past either end of a range reaching INT_MIN or INT_MAX stops there.
    const int64_t moved = std::clamp<int64_t>(static_cast<int64_t>(fValue) + step, fMin, fMax);
    if (moved == fValue)
        return false;
    fValue = static_cast<int>(moved);
    return true;
}

double Quor_ValueRange::Fraction() const
{
    if (fMax <= fMin)
        return 0.0;
    return (static_cast<double>(fValue) - fMin) / (static_cast<double>(fMax) - fMin);
}

int Quor_ValueRange::ValueAt(int offset, int length) const
{
    if (length <= 0)
        return fMin;
    const double f = static_cast<double>(offset) / length;
    return Quor_RoundClamp(fMin + f * (static_cast<double>(fMax) - fMin), fMin, fMax);
}
