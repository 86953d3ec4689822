// Prints the folder where a program at this place finds its data (Quor_App::AppDir()). The
// install check copies it next to the installed programs to see what they would find.
#include <cstdio>

#include "toolkit/framework/Quor_App.h"

int main()
{
    std::printf("%s\n", Quor_App::AppDir().Buffer());
    return 0;
}
