#include "toolkit/framework/Quor_Launcher.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <vector>

extern char** environ;

namespace {

std::mutex sMutex;
std::vector<pid_t> sChildren;

}  // namespace

int Quor_Launcher::Spawn(const char* program, const char* argument)
{
    if (program == nullptr || *program == '\0' || argument == nullptr || *argument == '\0')
        return EINVAL;
    Reap();
    // The argument goes to the program as one vector entry, so file names with blanks, quotes
    // or shell characters reach it unchanged.
    char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
    if (rc != 0)
        return rc;
    std::lock_guard<std::mutex> lock(sMutex);
    try {
        sChildren.push_back(pid);
    } catch (...) {
        // Not remembered: it is reaped by nobody and stays a zombie until the program ends.
    }
    return 0;
}

void Quor_Launcher::Reap()
{
    std::lock_guard<std::mutex> lock(sMutex);
    std::erase_if(sChildren, [](pid_t pid) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        return done == pid || (done < 0 && errno == ECHILD);
    });
}
