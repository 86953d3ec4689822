#include "app/core/PhotoAlign.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <new>

#include "app/core/ProjectionMap.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Math.h"

namespace {

constexpr float kPi = ProjectionMap::kPi;
constexpr float kDegree = kPi / 180.0f;

// How much smaller each level is than the previews: the coarsest sees a 5 degree turn move the
// photo's far edge by only a few of its pixels, so the search starts inside the peak's slopes.
constexpr int kScale[PhotoAlign::kLevels] = {1, 4, 16};
// Every how many pixels of a level the photo being aligned is sampled: the finer levels every
// other pixel each way, which costs little of the precision (the others are still read at
// sub-pixel positions) and three quarters of the time.
constexpr int kStride[PhotoAlign::kLevels] = {2, 1, 1};
// The compass search's first and last step per level, in degrees: each level starts a little
// above where the coarser one stopped, at about a pixel of its own; the finest ends at a
// sixteenth of a preview pixel.
constexpr float kFirstStep[PhotoAlign::kLevels] = {0.16f, 0.8f, 1.6f};
constexpr float kLastStep[PhotoAlign::kLevels] = {0.01f, 0.08f, 0.6f};
// The grid the coarsest level tries first, in degrees: pan and tilt within 4 degrees, roll within
// 6, where a photo placed by eye lies.
constexpr int kGridSteps = 2;
constexpr double kGridStep = 2.0;
constexpr double kGridRollStep = 3.0;
// The width of the fade at the other photos' edges, in pixels of the level.
constexpr float kFeather = 3.0f;
// The bands of rows an evaluation is split into, and the sampled points from which it is worth
// spreading them over threads.
constexpr int kBands = 4;
constexpr int kParallelPoints = 10000;
// At most this many evaluations per level, so a flat or noisy score cannot run away.
constexpr int kMaxEvaluations = 90;
// A pair of photos enters the score only where it shares at least this part of the sampled
// points of the photo being aligned: a sliver of overlap correlates by chance.
constexpr double kMinPairPart = 0.01;
// The photo must share at least this part of its sampled points with the others, where it
// starts, to be aligned at all.
constexpr double kMinSharedPart = 0.03;

// Whether two photos can overlap once one of them turns by up to `shift`: the angle between their
// axes against the sum of their cones.
bool MayOverlap(const PhotoMapping& a, const PhotoMapping& b, double shift)
{
    const double cosine = std::clamp(double(a.Axis().Dot(b.Axis())), -1.0, 1.0);
    const double between = std::acos(cosine);
    const double reach = std::acos(std::clamp(double(a.ConeCos()), -1.0, 1.0)) +
                         std::acos(std::clamp(double(b.ConeCos()), -1.0, 1.0)) + shift;
    return between < reach;
}

// Blurs a width x height plane by [1 2 1] / 4 across and down (edges repeated), so that what
// sampling between pixels leaves of detail and noise weighs less than the scene's shapes. On the
// Earth example it takes the mean error from 0.015 to 0.009 degrees; on the editor's previews,
// reduced by picking rows rather than averaging them so that fine detail aliases differently in
// every photo, it halves the worst (0.43 to 0.15 degrees).
void Soften(std::vector<float>* values, int width, int height)
{
    std::vector<float> across(values->size());
    float* v = values->data();
    for (int y = 0; y < height; y++) {
        const float* in = v + size_t(y) * size_t(width);
        float* out = across.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; x++)
            out[x] = 0.5f * in[x] + 0.25f * (in[std::max(0, x - 1)] + in[std::min(width - 1, x + 1)]);
    }
    for (int y = 0; y < height; y++) {
        const float* above = across.data() + size_t(std::max(0, y - 1)) * size_t(width);
        const float* row = across.data() + size_t(y) * size_t(width);
        const float* below = across.data() + size_t(std::min(height - 1, y + 1)) * size_t(width);
        float* out = v + size_t(y) * size_t(width);
        for (int x = 0; x < width; x++)
            out[x] = 0.5f * row[x] + 0.25f * (above[x] + below[x]);
    }
}

