// The editor under arbitrary user input: the input is read as a stream of presses, releases,
// moves, wheel turns, keys and menu shortcuts (with any modifiers), clicks and drags on the
// controls of whichever window is in front (the main window or a dialog or alert it opened),
// dropped files, resizes, passing time and close requests. Nothing a user does may crash the
// editor, read freed or out-of-bounds memory, hang it, or break a rule of the document (checked
// after every action, see tests/support/EditorMonkey.h). Project saves go to a scratch folder;
// exports are cancelled.
//
// The editor is started once; each input starts from the same state (the three-photo project
// read again), so an input replays the same way on its own.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/EditorMonkey.h"

namespace {

EditorMonkey* sMonkey = nullptr;
// Long inputs add little but time: a run stays well inside the fuzzer's time limit.
constexpr int kMaxActions = 400;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sMonkey = new EditorMonkey();
    std::string error;
    if (!sMonkey->Start(&error)) {
        std::fprintf(stderr, "fuzz_editor: %s\n", error.c_str());
        std::abort();
    }
    std::atexit([] {
        delete sMonkey;
        sMonkey = nullptr;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EditorMonkey::Actions actions(data, size);
    sMonkey->Run(&actions, kMaxActions, "this input");
    return 0;
}
