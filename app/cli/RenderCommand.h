// panomer-render: renders saved projects to JPEG or layered PSD files without the editor, as the
// export dialogs would, or writes them as PTO files for the panorama tools, with a progress
// report, and Ctrl-C (or SIGTERM, SIGHUP) as Cancel.
#pragma once

#include <string>
#include <vector>

class RenderCommand {
public:
    // Exit statuses. A cancelled render exits with 128 + the signal's number: kInterrupted for
    // Ctrl-C.
    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsage = 2;
    static constexpr int kInterrupted = 128 + 2;

    // The parsed command line. Numbers that were not given are 0.
    struct Arguments {
        // One project, or several rendered one after the other.
        std::vector<std::string> projects;
        std::string output;
        // A folder to look in for photos that are not where the project says.
        std::string photosDir;
        int width = 0;
        int quality = 0;
        int threads = 0;
        bool progress = false;
        // Match the photos' brightness where they overlap before rendering.
        bool matchBrightness = false;
        bool help = false;
        bool version = false;
    };

    // Parses argv[1..] as GNU programs do (getopt_long). False with a one-line `error` for bad usage.
    static bool Parse(const std::vector<std::string>& args, Arguments* out, std::string* error);

    // Runs the whole command; returns the exit status.
    static int Main(int argc, char** argv);

    static const char* HelpText();
};