// The luminance of `source` (at least width x height) reduced to width x height, each pixel the
// mean of the area of the source it covers: the reduced pixels' centres lie where a uniform
// scaling puts them, and detail finer than a pixel averages out instead of aliasing.
void ReduceLuminance(const Quor_image& source, int width, int height, float* out)
{
    const double sx = double(source.width) / width;
    const double sy = double(source.height) / height;
    // Every source column adds to the one or two reduced columns its span meets.
    struct Share {
        int column;
        float weight;
    };
    std::vector<Share> shares(size_t(source.width) * 2);
    for (int u = 0; u < source.width; u++) {
        const int x = std::min(width - 1, int(u / sx));
        const double split = std::min(double(u + 1), (x + 1) * sx);
        shares[size_t(u) * 2] = {x, float(split - u)};
        shares[size_t(u) * 2 + 1] = {std::min(width - 1, x + 1), float(u + 1 - split)};
    }
    std::fill(out, out + size_t(width) * size_t(height), 0.0f);
    std::vector<float> across(static_cast<size_t>(width));
    const float area = static_cast<float>(1.0 / (sx * sy));
    for (int v = 0; v < source.height; v++) {
        std::fill(across.begin(), across.end(), 0.0f);
        const uint32_t* row = source.Row32(v);
        for (int u = 0; u < source.width; u++) {
            const float value = static_cast<float>(PhotoMapping::Luminance(row[u]));
            across[size_t(shares[size_t(u) * 2].column)] += shares[size_t(u) * 2].weight * value;
            across[size_t(shares[size_t(u) * 2 + 1].column)] += shares[size_t(u) * 2 + 1].weight * value;
        }
        const int y = std::min(height - 1, int(v / sy));
        const double split = std::min(double(v + 1), (y + 1) * sy);
        const float upper = static_cast<float>(split - v) * area;
        const float lower = static_cast<float>(v + 1 - split) * area;
        float* first = out + size_t(y) * size_t(width);
        float* second = out + size_t(std::min(height - 1, y + 1)) * size_t(width);
        for (int x = 0; x < width; x++) {
            first[x] += upper * across[size_t(x)];
            second[x] += lower * across[size_t(x)];
        }
    }
}

bool IsJpegName(const char* path)
{
    const char* dot = std::strrchr(path, '.');
    if (dot == nullptr)
        return false;
    char extension[6] = {};
    for (int i = 0; i < 5 && dot[i + 1] != '\0'; i++)
        extension[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(dot[i + 1])));
    return std::strcmp(extension, "jpg") == 0 || std::strcmp(extension, "jpeg") == 0;
}

// Photo `index`'s luminance from its file, brightened as its preview is, reduced to width x
// height into `values`: false where the file cannot be read or is smaller than that. The full
// size goes to *fullWidth x *fullHeight, and the full pixels each reduced pixel covers to *spanX
// and *spanY.
bool ReadLuminance(const PanomerDoc& doc, int index, int width, int height, std::vector<float>* values,
                   int* fullWidth, int* fullHeight, float* spanX, float* spanY)
{
    const char* path = doc.fPhotoPath[index];
    int w = 0;
    int h = 0;
    if (path == nullptr || path[0] == '\0' || Quor_ImageIo::ReadSize(path, &w, &h) != QUOR_OK || w < width ||
        h < height)
        return false;
    // A JPEG several times larger than the reduction is decoded at 1/2, 1/4 or 1/8 by its DCT,
    // each decoded pixel standing for a square of the photo with its centre in place. Asked for
    // exactly that size (the longer side a multiple of the scale), the load reduces no further.
    const int longer = std::max(w, h);
    const int reducedLonger = std::max(width, height);
    int scale = 1;
    for (const int d : {8, 4, 2}) {
        if (IsJpegName(path) && longer % d == 0 && longer >= d * reducedLonger) {
            scale = d;
            break;
        }
    }
    Quor_BaseImage image;
    if (scale > 1 && (Quor_ImageIo::LoadImage(path, &image, longer / scale) != QUOR_OK ||
                      image.Width() != (w + scale - 1) / scale || image.Height() != (h + scale - 1) / scale))
        scale = 1;
    if (scale == 1 && (Quor_ImageIo::LoadImage(path, &image, 0) != QUOR_OK || image.Width() != w ||
                       image.Height() != h))
        return false;
    const float brightness = doc.fBrightness[index];
    if (std::fabs(brightness) > 0.000001f)
        Quor_ImageOps::Brighten(&image.Image(), brightness);
    values->assign(size_t(width) * size_t(height), 0.0f);
    ReduceLuminance(image.Image(), width, height, values->data());
    *fullWidth = w;
    *fullHeight = h;
    *spanX = static_cast<float>(image.Width() * scale) / static_cast<float>(width);
    *spanY = static_cast<float>(image.Height() * scale) / static_cast<float>(height);
    return true;
}

