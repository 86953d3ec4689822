#include "tools/examplegen/ExampleLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxSide = 30000;

bool ParseNumberRange(const char* begin, const char* end, double* out)
{
    // from_chars takes no leading "+"; allow it for hand-typed angles.
    if (begin < end && *begin == '+')
        begin++;
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(begin, end, value);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(value))
        return false;
    *out = value;
    return true;
}

// Six decimals, the precision of a project file's floats.
double ToSixDecimals(double value)
{
    return std::round(value * 1e6) / 1e6;
}

}  // namespace

ExampleLayout ExampleLayout::Earth()
{
    ExampleLayout layout;
    layout.name = "earth";
    // 960 x 720 at 15 mm spans 94 x 77 degrees and enlarges the 2048-wide source about 1.4 times
    // at the photo's centre, which keeps the photos sharp.
    layout.photoWidth = 960;
    layout.photoHeight = 720;
    layout.focalLength = 15.0;
    // A ring of six landscape photos round the horizon, 60 degrees apart, so neighbours share about
    // a third; three photos tilted up over the north pole and three tilted down over the south
    // pole, each cap turned against the ring. Every photo has a roll of its own, so a photo turned
    // the wrong way shows as a broken coastline.
    layout.shots = {
        {0.0, 2.0, 0.0},       {60.0, -3.0, 8.0},     {120.0, 4.0, -10.0},
        {180.0, -2.0, 5.0},    {-120.0, 3.0, -6.0},   {-60.0, -4.0, 12.0},
        {30.0, 58.0, 15.0},    {150.0, 60.0, -20.0},  {-90.0, 59.0, 10.0},
        {90.0, -58.0, -12.0},  {-150.0, -60.0, 18.0}, {-30.0, -59.0, -8.0},
    };
    return layout;
}

bool ExampleLayout::BuiltIn(const std::string& name, ExampleLayout* out)
{
    if (name == "earth") {
        *out = Earth();
        return true;
    }
    return false;
}

std::string ExampleLayout::BuiltInNames()
{
    return "earth";
}

bool ExampleLayout::ParseNumber(const char* text, double* out)
{
    if (text == nullptr)
        return false;
    return ParseNumberRange(text, text + std::strlen(text), out);
}

bool ExampleLayout::ParseShot(const char* text, ExampleShot* out)
{
    if (text == nullptr)
        return false;
    const char* end = text + std::strlen(text);
    const char* comma1 = std::find(text, end, ',');
    if (comma1 == end)
        return false;
    const char* comma2 = std::find(comma1 + 1, end, ',');
    if (comma2 == end)
        return false;
    ExampleShot shot;
    if (!ParseNumberRange(text, comma1, &shot.yaw) || !ParseNumberRange(comma1 + 1, comma2, &shot.pitch) ||
        !ParseNumberRange(comma2 + 1, end, &shot.roll))
        return false;
    if (shot.yaw < -180.0 || shot.yaw > 180.0 || shot.pitch < -90.0 || shot.pitch > 90.0)
        return false;
    *out = shot;
    return true;
}

bool ExampleLayout::ParseSize(const char* text, int* width, int* height)
{
    if (text == nullptr)
        return false;
    const char* end = text + std::strlen(text);
    const char* cross = std::find(text, end, 'x');
    if (cross == end)
        return false;
    int w = 0, h = 0;
    const std::from_chars_result rw = std::from_chars(text, cross, w);
    const std::from_chars_result rh = std::from_chars(cross + 1, end, h);
    if (rw.ec != std::errc() || rw.ptr != cross || rh.ec != std::errc() || rh.ptr != end)
        return false;
    if (w < 1 || w > kMaxSide || h < 1 || h > kMaxSide)
        return false;
    *width = w;
    *height = h;
    return true;
}

float ExampleLayout::StoredRadians(double degrees)
{
    return float(ToSixDecimals(degrees * kPi / 180.0));
}

float ExampleLayout::StoredFocalLength(double millimetres)
{
    return float(ToSixDecimals(millimetres));
}

std::string ExampleLayout::Check() const
{
    if (name.empty())
        return "the layout has no name";
    if (photoWidth < 1 || photoWidth > kMaxSide || photoHeight < 1 || photoHeight > kMaxSide)
        return "the photo size must be 1 to 30000 pixels per side";
    if (!(focalLength > 0.0) || !std::isfinite(focalLength))
        return "the focal length must be a positive number";
    if (shots.empty())
        return "the layout has no photos";
    if (shots.size() > 64)
        return "a project holds at most 64 photos";
    for (const ExampleShot& shot : shots) {
        if (!(shot.yaw >= -180.0 && shot.yaw <= 180.0) || !(shot.pitch >= -90.0 && shot.pitch <= 90.0) ||
            !std::isfinite(shot.roll))
            return "a photo's yaw must lie in -180..180 and its pitch in -90..90 degrees";
    }
    return std::string();
}
