// The child views of a layer or of a view, in order: a growable array of pointers with the
// walks and searches that layers and views both route input and drawing through.
#pragma once

#include "toolkit/math/Quor_Point.h"

class Quor_Message;
class Quor_View;

class Quor_ViewList {
public:
    Quor_ViewList() = default;
    // Frees the array only; the views belong to the list's owner.
    ~Quor_ViewList();
    Quor_ViewList(const Quor_ViewList&) = delete;
    Quor_ViewList& operator=(const Quor_ViewList&) = delete;

    int Count() const { return fCount; }
    // Null outside 0..Count()-1.
    Quor_View* At(int index) const;
    // Appends; false (and the list unchanged) when memory runs out.
    bool Append(Quor_View* view);
    // Takes the view out, keeping the order of the others; false when it is not in the list.
    bool Remove(const Quor_View* view);
    // Deletes every view, the last first; each view's destructor takes it out of the list
    // (or not: a view still in place afterwards is dropped here).
    void DeleteAll();

    // Calls the method on each view in order, re-reading the count after each call.
    void CallEach(void (Quor_View::*method)()) const;
    // Moves and reshapes every view by its follow flags as its container goes from oldSize to
    // newSize.
    void FollowResize(Quor_Point oldSize, Quor_Point newSize) const;

    // The first view whose frame contains the point (container coordinates), or null.
    Quor_View* FirstContaining(Quor_Point where) const;
    // The index of the first view that has the focus or holds it further down, or -1.
    int IndexContainingFocus() const;
    // A dropped file or message goes to the first view under the point, in its coordinates.
    void DropFile(const char* path, Quor_Point where, unsigned int modifiers) const;
    void DropMessage(Quor_Message* message, Quor_Point where, unsigned int modifiers) const;

private:
    Quor_View** fViews = nullptr;
    int fCount = 0;
    int fCapacity = 0;
};
