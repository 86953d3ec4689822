// An integer value kept inside a range, and where it stands in that range: the arithmetic scroll
// bars and sliders share. A range may span every int without the arithmetic overflowing.
#pragma once

#include <cstdint>

class Quor_ValueRange {
public:
    // The value starts at the minimum; a maximum below the minimum is raised to it.
    Quor_ValueRange(int minimum, int maximum);

    // A maximum below the minimum is raised to it; the value is clamped into the range.
    void SetRange(int minimum, int maximum);
    // Clamped into the range.
    void SetValue(int value);
    // Moves the value by `step` (either way), stopping at the ends of the range; false when that
    // leaves it where it was.
    bool Step(int64_t step);

    int Value() const { return fValue; }
    int Minimum() const { return fMin; }
    int Maximum() const { return fMax; }
    // Maximum less minimum.
    int64_t Span() const { return static_cast<int64_t>(fMax) - fMin; }

    // Where the value stands: 0 at the minimum, 1 at the maximum; 0 for a range of one value.
    double Fraction() const;
    // The value `offset` pixels into a track `length` pixels long that runs from the minimum to
    // the maximum, rounded and clamped into the range; the minimum for a track of no length.
    int ValueAt(int offset, int length) const;

private:
    int fMin;
    int fMax;
    int fValue;
};
