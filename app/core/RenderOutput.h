// The output file of an export: the checks made before anything is opened, creating the file,
// closing it with every error counted, and removing what a failed export left behind.
#pragma once

#include <cstdio>
#include <string>

#include "app/core/RenderOwner.h"

class PanomerDoc;

class RenderOutput {
public:
    // Runs an export: the pause that lets the progress window come up first, CheckRequest, then
    // steps(owner, output) with a fresh output. An allocation failure anywhere in the steps ends
    // the export as kNoMemory with the output discarded. Never throws.
    static RenderResult Run(RenderOwner* owner, RenderResult (*steps)(RenderOwner* owner, RenderOutput& output));

    RenderOutput() = default;
    // Closes a file still open; nothing is removed.
    ~RenderOutput();

    RenderOutput(const RenderOutput&) = delete;
    RenderOutput& operator=(const RenderOutput&) = delete;

    // The checks of a render request that need nothing opened: a size of 16..30000 per side, an
    // output path, and an output that is neither one of the document's photos nor the document
    // itself (writing it would destroy the photo before it is read). False with `result` filled.
    static bool CheckRequest(const PanomerDoc& doc, RenderResult* result);
    // True when both paths name the same file: the same device and inode when both exist,
    // otherwise the same canonical path (symbolic links, "." and ".." resolved).
    static bool SameFile(const char* a, const char* b);

    // Creates (or truncates) the file for binary writing. False with errno kept in SystemError().
    bool Create(const char* path);
    FILE* File() const { return fFile; }
    // Remembers the system error of a failed write, flush or close (the first one counts).
    void NoteWriteError(int error);
    // Flushes and closes; false when any write, the flush or the close failed.
    bool Close();
    // Closes and removes the file, for a failed export. Only a regular file is removed: an
    // output such as a device is left alone.
    void Discard();
    int SystemError() const { return fError; }
    // Discards the file and returns the failed result, with the system error seen so far.
    RenderResult Fail(RenderFailure failure);
    // A writer failed: `systemError` is the errno of its own failed write, or 0 when it failed
    // for another reason (an encoder's refusal), never whatever errno holds by now. The file is
    // discarded.
    RenderResult FailWrite(int systemError);
    // Closes the file; on any error the file is discarded and the result says so.
    bool Finish(RenderResult* result);

private:
    std::string fPath;
    FILE* fFile = nullptr;
    bool fRegular = false;
    int fError = 0;
};
