// The application message codes the canvas sends, receives or is switched by: the tool codes
// (also the tool buttons' and shortcuts' codes), the photo dragged in from the photo list and the
// request to refresh the tool bars.
#pragma once

constexpr int kToolSelect = 1060;
constexpr int kToolMove = 1061;
constexpr int kToolRotate = 1062;
constexpr int kToolBrightness = 1063;
constexpr int kToolCrop = 1064;
constexpr int kToolPan = 1065;
constexpr int kToolZoom = 1066;

// Sent up the handler chain after a drop, so that the tool bars follow the photo count.
constexpr int kMsgUpdateTools = 1040;
// Sent up the handler chain when a photo enters the empty photo list (it is PhotoPath(0)).
constexpr int kMsgFirstPhotoListed = 1041;
// A photo dragged from the photo list: string field "path", integer field "rotation" (degrees,
// a multiple of 90).
constexpr int kMsgPhotoDrop = 1070;
