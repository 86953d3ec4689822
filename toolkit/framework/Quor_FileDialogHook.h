// The open and save dialogs are drawn by the widgets library, which registers them with the
// application object through this hook, so that the framework shows them without linking it.
#pragma once

#include <functional>

#include "toolkit/core/Quor_String.h"

class Quor_Wnd;

struct Quor_FileDialogRequest {
    bool save = false;
    Quor_Wnd* parent = nullptr;
    const char* title = "";
    // The proposed file name of a save dialog; a path in it (or a folder, for either dialog)
    // gives the folder to start in.
    const char* defaultName = "";
    // What the dialog offers, for dialogs that filter ("Image Files", "*.jpg;*.png"): a menu
    // under the list shows only folders and the files that match, or all files. Save dialogs
    // without patterns filter by their extensions.
    const char* description = "";
    const char* patterns = "";
    // Save dialogs: the extensions the file may have, with their dots, ";"-separated
    // (".jpg;.jpeg"). A name chosen without one of them gets the first; whether a file is
    // replaced is asked about that final name.
    const char* extensions = "";
    // Save dialogs: asked about the final path before anything else, the replace prompt
    // included. False keeps the dialog open for another name; the check has told the user why.
    std::function<bool(const char* path)> accept;
};

// Runs the dialog modally and, when the user chose a file, stores its full path in *path.
// Returns 0 when a file was chosen, 1 when the user cancelled, or a negative result code.
using Quor_FileDialogHook = int (*)(const Quor_FileDialogRequest& request, Quor_String* path);
