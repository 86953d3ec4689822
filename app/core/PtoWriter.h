// Writes a project as a PTO file, the text format of the open-source panorama tools, so that their
// remapper and blender can finish the panorama: the same photos, placement and crop, pixel for pixel.
#pragma once

#include <string>
#include <vector>

class PanomerDoc;

class PtoWriter {
public:
    // A photo's full size in pixels; 0 x 0 for a photo that is left out.
    struct PhotoSize {
        int width = 0;
        int height = 0;
    };

    // The PTO text for `doc` rendered at width x height, with the photos' full sizes in `sizes`
    // (one per photo of the document). Photo paths inside `folder` (where the file will be saved;
    // empty for none) are written relative to it, others as they are. False with a sentence in
    // *error for a projection other than horizontal spherical, a focal length that is not a
    // positive number, a size outside 16..30000, no photo to write, or a photo name the format
    // cannot hold (a double quote or a line break). Never throws; out of memory is a failure too.
    static bool Text(const PanomerDoc& doc, int width, int height, const std::vector<PhotoSize>& sizes,
                     const std::string& folder, std::string* text, std::string* error);

    // Writes `doc` to the PTO file `path` at width x height. The photos' sizes are read from their
    // headers: a photo whose header cannot be read is left out and named in *leftOut when
    // leaveOutUnreadable is set, and fails the write otherwise. The file is written beside its
    // place and takes its name only once complete, so a failed write leaves a file that was there
    // as it was. False with a sentence in *error; the output may not be one of the photos or the
    // project itself. Never throws.
    static bool Write(const PanomerDoc& doc, const std::string& path, int width, int height, bool leaveOutUnreadable,
                      std::string* error, std::vector<std::string>* leftOut = nullptr);

    // Where a PTO of `project` goes unless told otherwise: beside it, with the extension .pto.
    static std::string DefaultPath(const std::string& project);

private:
    // Text and Write, which may throw std::bad_alloc.
    static bool TextOf(const PanomerDoc& doc, int width, int height, const std::vector<PhotoSize>& sizes,
                       const std::string& folder, std::string* text, std::string* error);
    static bool WriteFile(const PanomerDoc& doc, const std::string& path, int width, int height,
                          bool leaveOutUnreadable, std::string* error, std::vector<std::string>* leftOut);
};
