// The places a file dialog offers beside its list: the home folder, the folder the dialog started
// in, the desktop and pictures folders the user's folder settings name, and mounted volumes.
// Everything comes from the environment it is given, so it can be computed for any home.
#pragma once

#include <vector>

#include "toolkit/core/Quor_String.h"

class Quor_FilePlaces {
public:
    struct Place {
        Quor_String label;
        Quor_String path;
    };
    struct Environment {
        Quor_String home;
        // $XDG_CONFIG_HOME; "" means the home folder's .config.
        Quor_String configHome;
        // Folders whose subfolders are mounted volumes, in the order they are looked at.
        std::vector<Quor_String> volumeRoots;
    };

    // This process's environment: HOME, XDG_CONFIG_HOME, and /media/$USER, /media and /mnt.
    static Environment FromProcess();
    // Home, the start folder (when it is another folder), Desktop and Pictures (when set, there,
    // and not the home folder itself), then the volumes by name. A root that cannot be read
    // gives no volumes, and a root is not a volume of another root. Empty when memory runs out.
    static std::vector<Place> List(const Environment& environment, const char* startFolder);
    // The folder a user-dirs.dirs text names for a key ("XDG_DESKTOP_DIR"), with "$HOME"
    // replaced; "" when the key is missing or its value is neither absolute nor under $HOME.
    static Quor_String UserDir(const char* text, const char* key, const char* home);
};
