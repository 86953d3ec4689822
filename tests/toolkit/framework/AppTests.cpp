// The application object: settings files at start and end, theme colours, fonts, the string
// table, desktop requests and launching files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/framework/FrameworkTestSupport.h"
#include "toolkit/framework/Quor_Launcher.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/imaging/Quor_ColorOps.h"

using namespace quor_test;

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// An application whose ReadyToRun runs a test's code and then quits at once.
class TestApp : public Quor_App {
public:
    explicit TestApp(std::function<void(TestApp*)> ready, bool localise = false)
        : Quor_App("Quor_Test", "1.7b", localise), fReady(std::move(ready))
    {
    }
    void ReadyToRun(const char* path) override
    {
        fStartupPath = path;
        if (fReady)
            fReady(this);
        Quit();
    }
    void HandleMessage(Quor_Message* message) override { fMessages.push_back(message->what); }

    std::function<void(TestApp*)> fReady;
    std::string fStartupPath;
    std::vector<int> fMessages;
};

// HOME, XDG_CONFIG_HOME and the application folder in a scratch folder for the duration of a test.
class AppFolders {
public:
    AppFolders()
    {
        fHome = fScratch.File("home");
        fApp = fScratch.File("app");
        mkdir(fHome.c_str(), 0700);
        mkdir(fApp.c_str(), 0700);
        const char* home = std::getenv("HOME");
        fOldHome = home != nullptr ? home : "";
        setenv("HOME", fHome.c_str(), 1);
        const char* config = std::getenv("XDG_CONFIG_HOME");
        fOldConfig = config != nullptr ? std::optional<std::string>(config) : std::nullopt;
        fConfig = fScratch.File("config");
        mkdir(fConfig.c_str(), 0700);
        mkdir((fConfig + "/Quor_Test").c_str(), 0700);
        setenv("XDG_CONFIG_HOME", fConfig.c_str(), 1);
        Quor_App::SetAppDir(fApp.c_str());
    }
    ~AppFolders()
    {
        setenv("HOME", fOldHome.c_str(), 1);
        if (fOldConfig)
            setenv("XDG_CONFIG_HOME", fOldConfig->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        Quor_App::SetAppDir(nullptr);
        Quor_App::ResetGUIColors();
        gStartupFilePath = "";
    }
    std::string UserSettings() const { return fConfig + "/Quor_Test/user.settings"; }
    std::string AppSettings() const { return fConfig + "/Quor_Test/app.settings"; }

    ScratchDir fScratch;
    std::string fHome;
    std::string fApp;
    std::string fConfig;
    std::string fOldHome;
    std::optional<std::string> fOldConfig;
};

// Switches LC_ALL to a German locale (decimal comma) built into the scratch folder; false when
// this system cannot build one.
bool UseCommaLocale(const ScratchDir& scratch)
{
    const std::string command = "localedef -i de_DE -f UTF-8 '" + scratch.Path() + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    setenv("LOCPATH", scratch.Path().c_str(), 1);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        return false;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    return std::string(probe) == "0,5";
}

}  // namespace

class QuorApp : public MemoryHostTest {
protected:
    AppFolders fFolders;
};

TEST_F(QuorApp, RunWritesExactlyTheSettingsFilesThatHoldSomething)
{
    // Catches empty settings files written on a first run, theme colours missing from a file
    // once anything is stored, and the application settings written to the user's file.
    {
        TestApp app(nullptr);
        app.Run();
        EXPECT_FALSE(Exists(fFolders.UserSettings()));
        EXPECT_FALSE(Exists(fFolders.AppSettings()));
    }
    {
        TestApp app([](TestApp* a) {
            a->Prefs()->Set("FocalLength", 50.0f);
            a->AppPrefs()->Set("Installed", true);
        });
        app.Run();
    }
    Quor_Message user;
    ASSERT_TRUE(user.Load(fFolders.UserSettings().c_str()));
    EXPECT_EQ(user.CountKeys(), 39);
    EXPECT_STREQ(user.KeyAt(1), "BackCol");
    EXPECT_STREQ(user.KeyAt(38), "SliderGradient2");
    Quor_Message shared;
    ASSERT_TRUE(shared.Load(fFolders.AppSettings().c_str()));
    EXPECT_EQ(shared.CountKeys(), 1);

    // The next run reads both back before ReadyToRun.
    float focal = 0.0f;
    bool installed = false;
    TestApp again([&](TestApp* a) {
        a->Prefs()->Get("FocalLength", &focal);
        a->AppPrefs()->Get("Installed", &installed);
    });
    again.Run();
    EXPECT_EQ(focal, 50.0f);
    EXPECT_TRUE(installed);
}

