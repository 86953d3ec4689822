#include "toolkit/core/Quor_Locker.h"

Quor_Locker::Quor_Locker(const char* name) : fMutex(Quor_CreateMutex(name)) {}

Quor_Locker::~Quor_Locker()
{
    Quor_DestroyMutex(fMutex);
}
