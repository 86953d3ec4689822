#include "app/core/PanomerDoc.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "app/core/PreviewCache.h"
#include "toolkit/core/Quor_FileStream.h"
#include "toolkit/core/Quor_IoStream.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Parallel.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/ops/Quor_ImageOps.h"
#include "toolkit/math/Quor_Math.h"

// The project file is text: whitespace-separated tokens, lines ended by a line feed.
//
//   application/x-vnd.quor_panomerdoc
//   version 1
//   projection_type 1
//   focal_length 35
//   crop 3.141593 -3.141593 1.570796 -1.570796
//   num_photos 1
//   0.5 0 0 1 "a.jpg"
//
// One line per photo: yaw, pitch, roll, brightness and the quoted path, relative to the document's
// folder when the photo lies in it or below it. Readers skip unknown keywords, so the keywords may
// come in any order; a projection_type after a crop resets the crop to the type's default.

namespace {

constexpr float kPi = float(Quor_Math::kPi);
// Room for a saved form in memory to start with; the stream grows as it needs.
constexpr int kSavedFormCapacity = 2048;

bool ReadFiniteFloat(Quor_IoStream* stream, float* out)
{
    float value;
    if (!stream->Read(&value) || !std::isfinite(value))
        return false;
    *out = value;
    return true;
}

// Files keep six decimals, so the sphere's edges come back a hair beyond it (3.141593 is past pi
// in floats), and an export would then show the canvas colour along its first column. A value
// within that rounding of an edge is the edge.
float SnappedToEdge(float value, float edge)
{
    constexpr float kRounding = 1e-5f;
    if (std::fabs(std::fabs(value) - edge) < kRounding)
        return std::copysign(edge, value);
    return value;
}

std::atomic<PreviewCache*> sPreviewCache{nullptr};

}  // namespace

PanomerDoc::PanomerDoc(float focalLength)
    : fFocalLength(focalLength)
{
    DefaultCrop(kHorizontalSpherical, fCrop);
}

bool PanomerDoc::DefaultCrop(int projectionType, float crop[4])
{
    static const float kDefaults[5][4] = {
        {1.2217305f, -1.2217305f, 1.2217305f, -1.2217305f},  // perspective: 70 degrees each way
        {kPi, -kPi, kPi / 2, -kPi / 2},                        // horizontal spherical
        {kPi, -kPi, kPi / 2, -kPi / 2},                        // vertical spherical
        {kPi / 2, -kPi / 2, kPi / 2, -kPi / 2},                // fisheye: the front hemisphere
        {1.0f, -1.0f, 1.0f, -1.0f},                            // flat
    };
    if (projectionType < 0 || projectionType > 4)
        return false;
    std::memcpy(crop, kDefaults[projectionType], sizeof kDefaults[0]);
    return true;
}

bool PanomerDoc::IsStorablePath(const char* path)
{
    // Quoted strings carry no escapes: an inner quote would end the path early.
    return path != nullptr && std::strchr(path, '"') == nullptr;
}

bool PanomerDoc::Open()
{
    bool cancelled = false;
    return OpenFile(nullptr, &cancelled);
}

bool PanomerDoc::OpenFile(const LoadCheck* goOn, bool* cancelled)
{
    fPath = fPath.Absolute();
    Quor_FileStream stream;
    if (stream.Open(fPath, true) != 0)
        return false;
    return Read(&stream, goOn, cancelled);
}

bool PanomerDoc::Open(Quor_IoStream* stream)
{
    bool cancelled = false;
    return Read(stream, nullptr, &cancelled);
}

