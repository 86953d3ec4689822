#include "app/core/RenderOutput.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "app/core/CropFit.h"
#include "app/core/PanomerDoc.h"
#include "toolkit/core/Quor_Status.h"

namespace {

// The canonical form of a path whose last component may not exist yet: the folder is resolved,
// the name appended. Empty when not even the folder resolves.
std::string CanonicalPath(const char* path)
{
    char resolved[PATH_MAX];
    if (realpath(path, resolved) != nullptr)
        return resolved;
    std::string text(path);
    const size_t slash = text.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : text.substr(0, slash));
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || realpath(folder.c_str(), resolved) == nullptr)
        return std::string();
    std::string result(resolved);
    if (result.empty() || result.back() != '/')
        result += '/';
    return result + name;
}

}  // namespace

RenderResult RenderOutput::Run(RenderOwner* owner, RenderResult (*steps)(RenderOwner* owner, RenderOutput& output))
{
    Quor_Snooze(owner->Options().startPauseMs);
    RenderResult result;
    if (!CheckRequest(*owner->Document(), &result))
        return result;
    RenderOutput output;
    try {
        return steps(owner, output);
    } catch (const std::bad_alloc&) {
        // Only names and messages allocate; the photos are back at preview size already. Once
        // the complete panorama has taken the output's name, it is there, and saying it failed
        // would be wrong.
        if (output.Completed())
            return RenderResult();
        return output.Fail(RenderFailure::kNoMemory);
    }
}

bool RenderOutput::SameFile(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr || *a == '\0' || *b == '\0')
        return false;
    struct stat sa, sb;
    const bool hasA = stat(a, &sa) == 0;
    const bool hasB = stat(b, &sb) == 0;
    if (hasA && hasB)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (hasA != hasB)
        return false;
    const std::string ca = CanonicalPath(a);
    return !ca.empty() && ca == CanonicalPath(b);
}

bool RenderOutput::CheckRequest(const PanomerDoc& doc, RenderResult* result)
{
    result->status = RenderStatus::kFailed;
    if (!CropFit::IsValidSize(doc.fRenderWidth, doc.fRenderHeight)) {
        result->failure = RenderFailure::kBadSize;
        return false;
    }
    const char* output = doc.fRenderPath;
    if (output == nullptr || *output == '\0') {
        result->failure = RenderFailure::kNoOutput;
        return false;
    }
    bool clash = SameFile(output, doc.fPath);
    for (int i = 0; i < doc.fNumPhotos && i < kMaxPhotos && !clash; i++)
        clash = SameFile(output, doc.fPhotoPath[i]);
    if (clash) {
        result->failure = RenderFailure::kOutputIsSource;
        return false;
    }
    result->status = RenderStatus::kDone;
    result->failure = RenderFailure::kNone;
    return true;
}

std::string RenderOutput::BesideProject(const std::string& project, const char* extension)
{
    const size_t dot = project.rfind('.');
    const size_t slash = project.rfind('/');
    const bool hasExtension = dot != std::string::npos && dot + 1 < project.size() &&
                              (slash == std::string::npos || dot > slash);
    return project.substr(0, hasExtension ? dot : project.size()) + extension;
}

void RenderOutput::FailWritesPastSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

RenderOutput::~RenderOutput()
{
    Discard();
}

bool RenderOutput::Create(const char* path)
{
    Discard();
    fError = 0;
    if (fOutput.Open(path) != QUOR_OK) {
        fError = fOutput.SystemError() != 0 ? fOutput.SystemError() : EIO;
        return false;
    }
    fFile = fOutput.File();
    return true;
}

void RenderOutput::NoteWriteError(int error)
{
    if (fError == 0)
        fError = error != 0 ? error : EIO;
}

bool RenderOutput::Close()
{
    if (fFile == nullptr)
        return fError == 0;
    fFile = nullptr;
    if (fOutput.Finish(fError == 0) == QUOR_OK) {
        fCompleted = true;
        return true;
    }
    NoteWriteError(fOutput.SystemError());
    return false;
}

RenderResult RenderOutput::Fail(RenderFailure failure)
{
    const int error = fError;
    Discard();
    return RenderResult::Failed(failure, error);
}

RenderResult RenderOutput::FailWrite(int systemError)
{
    if (systemError != 0)
        NoteWriteError(systemError);
    return Fail(RenderFailure::kWriteFailed);
}

bool RenderOutput::Finish(RenderResult* result)
{
    if (Close())
        return true;
    *result = Fail(RenderFailure::kWriteFailed);
    return false;
}

void RenderOutput::Discard()
{
    if (fFile != nullptr)
        fOutput.Finish(false);
    fFile = nullptr;
}
