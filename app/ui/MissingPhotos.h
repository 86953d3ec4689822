// The photos of a project that could not be loaded when it was opened, and why, put into the
// words of one alert: the first few names with a count, and the reasons, commonest first.
#pragma once

#include <string>
#include <vector>

class MissingPhotos {
public:
    // Names shown before "and N more".
    static constexpr int kNamesShown = 3;

    // A photo whose load ended with `loadResult` (a Quor_Status). The file system is asked what
    // stands at the path, since the loader's code alone cannot tell a file that is gone from one
    // that may not be read. May throw std::bad_alloc, as may the texts.
    void Add(const char* path, int loadResult);
    int Count() const { return static_cast<int>(fNames.size()); }

    // "5 photos could not be loaded: a.jpg, b.jpg, c.jpg and 2 more."
    std::string Headline() const;
    // "Reason: not found." or, when they differ, "Reasons: 2 not found, 1 permission denied."
    std::string Reasons() const;

private:
    enum Reason { kNotFound, kDenied, kNotAFile, kTooLarge, kNotImage, kReasonCount };

    static Reason Classify(const char* path, int loadResult);

    std::vector<std::string> fNames;
    int fCounts[kReasonCount] = {};
};