// A turn as a 3 x 3 matrix, m[row][column], in double so that composing turns adds no error
// worth a thought.
struct Turn {
    double m[3][3];
};

Turn Multiply(const Turn& a, const Turn& b)
{
    Turn out{};
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c];
    return out;
}

// The turn a photo's yaw, pitch and roll make, as PhotoMapping::ToWorld applies it: about z by
// the roll, then about x by the pitch, then about y by the yaw.
Turn FromAngles(double yaw, double pitch, double roll)
{
    const double cy = std::cos(yaw);
    const double sy = std::sin(yaw);
    const double cp = std::cos(pitch);
    const double sp = std::sin(pitch);
    const double cr = std::cos(roll);
    const double sr = std::sin(roll);
    const Turn y{{{cy, 0.0, sy}, {0.0, 1.0, 0.0}, {-sy, 0.0, cy}}};
    const Turn p{{{1.0, 0.0, 0.0}, {0.0, cp, -sp}, {0.0, sp, cp}}};
    const Turn r{{{cr, -sr, 0.0}, {sr, cr, 0.0}, {0.0, 0.0, 1.0}}};
    return Multiply(y, Multiply(p, r));
}

// The inverse of FromAngles. Straight up or down the yaw and the roll turn about the same axis;
// the roll then takes it all.
void ToAngles(const Turn& t, double* yaw, double* pitch, double* roll)
{
    *pitch = std::asin(std::clamp(-t.m[1][2], -1.0, 1.0));
    if (std::hypot(t.m[0][2], t.m[2][2]) < 1e-9) {
        *yaw = 0.0;
        *roll = std::atan2(-t.m[0][1], t.m[0][0]);
        return;
    }
    *yaw = std::atan2(t.m[0][2], t.m[2][2]);
    *roll = std::atan2(t.m[1][0], t.m[1][1]);
}

// A small turn in the photo's own frame, by offset[0] and offset[1] about two axes square to
// `centre` (moving the overlap across the photo) and by offset[2] about `centre` itself
// (turning the overlap in place), centre being a unit vector towards the middle of the overlap.
// Turned about the photo's own axes instead, a photo that overlaps the others along one edge
// only would find panning and rolling doing nearly the same to that edge: a narrow ridge that
// a search along the axes climbs only in tiny steps.
Turn FromOffset(const double* offset, const double* centre)
{
    // The two axes square to the centre: x made square to it, and their cross product.
    double p[3] = {1.0 - centre[0] * centre[0], -centre[0] * centre[1], -centre[0] * centre[2]};
    const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    for (double& v : p)
        v /= length;
    const double q[3] = {centre[1] * p[2] - centre[2] * p[1], centre[2] * p[0] - centre[0] * p[2],
                         centre[0] * p[1] - centre[1] * p[0]};
    double axis[3];
    for (int i = 0; i < 3; i++)
        axis[i] = offset[0] * p[i] + offset[1] * q[i] + offset[2] * centre[i];
    const double angle = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    Turn t{{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}};
    if (angle < 1e-15)
        return t;
    for (double& v : axis)
        v /= angle;
    // Rodrigues: cos a I + sin a [k]x + (1 - cos a) k k^T.
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double k[3][3] = {{0.0, -axis[2], axis[1]}, {axis[2], 0.0, -axis[0]}, {-axis[1], axis[0], 0.0}};
    for (int r = 0; r < 3; r++)
        for (int col = 0; col < 3; col++)
            t.m[r][col] = (r == col ? c : 0.0) + s * k[r][col] + (1.0 - c) * axis[r] * axis[col];
    return t;
}

}  // namespace

PhotoAlign::Placements PhotoAlign::Placements::Of(const PanomerDoc& doc)
{
    Placements placements;
    std::copy(doc.fYaw, doc.fYaw + kMaxPhotos, placements.yaw);
    std::copy(doc.fPitch, doc.fPitch + kMaxPhotos, placements.pitch);
    std::copy(doc.fRoll, doc.fRoll + kMaxPhotos, placements.roll);
    return placements;
}

