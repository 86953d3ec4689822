#include "toolkit/math/Quor_AdditiveRandom.h"

Quor_AdditiveRandom::Quor_AdditiveRandom(uint32_t seed)
{
    // The state starts from a Lehmer sequence (multiplier 16807, modulus 2^31 - 1, computed by
    // Schrage's method so nothing overflows); seed 0 behaves as seed 1.
    if (seed == 0)
        seed = 1;
    int32_t word = static_cast<int32_t>(seed);
    fState[0] = static_cast<uint32_t>(word);
    for (int i = 1; i < kDegree; i++) {
        int64_t hi = word / 127773;
        int64_t lo = word % 127773;
        int64_t next = 16807 * lo - 2836 * hi;
        if (next < 0)
            next += 2147483647;
        word = static_cast<int32_t>(next);
        fState[i] = static_cast<uint32_t>(word);
    }
    fFront = kSeparation;
    fRear = 0;
    // The first 310 outputs are discarded to stir the state.
    for (int i = 0; i < kDegree * 10; i++)
        Next();
}

int32_t Quor_AdditiveRandom::Next()
{
    fState[fFront] += fState[fRear];
    uint32_t value = fState[fFront] >> 1;
    if (++fFront >= kDegree)
        fFront = 0;
    if (++fRear >= kDegree)
        fRear = 0;
    return static_cast<int32_t>(value);
}
