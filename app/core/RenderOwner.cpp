#include "app/core/RenderOwner.h"

#include <cstring>

#include "app/core/JpegRenderer.h"
#include "app/core/PsdRenderer.h"

namespace {

// "<sentence>" followed by ": <the system's reason>" and ". <cause>" where they are known.
std::string WithCause(const char* sentence, const RenderResult& result)
{
    std::string text = sentence;
    if (result.systemError != 0)
        text += std::string(": ") + std::strerror(result.systemError);
    text += ".";
    if (!result.cause.empty())
        text += " " + result.cause;
    return text;
}

}  // namespace

RenderResult RenderResult::Failed(RenderFailure failure, int systemError)
{
    RenderResult result;
    result.status = RenderStatus::kFailed;
    result.failure = failure;
    result.systemError = systemError;
    return result;
}

std::string RenderResult::Message() const
{
    if (status != RenderStatus::kFailed)
        return std::string();
    switch (failure) {
    case RenderFailure::kBadSize:
        return "The panorama size must be 16 to 30000 pixels per side.";
    case RenderFailure::kNoOutput:
        return "No output file was chosen.";
    case RenderFailure::kOutputIsSource:
        return "The output file is one of the panorama's photos or the project itself.";
    case RenderFailure::kCannotCreate:
        return WithCause("Could not create the file", *this);
    case RenderFailure::kTooLarge:
        return WithCause("The panorama is too large for the PSD format", *this);
    case RenderFailure::kNoMemory:
        return WithCause("Not enough memory for a panorama of this size", *this);
    case RenderFailure::kPhotosMissing: {
        std::string text = std::to_string(missingPhotos.size());
        text += missingPhotos.size() == 1 ? " photo" : " photos";
        text += " could not be loaded at full size:";
        for (size_t i = 0; i < missingPhotos.size(); i++) {
            text += i == 0 ? " " : ", ";
            text += missingPhotos[i];
        }
        text += ".";
        return text;
    }
    case RenderFailure::kWriteFailed:
    case RenderFailure::kNone:
        break;
    }
    return WithCause("Could not write the panorama", *this);
}

std::string RenderResult::WhenCancelled() const
{
    switch (left) {
    case RenderLeft::kEmptyFile:
    case RenderLeft::kOldFile:
        return "while the photos were loading";
    case RenderLeft::kNothing:
        return "before it started";
    case RenderLeft::kUnfinishedFile:
        break;
    }
    return "after " + std::to_string(rowsRendered) + " of " + std::to_string(rowsTotal) + " rows";
}

std::string RenderResult::WhatIsLeft(RenderKind kind) const
{
    switch (left) {
    case RenderLeft::kEmptyFile:
        return "is left empty";
    case RenderLeft::kOldFile:
        return "is left as it was";
    case RenderLeft::kNothing:
        return "was not written";
    case RenderLeft::kUnfinishedFile:
        break;
    }
    if (kind == RenderKind::kPsd)
        return rowsRendered == 0 ? "holds every layer, all transparent"
                                 : "holds every layer, the parts not rendered repeating the last layer's pixels";
    return rowsRendered == 0 ? "is a complete image, all black"
                             : "is a complete image whose remaining rows repeat the last one rendered";
}

RenderOwner::RenderOwner(PanomerDoc* doc)
    : fDoc(doc)
    , fCancelLock(Quor_CreateMutex("Kill Render"))
{
}

RenderOwner::~RenderOwner()
{
    CancelRender();
    Quor_DestroyMutex(fCancelLock);
}

bool RenderOwner::StartRender(RenderKind kind, const RenderOptions& options)
{
    if (fThread || fCancelLock == nullptr || fDoc == nullptr)
        return false;
    fKind = kind;
    fOptions = options;
    fProgress.store(0.0f, std::memory_order_relaxed);
    fThread = Quor_SpawnThread(ThreadEntry, this, 2, "Render Loop");
    return static_cast<bool>(fThread);
}

void RenderOwner::CancelRender()
{
    if (!fThread)
        return;
    // Holding the lock while waiting makes every later try of the worker fail, which it reads
    // as Cancel; the worker never waits for the lock, so the wait cannot deadlock.
    Quor_LockMutex(fCancelLock, -1);
    Quor_WaitForThread(fThread);
    Quor_UnlockMutex(fCancelLock);
}

void RenderOwner::JoinRender()
{
    Quor_WaitForThread(fThread);
}

bool RenderOwner::CheckCancel(const RenderCheckpoint& at, float progress)
{
    ReachedCheckpoint(at);
    if (!Quor_LockMutex(fCancelLock, 0))
        return true;
    if (progress >= 0.0f)
        fProgress.store(progress, std::memory_order_relaxed);
    Quor_UnlockMutex(fCancelLock);
    return false;
}

void RenderOwner::RenderEnded(const RenderResult& result)
{
    (void)result;
}

void RenderOwner::ReachedCheckpoint(const RenderCheckpoint& at)
{
    (void)at;
}

int RenderOwner::ThreadEntry(void* arg)
{
    RenderOwner* owner = static_cast<RenderOwner*>(arg);
    const RenderResult result = owner->fKind == RenderKind::kPsd ? PsdRenderer::Run(owner) : JpegRenderer::Run(owner);
    if (result.status == RenderStatus::kDone)
        owner->fProgress.store(1.0f, std::memory_order_relaxed);
    owner->RenderEnded(result);
    return 0;
}
