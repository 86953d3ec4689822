// The editor's own preferences: the focal length new documents start with and whether the
// fisheye projection is offered, kept in the user settings between runs.
#pragma once

class Quor_Message;

// The focal length (35 mm equivalent, millimetres) given to new documents and shown in the focal
// length field.
extern float gFocalLength;
// Offer the fisheye projection in the projection pop-up.
extern bool gEnableFisheye;

// The focal lengths a user may set.
constexpr float kMinFocalLength = 8.0f;
constexpr float kMaxFocalLength = 1000.0f;

// The value kept inside [kMinFocalLength, kMaxFocalLength]; a value that is not a number gives
// `fallback`.
float ClampFocalLength(float value, float fallback);

// Reads "FocalLength" (kept inside the user's range; a value that is not finite is ignored) and
// "Fisheye"; a missing entry leaves its global as it is.
void ReadPanomerPrefs(const Quor_Message* prefs);
// Writes "FocalLength", and "Fisheye" only when it is on.
void WritePanomerPrefs(Quor_Message* prefs);
