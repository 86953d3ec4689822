// The fixed-size polygon record the 2-D and 3-D rasterizers consume: up to eight vertices of
// eleven floats each (position, texture coordinates, colour, alpha and depth).
#pragma once

#include <cstdint>

constexpr int32_t QUOR_POLY_MAX_VERTICES = 8;
constexpr int32_t QUOR_POLY_VERTEX_FLOATS = 11;

struct Quor_poly {
    int32_t mode = 0;   // how the rasterizer fills the polygon
    int32_t count = 0;  // vertices in use
    float vertex[QUOR_POLY_MAX_VERTICES][QUOR_POLY_VERTEX_FLOATS] = {};

    // True when count lies within 0..8, so vertex[0 .. count-1] may be read.
    constexpr bool IsValid() const { return count >= 0 && count <= QUOR_POLY_MAX_VERTICES; }

    // The next free vertex, cleared, with count raised by one; null when the record is full
    // (or its count is out of range), so callers cannot write past the eighth vertex.
    float* AddVertex()
    {
        if (count < 0 || count >= QUOR_POLY_MAX_VERTICES)
            return nullptr;
        float* v = vertex[count++];
        for (int32_t i = 0; i < QUOR_POLY_VERTEX_FLOATS; i++)
            v[i] = 0.0f;
        return v;
    }
};
