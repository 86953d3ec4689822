#include "app/core/PhotoSphereXmp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegrees = 180.0 / kPi;

int RoundedPixels(double value)
{
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0e9)));
}

void AddProperty(std::string* xmp, const char* name, const char* value)
{
    *xmp += "   <GPano:";
    *xmp += name;
    *xmp += ">";
    *xmp += value;
    *xmp += "</GPano:";
    *xmp += name;
    *xmp += ">\n";
}

void AddProperty(std::string* xmp, const char* name, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    AddProperty(xmp, name, text);
}

void AddDegrees(std::string* xmp, const char* name, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    AddProperty(xmp, name, text);
}

}  // namespace

bool PhotoSphereXmp::Place(const ProjectionMap& map, Placement* out)
{
    const int width = map.CanvasWidth();
    const int height = map.CanvasHeight();
    if (map.ProjectionType() != ProjectionMap::kHorizontalSpherical || width <= 0 || height <= 0)
        return false;
    // The angles at the output's outer edges: yaw falls from left to right, pitch from top down.
    const float edgeX = static_cast<float>(width) / static_cast<float>(height);
    float left, right, top, bottom, unused;
    map.PointToAngles(Quor_Vector2(-edgeX, 0.0f), left, unused);
    map.PointToAngles(Quor_Vector2(edgeX, 0.0f), right, unused);
    map.PointToAngles(Quor_Vector2(0.0f, 1.0f), unused, top);
    map.PointToAngles(Quor_Vector2(0.0f, -1.0f), unused, bottom);
    const double across = (double(left) - double(right)) / width;
    const double down = (double(top) - double(bottom)) / height;
    if (!(across > 0) || !(down > 0) || !std::isfinite(across) || !std::isfinite(down))
        return false;
    Placement p;
    p.croppedWidth = width;
    p.croppedHeight = height;
    p.fullWidth = std::max(width, RoundedPixels(2 * kPi / across));
    p.fullHeight = std::max(height, RoundedPixels(kPi / down));
    // The full panorama runs from heading -180 (yaw +pi) at its left edge, and from the zenith down.
    p.croppedLeft = std::min(RoundedPixels((kPi - left) / across), p.fullWidth - width);
    p.croppedTop = std::min(RoundedPixels((kPi / 2 - top) / down), p.fullHeight - height);
    const double heading = -(double(left) + double(right)) / 2 * kDegrees;
    p.headingDegrees = std::fmod(heading + 360.0, 360.0);
    if (p.headingDegrees >= 359.995)
        p.headingDegrees = 0;
    p.pitchDegrees = (double(top) + double(bottom)) / 2 * kDegrees;
    *out = p;
    return true;
}

std::string PhotoSphereXmp::Segment(const ProjectionMap& map)
{
    Placement p;
    if (!Place(map, &p))
        return std::string();
    std::string segment("http://ns.adobe.com/xap/1.0/");
    segment.push_back('\0');
    segment += "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n";
    segment += "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n";
    segment += " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n";
    segment += "  <rdf:Description rdf:about=\"\" xmlns:GPano=\"http://ns.google.com/photos/1.0/panorama/\">\n";
    AddProperty(&segment, "UsePanoramaViewer", "True");
    AddProperty(&segment, "ProjectionType", "equirectangular");
    AddProperty(&segment, "FullPanoWidthPixels", p.fullWidth);
    AddProperty(&segment, "FullPanoHeightPixels", p.fullHeight);
    AddProperty(&segment, "CroppedAreaImageWidthPixels", p.croppedWidth);
    AddProperty(&segment, "CroppedAreaImageHeightPixels", p.croppedHeight);
    AddProperty(&segment, "CroppedAreaLeftPixels", p.croppedLeft);
    AddProperty(&segment, "CroppedAreaTopPixels", p.croppedTop);
    AddDegrees(&segment, "InitialViewHeadingDegrees", p.headingDegrees);
    AddDegrees(&segment, "InitialViewPitchDegrees", p.pitchDegrees);
    AddDegrees(&segment, "InitialViewRollDegrees", 0.0);
    segment += "  </rdf:Description>\n";
    segment += " </rdf:RDF>\n";
    segment += "</x:xmpmeta>\n";
    segment += "<?xpacket end=\"w\"?>";
    return segment;
}
