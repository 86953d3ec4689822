// The refusal to save a project or a panorama over one of the document's own files.
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "app/ui/OutputGuard.h"
#include "tests/app/ui/ExportTestSupport.h"

using namespace export_test;

TEST_F(ExportTest, OutputGuardRefusesTheDocumentsOwnFilesWithOneAlert)
{
    // Catches a Save As that replaces a photo with project text (by its name, through a link, or
    // by another spelling of its path), an export over the project, a project refused over its
    // own file (Save As over itself is an ordinary save), a refusal that says nothing, and an
    // alert about the other kind of file.
    ASSERT_EQ(symlink(fPhoto.c_str(), fDir.File("link.jpg").c_str()), 0);
    const std::string project = Doc().fPath.Buffer();
    const struct {
        const char* what;
        std::string path;
        bool refused;
        const char* alert;
    } cases[] = {
        {"project", fPhoto, true,
         "The project cannot be saved over that file.\n\"photo.jpg\" is one of the project's photos.\n"
         "Please choose another name."},
        {"project", fDir.File("link.jpg"), true, ""},
        {"project", fDir.Path() + "/./photo.jpg", true, ""},
        {"project", project, false, ""},
        {"project", fDir.File("other.qpm"), false, ""},
        {"panorama", fPhoto, true,
         "The panorama cannot be saved over that file.\n\"photo.jpg\" is one of the panorama's photos.\n"
         "Please choose another name."},
        {"panorama", project, true,
         "The panorama cannot be saved over that file.\n\"pano.qpm\" is the project itself.\n"
         "Please choose another name."},
        {"panorama", fDir.File("pano.jpg"), false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " over " + c.path);
        fAlerts.clear();
        if (c.refused)
            Answer({kHostReturn});
        EXPECT_EQ(RefuseOutputOver(Wnd(), Doc(), c.path.c_str(), c.what), c.refused);
        ASSERT_EQ(fAlerts.size(), c.refused ? 1u : 0u);
        if (c.refused && *c.alert != '\0') {
            EXPECT_EQ(fAlerts[0], c.alert);
        }
    }
}
