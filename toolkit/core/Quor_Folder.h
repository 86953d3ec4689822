// Folders on disk: making one with the folders above it, as settings and caches need.
#pragma once

class Quor_Folder {
public:
    // Makes the folder and any missing folders above it, private to the user (mode 0700).
    // True when the folder is there afterwards, whoever made it.
    static bool MakeAll(const char* path);
};
