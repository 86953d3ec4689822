// The panorama project: the photos with their orientation and brightness, the projection and
// focal length they are seen through, the crop, the export settings and the history of changes.
// It reads and writes the project file, and owns the loaded pixels of every photo.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/core/UndoHistory.h"
#include "toolkit/core/Quor_Path.h"
#include "toolkit/imaging/Quor_BaseImage.h"
#include "toolkit/imaging/formats/Quor_ImageIo.h"

class PreviewCache;
class Quor_IoStream;

// A document holds at most this many photos; further drops are ignored.
constexpr int kMaxPhotos = 64;
// Longer side of the photo previews used while editing; 0 asks for the full size.
constexpr int kPreviewSize = 640;

class PanomerDoc {
public:
    // The projection types.
    enum { kPerspective = 0, kHorizontalSpherical = 1, kVerticalSpherical = 2, kFisheye = 3, kFlat = 4 };

    // The file's first token.
    static constexpr const char* kMimeType = "application/x-vnd.quor_panomerdoc";

    // focalLength: the application's current focal length, which a new document starts with.
    explicit PanomerDoc(float focalLength = 35.0f);

    PanomerDoc(const PanomerDoc&) = delete;
    PanomerDoc& operator=(const PanomerDoc&) = delete;

    // Reads fPath. False when the file cannot be opened or does not read as a project.
    // fPath is made absolute first, so photo paths resolve whatever the working folder later is.
    bool Open();
    // Reads a document from a stream; see the file format in PanomerDoc.cpp. True only when the
    // stream was read to its end: a read that stops on an error fails. On failure the document
    // may be partly updated.
    bool Open(Quor_IoStream* stream);

    // Writes fPath safely: the previous file is replaced only once the new one is completely
    // written, so a failing disk never costs the last good copy. False on any failure.
    bool Save();
    // Writes the document to a stream. False when a write fails or when a photo path cannot be
    // stored (it contains a double quote, which the format cannot represent); nothing is written
    // in that case.
    bool Save(Quor_IoStream* stream);

    // Reads the project file at `path` into a new document and leaves this one untouched. The
    // new one starts with this one's projection, focal length, crop and export settings, which a
    // file that leaves them out keeps. Null when the file does not read as a project, or when
    // memory is short.
    std::unique_ptr<PanomerDoc> ReadAnother(const char* path) const;
    // Asked before each photo a read decodes, on the thread that decodes it (several at once),
    // with the photos decoded so far and the photos to decode. False skips that photo and every
    // one not yet begun, and the read fails.
    using LoadCheck = std::function<bool(int loaded, int count)>;
    // As above, asking goOn before each photo; *cancelled (when given) says whether it was goOn
    // that ended the read.
    std::unique_ptr<PanomerDoc> ReadAnother(const char* path, const LoadCheck& goOn, bool* cancelled) const;
    // Takes over everything of `opened`, which is left with what this document held: the photos'
    // pixels change hands, neither copied nor loaded again. The history does not carry over.
    void ReplaceWith(PanomerDoc& opened);

    // Records an undo point before a user action named `label` ("Move", "Delete"): the whole
    // document, in its saved form, in memory. The step joins the history once the document has
    // changed from it; an action that changed nothing leaves none.
    void PrepUndo(const char* label);
    bool CanUndo();
    bool CanRedo();
    // The name of the action Undo would take back, or Redo do again; "" without one.
    const char* UndoLabel();
    const char* RedoLabel();
    // Returns the document to the state before the newest step, which Redo can then bring back.
    // Photos are loaded again only where the path or the brightness of a slot changed.
    void Undo();
    void Redo();
    // Forgets every step (another document, a new one).
    void ClearHistory();
    // Remembers the document as it is in its file (just opened or saved, or new), so that undoing
    // back to it can tell that nothing is left to save.
    void MarkClean();
    bool IsClean();
    const UndoHistory& History() const { return fHistory; }

    // Reloads the pixels of photo `index` at `maxSize` (0 for full size) with its brightness
    // applied. The load may hold at most memoryBudget bytes (Quor_ImageIo::LoadImage), which it
    // checks from the photo's header before decoding. Returns the loader's result code (QUOR_OK
    // on success), which fLoadResult keeps; on failure the slot holds no image and *refusal,
    // when given, says why.
    int UpdatePhoto(int index, int maxSize, int64_t memoryBudget = Quor_ImageIo::kNoBudget,
        Quor_String* refusal = nullptr);
    // As UpdatePhoto, into `image` instead of the slot (whose pixels it reuses when the sizes
    // match): the document is only read, so photos load into images of their own on several
    // threads at once. fLoadResult is left as it was.
    int LoadPhoto(int index, int maxSize, int64_t memoryBudget, Quor_String* refusal, Quor_BaseImage* image) const;
    // Where every document's reduced photos are kept between runs (null: nowhere, the default).
    // The cache must outlive every load that may use it.
    static void SetPreviewCache(PreviewCache* cache);

    // The default crop of a projection type: maximum yaw, minimum yaw, maximum pitch, minimum pitch.
    // False (crop untouched) for a type outside 0..4.
    static bool DefaultCrop(int projectionType, float crop[4]);
    // True when a path can be stored in a project file.
    static bool IsStorablePath(const char* path);

    Quor_Path fPath;
    bool fModified = false;
    int32_t fProjectionType = kHorizontalSpherical;
    float fFocalLength;
    int32_t fNumPhotos = 0;
    int32_t fSelected = -1;
    Quor_Path fPhotoPath[kMaxPhotos];
    float fYaw[kMaxPhotos] = {};
    float fPitch[kMaxPhotos] = {};
    float fRoll[kMaxPhotos] = {};
    float fBrightness[kMaxPhotos] = {};
    Quor_BaseImage fPhotoImage[kMaxPhotos];
    // The result of each slot's last load (UpdatePhoto): QUOR_OK, or why it has no pixels.
    int fLoadResult[kMaxPhotos] = {};
    // A document whose photos are never shown (the command-line renderer): a load at the preview
    // size reads the photo's header only, so fLoadResult says whether the photo can be loaded,
    // and holds no pixels.
    bool fHeadersOnly = false;
    float fCrop[4];
    // The rotate tool's pivot (yaw, pitch); 100,000 or more means unset. Never saved.
    float fPivot[2] = {1000000.0f, 1000000.0f};
    int32_t fRenderWidth = 1024;
    int32_t fRenderHeight = 512;
    int32_t fQuality = 95;
    Quor_Path fRenderPath;

private:
    // The document's saved form, as the history keeps it; empty when it cannot be written.
    std::string SavedForm();
    // Undo (redo false) or Redo: the state the history returns to, read back.
    void Walk(bool redo);
    // Settles the history's open step against the document as it is now.
    void SettleHistory();
    // Reads a saved form back (the history's states).
    void Restore(const std::string& state);

    // Open(), asking goOn (may be null) before each photo it decodes; *cancelled becomes true
    // when goOn said stop.
    bool OpenFile(const LoadCheck* goOn, bool* cancelled);
    bool Read(Quor_IoStream* stream, const LoadCheck* goOn, bool* cancelled);
    bool ReadPhotos(Quor_IoStream* stream, const float* oldBrightness, const Quor_Path* oldPaths,
        const LoadCheck* goOn, bool* cancelled);

    UndoHistory fHistory;
    std::string fCleanState;
};
