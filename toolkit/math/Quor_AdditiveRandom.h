// A private additive-feedback generator that yields exactly the sequence of the C library's
// random() after srandom(seed) (glibc's default 31-word state), without touching that
// shared generator. The noise lattice uses it so that its values stay fixed from run to run.
#pragma once

#include <cstdint>

class Quor_AdditiveRandom {
public:
    explicit Quor_AdditiveRandom(uint32_t seed);

    // The next value in 0 .. 2^31 - 1.
    int32_t Next();

private:
    static constexpr int kDegree = 31;
    static constexpr int kSeparation = 3;
    uint32_t fState[kDegree];
    int fFront;
    int fRear;
};