bool PhotoAlign::Setup(const PanomerDoc& doc, int around, const GoOn& goOn)
{
    fCount = std::clamp(doc.fNumPhotos, 0, kMaxPhotos);
    fCameraAngle = PhotoMapping::CameraAngle(doc.fFocalLength);
    fProjectionType = doc.fProjectionType;
    PhotoMapping centre;
    if (around >= 0 && around < fCount) {
        centre.Set(doc.fPhotoImage[around].Image(), doc.fYaw[around], doc.fPitch[around], doc.fRoll[around],
                   fCameraAngle, fProjectionType);
    }
    try {
        fPlanes.assign(size_t(fCount) * kLevels, Plane());
        for (int i = 0; i < fCount; i++) {
            const Quor_image& image = doc.fPhotoImage[i].Image();
            fWidth[i] = image.IsUsable32() ? image.width : 0;
            fHeight[i] = image.IsUsable32() ? image.height : 0;
            if (around >= 0 && i != around) {
                PhotoMapping other;
                other.Set(image, doc.fYaw[i], doc.fPitch[i], doc.fRoll[i], fCameraAngle, fProjectionType);
                if (!centre.IsUsable() || !other.IsUsable() || !MayOverlap(centre, other, 2.0 * kMaxShift))
                    continue;
            }
            if (goOn && !goOn()) {
                fPlanes.clear();
                fCount = 0;
                return false;
            }
            Plane* planes = &fPlanes[size_t(i) * kLevels];
            int fullWidth = fWidth[i];
            int fullHeight = fHeight[i];
            fSpanX[i] = 1.0f;
            fSpanY[i] = 1.0f;
            const bool fromFile = fWidth[i] >= 2 && fHeight[i] >= 2 &&
                                  ReadLuminance(doc, i, fWidth[i], fHeight[i], &planes[0].values, &fullWidth,
                                                &fullHeight, &fSpanX[i], &fSpanY[i]);
            fFullWidth[i] = static_cast<float>(fullWidth);
            fFullHeight[i] = static_cast<float>(fullHeight);
            fRatio[i] = fWidth[i] > 0 && fHeight[i] > 0 ? static_cast<float>(std::min(fullWidth, fullHeight)) /
                                                               static_cast<float>(std::min(fWidth[i], fHeight[i]))
                                                         : 1.0f;
            for (int level = 0; level < kLevels; level++) {
                Plane& plane = planes[level];
                const int reduce = level == 0 ? 1 : kScale[level] / kScale[level - 1];
                plane.width = level == 0 ? fWidth[i] : planes[level - 1].width / reduce;
                plane.height = level == 0 ? fHeight[i] : planes[level - 1].height / reduce;
                if (plane.width < 2 || plane.height < 2) {
                    plane.width = 0;
                    plane.height = 0;
                    continue;
                }
                // The finest level read from the file is already in place.
                const bool filled = level == 0 && fromFile;
                if (!filled)
                    plane.values.assign(size_t(plane.width) * size_t(plane.height), 0.0f);
                plane.rows.resize(size_t(plane.height));
                for (int y = 0; y < plane.height; y++)
                    plane.rows[size_t(y)] = plane.values.data() + size_t(y) * size_t(plane.width);
                for (int y = 0; !filled && y < plane.height; y++) {
                    float* out = plane.values.data() + size_t(y) * size_t(plane.width);
                    if (level == 0) {
                        const uint32_t* row = image.Row32(y);
                        for (int x = 0; x < plane.width; x++)
                            out[x] = static_cast<float>(PhotoMapping::Luminance(row[x]));
                        continue;
                    }
                    // Each pixel the mean of the block below it: a smoothing as well as a reduction.
                    const float weight = 1.0f / static_cast<float>(reduce * reduce);
                    for (int dy = 0; dy < reduce; dy++) {
                        const float* below = planes[level - 1].rows[size_t(reduce * y + dy)];
                        for (int x = 0; x < plane.width; x++)
                            for (int dx = 0; dx < reduce; dx++)
                                out[x] += weight * below[reduce * x + dx];
                    }
                }
                if (level == 0)
                    Soften(&plane.values, plane.width, plane.height);
            }
        }
    } catch (const std::bad_alloc&) {
        fPlanes.clear();
        fCount = 0;
        return false;
    }
    return true;
}

