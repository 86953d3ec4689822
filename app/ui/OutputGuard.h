// The refusal to write a project or a panorama over one of the document's own files: a photo
// replaced by what is saved would be lost before it is read, and the project with it.
#pragma once

class PanomerDoc;
class Quor_Wnd;

// True when `path` names one of the document's photos (the same file by device and inode, or by
// its canonical path when it does not exist yet) or, for "panorama", the project itself: the
// alert that says so has been shown over alertParent (may be null), which then gets the keyboard
// back. `what` is "panorama" or "project"; a project may of course be saved over its own file.
bool RefuseOutputOver(Quor_Wnd* alertParent, const PanomerDoc& doc, const char* path, const char* what);
