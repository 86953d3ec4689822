#include "app/ui/canvas/CanvasGuides.h"

bool gDifferenceMode = false;
bool gCrosshairGuide = false;
bool gSnapMode = false;
