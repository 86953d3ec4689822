// ArtGenerator: the list of pictures, in the order of the header, and the files they go into.

#include "tools/artgen/ArtGenerator.h"

#include <cstdio>
#include <filesystem>
#include <new>

#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_PngWriter.h"
#include "tools/artgen/AboutArt.h"
#include "tools/artgen/AlertArt.h"
#include "tools/artgen/AppIconArt.h"
#include "tools/artgen/ArtSheet.h"
#include "tools/artgen/ArtSourceWriter.h"
#include "tools/artgen/ArtText.h"
#include "tools/artgen/CursorArt.h"
#include "tools/artgen/ToolStripArt.h"

namespace {

// The theme colours the pictures are seen on: the main layer's background (BoxGradient1 and 2,
// here their middle), the alert background and the about box's.
constexpr rgb_color kLayerGround{242, 242, 231, 255};
constexpr rgb_color kAlertGround{234, 234, 224, 255};
constexpr rgb_color kAboutGround{164, 158, 126, 255};

std::unique_ptr<Quor_BaseImage> NewImage()
{
    return std::unique_ptr<Quor_BaseImage>(new (std::nothrow) Quor_BaseImage);
}

int WriteText(const std::string& path, const std::string& text, std::string* error)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot create " + path;
        return QUOR_ERR_CREATE;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        *error = "cannot write " + path;
        return QUOR_ERR_WRITE;
    }
    return QUOR_OK;
}

int WritePng(const std::string& path, const Quor_image& image, std::string* error)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot create " + path;
        return QUOR_ERR_CREATE;
    }
    const int result = Quor_PngWriter::Write(file, image);
    if (std::fclose(file) != 0 || result != QUOR_OK) {
        *error = "cannot write " + path;
        return QUOR_ERR_WRITE;
    }
    return QUOR_OK;
}

}  // namespace

int ArtGenerator::Add(const std::string& name, const std::string& group, const std::string& note,
                      std::unique_ptr<Quor_BaseImage> image)
{
    try {
        fPictures.push_back(ArtPicture{name, group, note, std::move(image)});
    } catch (const std::bad_alloc&) {
        return QUOR_ERR_MEMORY;
    }
    return QUOR_OK;
}

