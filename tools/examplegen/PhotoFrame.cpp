#include "tools/examplegen/PhotoFrame.h"

#include <algorithm>
#include <cmath>

namespace {

// Right-handed turns about one axis, as 3 x 3 matrices m[row][column].
void TurnAboutX(double angle, double m[3][3])
{
    const double c = std::cos(angle), s = std::sin(angle);
    const double r[3][3] = {{1, 0, 0}, {0, c, -s}, {0, s, c}};
    std::copy(&r[0][0], &r[0][0] + 9, &m[0][0]);
}

void TurnAboutY(double angle, double m[3][3])
{
    const double c = std::cos(angle), s = std::sin(angle);
    const double r[3][3] = {{c, 0, s}, {0, 1, 0}, {-s, 0, c}};
    std::copy(&r[0][0], &r[0][0] + 9, &m[0][0]);
}

void TurnAboutZ(double angle, double m[3][3])
{
    const double c = std::cos(angle), s = std::sin(angle);
    const double r[3][3] = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}};
    std::copy(&r[0][0], &r[0][0] + 9, &m[0][0]);
}

void Multiply(const double a[3][3], const double b[3][3], double out[3][3])
{
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            out[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
}

}  // namespace

PhotoFrame::PhotoFrame(int width, int height, double focalLength, double yaw, double pitch,
                       double roll)
    : fWidth(width),
      fHeight(height),
      fDistance(CameraDistance(width, height, focalLength))
{
    // The photo's own frame is turned by the roll first, then the pitch, then the yaw:
    // axis = Y(yaw) * X(pitch) * Z(roll).
    double y[3][3], x[3][3], z[3][3], yx[3][3];
    TurnAboutY(yaw, y);
    TurnAboutX(pitch, x);
    TurnAboutZ(roll, z);
    Multiply(y, x, yx);
    Multiply(yx, z, fAxis);
}

double PhotoFrame::CameraDistance(int width, int height, double focalLength)
{
    return (std::min(width, height) * 0.5) / std::tan(std::atan2(12.0, focalLength));
}

SphereVector PhotoFrame::FromAngles(double yaw, double pitch)
{
    return {-std::sin(yaw) * std::cos(pitch), std::sin(pitch), -std::cos(yaw) * std::cos(pitch)};
}

void PhotoFrame::ToAngles(const SphereVector& v, double* yaw, double* pitch)
{
    *yaw = std::atan2(-v.x, -v.z);
    *pitch = std::atan2(v.y, std::hypot(v.x, v.z));
}

SphereVector PhotoFrame::Direction(double tx, double ty) const
{
    const double p[3] = {tx - fWidth * 0.5, -(ty - fHeight * 0.5), -fDistance};
    SphereVector v;
    v.x = fAxis[0][0] * p[0] + fAxis[0][1] * p[1] + fAxis[0][2] * p[2];
    v.y = fAxis[1][0] * p[0] + fAxis[1][1] * p[1] + fAxis[1][2] * p[2];
    v.z = fAxis[2][0] * p[0] + fAxis[2][1] * p[1] + fAxis[2][2] * p[2];
    return v;
}

bool PhotoFrame::Locate(const SphereVector& v, double* tx, double* ty) const
{
    // Into the photo's frame with the transposed rotation.
    const double px = fAxis[0][0] * v.x + fAxis[1][0] * v.y + fAxis[2][0] * v.z;
    const double py = fAxis[0][1] * v.x + fAxis[1][1] * v.y + fAxis[2][1] * v.z;
    const double pz = fAxis[0][2] * v.x + fAxis[1][2] * v.y + fAxis[2][2] * v.z;
    if (!(pz < 0.0))
        return false;
    const double s = fDistance / -pz;
    *tx = fWidth * 0.5 + s * px;
    *ty = fHeight * 0.5 - s * py;
    return std::isfinite(*tx) && std::isfinite(*ty);
}

bool PhotoFrame::Covers(const SphereVector& v, double* tx, double* ty) const
{
    return Locate(v, tx, ty) && *tx >= 0.0 && *tx < fWidth && *ty >= 0.0 && *ty < fHeight;
}
