#include "toolkit/framework/Quor_ViewList.h"

#include <new>

#include "toolkit/framework/Quor_View.h"

namespace {

constexpr int kInitialCapacity = 4;

}  // namespace

Quor_ViewList::~Quor_ViewList()
{
    delete[] fViews;
}

Quor_View* Quor_ViewList::At(int index) const
{
    return index >= 0 && index < fCount ? fViews[index] : nullptr;
}

bool Quor_ViewList::Append(Quor_View* view)
{
    if (fCount == fCapacity) {
        const int grown = fCapacity < kInitialCapacity ? kInitialCapacity : fCapacity * 2;
        Quor_View** larger = new (std::nothrow) Quor_View*[grown];
        if (larger == nullptr)
            return false;
        for (int i = 0; i < fCount; ++i)
            larger[i] = fViews[i];
        delete[] fViews;
        fViews = larger;
        fCapacity = grown;
    }
    fViews[fCount++] = view;
    return true;
}

bool Quor_ViewList::Remove(const Quor_View* view)
{
    for (int i = 0; i < fCount; ++i) {
        if (fViews[i] == view) {
            for (int k = i + 1; k < fCount; ++k)
                fViews[k - 1] = fViews[k];
            --fCount;
            return true;
        }
    }
    return false;
}

void Quor_ViewList::DeleteAll()
{
    while (fCount > 0) {
        Quor_View* view = fViews[fCount - 1];
        delete view;
        if (fCount > 0 && fViews[fCount - 1] == view)
            --fCount;
    }
}

void Quor_ViewList::CallEach(void (Quor_View::*method)()) const
{
    for (int i = 0; i < fCount; ++i)
        (fViews[i]->*method)();
}

void Quor_ViewList::FollowResize(Quor_Point oldSize, Quor_Point newSize) const
{
    for (int i = 0; i < fCount; ++i) {
        Quor_View* view = fViews[i];
        const Quor_Rect r = Quor_FollowFrame(view->Frame(), view->FollowFlags(), oldSize, newSize);
        view->SetLocation(r.left, r.top);
        view->SetShape(r.Width(), r.Height());
    }
}

Quor_View* Quor_ViewList::FirstContaining(Quor_Point where) const
{
    for (int i = 0; i < fCount; ++i) {
        if (fViews[i]->Frame().Contains(where))
            return fViews[i];
    }
    return nullptr;
}

int Quor_ViewList::IndexContainingFocus() const
{
    for (int i = 0; i < fCount; ++i) {
        if (fViews[i]->ContainsFocus())
            return i;
    }
    return -1;
}

void Quor_ViewList::DropFile(const char* path, Quor_Point where, unsigned int modifiers) const
{
    if (Quor_View* view = FirstContaining(where))
        view->OnFileDrop(path, where - view->Location(), modifiers);
}

void Quor_ViewList::DropMessage(Quor_Message* message, Quor_Point where, unsigned int modifiers) const
{
    if (Quor_View* view = FirstContaining(where))
        view->OnMessageDrop(message, where - view->Location(), modifiers);
}
