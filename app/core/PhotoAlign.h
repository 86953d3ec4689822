// Refines where a photo lies (yaw, pitch, roll) so that it agrees best with the photos it overlaps:
// the normalised cross-correlation of the luminance over the directions they share, seen through
// the mapping the canvas uses, is maximised from coarse to fine, starting from where the photo is.
#pragma once

#include <functional>
#include <vector>

#include "app/core/PanomerDoc.h"
#include "app/core/PhotoMapping.h"

class PhotoAlign {
public:
    // How an alignment went: only kAligned moves the photo.
    enum class Outcome { kAligned, kNoOverlap, kNoMatch, kNoPixels };

    struct Result {
        Outcome outcome = Outcome::kNoPixels;
        // The refined placement (radians), or the photo's own where it stays put.
        float yaw = 0.0f;
        float pitch = 0.0f;
        float roll = 0.0f;
        // The correlation at the refined placement, -1..1 (0 where nothing was compared).
        float score = 0.0f;
    };

    // The pitch a photo may take, the same as the canvas's tools allow.
    static constexpr float kPitchLimit = 1.5707954f;
    // A photo is matched only where its best correlation reaches this. An NCC of 0.5 means that
    // the other photos explain only a quarter of the variance of its luminance (r squared): the
    // same scene seen by two photos, even through other exposure, vignetting and JPEG noise,
    // scores 0.8 and more once in place, while unrelated texture that merely sits in the same
    // spot peaks well below 0.5 wherever it is shifted. Below it the peak is more likely a
    // chance fit than the scene, and the photo had better stay where the user put it.
    static constexpr float kMinScore = 0.5f;
    // How far the search may turn a photo from where it starts, about each of its three axes:
    // alignment finishes a placement, it does not find one.
    static constexpr float kMaxShift = 0.17453293f;  // 10 degrees
    // Levels of the pyramid: the previews, then a quarter and a sixteenth of their size.
    static constexpr int kLevels = 3;

    // Where every photo lies (radians), apart from the document: Align All turns its own copy, so
    // that the document stays as it was until the whole run is over.
    struct Placements {
        float yaw[kMaxPhotos] = {};
        float pitch[kMaxPhotos] = {};
        float roll[kMaxPhotos] = {};
        // The document's placements.
        static Placements Of(const PanomerDoc& doc);
    };
    // Asked between photos by the long runs; false stops the run there.
    using GoOn = std::function<bool()>;
    // Asked before each alignment of Align All with how many are done; false stops.
    using GoOnAfter = std::function<bool(int done)>;

    PhotoAlign() = default;
    PhotoAlign(const PhotoAlign&) = delete;
    PhotoAlign& operator=(const PhotoAlign&) = delete;

    // Takes the luminance of every photo in a pyramid, at the size of its current image (its
    // preview) but read from its file and reduced by an area mean with the pixel centres in place,
    // as the render sees the photo (the preview itself where the file cannot be read), and the
    // document's focal length and projection. The images may change afterwards; the photos'
    // placements are read at each Align. around >= 0 takes only that photo and the ones it may
    // overlap, all that Align(doc, around) compares, for a quick setup in a large project (other
    // photos then align as if they had no pixels). goOn, when given, is asked before each file is
    // read. False when memory runs out or goOn said no.
    bool Setup(const PanomerDoc& doc, int around = -1, const GoOn& goOn = nullptr);

    // The placement of `photo` that agrees best with the other photos where they now lie. The
    // document is only read.
    Result Align(const PanomerDoc& doc, int photo) const;

    // Aligns every photo in list order, twice over (the second round starts from the first one's
    // better neighbours), writing each result into `placements` (which starts as the photos lie)
    // at once; the document is only read, for its pixels. No photo is held as an anchor: each
    // turns only to agree with the others where they lie, so the panorama as a whole keeps the
    // heading and horizon the user gave it, and a first photo that was put down wrongly comes
    // back like any other. outcomes[i], when given, says how photo i's last alignment went.
    // goOn, when given, is asked before every alignment. Returns how many photos moved, or -1
    // when goOn stopped the run (placements then hold the alignments made before).
    int AlignAll(const PanomerDoc& doc, Placements* placements, Outcome* outcomes,
                 const GoOnAfter& goOn = nullptr) const;

private:
    // One level of a photo's luminance, with its rows.
    struct Plane {
        int width = 0;
        int height = 0;
        std::vector<float> values;
        std::vector<const float*> rows;
    };
    // Correlation sums for one pair of photos, each point weighted.
    struct PairSums {
        double w = 0.0;
        double a = 0.0;
        double b = 0.0;
        double aa = 0.0;
        double bb = 0.0;
        double ab = 0.0;
        int n = 0;
    };
    struct Score {
        double value = -2.0;
        int shared = 0;
        // The points each pair shares.
        int pairs[kMaxPhotos] = {};
        // The sum of the directions of the shared points (not normalised), towards where the
        // overlap lies.
        Quor_Vector3 towards;
    };

    // How a level of a photo lies against the photo's mapping (made for its current image):
    // mapping position t is level position a t + b, across and down.
    struct Frame {
        float ax = 1.0f;
        float bx = 0.0f;
        float ay = 1.0f;
        float by = 0.0f;
    };
    Frame FrameOf(int photo, int level) const;
    // Align from level `top` down (kLevels - 1: from the coarsest, with its grid), the photos
    // placed as `where` says.
    Result Align(const PanomerDoc& doc, const Placements& where, int photo, int top) const;
    // The score of `photo` placed as `moved` says against the photos in others[0..count-1], placed
    // as placed[j] says, at pyramid level `level`: the pairs' correlations weighted by weights[j],
    // or by the points each pair shares when weights is null.
    Score Evaluate(int photo, const PhotoMapping& moved, const PhotoMapping* placed, const int* others, int count,
                   int level, const int* weights) const;

    // fPlanes[photo * kLevels + level].
    std::vector<Plane> fPlanes;
    int fCount = 0;
    float fCameraAngle = 0.0f;
    int fProjectionType = PanomerDoc::kHorizontalSpherical;
    // The pixel size of each photo's image when Setup ran: the mappings are made for that size.
    int fWidth[kMaxPhotos] = {};
    int fHeight[kMaxPhotos] = {};
    // Where the render puts each photo, against that image: its full size, the full pixels per
    // pixel of the image's mapping (both use the shorter side for the distance), and the full
    // pixels each pixel of the finest level covers, across and down.
    float fFullWidth[kMaxPhotos] = {};
    float fFullHeight[kMaxPhotos] = {};
    float fRatio[kMaxPhotos] = {};
    float fSpanX[kMaxPhotos] = {};
    float fSpanY[kMaxPhotos] = {};
};