TEST_F(QuorApp, WithoutHomeTheFilesLiveInTheApplicationFolder)
{
    // Catches a settings path built from an empty HOME ("/.Quor_Test.user.settings" at the
    // root).
    setenv("HOME", "", 1);
    TestApp app([](TestApp* a) { a->Prefs()->Set("k", 1); });
    app.Run();
    EXPECT_TRUE(Exists(fFolders.fApp + "/Quor_Test.user.settings"));
}

TEST_F(QuorApp, WebAddressesGoStraightToTheOpenerAndNothingElseDoes)
{
    // Catches an address written to a page somewhere (a dotfile in the home folder, a folder a
    // confined browser cannot read), and text that the opener would take for an option or a file.
    const char* address = "https://example.org/?a=1&b=\"2\"#top";
    EXPECT_EQ(Quor_App::LaunchURL(address), 0);
    ASSERT_EQ(fHost.Launched().size(), 1u);
    EXPECT_EQ(fHost.Launched()[0], address);
    EXPECT_EQ(Quor_App::LaunchURL("mailto:someone@example.org"), 0);
    for (const char* refused : {"", "-h", "--help", "/etc/passwd", "example.org", "https:", "https://a b",
                                "https://a\nb", ":x", "1http://x"})
        EXPECT_EQ(Quor_App::LaunchURL(refused), EINVAL) << refused;
    EXPECT_EQ(Quor_App::LaunchURL(nullptr), EINVAL);
    EXPECT_EQ(fHost.Launched().size(), 2u);
    EXPECT_FALSE(Exists(fFolders.fHome + "/.temp.html"));
}