bool PanomerDoc::Read(Quor_IoStream* stream, const LoadCheck* goOn, bool* cancelled)
{
    // The reload rule compares against the photos held before the read, so an undo reloads only
    // photos that really changed.
    float oldBrightness[kMaxPhotos];
    std::unique_ptr<Quor_Path[]> oldPaths(new (std::nothrow) Quor_Path[kMaxPhotos]);
    if (!oldPaths)
        return false;
    for (int i = 0; i < kMaxPhotos; i++) {
        oldBrightness[i] = fBrightness[i];
        oldPaths[i] = fPhotoPath[i];
    }

    const char* token = stream->Read();
    if (token == nullptr || std::strcmp(token, kMimeType) != 0)
        return false;

    bool ok = true;
    while (ok) {
        token = stream->Read();
        if (token == nullptr) {
            // No further token: the end of the text, or a read that failed before it (a device
            // error, a token the stream could not take). Only the end makes a whole document.
            ok = stream->AtEOF();
            break;
        }
        if (std::strcmp(token, "version") == 0) {
            int version;
            ok = stream->Read(&version) && version <= 1;
        } else if (std::strcmp(token, "projection_type") == 0) {
            int type;
            // A type this program does not know could only come from a newer or damaged file.
            ok = stream->Read(&type) && DefaultCrop(type, fCrop);
            if (ok)
                fProjectionType = type;
        } else if (std::strcmp(token, "focal_length") == 0) {
            ok = ReadFiniteFloat(stream, &fFocalLength);
        } else if (std::strcmp(token, "crop") == 0) {
            float crop[4];
            for (int i = 0; i < 4 && ok; i++)
                ok = ReadFiniteFloat(stream, &crop[i]);
            if (ok) {
                fCrop[0] = SnappedToEdge(crop[0], kPi);
                fCrop[1] = SnappedToEdge(crop[1], kPi);
                fCrop[2] = SnappedToEdge(crop[2], kPi / 2);
                fCrop[3] = SnappedToEdge(crop[3], kPi / 2);
            }
        } else if (std::strcmp(token, "num_photos") == 0) {
            ok = ReadPhotos(stream, oldBrightness, oldPaths.get(), goOn, cancelled);
        }
        // Any other token is skipped.
    }

    // The selection and the pivot must never name a photo slot that is no longer in use.
    if (fSelected >= fNumPhotos || fSelected < -1) {
        fSelected = -1;
        fPivot[0] = fPivot[1] = 1000000.0f;
    }
    return ok;
}

bool PanomerDoc::ReadPhotos(Quor_IoStream* stream, const float* oldBrightness, const Quor_Path* oldPaths,
    const LoadCheck* goOn, bool* cancelled)
{
    int count;
    if (!stream->Read(&count))
        return false;
    std::unique_ptr<Quor_BaseImage[]> aside(new (std::nothrow) Quor_BaseImage[kMaxPhotos]);
    if (!aside)
        return false;
    count = count < 0 ? 0 : (count > kMaxPhotos ? kMaxPhotos : count);
    fNumPhotos = count;
    int read = 0;
    bool ok = true;
    for (; read < count && ok; read++) {
        float values[4];
        for (float& value : values)
            ok = ok && ReadFiniteFloat(stream, &value);
        ok = ok && stream->ReadPath(&fPhotoPath[read], false);
        if (!ok)
            break;
        fYaw[read] = values[0];
        fPitch[read] = values[1];
        fRoll[read] = values[2];
        fBrightness[read] = values[3];
    }

    // Every slot's pixels are set aside, and each photo read takes back the pixels of a slot that
    // showed the same file at the same brightness: undoing a delete or a drop moves pictures
    // between slots instead of decoding them again. The rest are loaded again once the lines are
    // read, on every core (each load touches its own slot alone), also when a later line failed:
    // the photos read before it stand. Slots past the count let their pixels go.
    int asideResult[kMaxPhotos];
    for (int i = 0; i < kMaxPhotos; i++) {
        aside[i].Swap(fPhotoImage[i]);
        asideResult[i] = fLoadResult[i];
    }
    auto matches = [&](int slot, int i) {
        return aside[slot].IsValid() && oldBrightness[slot] == fBrightness[i] && oldPaths[slot] == fPhotoPath[i];
    };
    int reload[kMaxPhotos];
    int reloads = 0;
    for (int i = 0; i < count; i++) {
        int from = i >= read || matches(i, i) ? i : -1;
        for (int slot = 0; from < 0 && slot < kMaxPhotos; slot++) {
            if (matches(slot, i))
                from = slot;
        }
        if (from < 0) {
            reload[reloads++] = i;
            continue;
        }
        fPhotoImage[i].Swap(aside[from]);
        fLoadResult[i] = asideResult[from];
    }
    // Once the check has said stop, the photos not yet begun are skipped; the ones being decoded
    // finish.
    std::atomic<bool> stopped{false};
    std::atomic<int> loaded{0};
    Quor_Parallel::For(reloads, [&](int n) {
        if (stopped.load(std::memory_order_relaxed))
            return;
        if (goOn != nullptr && !(*goOn)(loaded.load(std::memory_order_relaxed), reloads)) {
            stopped.store(true, std::memory_order_relaxed);
            return;
        }
        UpdatePhoto(reload[n], kPreviewSize);
        loaded.fetch_add(1, std::memory_order_relaxed);
    });
    if (stopped.load(std::memory_order_relaxed)) {
        *cancelled = true;
        return false;
    }
    return ok;
}

