// The guide settings of the Guides menu that change how the canvas draws and drags. The main
// window toggles them; the centre-line guide (gHorizonGuide) belongs to the projection.
#pragma once

// The selected photo is drawn as its difference with the photos below it, so that matching
// overlaps turn black.
extern bool gDifferenceMode;
// Two lines across the canvas follow the pointer.
extern bool gCrosshairGuide;
// Moves snap to the horizon and turns to quarter turns; Command held during a drag inverts it.
extern bool gSnapMode;
