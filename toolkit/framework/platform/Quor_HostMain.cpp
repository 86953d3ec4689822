// The program's entry: gathers the command line, picks the host backend (SDL2, or the in-memory
// one when QUOR_HOST=memory), hands documents named on the command line to the application as
// the desktop's open-document request, and runs the application.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"
#include "toolkit/framework/platform/Quor_SdlHost.h"

namespace {

const char* sProgram = "program";

Quor_Host* ChooseHost()
{
    const char* wanted = std::getenv("QUOR_HOST");
    if (wanted != nullptr && std::strcmp(wanted, "memory") == 0)
        return new (std::nothrow) Quor_MemoryHost();
    if (wanted != nullptr && *wanted != '\0' && std::strcmp(wanted, "sdl") != 0)
        std::fprintf(stderr, "%s: unknown QUOR_HOST \"%s\"; using the desktop backend\n", sProgram, wanted);
    return new (std::nothrow) Quor_SdlHost();
}

bool IsExistingFile(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

int Quor_App::Main()
{
    Quor_String error;
    if (!InitQuorSystem(nullptr, &error)) {
        std::fprintf(stderr, "%s: %s\n", sProgram, error.Buffer());
        return 1;
    }
    const int status = Quor_Main();
    ShutdownQuorSystem();
    return status;
}

int main(int argc, char** argv)
{
    if (argc > 0 && argv[0] != nullptr) {
        const char* slash = std::strrchr(argv[0], '/');
        sProgram = slash != nullptr ? slash + 1 : argv[0];
    }
    Quor_App::fArguments = "";
    for (int i = 1; i < argc; ++i) {
        Quor_App::fArguments += "\"";
        Quor_App::fArguments += argv[i];
        Quor_App::fArguments += "\" ";
    }
    Quor_App::fArguments.TrimLeft();
    Quor_App::fArguments.TrimRight();

    Quor_App::gTabletAvailable = true;
    Quor_App::SetHostFactory(ChooseHost);

    // A desktop file passes the documents to open as arguments.
    for (int i = 1; i < argc; ++i) {
        if (IsExistingFile(argv[i])) {
            const char* one[] = {argv[i]};
            Quori_OpenDocHandler(one, 1);
        }
    }
    return Quor_App::Main();
}
