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
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/EditorMonkey.h"

namespace {

EditorMonkey* sMonkey = nullptr;
// Long inputs add little but time: many short runs find more than a few long ones (the monkey
// test plays thousands of actions in a row).
constexpr int kMaxActions = 64;

// The editor keeps what it has built (windows, caches, an undo point) from one input to the
// next, so an input rarely frees exactly what it allocated; leaks are looked for once, at exit,
// instead of running such inputs a second time under the leak checker.
void NoLeakCheckPerInput(int* argc, char*** argv)
{
    static std::vector<char*> args;
    for (int i = 0; i < *argc; i++) {
        if (std::strncmp((*argv)[i], "-detect_leaks=", 14) == 0)
            return;
    }
    args.assign(*argv, *argv + *argc);
    static char flag[] = "-detect_leaks=0";
    // After the program's name, so that the flag never reads as a corpus folder.
    args.insert(args.begin() + 1, flag);
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    NoLeakCheckPerInput(argc, argv);
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
