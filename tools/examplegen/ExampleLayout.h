// The arrangement of an example project's photos: their size, the focal length and each photo's
// yaw, pitch and roll; the built-in layouts and the text forms a custom layout is given in.
#pragma once

#include <string>
#include <vector>

// One photo's orientation, in degrees: yaw positive to the left, pitch positive upward, roll
// positive turning the photo counter-clockwise on the panorama.
struct ExampleShot {
    double yaw = 0.0;
    double pitch = 0.0;
    double roll = 0.0;
};

struct ExampleLayout {
    std::string name;
    int photoWidth = 0;
    int photoHeight = 0;
    // 35 mm equivalent, millimetres.
    double focalLength = 0.0;
    std::vector<ExampleShot> shots;

    // The bundled example: a whole-sphere panorama of the Earth map.
    static ExampleLayout Earth();
    // A built-in layout by name; false for an unknown name.
    static bool BuiltIn(const std::string& name, ExampleLayout* out);
    // The names BuiltIn knows, separated by ", ".
    static std::string BuiltInNames();

    // "yaw,pitch,roll" in degrees. False for anything else, for a yaw outside -180..180 or a
    // pitch outside -90..90.
    static bool ParseShot(const char* text, ExampleShot* out);
    // "WIDTHxHEIGHT", each 1 to 30000.
    static bool ParseSize(const char* text, int* width, int* height);
    // A finite number, in the C locale whatever the process locale.
    static bool ParseNumber(const char* text, double* out);

    // An angle in degrees as the project file will give it back: radians rounded to the six
    // decimals the file keeps, as a float. Photos are cut at exactly these angles, so a project
    // read back places every photo where it was cut.
    static float StoredRadians(double degrees);
    // The focal length as the document keeps it.
    static float StoredFocalLength(double millimetres);

    // Empty when the layout can be cut; otherwise what is wrong with it.
    std::string Check() const;
};
