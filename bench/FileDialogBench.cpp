// File dialog benchmark: how long the open dialog takes to show a folder of many photos, on the
// in-memory host (so without a display): from the call until the dialog waits for the user with
// every row in its list and the window drawn, and entering the folder from a dialog already
// shown (listed, put in the list and drawn). Also the listing alone (names, their kinds from the
// folder entries, sorting) and, for comparison, asking the file system about every entry.
//
//   file_dialog_bench [--files N] [--runs R]      (defaults: 20000 files, 5 runs)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_FileLister.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/framework/Quor_Wnd.h"
#include "toolkit/framework/platform/Quor_MemoryHost.h"
#include "toolkit/widgets/Quor_FileDialog.h"
#include "toolkit/widgets/Quor_TextList.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    int files = 20000;
    int runs = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--files") == 0)
            files = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
    }

    char pattern[] = "/tmp/file-dialog-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    for (int i = 0; i < files; i++) {
        char name[64];
        std::snprintf(name, sizeof name, "/IMG_%05d.JPG", (i * 7919) % files);
        const int fd = open((folder + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            close(fd);
    }

    Quor_MemoryHost host;
    if (!Quor_App::InitQuorSystem(&host)) {
        std::fprintf(stderr, "the toolkit did not start\n");
        return 1;
    }
    const std::string empty = folder + "/empty";
    mkdir(empty.c_str(), 0755);
    std::vector<double> listing, statting, opening, entering;
    size_t rows = 0;
    for (int run = 0; run < runs; run++) {
        std::vector<Quor_FileDialog::Entry> entries;
        auto start = Clock::now();
        Quor_FileDialog::ListFolder(folder.c_str(), &entries);
        listing.push_back(Since(start));
        // The empty folder is one entry more.
        entries.erase(std::remove_if(entries.begin(), entries.end(), [](const Quor_FileDialog::Entry& e) { return e.folder; }),
                      entries.end());

        start = Clock::now();
        int found = 0;
        for (const Quor_FileDialog::Entry& entry : entries)
            found += Quor_FileLister::KindOf((folder + "/" + entry.name.Buffer()).c_str()) == Quor_FileLister::Kind::kFile;
        statting.push_back(Since(start));
        if (found != files)
            std::fprintf(stderr, "only %d of %d files found\n", found, files);

        // The first idle moment of the dialog's loop: shown, drawn, waiting for the user.
        double shownAfter = 0.0;
        start = Clock::now();
        host.SetIdleHook([&] {
            if (shownAfter == 0.0) {
                shownAfter = Since(start);
                const uint32_t window = host.Windows().back();
                if (auto* dialog = dynamic_cast<Quor_FileDialog*>(Quor_WindowList::FindByHost(window)->TopLayer()))
                    rows = static_cast<size_t>(dialog->List()->CountItems());
                host.PushKey(window, 27);
            }
        });
        Quor_FileDialogRequest request;
        const std::string startFolder = folder + "/";
        request.defaultName = startFolder.c_str();
        Quor_String path;
        Quor_RunFileDialog(request, &path);
        host.SetIdleHook(nullptr);
        opening.push_back(shownAfter);

        // A dialog shown on an empty folder enters the large one.
        double enteredAfter = 0.0;
        host.SetIdleHook([&] {
            if (enteredAfter == 0.0) {
                const uint32_t window = host.Windows().back();
                if (auto* dialog = dynamic_cast<Quor_FileDialog*>(Quor_WindowList::FindByHost(window)->TopLayer())) {
                    const auto enter = Clock::now();
                    dialog->EnterFolder(folder.c_str());
                    enteredAfter = Since(enter);
                }
                host.PushKey(window, 27);
            }
        });
        const std::string emptyFolder = empty + "/";
        request.defaultName = emptyFolder.c_str();
        Quor_RunFileDialog(request, &path);
        host.SetIdleHook(nullptr);
        entering.push_back(enteredAfter);
    }
    Quor_App::ShutdownQuorSystem();
    std::filesystem::remove_all(folder);

    std::printf("%d files, median of %d runs:\n", files, runs);
    std::printf("  listing (names, kinds, sorted):  %.4f s\n", Median(listing));
    std::printf("  one stat per entry, for comparison: %.4f s\n", Median(statting));
    std::printf("  open dialog shown with %zu rows (the files and one folder):  %.4f s\n", rows, Median(opening));
    std::printf("  the folder entered in a dialog already shown: %.4f s\n", Median(entering));
    return rows == static_cast<size_t>(files) + 1 ? 0 : 1;
}
