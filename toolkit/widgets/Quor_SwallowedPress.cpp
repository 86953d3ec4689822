#include "toolkit/widgets/Quor_SwallowedPress.h"

#include "toolkit/framework/Quor_View.h"

bool Quor_SwallowedPress::Take(const Quor_View* view, Quor_Point where)
{
    if (!fPending)
        return false;
    fPending = false;
    view->ViewToWnd(where);
    return where == fWindowPoint;
}