bool PanomerDoc::Save()
{
    fPath = fPath.Absolute();
    Quor_FileStream stream;
    if (stream.OpenReplace(fPath) != 0)
        return false;
    if (!Save(&stream))
        return false;  // closing without a commit leaves the previous file as it was
    return stream.Commit();
}

bool PanomerDoc::Save(Quor_IoStream* stream)
{
    for (int i = 0; i < fNumPhotos; i++) {
        if (!IsStorablePath(fPhotoPath[i]))
            return false;
    }

    stream->Write(kMimeType);
    stream->Newline();
    stream->Write("version ");
    stream->Write(1);
    stream->Newline();
    stream->Write("projection_type ");
    stream->Write(static_cast<int>(fProjectionType));
    stream->Newline();
    stream->Write("focal_length ");
    stream->Write(fFocalLength);
    stream->Newline();
    stream->Write("crop");
    for (float value : fCrop) {
        stream->Space();
        stream->Write(value);
    }
    stream->Newline();
    stream->Write("num_photos ");
    stream->Write(static_cast<int>(fNumPhotos));
    stream->Newline();
    for (int i = 0; i < fNumPhotos; i++) {
        for (float value : {fYaw[i], fPitch[i], fRoll[i], fBrightness[i]}) {
            stream->Write(value);
            stream->Space();
        }
        stream->WritePath(fPhotoPath[i]);
        stream->Newline();
    }
    return !stream->WriteFailed();
}

std::unique_ptr<PanomerDoc> PanomerDoc::ReadAnother(const char* path) const
{
    return ReadAnother(path, LoadCheck(), nullptr);
}

