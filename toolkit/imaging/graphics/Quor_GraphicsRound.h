// Where the graphics context turns float coordinates into pixels (internal): every conversion is
// limited to +-2^24 pixels first, so no value overflows an int and no walk runs for billions of steps.
#pragma once

#include <cmath>
#include <cstdint>

#include "toolkit/math/Quor_Round.h"

class Quor_GraphicsRound {
public:
    // Far beyond any target; coordinates are clamped to it before they become integers.
    static constexpr double kCoordLimit = 16777216.0;
    // Pens wider than this are drawn this wide.
    static constexpr int kMaxPenWidth = 1024;

    static double Limit(double v)
    {
        if (std::isnan(v))
            return 0.0;
        return v < -kCoordLimit ? -kCoordLimit : (v > kCoordLimit ? kCoordLimit : v);
    }
    // Rounded half away from zero.
    static int32_t Pixel(double v) { return Quor_RoundToInt(Limit(v)); }
    static int32_t Floor(double v) { return Quor_FloorToInt(Limit(v)); }
    static int32_t Ceil(double v) { return Quor_CeilToInt(Limit(v)); }
    // Cuts the segment to the box [l, r] x [t, b] in double precision (Liang-Barsky), keeping
    // its direction exactly; an end already inside stays bit for bit. False when nothing of the
    // segment lies in the box. Coordinates must be finite.
    static bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double l, double t,
                            double r, double b)
    {
        const double dx = x2 - x1, dy = y2 - y1;
        double t0 = 0.0, t1 = 1.0;
        auto edge = [&](double p, double q) {
            if (p == 0.0)
                return q >= 0.0;
            const double u = q / p;
            if (p < 0.0) {
                if (u > t1)
                    return false;
                if (u > t0)
                    t0 = u;
            } else {
                if (u < t0)
                    return false;
                if (u < t1)
                    t1 = u;
            }
            return true;
        };
        if (!edge(-dx, x1 - l) || !edge(dx, r - x1) || !edge(-dy, y1 - t) || !edge(dy, b - y1))
            return false;
        const double ox = x1, oy = y1;
        if (t1 < 1.0) {
            x2 = ox + t1 * dx;
            y2 = oy + t1 * dy;
        }
        if (t0 > 0.0) {
            x1 = ox + t0 * dx;
            y1 = oy + t0 * dy;
        }
        return true;
    }
};
