// The message codes of the main window and its layer: the menu commands, the photo list's tool
// bar, the focal length button and the projection pop-up. The canvas's own codes (tools, the
// photo drop, the tool bar refresh) come with it.
#pragma once

#include "app/ui/canvas/CanvasCodes.h"

// File menu.
constexpr int kCmdNew = 1000;
// With the string field "path": opens that file (a JPEG goes to the photo list).
constexpr int kCmdOpen = 1001;
constexpr int kCmdSave = 1002;
// With the string field "path": saves the document under that name.
constexpr int kCmdSaveAs = 1003;
constexpr int kCmdPreview = 1004;
constexpr int kCmdExportJpeg = 1005;
constexpr int kCmdExportPsd = 1006;
// With the string field "path": a file in the folder where the missing photos are to be found.
constexpr int kCmdLocatePhotos = 1007;
// Asks for a file; with the string field "path": writes the document there as a PTO file.
constexpr int kCmdExportPto = 1008;

// Edit menu; cut, copy and paste are never enabled.
constexpr int kCmdUndo = 1010;
constexpr int kCmdCut = 1011;
constexpr int kCmdCopy = 1012;
constexpr int kCmdPaste = 1013;
// Sets every photo's brightness so that overlapping photos agree, as one undoable step.
constexpr int kCmdMatchBrightness = 1014;
// Does again the change the last Undo took back.
constexpr int kCmdRedo = 1015;
// Turns the selected photo, or every photo in turn, to agree best with the photos it
// overlaps, as one undoable step.
constexpr int kCmdAlignSelected = 1016;
constexpr int kCmdAlignAll = 1017;

// Guides menu: each toggles its setting.
constexpr int kCmdDifferenceMode = 1020;
constexpr int kCmdCenterline = 1021;
constexpr int kCmdCrosshairs = 1022;
constexpr int kCmdSnap = 1023;

// Help menu.
constexpr int kCmdHelp = 1030;
constexpr int kCmdAbout = -1009;

// The photo list's tool bar.
constexpr int kCmdRotatePhoto = 1050;
constexpr int kCmdRotateAllPhotos = 1051;
constexpr int kCmdRemovePhoto = 1052;
constexpr int kCmdRemoveAllPhotos = 1053;

// The "Change" button beside the focal length field.
constexpr int kCmdChangeFocalLength = 1071;

// The projections; flat has no control and comes only from documents that store it.
constexpr int kCmdFlat = 1080;
constexpr int kCmdPerspective = 1081;
constexpr int kCmdHorizontalSpherical = 1082;
constexpr int kCmdVerticalSpherical = 1083;
constexpr int kCmdFisheye = 1084;

// The projection code of a document's projection type, or 0 for a type without one.
constexpr int ProjectionCommand(int projectionType)
{
    switch (projectionType) {
    case 0:
        return kCmdPerspective;
    case 1:
        return kCmdHorizontalSpherical;
    case 2:
        return kCmdVerticalSpherical;
    case 3:
        return kCmdFisheye;
    case 4:
        return kCmdFlat;
    default:
        return 0;
    }
}
