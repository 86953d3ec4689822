// What an export worker needs of whoever started it, and the owner's side of the protocol: start
// the worker, cancel it, join it. The progress dialogs and the command-line renderer are owners;
// the worker sees only the document, the cancel lock, the progress value and the end report.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/core/Quor_Mutex.h"
#include "toolkit/core/Quor_Thread.h"

class PanomerDoc;

enum class RenderKind { kJpeg, kPsd };

enum class RenderStatus { kDone, kCancelled, kFailed };

enum class RenderFailure {
    kNone,
    kBadSize,         // the stored output size lies outside 16..30000
    kNoOutput,        // no output path
    kOutputIsSource,  // the output is one of the photos or the document itself
    kCannotCreate,    // the output file cannot be created
    kWriteFailed,     // writing failed (disk full, an encoder error)
    kTooLarge,        // the layers' data passes the 32-bit lengths of the PSD format
    kNoMemory,        // the photos or the layer buffer do not fit in memory
    kPhotosMissing,   // photos could not be loaded at full size
};

// On Cancel, what the output's path holds.
enum class RenderLeft {
    kUnfinishedFile,  // a complete file, its unrendered part repeating the last rendered row
                      // (JPEG; black before the first) or the layer buffer (PSD; transparent
                      // before the first row)
    kEmptyFile,       // an empty file: a JPEG cancelled while its photos loaded, where no file was
    kOldFile,         // the file that was there, as it was: cancelled before anything was written
    kNothing,         // nothing: cancelled before anything was written, and no file was there
};

// How an export ended. On failure the output's path is as it was before; on Cancel it holds what
// `left` says.
struct RenderResult {
    RenderStatus status = RenderStatus::kDone;
    RenderFailure failure = RenderFailure::kNone;
    // The system's error number of the failure itself (the create, write, flush or close that
    // failed), else 0.
    int systemError = 0;
    // The failure's own cause in words, when the part that failed gave one (for example a
    // photo's refusal by the memory budget, naming the photo and its size); else empty.
    std::string cause;
    // File names of the photos that could not be loaded at full size, in document order.
    std::vector<std::string> missingPhotos;

    // On Cancel: what the output holds, and the rows rendered before it, of all the rows of the
    // export (for a PSD, the rows of every layer).
    RenderLeft left = RenderLeft::kUnfinishedFile;
    int64_t rowsRendered = 0;
    int64_t rowsTotal = 0;

    // One sentence for the user, for a failure; empty otherwise.
    std::string Message() const;
    // On Cancel, when it came: "after 100 of 160 rows", "while the photos were loading".
    std::string WhenCancelled() const;
    // On Cancel, what the output holds, in words that follow its name: "is left empty", "is a
    // complete image whose remaining rows repeat the last one rendered"...
    std::string WhatIsLeft(RenderKind kind) const;
    // A failed result.
    static RenderResult Failed(RenderFailure failure, int systemError = 0);
};

struct RenderOptions {
    // The worker waits this long before it starts, so the progress window is up first.
    int startPauseMs = 500;
    // Most bytes the export may hold in full-size photos and its layer buffer; 0 (or less) means
    // three quarters of the machine's physical memory.
    int64_t memoryLimit = 0;
    // Photos that could not be loaded before the export began (the command line has named them
    // in a warning) are left out of the panorama. Otherwise every photo that cannot be loaded
    // stops the export, so that a panorama never silently lacks one.
    bool leaveOutUnloadedPhotos = false;
};

// A place where the worker asks whether the user has cancelled.
struct RenderCheckpoint {
    enum Stage { kLoadingPhoto, kRenderingRow };
    Stage stage = kLoadingPhoto;
    int photo = 0;  // the photo about to be loaded, or whose layer is being rendered
    int row = 0;    // the row about to be rendered
};

class RenderOwner {
public:
    explicit RenderOwner(PanomerDoc* doc);
    // A derived owner must end its render (CancelRender or JoinRender) in its own destructor:
    // the worker reports to it. This one cancels and joins only as a last resort.
    virtual ~RenderOwner();

    RenderOwner(const RenderOwner&) = delete;
    RenderOwner& operator=(const RenderOwner&) = delete;

    // --- The owner's side, on the thread that owns the owner ---

    // Starts the worker thread. False when a worker already runs, the cancel lock could not be
    // made or the system refuses the thread; nothing runs then.
    bool StartRender(RenderKind kind, const RenderOptions& options = RenderOptions());
    // The user's Cancel: takes the cancel lock waiting without limit, so every later try of the
    // worker fails, waits for the worker to end and releases the lock. Safe at any moment, also
    // after the worker has reported its end or when none was started.
    void CancelRender();
    // Waits for a worker that has reported its end (or is about to) and forgets it.
    void JoinRender();
    // A worker has been started and not yet joined.
    bool IsRendering() const { return static_cast<bool>(fThread); }
    // The worker's progress, 0 to 1; any thread may read it.
    float Progress() const { return fProgress.load(std::memory_order_relaxed); }

    // --- The worker's side ---

    PanomerDoc* Document() const { return fDoc; }
    const RenderOptions& Options() const { return fOptions; }
    // Tells ReachedCheckpoint, then tries the cancel lock without waiting. When the try fails the
    // user has cancelled: true. Otherwise stores `progress` (when it is 0 or more) while holding
    // the lock, releases it and returns false.
    bool CheckCancel(const RenderCheckpoint& at, float progress);
    // The worker's last call, on its own thread, once the output is complete and closed (or
    // removed) and every photo is back at preview size. It must not touch the user interface:
    // an owner with windows hands the result to its event thread, which then joins the worker.
    virtual void RenderEnded(const RenderResult& result);
    // Called on the worker thread at each checkpoint just before it asks for Cancel, without the
    // lock held; a place for tracing and for tests that cancel at an exact moment.
    virtual void ReachedCheckpoint(const RenderCheckpoint& at);

protected:
    // The lock itself, for owners that must hold it across more than CancelRender does.
    Quor_MutexHandle CancelLock() const { return fCancelLock; }

private:
    static int ThreadEntry(void* owner);

    PanomerDoc* fDoc;
    Quor_MutexHandle fCancelLock = nullptr;
    Quor_ThreadHandle fThread;
    RenderKind fKind = RenderKind::kJpeg;
    RenderOptions fOptions;
    std::atomic<float> fProgress{0.0f};
};