PhotoAlign::Frame PhotoAlign::FrameOf(int photo, int level) const
{
    // The mapping puts the image's centre at half its size, at fRatio times fewer pixels from the
    // eye than the full photo: mapping position t is full position T = full / 2 + ratio (t - w / 2),
    // whose pixel centres are on whole numbers; a pixel of the finest level covers span of them
    // and one of this level kScale times as many, so level position (T + 0.5) / (span kScale) - 0.5.
    const float scale = static_cast<float>(kScale[level]);
    const float ratio = fRatio[photo];
    const float spanX = fSpanX[photo] * scale;
    const float spanY = fSpanY[photo] * scale;
    Frame frame;
    frame.ax = ratio / spanX;
    frame.bx = (fFullWidth[photo] / 2 - ratio * static_cast<float>(fWidth[photo]) / 2 + 0.5f) / spanX - 0.5f;
    frame.ay = ratio / spanY;
    frame.by = (fFullHeight[photo] / 2 - ratio * static_cast<float>(fHeight[photo]) / 2 + 0.5f) / spanY - 0.5f;
    return frame;
}

PhotoAlign::Score PhotoAlign::Evaluate(int photo, const PhotoMapping& moved, const PhotoMapping* placed,
                                       const int* others, int count, int level, const int* weights) const
{
    const Plane& own = fPlanes[size_t(photo) * kLevels + size_t(level)];
    const int stride = kStride[level];
    // The turn of the photo as a matrix: its columns are where the frame's axes go.
    const Quor_Vector3 ex = moved.ToWorld(Quor_Vector3(1.0f, 0.0f, 0.0f));
    const Quor_Vector3 ey = moved.ToWorld(Quor_Vector3(0.0f, 1.0f, 0.0f));
    const Quor_Vector3 ez = moved.ToWorld(Quor_Vector3(0.0f, 0.0f, 1.0f));
    const float halfWidth = static_cast<float>(fWidth[photo]) / 2;
    const float halfHeight = static_cast<float>(fHeight[photo]) / 2;
    const float distance = moved.Distance();
    // The sampled pixels of the level, as positions of the mapping.
    const Frame frame = FrameOf(photo, level);
    const Quor_Vector3 columnStep = ex * (static_cast<float>(stride) / frame.ax);
    Frame frames[kMaxPhotos];
    for (int k = 0; k < count; k++)
        frames[others[k]] = FrameOf(others[k], level);
    // Only the photos whose cone meets this one's where it now lies.
    int near[kMaxPhotos];
    int nearCount = 0;
    for (int k = 0; k < count; k++)
        if (MayOverlap(moved, placed[others[k]], 0.0))
            near[nearCount++] = others[k];
    // The sampled rows go in bands, each summed apart and the bands added in order, so that the
    // score is the same on any number of threads.
    const int rows = (own.height - 2 + stride - 1) / stride;
    PairSums bandSums[kBands][kMaxPhotos];
    Quor_Vector3 bandTowards[kBands];
    auto band = [&](int index) {
        PairSums* sums = bandSums[index];
        Quor_Vector3& towards = bandTowards[index];
        for (int m = rows * index / kBands; m < rows * (index + 1) / kBands; m++) {
            const int y = 1 + m * stride;
            const float ty = (static_cast<float>(y) - frame.by) / frame.ay;
            const float tx0 = (1.0f - frame.bx) / frame.ax;
            Quor_Vector3 d = ex * (tx0 - halfWidth) + ey * (halfHeight - ty) + ez * (-distance);
            const float* ownRow = own.rows[size_t(y)];
            for (int x = 1; x + 1 < own.width; x += stride) {
                const double a = ownRow[x];
                for (int k = 0; k < nearCount; k++) {
                    const int j = near[k];
                    float tx;
                    float ty2;
                    if (!placed[j].Locate(d, tx, ty2))
                        continue;
                    const Plane& plane = fPlanes[size_t(j) * kLevels + size_t(level)];
                    const float px = frames[j].ax * tx + frames[j].bx;
                    const float py = frames[j].ay * ty2 + frames[j].by;
                    if (!(px >= 0.0f && py >= 0.0f && px < float(plane.width - 1) && py < float(plane.height - 1)))
                        continue;
                    const int x0 = static_cast<int>(px);
                    const int y0 = static_cast<int>(py);
                    const float fx = px - static_cast<float>(x0);
                    const float fy = py - static_cast<float>(y0);
                    const float* r0 = plane.rows[size_t(y0)] + x0;
                    const float* r1 = plane.rows[size_t(y0 + 1)] + x0;
                    const float top = r0[0] + fx * (r0[1] - r0[0]);
                    const float bottom = r1[0] + fx * (r1[1] - r1[0]);
                    const double b = top + fy * (bottom - top);
                    // Points fade out towards the other photo's edges, so that the score changes
                    // smoothly as the photo moves instead of jumping whenever a point crosses an
                    // edge, which would stop the search on a step.
                    const float edge = std::min(std::min(px, py), std::min(float(plane.width - 1) - px,
                                                                           float(plane.height - 1) - py));
                    const double w = edge < kFeather ? edge / kFeather : 1.0;
                    PairSums& s = sums[j];
                    towards += d * static_cast<float>(w);
                    s.w += w;
                    s.a += w * a;
                    s.b += w * b;
                    s.aa += w * a * a;
                    s.bb += w * b * b;
                    s.ab += w * a * b;
                    s.n++;
                }
                d = d + columnStep;
            }
        }
    };
    // Threads pay on the finer levels only; the coarsest is done before they would start.
    if (rows * ((own.width - 2 + stride - 1) / stride) >= kParallelPoints) {
        Quor_Parallel::For(kBands, band);
    } else {
        for (int index = 0; index < kBands; index++)
            band(index);
    }
    PairSums sums[kMaxPhotos];
    Quor_Vector3 towards;
    for (int index = 0; index < kBands; index++) {
        towards += bandTowards[index];
        for (int k = 0; k < nearCount; k++) {
            const PairSums& from = bandSums[index][near[k]];
            PairSums& to = sums[near[k]];
            to.w += from.w;
            to.a += from.a;
            to.b += from.b;
            to.aa += from.aa;
            to.bb += from.bb;
            to.ab += from.ab;
            to.n += from.n;
        }
    }
    // Each pair's correlation, weighted by the points it shares. Within a search the weights stay
    // those of where it started: were they the points shared now, a photo could raise its score
    // by sliding off a neighbour it disagrees with instead of coming to agree with it.
    const int sampled = ((own.width - 2 + stride - 1) / stride) * ((own.height - 2 + stride - 1) / stride);
    const int minPair = std::max(16, static_cast<int>(kMinPairPart * sampled));
    double weighted = 0.0;
    double total = 0.0;
    Score score;
    for (int k = 0; k < count; k++) {
        const int j = others[k];
        const PairSums& s = sums[j];
        const double weight = weights != nullptr ? weights[j] : (s.n >= minPair ? s.n : 0);
        score.pairs[j] = s.n >= minPair ? s.n : 0;
        score.shared += score.pairs[j];
        if (weight <= 0.0)
            continue;
        total += weight;
        if (s.n < minPair)
            continue;
        const double n = s.w;
        const double va = s.aa - s.a * s.a / n;
        const double vb = s.bb - s.b * s.b / n;
        const double cov = s.ab - s.a * s.b / n;
        // A flat overlap (a clear sky) says nothing about where the photo lies; it still counts,
        // at no correlation.
        const double ncc = va > n * 1e-2 && vb > n * 1e-2 ? cov / std::sqrt(va * vb) : 0.0;
        weighted += weight * ncc;
    }
    score.value = total > 0.0 ? weighted / total : -2.0;
    score.towards = towards;
    return score;
}