std::unique_ptr<PanomerDoc> PanomerDoc::ReadAnother(const char* path, const LoadCheck& goOn, bool* cancelled) const
{
    bool stopped = false;
    if (cancelled == nullptr)
        cancelled = &stopped;
    *cancelled = false;
    std::unique_ptr<PanomerDoc> opened(new (std::nothrow) PanomerDoc(fFocalLength));
    if (!opened)
        return nullptr;
    try {
        opened->fPath = path;
        opened->fRenderPath = fRenderPath;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    opened->fProjectionType = fProjectionType;
    std::memcpy(opened->fCrop, fCrop, sizeof fCrop);
    opened->fRenderWidth = fRenderWidth;
    opened->fRenderHeight = fRenderHeight;
    opened->fQuality = fQuality;
    try {
        if (!opened->OpenFile(goOn ? &goOn : nullptr, cancelled))
            return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return opened;
}

void PanomerDoc::ReplaceWith(PanomerDoc& opened)
{
    using std::swap;
    swap(fPath, opened.fPath);
    swap(fModified, opened.fModified);
    swap(fProjectionType, opened.fProjectionType);
    swap(fFocalLength, opened.fFocalLength);
    swap(fNumPhotos, opened.fNumPhotos);
    swap(fSelected, opened.fSelected);
    for (int i = 0; i < kMaxPhotos; i++) {
        swap(fPhotoPath[i], opened.fPhotoPath[i]);
        swap(fYaw[i], opened.fYaw[i]);
        swap(fPitch[i], opened.fPitch[i]);
        swap(fRoll[i], opened.fRoll[i]);
        swap(fBrightness[i], opened.fBrightness[i]);
        fPhotoImage[i].Swap(opened.fPhotoImage[i]);
        swap(fLoadResult[i], opened.fLoadResult[i]);
    }
    swap(fCrop, opened.fCrop);
    swap(fPivot, opened.fPivot);
    swap(fRenderWidth, opened.fRenderWidth);
    swap(fRenderHeight, opened.fRenderHeight);
    swap(fQuality, opened.fQuality);
    swap(fRenderPath, opened.fRenderPath);
    // An undo would bring back a state of the document that was replaced.
    fHistory.Clear();
}

std::string PanomerDoc::SavedForm()
{
    Quor_MemStream stream;
    if (stream.OpenWrite(kSavedFormCapacity) != 0 || !Save(&stream))
        return std::string();
    return std::string(reinterpret_cast<const char*>(stream.RawData()), static_cast<size_t>(stream.FileSize()));
}

void PanomerDoc::Restore(const std::string& state)
{
    Quor_MemStream reader;
    if (reader.OpenRead(state.data(), static_cast<int>(state.size())) == 0)
        Open(&reader);
}

void PanomerDoc::PrepUndo(const char* label)
{
    // Out of memory the history is dropped rather than the edit: the document stays whole.
    try {
        std::string before = SavedForm();
        if (before.empty()) {
            fHistory.Clear();
            return;
        }
        fHistory.Begin(label, std::move(before));
    } catch (const std::bad_alloc&) {
        fHistory.Clear();
    }
}

bool PanomerDoc::CanUndo()
{
    SettleHistory();
    return fHistory.CanUndo();
}

bool PanomerDoc::CanRedo()
{
    SettleHistory();
    return fHistory.CanRedo();
}

const char* PanomerDoc::UndoLabel()
{
    SettleHistory();
    return fHistory.UndoLabel();
}

const char* PanomerDoc::RedoLabel()
{
    SettleHistory();
    return fHistory.RedoLabel();
}

void PanomerDoc::SettleHistory()
{
    if (!fHistory.IsOpen())
        return;
    try {
        fHistory.Settle(SavedForm());
    } catch (const std::bad_alloc&) {
        fHistory.Clear();
    }
}

void PanomerDoc::Undo()
{
    Walk(false);
}

void PanomerDoc::Redo()
{
    Walk(true);
}

void PanomerDoc::Walk(bool redo)
{
    SettleHistory();
    try {
        std::string restore;
        if (fHistory.Walk(redo, SavedForm(), &restore))
            Restore(restore);
    } catch (const std::bad_alloc&) {
        fHistory.Clear();
    }
}

void PanomerDoc::ClearHistory()
{
    fHistory.Clear();
}

void PanomerDoc::MarkClean()
{
    try {
        fCleanState = SavedForm();
    } catch (const std::bad_alloc&) {
        fCleanState.clear();
    }
}

bool PanomerDoc::IsClean()
{
    try {
        return !fCleanState.empty() && SavedForm() == fCleanState;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int PanomerDoc::UpdatePhoto(int index, int maxSize, int64_t memoryBudget, Quor_String* refusal)
{
    if (index < 0 || index >= kMaxPhotos)
        return QUOR_ERR_ARGUMENT;
    Quor_BaseImage& image = fPhotoImage[index];
    image.Free();
    if (fHeadersOnly && maxSize == kPreviewSize) {
        fLoadResult[index] = Quor_ImageIo::ReadHeader(fPhotoPath[index], refusal);
        return fLoadResult[index];
    }
    fLoadResult[index] = LoadPhoto(index, maxSize, memoryBudget, refusal, &image);
    return fLoadResult[index];
}

void PanomerDoc::SetPreviewCache(PreviewCache* cache)
{
    sPreviewCache.store(cache, std::memory_order_release);
}

int PanomerDoc::LoadPhoto(int index, int maxSize, int64_t memoryBudget, Quor_String* refusal,
    Quor_BaseImage* image) const
{
    if (index < 0 || index >= kMaxPhotos || image == nullptr)
        return QUOR_ERR_ARGUMENT;
    PreviewCache* cache = sPreviewCache.load(std::memory_order_acquire);
    const int result = cache != nullptr ? cache->Load(fPhotoPath[index], maxSize, memoryBudget, refusal, image)
                                        : Quor_ImageIo::LoadImage(fPhotoPath[index], image, maxSize, memoryBudget, refusal);
    if (result != QUOR_OK) {
        // A decode that failed half-way must not leave rows of undefined pixels behind.
        image->Free();
        return result;
    }
    const float brightness = fBrightness[index];
    if (std::fabs(brightness) > 0.000001f)
        Quor_ImageOps::Brighten(&image->Image(), brightness);
    return QUOR_OK;
}
