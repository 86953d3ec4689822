// The output file of an export: the checks made before anything is opened, then a temporary file
// beside the output that takes the output's name only once it is complete, so that a failed or
// killed export never harms the file it was to replace.
#pragma once

#include <cstdio>
#include <string>

#include "app/core/RenderOwner.h"
#include "toolkit/imaging/formats/Quor_OutputFile.h"

class PanomerDoc;

class RenderOutput {
public:
    // Runs an export: the pause that lets the progress window come up first, CheckRequest, then
    // steps(owner, output) with a fresh output. An allocation failure anywhere in the steps ends
    // the export as kNoMemory with the output discarded. Never throws.
    static RenderResult Run(RenderOwner* owner, RenderResult (*steps)(RenderOwner* owner, RenderOutput& output));

    // Where an export of `project` goes unless told otherwise: the project's path with its
    // extension replaced by `extension` (".jpg"), or with it added when there is none.
    static std::string BesideProject(const std::string& project, const char* extension);

    // Makes a write past the process's file size limit (ulimit -f) fail with EFBIG, to be
    // reported like a full disk, instead of ending the whole program by SIGXFSZ. For the
    // programs' entry points.
    static void FailWritesPastSizeLimit();

    RenderOutput() = default;
    // A file still open is discarded.
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

    // Opens the output for binary writing: a temporary file that will replace `path`, or a
    // device itself (see Quor_OutputFile). False with the system's error in SystemError().
    bool Create(const char* path);
    FILE* File() const { return fFile; }
    // A regular file was at the path when the output was created: it stays as it was unless the
    // output is closed successfully.
    bool ReplacesAFile() const { return fOutput.ReplacesAFile(); }
    // Remembers the system error of a failed write, flush or close (the first one counts).
    void NoteWriteError(int error);
    // Flushes and closes; unless any write, the flush or the close failed, the new file then
    // takes the output's name. False on failure, with the old file left as it was.
    bool Close();
    // Closes and removes the temporary file, for an export that failed or that has nothing to
    // write: the file at the output's path is left as it was (a device is simply closed).
    void Discard();
    int SystemError() const { return fError; }
    // Discards the output and returns the failed result, with the system error seen so far.
    RenderResult Fail(RenderFailure failure);
    // A writer failed: `systemError` is the errno of its own failed write, or 0 when it failed
    // for another reason (an encoder's refusal), never whatever errno holds by now. The output
    // is discarded.
    RenderResult FailWrite(int systemError);
    // Closes the output; on any error it is discarded and the result says so.
    bool Finish(RenderResult* result);
    // Close has put the complete file in place: whatever happens afterwards, the export is done.
    bool Completed() const { return fCompleted; }

private:
    Quor_OutputFile fOutput;
    // fOutput's file while it is open.
    FILE* fFile = nullptr;
    int fError = 0;
    bool fCompleted = false;
};