TEST_F(QuorApp, SettingsLiveInTheConfigFolderAndMoveThereFromTheOldPlaces)
{
    // Catches settings written as a dotfile in the home folder or beside the program, old
    // settings lost on the way to the new place (or left behind to be read again), a missing
    // config folder that is not made, $HOME/.config ignored without XDG_CONFIG_HOME, and a
    // folder that cannot be written costing more than a line on standard error.
    const std::string oldUser = fFolders.fHome + "/.Quor_Test.user.settings";
    const std::string oldApp = fFolders.fApp + "/Quor_Test.app.settings";
    struct Case {
        const char* name;
        std::string config;   // XDG_CONFIG_HOME, "" for unset
        std::string folder;   // where the files must end up
    };
    const Case cases[] = {
        {"XDG_CONFIG_HOME, its folder not there yet", fFolders.fScratch.File("xdg/deep"), fFolders.fScratch.File("xdg/deep/Quor_Test")},
        {"no XDG_CONFIG_HOME", "", fFolders.fHome + "/.config/Quor_Test"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Quor_Message old;
        old.Set("FocalLength", 24.0f);
        ASSERT_TRUE(old.Save(oldUser.c_str()));
        Quor_Message oldShared;
        oldShared.Set("Installed", true);
        ASSERT_TRUE(oldShared.Save(oldApp.c_str()));
        if (c.config.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", c.config.c_str(), 1);
        float focal = 0.0f;
        bool installed = false;
        TestApp app([&](TestApp* a) {
            a->Prefs()->Get("FocalLength", &focal);
            a->AppPrefs()->Get("Installed", &installed);
        });
        app.Run();
        EXPECT_EQ(focal, 24.0f);
        EXPECT_TRUE(installed);
        Quor_Message moved;
        ASSERT_TRUE(moved.Load((c.folder + "/user.settings").c_str()));
        EXPECT_TRUE(moved.Get("FocalLength", &focal) && focal == 24.0f);
        EXPECT_TRUE(Exists(c.folder + "/app.settings"));
        EXPECT_FALSE(Exists(oldUser));
        EXPECT_FALSE(Exists(oldApp));
    }

    // A config folder that cannot be made (a file stands at its parent's name, which stops root
    // too): the program runs, says so, and the old file stays.
    const std::string locked = fFolders.fScratch.File("not-a-folder");
    ASSERT_TRUE(WriteFileBytes(locked, "x"));
    setenv("XDG_CONFIG_HOME", locked.c_str(), 1);
    Quor_Message old;
    old.Set("FocalLength", 24.0f);
    ASSERT_TRUE(old.Save(oldUser.c_str()));
    testing::internal::CaptureStderr();
    TestApp app([](TestApp* a) { a->Prefs()->Set("FocalLength", 28.0f); });
    app.Run();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("the settings could not be saved to " + locked + "/Quor_Test/user.settings"), std::string::npos) << said;
    EXPECT_TRUE(Exists(oldUser));
    setenv("XDG_CONFIG_HOME", fFolders.fConfig.c_str(), 1);
}

TEST_F(QuorApp, ThemeColoursAndLargeFontsComeFromTheUserSettings)
{
    // Catches a colour file that changes more than its keys or keeps a non-opaque alpha, and
    // "UseLargeFonts" ignored when no custom font files are named.
    {
        Quor_Message stored;
        stored.Set("BackCol", rgb_color{10, 20, 30, 7});
        stored.Set("UseLargeFonts", true);
        ASSERT_TRUE(stored.Save(fFolders.UserSettings().c_str()));
        TestApp app(nullptr);
        app.Run();
        EXPECT_EQ(Quor_ColorOps::BackCol, (rgb_color{10, 20, 30, 255}));
        EXPECT_EQ(Quor_ColorOps::Light1, (rgb_color{241, 241, 241, 255}));
        EXPECT_TRUE(Quor_App::gRegularFont == Quor_App::gRegularLargeFont && Quor_App::gBoldFont == Quor_App::gBoldLargeFont);
    }
    Quor_App::ResetGUIColors();
    EXPECT_EQ(Quor_ColorOps::BackCol, (rgb_color{216, 216, 216, 255}));
}

TEST_F(QuorApp, CustomFontSizesStayWithinTheirLimits)
{
    // Catches font sizes from the settings used as they stand: a huge one rasterises a strip of
    // millions of pixels, a tiny one an unreadable font.
    const char* dir = "/usr/share/fonts/truetype/dejavu";
    if (!Exists(std::string(dir) + "/DejaVuSans.ttf"))
        GTEST_SKIP() << "no DejaVu fonts on this system";
    Quor_Message stored;
    stored.Set("FontDir", dir);
    stored.Set("RegularFont", "DejaVuSans.ttf");
    stored.Set("SmallFontSize", 200);
    stored.Set("LargeFontSize", 1);
    ASSERT_TRUE(stored.Save(fFolders.UserSettings().c_str()));
    int small = 0;
    int large = 0;
    TestApp app([&](TestApp*) {
        small = Quor_App::gRegularSmallFont->LineToLineHeight();
        large = Quor_App::gRegularLargeFont->LineToLineHeight();
    });
    app.Run();
    // The built-in fonts back for the tests that follow.
    ASSERT_TRUE(Quor_App::InitQuorSystem(&fHost));
    // 96 points at 96 dots per inch are 128 pixels; 4 points about 5.
    EXPECT_GT(small, 100);
    EXPECT_LT(small, 200);
    EXPECT_GE(large, 5);
}

TEST_F(QuorApp, SettingsRoundTripThroughACommaDecimalLocale)
{
    // Catches numbers written or read with the process locale: "35,5" in the settings file, and
    // a rectangle or colour that stops reading at the comma.
    const Quor_Rect frame(-5, 12, 640, 480);
    {
        TestApp app([&](TestApp* a) {
            a->Prefs()->Set("FocalLength", 35.5f);
            a->Prefs()->Set("Frame", frame);
        });
        ScratchDir locales;
        const bool comma = UseCommaLocale(locales);
        app.Run();
        std::setlocale(LC_ALL, "C");
        unsetenv("LOCPATH");
        if (!comma)
            GTEST_SKIP() << "no localedef or de_DE definition on this system";
    }
    const std::string text = ReadFileBytes(fFolders.UserSettings());
    EXPECT_NE(text.find("\"FocalLength\"\t\"35.500000\""), std::string::npos) << text;
    ScratchDir locales;
    ASSERT_TRUE(UseCommaLocale(locales));
    float focal = 0.0f;
    Quor_Rect read;
    TestApp app([&](TestApp* a) {
        a->Prefs()->Get("FocalLength", &focal);
        a->Prefs()->Get("Frame", &read);
    });
    app.Run();
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_EQ(focal, 35.5f);
    EXPECT_EQ(read, frame);
}

TEST_F(QuorApp, StringTableKeepsFirstTextsAndSkipsJunk)
{
    // Catches AppString replacing a stored text with a later fallback, entries lost when the
    // table grows, and a malformed line that stops (or loops) the table's reading.
    const std::string table = fFolders.fApp + "/Quor_Test.1.7.strings";
    ASSERT_TRUE(WriteFileBytes(table, "5 \"Open\"\nnot a number \"x\"\n7\n8 \"Save as\"\n-2 \"minus\" 9 \"nine\"\n"
                                      "10 \"" + std::string(1500, 'w') + "\"\n11 \"unterminated\n"));
    TestApp app(nullptr, true);
    app.Run();
    const std::pair<int, const char*> stored[] = {{5, "Open"}, {8, "Save as"}, {-2, "minus"}, {9, "nine"}};
    for (const auto& [id, text] : stored)
        EXPECT_STREQ(app.AppString(id, "fallback"), text) << id;
    EXPECT_EQ(std::string(app.AppString(10, "")).size(), static_cast<size_t>(Quor_App::kMaxStringText));
    EXPECT_STREQ(app.AppString(7, "A"), "A");
    EXPECT_STREQ(app.AppString(7, "B"), "A");
    for (int id = 100; id < 105; ++id)
        app.SetAppString(id, std::to_string(id).c_str());
    for (int id = 100; id < 105; ++id)
        EXPECT_EQ(app.AppString(id, "-"), std::to_string(id));
}

TEST_F(QuorApp, DesktopRequestsReachTheRightPlace)
{
    // Catches documents handed over before start-up other than the last one reaching
    // ReadyToRun, a relative path passed on as given, and a quit request lost when no main
    // window was named.
    const char* docs[] = {"first.qpm", "second.qpm"};
    Quori_OpenDocHandler(docs, 2);
    std::string startup;
    {
        TestApp app(nullptr);
        app.Run();
        startup = app.fStartupPath;
    }
    ASSERT_FALSE(startup.empty());
    EXPECT_EQ(startup.front(), '/');
    EXPECT_EQ(Quor_Path(startup.c_str()).Name(), "second.qpm");

    TestApp app(nullptr);
    Quor_Wnd* window = new Quor_Wnd("front", Quor_Rect(0, 60, 99, 159), false, 0, nullptr);
    window->Show();
    const char* later[] = {"/tmp/later.qpm"};
    Quori_OpenDocHandler(later, 1);
    EXPECT_EQ(app.fMessages, (std::vector<int>{QUOR_MSG_OPEN_DOCUMENT}));
    window->CloseWindow();

    EXPECT_FALSE(app.IsQuitRequested());
    Quori_QuitHandler();
    EXPECT_TRUE(app.IsQuitRequested());
}

TEST(QuorLauncher, ArgumentsReachTheProgramUnchangedAndFailuresAreReported)
{
    // Catches a file name passed through a shell (a name with ";" or "$(...)" would run
    // commands), and a missing desktop helper reported as success.
    ScratchDir dir;
    const std::string tricky = dir.File("a; touch $(echo pwned) 'b'");
    ASSERT_EQ(Quor_Launcher::Spawn("touch", tricky.c_str()), 0);
    for (int i = 0; i < 100 && !Exists(tricky); ++i)
        usleep(20000);
    Quor_Launcher::Reap();
    EXPECT_TRUE(Exists(tricky));
    // A shell would have split the name at ";" and made ".../a" instead.
    EXPECT_FALSE(Exists(dir.File("a")));
    EXPECT_EQ(Quor_Launcher::Spawn("quor-no-such-helper", "x"), ENOENT);
    EXPECT_EQ(Quor_Launcher::Spawn("touch", ""), EINVAL);
}

TEST(QuorAppFolders, AppDirIsTheBuildFolderWhenRunFromABuild)
{
    // Catches AppDir found by stripping a fixed number of folders off the executable's path
    // (the package layout of another platform), which points outside the build or install.
    Quor_App::SetAppDir(nullptr);
    const Quor_Path dir = Quor_App::AppDir();
    EXPECT_TRUE(Exists(std::string(dir.Buffer()) + "/.quor-build-root")) << dir.Buffer();
}
