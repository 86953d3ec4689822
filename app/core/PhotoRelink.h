// Finds the photos of a project that are no longer where it says, in a folder the user names: a
// missing photo whose file name is found in the folder, or in one of its subfolders one level
// down, is pointed at that file. Photos whose files are there are never touched.
#pragma once

#include <vector>

class PanomerDoc;

class PhotoRelink {
public:
    // Points every missing photo of `doc` whose name is found under `folder` at the file found:
    // the folder itself first, then its subfolders in byte order of their names. The indices of
    // the photos pointed elsewhere go to *relinked (may be null); nothing is loaded or marked.
    // False when the folder cannot be read.
    static bool Relink(PanomerDoc* doc, const char* folder, std::vector<int>* relinked);

    // True when a regular file (or a link to one) stands at the path.
    static bool IsFile(const char* path);
};