PhotoAlign::Result PhotoAlign::Align(const PanomerDoc& doc, int photo) const
{
    return Align(doc, Placements::Of(doc), photo, kLevels - 1);
}

PhotoAlign::Result PhotoAlign::Align(const PanomerDoc& doc, const Placements& where, int photo, int top) const
{
    Result result;
    if (photo < 0 || photo >= fCount || photo >= doc.fNumPhotos)
        return result;
    result.yaw = where.yaw[photo];
    result.pitch = where.pitch[photo];
    result.roll = where.roll[photo];
    const Quor_image& image = doc.fPhotoImage[photo].Image();
    if (fPlanes[size_t(photo) * kLevels + kLevels - 1].width == 0 || !image.IsUsable32() ||
        image.width != fWidth[photo] || image.height != fHeight[photo])
        return result;

    PhotoMapping placed[kMaxPhotos];
    PhotoMapping start;
    start.Set(image, result.yaw, result.pitch, result.roll, fCameraAngle, fProjectionType);
    int others[kMaxPhotos];
    int count = 0;
    for (int j = 0; j < fCount && j < doc.fNumPhotos; j++) {
        const Quor_image& other = doc.fPhotoImage[j].Image();
        if (j == photo || fPlanes[size_t(j) * kLevels + kLevels - 1].width == 0 || !other.IsUsable32() ||
            other.width != fWidth[j] || other.height != fHeight[j])
            continue;
        placed[j].Set(other, where.yaw[j], where.pitch[j], where.roll[j], fCameraAngle, fProjectionType);
        if (placed[j].IsUsable() && start.IsUsable() && MayOverlap(start, placed[j], 2.0 * kMaxShift))
            others[count++] = j;
    }
    result.outcome = Outcome::kNoOverlap;
    if (count == 0 || !start.IsUsable())
        return result;

    // The search runs on small turns of the photo in its own frame, away from where it starts.
    const Turn from = FromAngles(result.yaw, result.pitch, result.roll);
    // Where the overlap lies in the photo's frame; straight ahead until the first score says.
    double centre[3] = {0.0, 0.0, -1.0};
    auto anglesOf = [&](const double* offset, float* angles) {
        double yaw;
        double pitch;
        double roll;
        ToAngles(Multiply(from, FromOffset(offset, centre)), &yaw, &pitch, &roll);
        // Yaw and roll stay near where they started, whole turns apart from what the user set.
        angles[0] = static_cast<float>(result.yaw + std::remainder(yaw - result.yaw, 2.0 * Quor_Math::kPi));
        angles[1] = static_cast<float>(pitch);
        angles[2] = static_cast<float>(result.roll + std::remainder(roll - result.roll, 2.0 * Quor_Math::kPi));
        return std::fabs(angles[1]) <= kPitchLimit;
    };
    const int* weights = nullptr;
    auto score = [&](const double* offset, int level, Score* out) {
        float angles[3];
        if (!anglesOf(offset, angles))
            return false;
        PhotoMapping moved;
        moved.Set(image, angles[0], angles[1], angles[2], fCameraAngle, fProjectionType);
        *out = Evaluate(photo, moved, placed, others, count, level, weights);
        return true;
    };
    // A compass search on one level from `best`, whose score is *bestScore: one step each way
    // along each of the three turns in turn, every one that improves the score taken at once,
    // the step halved after a round without any.
    auto climb = [&](int level, double* best, Score* bestScore) {
        double step = kFirstStep[level] * kDegree;
        int evaluations = 1;
        while (step >= kLastStep[level] * kDegree && evaluations < kMaxEvaluations) {
            bool improved = false;
            const double base[3] = {best[0], best[1], best[2]};
            for (int axis = 0; axis < 3; axis++) {
                for (int side = 0; side < 2; side++) {
                    double candidate[3] = {best[0], best[1], best[2]};
                    candidate[axis] += side == 0 ? step : -step;
                    Score trial;
                    if (std::fabs(candidate[axis]) > kMaxShift || !score(candidate, level, &trial))
                        continue;
                    evaluations++;
                    if (trial.value > bestScore->value) {
                        *bestScore = trial;
                        std::copy(candidate, candidate + 3, best);
                        improved = true;
                        break;
                    }
                }
            }
            if (!improved) {
                step *= 0.5;
                continue;
            }
            // The sweep's whole move once more: along a slanted ridge this goes as far in one
            // evaluation as another sweep would in several.
            double further[3];
            for (int axis = 0; axis < 3; axis++)
                further[axis] = 2.0 * best[axis] - base[axis];
            Score trial;
            if (std::fabs(further[0]) <= kMaxShift && std::fabs(further[1]) <= kMaxShift &&
                std::fabs(further[2]) <= kMaxShift && score(further, level, &trial)) {
                evaluations++;
                if (trial.value > bestScore->value) {
                    *bestScore = trial;
                    std::copy(further, further + 3, best);
                }
            }
        }
    };

    // Two placements go down the pyramid: where the user put the photo and the best point of a
    // grid over the turns a hand placement may be off by, a grid step apart by less than a
    // pixel of the coarsest level. In a weakly textured overlap (an ocean) the coarsest level
    // alone may favour a side lobe over the true peak; the next level, with four times the
    // detail, tells them apart.
    double candidates[2][3] = {};
    Score scores[2];
    int placements = 1;
    int levelWeights[kMaxPhotos];
    for (int level = top; level >= 0; level--) {
        // Every level weighs the pairs by what they share where the photo starts.
        const double origin[3] = {0.0, 0.0, 0.0};
        Score start;
        weights = nullptr;
        score(origin, level, &start);
        std::copy(start.pairs, start.pairs + kMaxPhotos, levelWeights);
        weights = levelWeights;
        if (level == top) {
            const Plane& own = fPlanes[size_t(photo) * kLevels + size_t(level)];
            const int stride = kStride[level];
            const double sampled =
                double((own.width - 2 + stride - 1) / stride) * double((own.height - 2 + stride - 1) / stride);
            if (start.shared < kMinSharedPart * sampled)
                return result;
            // Towards the overlap, in the photo's own frame.
            const Quor_Vector3 t = start.towards;
            const double frame[3] = {
                from.m[0][0] * t.x + from.m[1][0] * t.y + from.m[2][0] * t.z,
                from.m[0][1] * t.x + from.m[1][1] * t.y + from.m[2][1] * t.z,
                from.m[0][2] * t.x + from.m[1][2] * t.y + from.m[2][2] * t.z,
            };
            const double length = std::sqrt(frame[0] * frame[0] + frame[1] * frame[1] + frame[2] * frame[2]);
            if (length > 0.0 && std::isfinite(length)) {
                for (int i = 0; i < 3; i++)
                    centre[i] = frame[i] / length;
            }
            scores[0] = start;
            if (level == kLevels - 1) {
                for (int a = -kGridSteps; a <= kGridSteps; a++) {
                    for (int b = -kGridSteps; b <= kGridSteps; b++) {
                        for (int c = -kGridSteps; c <= kGridSteps; c++) {
                            const double point[3] = {a * kGridStep * kDegree, b * kGridStep * kDegree,
                                                     c * kGridRollStep * kDegree};
                            Score trial;
                            if ((a == 0 && b == 0 && c == 0) || !score(point, level, &trial))
                                continue;
                            if (placements == 1 || trial.value > scores[1].value) {
                                scores[1] = trial;
                                std::copy(point, point + 3, candidates[1]);
                                placements = 2;
                            }
                        }
                    }
                }
            }
        } else {
            for (int k = 0; k < placements; k++)
                score(candidates[k], level, &scores[k]);
        }
        for (int k = 0; k < placements; k++)
            climb(level, candidates[k], &scores[k]);
        // Below the coarsest level the better placement goes on alone.
        if (level < kLevels - 1 && placements == 2) {
            if (scores[1].value > scores[0].value) {
                scores[0] = scores[1];
                std::copy(candidates[1], candidates[1] + 3, candidates[0]);
            }
            placements = 1;
        }
    }
    const Score bestScore = scores[0];
    const double* best = candidates[0];
    result.score = static_cast<float>(std::max(bestScore.value, -1.0));
    if (bestScore.value < kMinScore) {
        result.outcome = Outcome::kNoMatch;
        return result;
    }
    float angles[3];
    anglesOf(best, angles);
    result.outcome = Outcome::kAligned;
    result.yaw = ProjectionMap(fProjectionType, 2, 1).KeepYaw(angles[0]);
    result.pitch = std::clamp(angles[1], -kPitchLimit, kPitchLimit);
    result.roll = angles[2];
    return result;
}

int PhotoAlign::AlignAll(const PanomerDoc& doc, Placements* placements, Outcome* outcomes, const GoOnAfter& goOn) const
{
    const int count = std::min(fCount, doc.fNumPhotos);
    bool moved[kMaxPhotos] = {};
    for (int round = 0; round < 2; round++) {
        for (int i = 0; i < count; i++) {
            if (goOn && !goOn(round * count + i))
                return -1;
            // The second round starts from placements the first brought close: the quarter-size
            // level is coarse enough, and the grid not needed.
            const Result result = Align(doc, *placements, i, round == 0 ? kLevels - 1 : kLevels - 2);
            if (outcomes != nullptr)
                outcomes[i] = result.outcome;
            if (result.outcome != Outcome::kAligned)
                continue;
            moved[i] = moved[i] || result.yaw != placements->yaw[i] || result.pitch != placements->pitch[i] ||
                       result.roll != placements->roll[i];
            placements->yaw[i] = result.yaw;
            placements->pitch[i] = result.pitch;
            placements->roll[i] = result.roll;
        }
    }
    return static_cast<int>(std::count(moved, moved + count, true));
}
