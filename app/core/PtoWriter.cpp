#include "app/core/PtoWriter.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "app/core/RenderOutput.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

// How the two models line up:
//  - Our panorama pixel (x, y) looks at yaw = midYaw - (x - W/2) s and pitch = midPitch + (H/2 - y) s,
//    with s = the crop's pitch extent / H radians per pixel and positive yaw to the left. Their
//    equirectangular pixel (X, Y) of a canvas Wc x Hc looks at yaw (X - (Wc-1)/2) s, positive to
//    the right, and pitch ((Hc-1)/2 - Y) s. With Wc = W the columns agree once every photo's yaw
//    is mirrored and turned by midYaw + s/2; the rows agree when the horizon row of the canvas,
//    less the crop's top, is our horizon row H/2 + midPitch / s. The canvas rows are whole, so
//    that row is matched to the nearest half pixel: exactly for a crop centred on the horizon,
//    or one whose centre lies a whole or half number of rows from it.
//  - Our photo's optical axis meets it at (w/2, h/2) with pixel centres on whole numbers; theirs
//    at ((w-1)/2, (h-1)/2) plus the lens shift (d, e): half a pixel each.
//  - Our photo spans 2 atan(12 w / (F min(w, h))) across for a 35 mm equivalent focal length F:
//    the shorter side stands for the 24 mm side of the frame, in portrait photos too.
//  - A brightness factor b multiplies the 8-bit values; their exposure value Eev scales the
//    values by 2^Eev through a linear response (Rt1), so Eev = log2(b).

namespace {

constexpr double kDegrees = 180.0 / 3.14159265358979323846;

// A number as the format reads it: C locale, twelve significant digits, no exponent for the
// values a project holds.
std::string Number(double value)
{
    if (std::fabs(value) < 1e-12)
        value = 0.0;
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12);
    if (ec != std::errc())
        return "0";
    return std::string(buffer, end);
}

// An angle in degrees in (-180, 180].
double Degrees(double radians)
{
    double degrees = std::remainder(radians * kDegrees, 360.0);
    if (degrees <= -180.0)
        degrees += 360.0;
    return degrees;
}

// The path as the PTO writes it: relative to `folder` when the photo lies in it or below it, so
// that a folder holding the PTO and its photos can be moved as a whole; otherwise absolute, so
// that the PTO works wherever it is moved on this machine.
std::string PhotoName(const char* path, const std::string& folder)
{
    std::string written = path;
    if (folder.empty())
        return written;
    std::string base = folder;
    if (base.back() != '/')
        base += '/';
    if (written.compare(0, base.size(), base) == 0 && written.size() > base.size())
        return written.substr(base.size());
    return written;
}

// The canonical folder of a file that may not exist yet; empty when the folder does not resolve.
std::string CanonicalFolder(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) == nullptr)
        return std::string();
    return resolved;
}

}  // namespace

bool PtoWriter::Text(const PanomerDoc& doc, int width, int height, const std::vector<PhotoSize>& sizes,
                     const std::string& folder, std::string* text, std::string* error)
{
    try {
        return TextOf(doc, width, height, sizes, folder, text, error);
    } catch (const std::bad_alloc&) {
        // Short enough to be stored without allocating.
        *error = "out of memory";
        return false;
    }
}

bool PtoWriter::Write(const PanomerDoc& doc, const std::string& path, int width, int height, bool leaveOutUnreadable,
                      std::string* error, std::vector<std::string>* leftOut)
{
    try {
        return WriteFile(doc, path, width, height, leaveOutUnreadable, error, leftOut);
    } catch (const std::bad_alloc&) {
        *error = "out of memory";
        return false;
    }
}

