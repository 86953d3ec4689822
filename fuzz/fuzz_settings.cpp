// The files an application reads at start-up under arbitrary bytes: the user's settings, the
// application's settings and the string table, each read from its own file by the application's
// own loaders, and every value the editor and the toolkit take from them (theme colours, the
// focal length, the fisheye switch, the font folder, the strings by number). Nothing may crash,
// read out of bounds or leave a value outside its range.
#include <sys/stat.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/ui/PanomerPrefs.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/framework/Quor_App.h"

namespace {

const std::string& Folder()
{
    static const std::string folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/fuzz-settings-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        setenv("HOME", pattern.c_str(), 1);
        setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        // The settings files' folder (named after the application) inside it.
        if (mkdir((pattern + "/Quor_Panomer").c_str(), 0700) != 0)
            std::abort();
        Quor_App::SetAppDir(pattern.c_str());
        return pattern;
    }();
    return folder;
}

bool WriteFile(const char* path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)Folder();
    // Two lengths, then the user settings, the application settings and the string table.
    if (size < 4)
        return 0;
    size_t user = static_cast<size_t>(data[0]) << 8 | data[1];
    size_t app = static_cast<size_t>(data[2]) << 8 | data[3];
    data += 4;
    size -= 4;
    user = user < size ? user : size;
    app = app < size - user ? app : size - user;

    Quor_App application("Quor_Panomer", "1.7", true);
    const Quor_Path userPath = application.UserSettingsPath();
    const Quor_Path appPath = application.AppSettingsPath();
    const Quor_Path stringsPath = application.StringTablePath();
    if (!WriteFile(userPath.Buffer(), data, user) || !WriteFile(appPath.Buffer(), data + user, app) ||
        !WriteFile(stringsPath.Buffer(), data + user + app, size - user - app))
        return 0;

    application.Prefs()->Load(userPath.Buffer());
    application.AppPrefs()->Load(appPath.Buffer());
    application.LoadAppStrings();
    for (int id = -2; id < 40; id++) {
        const char* text = application.AppString(id, "fallback");
        if (text == nullptr || std::strlen(text) > static_cast<size_t>(Quor_App::kMaxStringText))
            std::abort();
    }
    application.LoadCustomColors();
    rgb_color color{};
    application.LoadColor("ThemeColor", color);
    (void)application.FontDir();

    const float focal = gFocalLength;
    const bool fisheye = gEnableFisheye;
    ReadPanomerPrefs(application.Prefs());
    if (!std::isfinite(gFocalLength) || gFocalLength < kMinFocalLength || gFocalLength > kMaxFocalLength)
        std::abort();
    WritePanomerPrefs(application.Prefs());

    // What the application writes at the end (the settings' own round trip is fuzz_message's).
    application.SaveCustomColors();
    application.Prefs()->Save(userPath.Buffer());
    gFocalLength = focal;
    gEnableFisheye = fisheye;
    Quor_App::ResetGUIColors();
    unlink(userPath.Buffer());
    unlink(appPath.Buffer());
    unlink(stringsPath.Buffer());
    return 0;
}