int ArtGenerator::Draw(const std::string& fontFolder, std::string* error)
{
    fPictures.clear();
    ArtText bold, book;
    if (!bold.Open(fontFolder + "/" + kBoldFace) || !book.Open(fontFolder + "/" + kBookFace)) {
        *error = "cannot open " + fontFolder + "/" + kBoldFace + " and " + kBookFace +
                 " (Debian package fonts-dejavu-core)";
        return QUOR_ERR_READ;
    }
    struct Step {
        const char* name;
        const char* group;
        const char* note;
        int (*draw)(const ArtText& bold, const ArtText& book, Quor_BaseImage* out);
    };
    using Cursor = CursorArt::Kind;
    using Alert = AlertArt::Kind;
    using Icon = ToolIconArt::Kind;
    using State = ToolStripArt::State;
    static const std::vector<Icon> kList{Icon::kRotatePhoto, Icon::kRotateAllPhotos, Icon::kRemovePhoto,
                                         Icon::kRemoveAllPhotos};
    static const std::vector<Icon> kTools{Icon::kSelect, Icon::kMove, Icon::kRotate, Icon::kBrightness,
                                          Icon::kCrop, Icon::kPan, Icon::kZoom};
    static const Step kSteps[] = {
        {"kcurs_move", "Cursors", "move tool, hot spot (1, 1)",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return CursorArt::Draw(Cursor::kMove, o); }},
        {"kcurs_rotate", "Cursors", "rotate tool, hot spot (1, 1)",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return CursorArt::Draw(Cursor::kRotate, o); }},
        {"kcurs_brighten", "Cursors", "brightness tool, hot spot (1, 1)",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return CursorArt::Draw(Cursor::kBrighten, o); }},
        {"kcurs_updown", "Cursors", "over a line of latitude, hot spot (7, 7)",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return CursorArt::Draw(Cursor::kUpDown, o); }},
        {"kcurs_leftright", "Cursors", "over a line of longitude, hot spot (7, 7)",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return CursorArt::Draw(Cursor::kLeftRight, o); }},
        {"kcurs_pan", "Cursors", "pan tool, hot spot (7, 7)",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return CursorArt::Draw(Cursor::kPan, o); }},
        {"kcurs_zoom", "Cursors", "zoom tool, hot spot (7, 7)",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return CursorArt::Draw(Cursor::kZoom, o); }},
        {"ktools_list", "ToolBars", "rotate, rotate all, remove, remove all",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return ToolStripArt::Draw(kList, State::kNormal, o); }},
        {"ktools_list_down", "ToolBars", "the same, pressed",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return ToolStripArt::Draw(kList, State::kPressed, o); }},
        {"ktools_list_disabled", "ToolBars", "the same, disabled",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return ToolStripArt::Draw(kList, State::kDisabled, o); }},
        {"ktools_panomer", "ToolBars", "select, move, rotate, brighten, crop, pan, zoom",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return ToolStripArt::Draw(kTools, State::kNormal, o); }},
        {"ktools_panomer_down", "ToolBars", "the same, pressed",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return ToolStripArt::Draw(kTools, State::kPressed, o); }},
        {"ktools_panomer_disabled", "ToolBars", "the same, disabled",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return ToolStripArt::Draw(kTools, State::kDisabled, o); }},
        {"kinformation", "Icons", "alert icon: information",
         [](const ArtText& b, const ArtText&, Quor_BaseImage* o) { return AlertArt::Draw(Alert::kInformation, b, o); }},
        {"kexclamation", "Icons", "alert icon: exclamation",
         [](const ArtText& b, const ArtText&, Quor_BaseImage* o) { return AlertArt::Draw(Alert::kExclamation, b, o); }},
        {"kquestion", "Icons", "alert icon: question",
         [](const ArtText& b, const ArtText&, Quor_BaseImage* o) { return AlertArt::Draw(Alert::kQuestion, b, o); }},
        {"kappicon", "Icons", "the window icon",
         [](const ArtText&, const ArtText&, Quor_BaseImage* o) { return AppIconArt::Draw(64, o); }},
        {"kabout", "About", "the about picture, plain from row 124 down",
         [](const ArtText& b, const ArtText& k, Quor_BaseImage* o) { return AboutArt::Draw(b, k, o); }},
    };
    for (const Step& step : kSteps) {
        std::unique_ptr<Quor_BaseImage> image = NewImage();
        int result = image ? step.draw(bold, book, image.get()) : QUOR_ERR_MEMORY;
        if (result == QUOR_OK)
            result = Add(step.name, step.group, step.note, std::move(image));
        if (result != QUOR_OK) {
            *error = std::string("cannot draw ") + step.name;
            return result;
        }
    }
    return QUOR_OK;
}

const Quor_image* ArtGenerator::Find(const std::string& name) const
{
    for (const ArtPicture& picture : fPictures)
        if (picture.name == name)
            return &picture.image->Image();
    return nullptr;
}

int ArtGenerator::Write(const std::string& folder, std::string* error) const
{
    try {
        const std::string icons = folder + "/icons";
        std::error_code failure;
        std::filesystem::create_directories(icons, failure);
        if (int result = WriteText(folder + "/" + ArtSourceWriter::kHeaderName, ArtSourceWriter::Header(fPictures), error);
            result != QUOR_OK)
            return result;
        for (const std::string& group : ArtSourceWriter::Groups(fPictures)) {
            const std::string path = folder + "/" + ArtSourceWriter::SourceName(group);
            if (int result = WriteText(path, ArtSourceWriter::Source(fPictures, group), error); result != QUOR_OK)
                return result;
        }
        for (int size : kIconSizes) {
            Quor_BaseImage icon;
            if (int result = AppIconArt::Draw(size, &icon); result != QUOR_OK) {
                *error = "cannot draw the " + std::to_string(size) + " pixel icon";
                return result;
            }
            const std::string path = icons + "/panomer-" + std::to_string(size) + ".png";
            if (int result = WritePng(path, icon.Image(), error); result != QUOR_OK)
                return result;
        }
    } catch (const std::bad_alloc&) {
        *error = "out of memory";
        return QUOR_ERR_MEMORY;
    }
    return QUOR_OK;
}

int ArtGenerator::WriteSheet(const std::string& path) const
{
    ArtSheet sheet;
    for (const ArtPicture& picture : fPictures) {
        const Quor_image& img = picture.image->Image();
        if (picture.group == "Cursors") {
            sheet.Add(img, 8, kLayerGround);
        } else if (picture.group == "ToolBars") {
            sheet.NewRow();
            sheet.Add(img, 4, kLayerGround);
        } else if (picture.group == "Icons") {
            sheet.Add(img, 3, kAlertGround);
        } else {
            sheet.NewRow();
            sheet.Add(img, 2, kAboutGround);
        }
    }
    return sheet.Write(path);
}