bool PtoWriter::TextOf(const PanomerDoc& doc, int width, int height, const std::vector<PhotoSize>& sizes,
                       const std::string& folder, std::string* text, std::string* error)
{
    if (doc.fProjectionType != PanomerDoc::kHorizontalSpherical) {
        *error = "a PTO file can only be written for the horizontal spherical projection";
        return false;
    }
    if (!(std::isfinite(doc.fFocalLength) && doc.fFocalLength > 0.0f)) {
        *error = "a PTO file needs a focal length above 0";
        return false;
    }
    if (!CropFit::IsValidSize(width, height)) {
        *error = "width and height must be 16 to 30000";
        return false;
    }
    float crop[4];
    CropFit::UsableCrop(doc.fProjectionType, doc.fCrop, crop);
    const double step = (static_cast<double>(crop[2]) - crop[3]) / height;
    const double midYaw = (static_cast<double>(crop[0]) + crop[1]) / 2;
    const double midPitch = (static_cast<double>(crop[2]) + crop[3]) / 2;
    const double turn = midYaw + step / 2;
    // The horizon row to the nearest half row, then the canvas that puts it there.
    const double horizon = height / 2.0 + midPitch / step;
    if (!(std::fabs(horizon) <= 2.0 * CropFit::kMaxSize)) {
        *error = "the crop lies too far from the horizon for a PTO file";
        return false;
    }
    const long long twiceRow = std::llround(2.0 * horizon);
    const long long top = std::max(0LL, static_cast<long long>(height) - 1 - twiceRow);
    const long long canvasHeight = twiceRow + 2 * top + 1;

    std::string out;
    out += "# hugin project file\n";
    out += "#hugin_ptoversion 2\n";
    out += "p f2 w" + std::to_string(width) + " h" + std::to_string(canvasHeight) + " v" + Number(width * step * kDegrees) +
           " k0 E0 R0 S0," + std::to_string(width) + "," + std::to_string(top) + "," + std::to_string(top + height) +
           " n\"TIFF_m c:LZW r:CROP\"\n";
    // Bilinear, as our own render samples the photos.
    out += "m i5\n";
    int written = 0;
    const int count = std::min(doc.fNumPhotos, kMaxPhotos);
    const double tangent = 12.0 / doc.fFocalLength;
    for (int i = 0; i < count; i++) {
        const PhotoSize size = i < static_cast<int>(sizes.size()) ? sizes[i] : PhotoSize();
        if (size.width <= 0 || size.height <= 0)
            continue;
        const char* path = doc.fPhotoPath[i];
        if (std::strpbrk(path, "\"\n\r") != nullptr) {
            *error = std::string("the photo name ") + path + " holds a double quote or a line break, which a PTO file cannot";
            return false;
        }
        const double w = size.width;
        const double h = size.height;
        const double fov = 2.0 * std::atan(tangent * w / std::min(w, h)) * kDegrees;
        const float b = std::fabs(doc.fBrightness[i]);
        const double exposure = std::isfinite(b) && b > 0.000001f ? std::log2(static_cast<double>(b)) : 0.0;
        out += "i w" + std::to_string(size.width) + " h" + std::to_string(size.height) + " f0 v" + Number(fov) +
               " Ra0 Rb0 Rc0 Rd0 Re0 Eev" + Number(exposure) + " Er1 Eb1 r" + Number(-Degrees(doc.fRoll[i])) +
               " p" + Number(Degrees(doc.fPitch[i])) + " y" + Number(Degrees(turn - doc.fYaw[i])) +
               " TrX0 TrY0 TrZ0 Tpy0 Tpp0 j0 a0 b0 c0 d0.5 e0.5 g0 t0 Va1 Vb0 Vc0 Vd0 Vx0 Vy0 Vm5 Rt1 n\"" +
               PhotoName(path, folder) + "\"\n";
        written++;
    }
    if (written == 0) {
        *error = "there is no photo to write";
        return false;
    }
    // What the project's own tools add to run the blender after the remapper.
    out += "#hugin_outputLDRBlended true\n";
    out += "#hugin_outputLDRLayers false\n";
    out += "#hugin_outputImageType tif\n";
    out += "#hugin_blender enblend\n";
    *text = std::move(out);
    return true;
}

bool PtoWriter::WriteFile(const PanomerDoc& doc, const std::string& path, int width, int height,
                          bool leaveOutUnreadable, std::string* error, std::vector<std::string>* leftOut)
{
    if (path.empty()) {
        *error = "no output file";
        return false;
    }
    bool clash = RenderOutput::SameFile(path.c_str(), doc.fPath);
    for (int i = 0; i < doc.fNumPhotos && i < kMaxPhotos && !clash; i++)
        clash = RenderOutput::SameFile(path.c_str(), doc.fPhotoPath[i]);
    if (clash) {
        *error = "will not write " + path + ": it is one of the project's photos or the project itself";
        return false;
    }
    const int count = std::min(doc.fNumPhotos, kMaxPhotos);
    std::vector<PhotoSize> sizes(static_cast<size_t>(count > 0 ? count : 0));
    std::vector<std::string> unreadable;
    for (int i = 0; i < count; i++) {
        Quor_String refusal;
        if (Quor_ImageIo::ReadSize(doc.fPhotoPath[i], &sizes[i].width, &sizes[i].height, &refusal) == QUOR_OK)
            continue;
        sizes[i] = PhotoSize();
        unreadable.push_back(refusal.IsEmpty() ? std::string(doc.fPhotoPath[i]) : std::string(refusal.Buffer()));
    }
    if (!unreadable.empty() && !leaveOutUnreadable) {
        *error = unreadable.front();
        return false;
    }
    if (leftOut != nullptr)
        *leftOut = unreadable;
    // The PTO's folder resolved, as the document's photo paths are.
    std::string text;
    const std::string folder = CanonicalFolder(path);
    if (!Text(doc, width, height, sizes, folder, &text, error))
        return false;
    RenderOutput output;
    if (!output.Create(path.c_str())) {
        *error = "cannot create " + path + ": " + std::strerror(output.SystemError());
        return false;
    }
    if (std::fwrite(text.data(), 1, text.size(), output.File()) != text.size())
        output.NoteWriteError(errno);
    if (!output.Close()) {
        *error = "cannot write " + path + ": " + std::strerror(output.SystemError());
        output.Discard();
        return false;
    }
    return true;
}

std::string PtoWriter::DefaultPath(const std::string& project)
{
    return RenderOutput::BesideProject(project, ".pto");
}
