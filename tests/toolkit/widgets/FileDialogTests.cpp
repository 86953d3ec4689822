// The open and save dialogs in a scratch folder: what they list, choosing, cancelling, entering
// folders, refusing a folder that cannot be read, confirming a replacement, type-ahead, the
// order of names and columns, hidden files, the type filter, places, new folders, Tab
// completion, resizing, and the replies the application object sends for them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_FileLister.h"
#include "toolkit/framework/Quor_FilePlaces.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_FileColumnHeads.h"
#include "toolkit/widgets/Quor_FileDialog.h"
#include "toolkit/widgets/Quor_FileDialogPrompt.h"
#include "toolkit/widgets/Quor_FileDialogConfirm.h"
#include "toolkit/widgets/Quor_FileList.h"
#include "toolkit/widgets/Quor_Menu.h"
#include "toolkit/widgets/Quor_PopupMenu.h"
#include "toolkit/widgets/Quor_ShortButton.h"
#include "toolkit/widgets/Quor_TextControl.h"
#include "toolkit/widgets/Quor_TextList.h"

using namespace quor_test;

namespace {

class QuorFileDialog : public MemoryHostTest {
protected:
    void SetUp() override
    {
        MemoryHostTest::SetUp();
        Quor_Dialog::gPressMilliseconds = 0;
        ASSERT_EQ(mkdir(fDir.File("Adir").c_str(), 0755), 0);
        ASSERT_EQ(mkdir(fDir.File("zdir").c_str(), 0755), 0);
        for (const char* name : {"Adir/inner.txt", "b.txt", "A.jpg", ".hidden"})
            ASSERT_TRUE(WriteFileBytes(fDir.File(name), "x"));
        ASSERT_TRUE(WriteFileBytes(fDir.File("exists.txt"), "keep"));
    }
    void TearDown() override
    {
        Quor_Dialog::gPressMilliseconds = 200;
        MemoryHostTest::TearDown();
    }

    static Quor_FileDialog* Dialog(uint32_t window)
    {
        Quor_Wnd* w = Quor_WindowList::FindByHost(window);
        return w != nullptr ? dynamic_cast<Quor_FileDialog*>(w->TopLayer()) : nullptr;
    }
    // Whether the window shows the replace prompt.
    static bool Asking(uint32_t window)
    {
        return dynamic_cast<Quor_FileDialogConfirm*>(Quor_WindowList::FindByHost(window)->TopLayer()) != nullptr;
    }
    static std::vector<std::string> Rows(const Quor_FileDialog* dialog)
    {
        std::vector<std::string> rows;
        for (int i = 0; i < dialog->List()->CountItems(); ++i)
            rows.push_back(dialog->List()->GetItem(i));
        return rows;
    }
    // A point on a row of the dialog's list.
    static Quor_Point Row(const Quor_FileDialog* dialog, int row)
    {
        const Quor_TextList* list = dialog->List();
        const Quor_Rect r = list->LayerFrame();
        const int h = list->LineHeight();
        const Quor_Point at(r.left + 20, r.top + Quor_TextList::kInset + row * h + h / 2 - list->ScrollOffset());
        EXPECT_EQ(list->RowAt(Quor_Point(at.x - r.left, at.y - r.top)), row);
        return at;
    }
    void ClickAt(uint32_t window, Quor_Point at) { fHost.PushClick(window, at.x, at.y); }
    void DoubleClick(uint32_t window, Quor_Point at)
    {
        fHost.PushClick(window, at.x, at.y);
        fHost.PushClick(window, at.x, at.y);
    }
    // Replaces the text of a field with typed text.
    void TypeInto(uint32_t window, const Quor_TextControl* field, const std::string& text)
    {
        PushClickOn(window, field);
        fHost.PushKey(window, 'a', QUOR_HOST_CTRL);
        Keys(window, text);
    }
    void Keys(uint32_t window, const std::string& text)
    {
        for (char c : text)
            fHost.PushKey(window, c);
    }
    // A step that looks at the dialog, then closes it with Escape.
    std::function<void(uint32_t)> Escaping(std::function<void(uint32_t)> look)
    {
        return [this, look](uint32_t w) {
            look(w);
            fHost.PushKey(w, kHostEscape);
        };
    }
    // Runs a dialog through the steps of the last Script; the chosen path goes to fPath.
    int Run(bool save, const std::string& start) { return Run(Request(save, start)); }
    int Run(const Quor_FileDialogRequest& request) { return Quor_RunFileDialog(request, &fPath); }
    std::string Chosen() const { return fPath.Buffer(); }
    // Types into a field and presses Return.
    void Submit(uint32_t window, const Quor_TextControl* field, const std::string& text)
    {
        TypeInto(window, field, text);
        fHost.PushKey(window, kHostReturn);
    }
    Quor_FileDialogRequest Request(bool save, const std::string& start)
    {
        fStart = start;
        Quor_FileDialogRequest request;
        request.save = save;
        request.defaultName = fStart.c_str();
        return request;
    }

    ScratchDir fDir;
    std::string fStart;
    Quor_String fPath;
};

}  // namespace

TEST_F(QuorFileDialog, ListsFoldersFirstByNameWithoutHiddenFilesAndChoosesWithADoubleClick)
{
    // Catches folders mixed in with files, a case-sensitive or unsorted order, hidden files
    // shown, a double click across two rows that opens the second, a double click that does
    // not choose, and a chosen path that is not the full path.
    ASSERT_TRUE(WriteFileBytes(fDir.File("C.jpg"), "c"));
    ASSERT_TRUE(WriteFileBytes(fDir.File("a.png"), "a"));
    std::vector<std::string> rows;
    std::string afterAcross;
    Script({
        [&](uint32_t w) {
            Quor_FileDialog* dialog = Dialog(w);
            ASSERT_NE(dialog, nullptr);
            rows = Rows(dialog);
            // The last pixel of the first row, then the first of the second: close enough for a
            // double click, but on two rows.
            const Quor_Point first = Row(dialog, 0);
            const int h = dialog->List()->LineHeight();
            fHost.PushClick(w, first.x, first.y - h / 2 + h - 1);
            fHost.PushClick(w, first.x, first.y - h / 2 + h);
        },
        [&](uint32_t w) {
            afterAcross = Dialog(w)->Folder().Buffer();
            DoubleClick(w, Row(Dialog(w), 4));
        },
    });
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 0);
    EXPECT_EQ(rows, (std::vector<std::string>{"Adir/", "zdir/", "A.jpg", "a.png", "b.txt", "C.jpg", "exists.txt"}));
    EXPECT_EQ(afterAcross, fDir.Path());
    EXPECT_EQ(Chosen(), fDir.File("b.txt"));
}

TEST_F(QuorFileDialog, EntersFoldersByDoubleClickTypedPathAndParentButtonAndCancels)
{
    // Catches a double click on a folder that chooses it, a typed folder that ends the dialog
    // instead of opening it, a parent button that goes nowhere, a typed file path that is not
    // chosen, and Escape or Cancel that return a path.
    std::vector<std::string> seen;
    auto folder = [](Quor_FileDialog* d) { return std::string(d->Folder().Buffer()); };
    Script({
        [&](uint32_t w) { DoubleClick(w, Row(Dialog(w), 0)); },
        [&](uint32_t w) {
            seen.push_back(folder(Dialog(w)));
            EXPECT_EQ(Dialog(w)->List()->CountItems(), 1);
            EXPECT_STREQ(Dialog(w)->PathField()->Value(), fDir.File("Adir").c_str());
            PushClickOn(w, Dialog(w)->ParentButton());
        },
        [&](uint32_t w) {
            seen.push_back(folder(Dialog(w)));
            Submit(w, Dialog(w)->PathField(), "zdir");
        },
        Escaping([&](uint32_t w) { seen.push_back(folder(Dialog(w))); }),
    });
    fPath = "untouched";
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 1);
    EXPECT_TRUE(fPath.IsEmpty());
    EXPECT_EQ(seen, (std::vector<std::string>{fDir.File("Adir"), fDir.Path(), fDir.File("zdir")}));

    // A full file path typed into the path field chooses that file.
    Script({
        [&](uint32_t w) { Submit(w, Dialog(w)->PathField(), fDir.File("Adir/../Adir/inner.txt")); },
    });
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 0);
    EXPECT_EQ(Chosen(), fDir.File("Adir/inner.txt"));
}

TEST_F(QuorFileDialog, AFolderThatCannotBeReadIsRefusedWithAMessage)
{
    // Catches a folder that vanished or cannot be read shown as an empty listing (the user
    // would think it empty), a refusal without a message or a beep, and a dialog left in no
    // folder at all.
    std::string folderAfter;
    std::string status;
    int beeps = -1;
    int rowsAfter = 0;
    Script({
        [&](uint32_t w) {
            // The folder goes away while it is listed.
            ASSERT_EQ(rmdir(fDir.File("zdir").c_str()), 0);
            beeps = fHost.BeepCount();
            DoubleClick(w, Row(Dialog(w), 1));
        },
        [&](uint32_t w) {
            Quor_FileDialog* dialog = Dialog(w);
            folderAfter = dialog->Folder().Buffer();
            status = dialog->Status().Buffer();
            beeps = fHost.BeepCount() - beeps;
            rowsAfter = dialog->List()->CountItems();
            Submit(w, dialog->PathField(), fDir.File("b.txt/deeper"));
        },
        Escaping([&](uint32_t w) {
            EXPECT_NE(std::string(Dialog(w)->Status().Buffer()).find("no file"), std::string::npos);
        }),
    });
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 1);
    EXPECT_EQ(folderAfter, fDir.Path()) << "the dialog stays where it was";
    EXPECT_EQ(rowsAfter, 5) << "and keeps showing what it listed";
    EXPECT_NE(status.find("zdir"), std::string::npos) << status;
    EXPECT_EQ(beeps, 1);

    if (geteuid() != 0) {
        // Without the right to read it (the superuser reads everything).
        ASSERT_EQ(chmod(fDir.File("Adir").c_str(), 0), 0);
        std::string refused;
        Script({
            [&](uint32_t w) { DoubleClick(w, Row(Dialog(w), 0)); },
            Escaping([&](uint32_t w) { refused = Dialog(w)->Status().Buffer(); }),
        });
        EXPECT_EQ(Run(false, fDir.Path() + "/"), 1);
        EXPECT_NE(refused.find("cannot be read"), std::string::npos) << refused;
        chmod(fDir.File("Adir").c_str(), 0755);
    }
}

TEST_F(QuorFileDialog, SavingOverAnExistingFileAsksFirstAndWritesNothing)
{
    // Catches a replacement without confirmation, a declined replacement that still chooses the
    // file, a dialog that creates or truncates the file itself, and a new name that asks.
    std::vector<std::string> steps;
    Script({
        [&](uint32_t w) {
            Quor_FileDialog* dialog = Dialog(w);
            EXPECT_STREQ(dialog->NameField()->Value(), "exists.txt");
            EXPECT_TRUE(dialog->NameField()->IsFocused());
            fHost.PushKey(w, kHostReturn);
        },
        Escaping([&](uint32_t w) { steps.push_back(Asking(w) ? "asked" : "not asked"); }),
        [&](uint32_t w) {
            steps.push_back(Dialog(w) != nullptr ? "still open" : "gone");
            EXPECT_EQ(fHost.FocusedWindow(), w) << "the save dialog takes the keyboard back";
            PushClickOn(w, Dialog(w)->OKButtonView());
        },
        [&](uint32_t w) {
            steps.push_back(Asking(w) ? "asked" : "not asked");
            fHost.PushKey(w, kHostReturn);
        },
    });
    EXPECT_EQ(Run(true, fDir.File("exists.txt")), 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"asked", "still open", "asked"}));
    EXPECT_EQ(Chosen(), fDir.File("exists.txt"));
    EXPECT_EQ(ReadFileBytes(fDir.File("exists.txt")), "keep");

    Script({
        [&](uint32_t w) { Submit(w, Dialog(w)->NameField(), "fresh.qpm"); },
    });
    EXPECT_EQ(Run(true, fDir.File("exists.txt")), 0);
    EXPECT_EQ(Chosen(), fDir.File("fresh.qpm"));
    struct stat st;
    EXPECT_NE(stat(fPath.Buffer(), &st), 0) << "the dialog itself creates no file";
}

TEST_F(QuorFileDialog, ASavedNameGetsItsExtensionAndTheCallerCheckComesBeforeTheReplacePrompt)
{
    // Catches a typed name saved without its extension, a replace prompt about the typed name
    // instead of the final one, an extension doubled or added in another case, and a refused
    // file that is asked about (or chosen) anyway.
    ASSERT_TRUE(WriteFileBytes(fDir.File("exists.txt.jpg"), "keep"));
    std::vector<std::string> asked;
    int checks = 0;
    Quor_FileDialogRequest request = Request(true, fDir.File("exists.txt"));
    request.extensions = ".jpg;.jpeg";
    request.accept = [&](const char* path) {
        ++checks;
        return std::string(path) != fDir.File("refused.jpg");
    };
    Script({
        [&](uint32_t w) { Submit(w, Dialog(w)->NameField(), "refused"); },
        [&](uint32_t w) {
            asked.push_back(Asking(w) ? "asked" : "open");
            Submit(w, Dialog(w)->NameField(), "exists.txt");
        },
        [&](uint32_t w) {
            asked.push_back(Asking(w) ? "asked" : "open");
            fHost.PushKey(w, kHostReturn);
        },
    });
    EXPECT_EQ(Run(request), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"open", "asked"}));
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(Chosen(), fDir.File("exists.txt.jpg"));

    const struct { const char* path; const char* expected; } names[] = {
        {"/d/pano", "/d/pano.jpg"},       {"/d/pano.JPEG", "/d/pano.JPEG"}, {"/d/pano.jpg", "/d/pano.jpg"},
        {"/d/.jpg", "/d/.jpg.jpg"},       {"/d/pano.png", "/d/pano.png.jpg"},
    };
    for (const auto& name : names)
        EXPECT_STREQ(Quor_FileDialog::WithExtension(name.path, ".jpg;.jpeg").Buffer(), name.expected) << name.path;
    EXPECT_STREQ(Quor_FileDialog::WithExtension("/d/pano", "").Buffer(), "/d/pano");
}

TEST_F(QuorFileDialog, TypedLettersJumpToNamesAndBackspaceGoesUp)
{
    // Catches type-ahead that matches only the first letter, that never starts over after a
    // pause, that is case-sensitive, and Backspace in the list that deletes nothing but also
    // goes nowhere.
    std::vector<int> selected;
    std::string afterBackspace;
    Script({
        [&](uint32_t w) {
            EXPECT_TRUE(Dialog(w)->List()->IsFocused());
            fHost.PushKey(w, 'b');
        },
        [&](uint32_t w) {
            selected.push_back(Dialog(w)->List()->SelItem());
            fHost.AdvanceTime(1500);
            fHost.PushKey(w, 'e');
            fHost.PushKey(w, 'x');
        },
        [&](uint32_t w) {
            selected.push_back(Dialog(w)->List()->SelItem());
            fHost.AdvanceTime(1500);
            fHost.PushKey(w, 'a');
            fHost.PushKey(w, '.');
        },
        [&](uint32_t w) {
            selected.push_back(Dialog(w)->List()->SelItem());
            fHost.PushKey(w, kHostBackspace);
        },
        Escaping([&](uint32_t w) { afterBackspace = Dialog(w)->Folder().Buffer(); }),
    });
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 1);
    EXPECT_EQ(selected, (std::vector<int>{3, 4, 2}));
    EXPECT_EQ(afterBackspace, std::string(Quor_FileDialog::ParentOf(fDir.Path().c_str()).Buffer()));
}

TEST_F(QuorFileDialog, NamesAreTheFileSystemsBytesShownAndHandedBackUnchanged)
{
    // Catches names beyond Latin-1 shown as other letters or cut short, a name that is not valid
    // UTF-8 changed on its way back, an edited name converted to something else, a typed name not
    // stored as UTF-8, and type-ahead that cannot find a name by a character beyond ASCII. (A
    // paste into the name field is the text field's own, tested with it.)
    ScratchDir dir;
    const std::vector<std::string> names = {"caf\xE9.jpg", "\xC4\xB1.jpg", "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE.jpg",
                                            "\xE4\xB8\x80.jpg"};
    for (const std::string& name : names)
        ASSERT_TRUE(WriteFileBytes(dir.File(name), "x"));
    for (size_t i = 0; i < names.size(); ++i) {
        std::vector<std::string> rows;
        Script({[&](uint32_t w) {
            rows = Rows(Dialog(w));
            DoubleClick(w, Row(Dialog(w), static_cast<int>(i)));
        }});
        EXPECT_EQ(Run(false, dir.Path() + "/"), 0);
        EXPECT_EQ(rows, names);
        EXPECT_EQ(Chosen(), dir.File(names[i]));
    }
    int found = -1;
    Script({[&](uint32_t w) { fHost.PushText(w, "\xD0\xA4"); },
            Escaping([&](uint32_t w) { found = Dialog(w)->List()->SelItem(); })});
    EXPECT_EQ(Run(false, dir.Path() + "/"), 1);
    EXPECT_EQ(found, 2);

    // Saved: the first name edited, and a typed name.
    const std::function<void(uint32_t)> edits[] = {
        [&](uint32_t w) {
            ClickAt(w, Row(Dialog(w), 0));
            PushClickOn(w, Dialog(w)->NameField());
            fHost.PushKey(w, kHostEnd);
            Keys(w, "\b\b\bpng");
        },
        [&](uint32_t w) {
            TypeInto(w, Dialog(w)->NameField(), "");
            fHost.PushText(w, "\xD0\x9F\xD0\xB0\xD0\xBD.qpm");
        },
    };
    const char* saved[] = {"caf\xE9.png", "\xD0\x9F\xD0\xB0\xD0\xBD.qpm"};
    for (int i = 0; i < 2; ++i) {
        Script({[&](uint32_t w) {
            edits[i](w);
            fHost.PushKey(w, kHostReturn);
        }});
        EXPECT_EQ(Run(true, dir.Path() + "/"), 0);
        EXPECT_EQ(Chosen(), dir.File(saved[i])) << i;
    }
}

TEST_F(QuorFileDialog, TheFieldEditedLastDecidesAndNamesThatCannotWorkAreRefused)
{
    // Catches text left in the path field overriding a name typed after it (the file saved
    // under the abandoned path), a path typed after the name losing to it, hidden, blank and
    // overlong names taken, and FIFOs or dangling links offered as files.
    ASSERT_EQ(mkfifo(fDir.File("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("Adir", fDir.File("ln").c_str()), 0);
    ASSERT_EQ(symlink("gone", fDir.File("dead").c_str()), 0);
    struct Order { bool pathFirst; std::string chosen; };
    for (const Order& order : {Order{true, fDir.File("pano.qpm")}, Order{false, fDir.File("zdir/there.qpm")}}) {
        SCOPED_TRACE(order.pathFirst ? "path, then name" : "name, then path");
        Script({[&](uint32_t w) {
            if (order.pathFirst)
                TypeInto(w, Dialog(w)->PathField(), fDir.File("abandoned.qpm"));
            TypeInto(w, Dialog(w)->NameField(), "pano.qpm");
            if (!order.pathFirst)
                TypeInto(w, Dialog(w)->PathField(), fDir.File("zdir/there.qpm"));
            fHost.PushKey(w, kHostReturn);
        }});
        EXPECT_EQ(Run(true, fDir.Path() + "/"), 0);
        EXPECT_EQ(Chosen(), order.chosen);
    }

    // Each refused with a message, the dialog staying open; the FIFO and the dangling link are
    // not listed either.
    struct Refusal { bool save; std::string typed; const char* because; };
    const Refusal refusals[] = {
        {true, ".pano.qpm", "hide"},      {true, "   ", "Type a name"}, {true, std::string(300, 'n'), "too long"},
        {true, "pipe", "not a file that"}, {false, "pipe", "is not a file"},
    };
    std::vector<std::string> rows;
    for (const Refusal& r : refusals) {
        std::string status;
        Script({[&](uint32_t w) {
                    rows = Rows(Dialog(w));
                    Submit(w, r.save ? Dialog(w)->NameField() : Dialog(w)->PathField(), r.typed);
                },
                Escaping([&](uint32_t w) { status = Dialog(w)->Status().Buffer(); })});
        EXPECT_EQ(Run(r.save, fDir.Path() + "/"), 1);
        EXPECT_NE(status.find(r.because), std::string::npos) << r.typed << ": " << status;
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"Adir/", "ln/", "zdir/", "A.jpg", "b.txt", "exists.txt"}));
}

TEST_F(QuorFileDialog, AFolderOfTwentyThousandPhotosListsInOneBatch)
{
    // Catches rows added one at a time, each with its redraw (a large folder froze the program),
    // and rows lost or out of order.
    constexpr int kCount = 20000;
    ASSERT_EQ(mkdir(fDir.File("big").c_str(), 0755), 0);
    for (int i = 0; i < kCount; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "big/IMG_%05d.JPG", (i * 7919) % kCount);
        const int fd = open(fDir.File(name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    int presents = 0;
    std::vector<std::string> rows;
    Script({
        [&](uint32_t w) { TypeInto(w, Dialog(w)->PathField(), fDir.File("big")); },
        [&](uint32_t w) {
            presents = fHost.WindowRecord(w)->presents;
            fHost.PushKey(w, kHostReturn);
        },
        Escaping([&](uint32_t w) {
            presents = fHost.WindowRecord(w)->presents - presents;
            rows = Rows(Dialog(w));
        }),
    });
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 1);
    ASSERT_EQ(rows.size(), static_cast<size_t>(kCount));
    EXPECT_EQ(rows.front(), "IMG_00000.JPG");
    EXPECT_EQ(rows.back(), "IMG_19999.JPG");
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    // The list draws once; the path field, the status line, the scroll bar and the OK button show
    // their change (8 presents in all), where a redraw per row would make 20,000.
    EXPECT_LT(presents, 20);
}

TEST_F(QuorFileDialog, ApplicationRepliesWithThePathOnlyWhenAFileWasChosen)
{
    // Catches a reply without the "path" field, a reply sent on cancel, dialogs that are not
    // registered with the application object, and a missing dialog reported as success.
    Quor_App app("FileDialogTest", "1.0", false);
    WhatLog target;
    Quor_App::SetFileDialogHook(nullptr);
    EXPECT_EQ(app.OpenFileDialog(nullptr, "Open", &target, 56, "", "", nullptr), QUOR_ERR_NO_MODULE);
    Quor_RegisterWidgetDialogs();
    Script({[&](uint32_t w) { fHost.PushKey(w, kHostReturn); }});
    EXPECT_EQ(app.SaveFileDialog(nullptr, "Save", &target, 55, fDir.File("new.txt").c_str(), nullptr), QUOR_OK);
    ASSERT_EQ(target.whats, std::vector<int>{55});
    const char* path = nullptr;
    ASSERT_TRUE(target.last.Get("path", &path));
    EXPECT_EQ(std::string(path), fDir.File("new.txt"));

    // The next dialog starts in the folder of the last choice.
    std::string start;
    Script({Escaping([&](uint32_t w) { start = Dialog(w)->Folder().Buffer(); })});
    EXPECT_EQ(app.OpenFileDialog(nullptr, "Open", &target, 56, "Files", "*", nullptr), QUOR_OK);
    EXPECT_EQ(start, fDir.Path());
    EXPECT_EQ(target.whats.size(), 1u);
    Quor_App::SetFileDialogHook(nullptr);
}

TEST(QuorFileNames, SortNaturallyWithoutRegardToCaseAndOnlyEqualNamesTie)
{
    // Catches digits compared as text (photo10 before photo2), numbers longer than a machine
    // word, case deciding before the letters do, and an order that is not total (two different
    // names comparing equal, or a and b each before the other), which std::sort punishes.
    struct Case {
        const char* a;
        const char* b;
        int order;
    };
    const Case cases[] = {
        {"photo2", "photo10", -1},
        {"Photo2", "photo10", -1},
        {"photo2.jpg", "photo2a.jpg", -1},
        {"a", "B", -1},
        {"B", "b", -1},
        {"img007", "img7", -1},
        {"img7", "img007x", -1},
        {"x99999999999999999999", "x100000000000000000000", -1},
        {"file.jpg", "file1.jpg", -1},
        {"abc", "abcd", -1},
        {"same", "same", 0},
        {"", "a", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Quor_FileLister::CompareNames(c.a, c.b), c.order) << c.a << " / " << c.b;
        EXPECT_EQ(Quor_FileLister::CompareNames(c.b, c.a), -c.order) << c.b << " / " << c.a;
    }
    std::vector<std::string> names{"photo10", "Photo1", "photo2", "photo1", "photo01", "PHOTO2", "photo"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Quor_FileLister::CompareNames(a.c_str(), b.c_str()) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"photo", "Photo1", "photo01", "photo1", "PHOTO2", "photo2", "photo10"}));
}

TEST(QuorFileNames, SizesReadAsPeopleWriteThemAndPatternsIgnoreCase)
{
    // Catches a size that rounds to "1000.0 kB", a lone byte in the plural, binary units, and
    // patterns matched case-sensitively, on the middle of a name, or with a blank around the
    // separator.
    const std::pair<uint64_t, const char*> sizes[] = {
        {0, "0 bytes"},           {1, "1 byte"},          {999, "999 bytes"},   {1000, "1.0 kB"},
        {1234567, "1.2 MB"},      {999949, "999.9 kB"},   {999950, "1.0 MB"},   {5000000000ull, "5.0 GB"},
    };
    for (const auto& [bytes, text] : sizes) {
        EXPECT_STREQ(Quor_FileDialog::SizeText(bytes).Buffer(), text) << bytes;
    }
    const char* patterns = "*.qpm; *.jpg;*.jpeg";
    const std::pair<const char*, bool> names[] = {
        {"a.qpm", true}, {"B.JPG", true}, {"c.JpEg", true}, {".jpg", true}, {"a.jpg.txt", false},
        {"jpg", false},  {"a.qpmx", false},
    };
    for (const auto& [name, matches] : names) {
        EXPECT_EQ(Quor_FileDialog::MatchesPatterns(name, patterns), matches) << name;
    }
    EXPECT_TRUE(Quor_FileDialog::MatchesPatterns("x?y", "x?y"));
    EXPECT_TRUE(Quor_FileDialog::MatchesPatterns("anything", ""));
    EXPECT_FALSE(Quor_FileDialog::MatchesPatterns("photo1.png", "photo?.jpg"));
}

TEST(QuorFilePlaces, HomeStartUserFoldersAndVolumesComeFromTheEnvironmentGiven)
{
    // Catches places from the real home instead of the one given, a user folder that is missing
    // or is the home folder itself listed anyway, "$HOME" left unexpanded, XDG_CONFIG_HOME
    // ignored, the volume root /media/<user> listed as a volume of /media, files or hidden
    // folders listed as volumes, an unreadable root that lists anything, and the start folder
    // listed twice.
    ScratchDir dir;
    const std::string home = dir.File("home");
    for (const char* folder : {"home", "home/Desktop", "home/Work", "config", "media", "media/me", "media/me/USB 2",
                               "media/me/USB 10", "media/CD", "media/.hidden", "mnt"})
        ASSERT_EQ(mkdir(dir.File(folder).c_str(), 0755), 0);
    ASSERT_TRUE(WriteFileBytes(dir.File("media/file"), "x"));
    ASSERT_TRUE(WriteFileBytes(dir.File("config/user-dirs.dirs"),
                               "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                               "XDG_PICTURES_DIR=\"$HOME/Missing\"\nXDG_MUSIC_DIR=\"$HOME/Work\"\n"));
    Quor_FilePlaces::Environment environment;
    environment.home = home.c_str();
    environment.configHome = dir.File("config").c_str();
    for (const char* root : {"media/me", "media", "mnt", "absent"})
        environment.volumeRoots.emplace_back(dir.File(root).c_str());
    ASSERT_EQ(mkdir(dir.File("mnt/inside").c_str(), 0755), 0);
    const bool canLock = geteuid() != 0;
    if (canLock) {
        ASSERT_EQ(chmod(dir.File("mnt").c_str(), 0), 0);
    }

    auto listed = [&](const char* start) {
        std::vector<std::string> out;
        for (const Quor_FilePlaces::Place& place : Quor_FilePlaces::List(environment, start))
            out.push_back(std::string(place.label.Buffer()) + "=" + place.path.Buffer());
        return out;
    };
    std::vector<std::string> volumes{"USB 2=" + dir.File("media/me/USB 2"), "USB 10=" + dir.File("media/me/USB 10"),
                                     "CD=" + dir.File("media/CD")};
    // The superuser reads the locked root all the same.
    if (!canLock)
        volumes.push_back("inside=" + dir.File("mnt/inside"));
    std::vector<std::string> expected{"Home=" + home, "Work=" + home + "/Work", "Desktop=" + home + "/Desktop"};
    expected.insert(expected.end(), volumes.begin(), volumes.end());
    EXPECT_EQ(listed((home + "/Work/").c_str()), expected);
    // Started at home, the home folder is not listed twice; pictures set to the home folder
    // itself are left out, and so are the desktop's when the settings file is gone.
    ASSERT_TRUE(WriteFileBytes(dir.File("config/user-dirs.dirs"), "XDG_PICTURES_DIR=\"$HOME\"\n"));
    expected = {"Home=" + home};
    expected.insert(expected.end(), volumes.begin(), volumes.end());
    EXPECT_EQ(listed(home.c_str()), expected);
    chmod(dir.File("mnt").c_str(), 0755);

    const char* text = "XDG_A_DIR=/srv/a\n  XDG_B_DIR = \"$HOME/b/\"\nXDG_C_DIR=\"relative\"\n#XDG_D_DIR=\"/d\"\n";
    EXPECT_STREQ(Quor_FilePlaces::UserDir(text, "XDG_A_DIR", "/h").Buffer(), "/srv/a");
    EXPECT_STREQ(Quor_FilePlaces::UserDir(text, "XDG_B_DIR", "/h").Buffer(), "/h/b");
    EXPECT_STREQ(Quor_FilePlaces::UserDir(text, "XDG_C_DIR", "/h").Buffer(), "");
    EXPECT_STREQ(Quor_FilePlaces::UserDir(text, "XDG_D_DIR", "/h").Buffer(), "");
}

namespace {

// Points of the dialog's controls in layer coordinates.
Quor_Point HeadingPoint(const Quor_FileDialog* dialog, int column)
{
    const Quor_Rect r = dialog->Heads()->LayerFrame();
    return Quor_Point(r.left + dialog->Heads()->HeadingLeft(column) + 4, r.top + r.Height() / 2);
}

Quor_Point PlacePoint(const Quor_FileDialog* dialog, int row)
{
    const Quor_TextList* list = dialog->PlacesList();
    const Quor_Rect r = list->LayerFrame();
    return Quor_Point(r.left + 20, r.top + Quor_TextList::kInset + row * list->LineHeight() + list->LineHeight() / 2);
}

// Sets HOME for one test and puts it back.
class ScopedHome {
public:
    explicit ScopedHome(const std::string& home)
    {
        const char* old = std::getenv("HOME");
        fHad = old != nullptr;
        fOld = old != nullptr ? old : "";
        setenv("HOME", home.c_str(), 1);
    }
    ~ScopedHome()
    {
        if (fHad)
            setenv("HOME", fOld.c_str(), 1);
        else
            unsetenv("HOME");
    }

private:
    bool fHad;
    std::string fOld;
};

}  // namespace

TEST_F(QuorFileDialog, HeadingsSortByNameSizeAndDateAndASecondClickReverses)
{
    // Catches a heading press that does not sort, a second press that does not reverse,
    // folders sorted in among the files, sizes or dates that do not reach the list, and the
    // selection lost to a new order.
    const std::pair<const char*, int> files[] = {{"photo10.jpg", 3000}, {"photo2.jpg", 10}, {"Photo1.jpg", 200}};
    int age = 0;
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(WriteFileBytes(fDir.File(std::string("Adir/") + name), std::string(static_cast<size_t>(bytes), 'x')));
        // Older the further down the table.
        const struct timeval times[2] = {{1700000000 - age, 0}, {1700000000 - age, 0}};
        ASSERT_EQ(utimes(fDir.File(std::string("Adir/") + name).c_str(), times), 0);
        age += 3600;
    }
    ASSERT_EQ(mkdir(fDir.File("Adir/zz").c_str(), 0755), 0);
    std::vector<std::vector<std::string>> orders;
    std::string selected;
    std::vector<std::string> sizes;
    std::vector<std::string> dates;
    auto record = [&](uint32_t w) { orders.push_back(Rows(Dialog(w))); };
    Script({
        [&](uint32_t w) {
            record(w);
            Dialog(w)->List()->SetSelItem(2);
            ClickAt(w, HeadingPoint(Dialog(w), 1));
        },
        [&](uint32_t w) {
            record(w);
            selected = Dialog(w)->List()->SelItemLabel();
            for (int row = 1; row < 4; ++row)
                sizes.push_back(Dialog(w)->List()->SizeText(row));
            for (int row = 2; row < 5; ++row)
                dates.push_back(Dialog(w)->List()->DateText(row));
            fHost.AdvanceTime(1000);
            ClickAt(w, HeadingPoint(Dialog(w), 1));
        },
        [&](uint32_t w) {
            record(w);
            fHost.AdvanceTime(1000);
            ClickAt(w, HeadingPoint(Dialog(w), 2));
        },
        Escaping([&](uint32_t w) {
            record(w);
            EXPECT_EQ(Dialog(w)->Heads()->SortColumn(), 2);
            EXPECT_FALSE(Dialog(w)->Heads()->SortReversed());
        }),
    });
    EXPECT_EQ(Run(false, fDir.File("Adir/")), 1);
    // By name, by size, by size reversed, then oldest first (the last file of the table, then
    // the middle one, then the first; inner.txt was written just now).
    EXPECT_EQ(orders, (std::vector<std::vector<std::string>>{
                          {"zz/", "inner.txt", "Photo1.jpg", "photo2.jpg", "photo10.jpg"},
                          {"zz/", "inner.txt", "photo2.jpg", "Photo1.jpg", "photo10.jpg"},
                          {"zz/", "photo10.jpg", "Photo1.jpg", "photo2.jpg", "inner.txt"},
                          {"zz/", "Photo1.jpg", "photo2.jpg", "photo10.jpg", "inner.txt"},
                      }));
    EXPECT_EQ(selected, "Photo1.jpg");
    EXPECT_EQ(sizes, (std::vector<std::string>{"1 byte", "10 bytes", "200 bytes"}));
    // "2023-11-14 22:13": each an hour apart, so no two the same.
    ASSERT_EQ(dates.size(), 3u);
    for (const std::string& date : dates) {
        ASSERT_EQ(date.size(), 16u) << date;
        for (size_t i = 0; i < date.size(); ++i) {
            const char want = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 ? ':' : '9';
            EXPECT_TRUE(want == '9' ? (date[i] >= '0' && date[i] <= '9') : date[i] == want) << date;
        }
    }
    EXPECT_NE(dates[0], dates[1]);
    EXPECT_NE(dates[1], dates[2]);
}

TEST_F(QuorFileDialog, TheTypeFilterAndCtrlHChooseWhatShowsAndHiddenFilesStayShownForTheSession)
{
    // Catches a filter that hides folders or is case-sensitive, "All files" that changes
    // nothing, Ctrl+H that works only in the list (not with a field focused), and a choice of
    // hidden files forgotten by the next dialog.
    for (const char* name : {"x.QPM", "y.JpEg", ".h.jpg", "Adir/.inner.jpg"})
        ASSERT_TRUE(WriteFileBytes(fDir.File(name), "x"));
    ASSERT_EQ(mkdir(fDir.File(".hdir").c_str(), 0755), 0);
    std::vector<std::vector<std::string>> seen;
    std::string filterLabel;
    Script({
        [&](uint32_t w) {
            seen.push_back(Rows(Dialog(w)));
            filterLabel = Dialog(w)->FilterMenu()->Menu()->FirstCheckedLabel();
            // Ctrl+H while the path field has the focus.
            PushClickOn(w, Dialog(w)->PathField());
            fHost.PushKey(w, 'h', QUOR_HOST_CTRL);
        },
        [&](uint32_t w) {
            EXPECT_TRUE(Dialog(w)->PathField()->IsFocused());
            seen.push_back(Rows(Dialog(w)));
            PushClickOn(w, Dialog(w)->FilterMenu());
        },
        [&](uint32_t w) {
            // The menu is open over the dialog: its second item is "All files".
            Quor_Menu* menu = dynamic_cast<Quor_Menu*>(Quor_WindowList::FindByHost(w)->TopLayer());
            ASSERT_NE(menu, nullptr);
            const Quor_Rect item = menu->ItemRect(1);
            fHost.PushClick(w, menu->Location().x + item.left + 10, menu->Location().y + item.top + item.Height() / 2);
        },
        Escaping([&](uint32_t w) { seen.push_back(Rows(Dialog(w))); }),
    });
    Quor_FileDialogRequest request = Request(false, fDir.Path() + "/");
    request.description = "Quor Panomer and JPEG Files";
    request.patterns = "*.qpm;*.jpg;*.jpeg";
    EXPECT_EQ(Run(request), 1);
    EXPECT_EQ(filterLabel, "Quor Panomer and JPEG Files");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], (std::vector<std::string>{"Adir/", "zdir/", "A.jpg", "x.QPM", "y.JpEg"}));
    EXPECT_EQ(seen[1], (std::vector<std::string>{".hdir/", "Adir/", "zdir/", ".h.jpg", "A.jpg", "x.QPM", "y.JpEg"}));
    EXPECT_EQ(seen[2], (std::vector<std::string>{".hdir/", "Adir/", "zdir/", ".h.jpg", ".hidden", "A.jpg", "b.txt",
                                                 "exists.txt", "x.QPM", "y.JpEg"}));

    // The next dialog still shows hidden files, until Ctrl+H in its list hides them again.
    std::vector<std::vector<std::string>> next;
    Script({
        [&](uint32_t w) {
            next.push_back(Rows(Dialog(w)));
            fHost.PushKey(w, 'h', QUOR_HOST_CTRL);
        },
        Escaping([&](uint32_t w) { next.push_back(Rows(Dialog(w))); }),
    });
    EXPECT_EQ(Run(false, fDir.File("Adir/")), 1);
    EXPECT_EQ(next, (std::vector<std::vector<std::string>>{{".inner.jpg", "inner.txt"}, {"inner.txt"}}));
    EXPECT_FALSE(Quor_FileDialog::ShowsHidden());
}

TEST_F(QuorFileDialog, PlacesAndTheHomeButtonEnterTheirFolders)
{
    // Catches a places list that does not offer the home and start folders, a press on a place
    // or the home button that goes nowhere, and a home button that uses another home.
    const std::string home = fDir.File("zdir");
    ScopedHome scoped(home);
    std::vector<std::string> labels;
    std::vector<std::string> folders;
    Script({
        [&](uint32_t w) {
            for (const Quor_FilePlaces::Place& place : Dialog(w)->Places())
                labels.push_back(place.label.Buffer());
            PushClickOn(w, Dialog(w)->HomeButton());
        },
        [&](uint32_t w) {
            folders.push_back(Dialog(w)->Folder().Buffer());
            ClickAt(w, PlacePoint(Dialog(w), 1));
        },
        [&](uint32_t w) {
            folders.push_back(Dialog(w)->Folder().Buffer());
            fHost.AdvanceTime(1000);
            ClickAt(w, PlacePoint(Dialog(w), 0));
        },
        Escaping([&](uint32_t w) { folders.push_back(Dialog(w)->Folder().Buffer()); }),
    });
    EXPECT_EQ(Run(false, fDir.File("Adir/")), 1);
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(labels[0], "Home");
    EXPECT_EQ(labels[1], "Adir");
    EXPECT_EQ(folders, (std::vector<std::string>{home, fDir.File("Adir"), home}));
}

TEST_F(QuorFileDialog, NewFolderIsMadeAndEnteredOrRefusedWithTheReason)
{
    // Catches a prompt whose name is not used, a folder made but not entered, an existing
    // name that is silently accepted (or its file replaced), and a folder that cannot be
    // written that fails without a message or a beep.
    std::string entered;
    bool madeThroughPrompt = false;
    std::string exists;
    std::string unwritable;
    int beeps = 0;
    Script({
        [&](uint32_t w) { PushClickOn(w, Dialog(w)->NewFolderButton()); },
        [&](uint32_t w) {
            auto* prompt = dynamic_cast<Quor_FileDialogPrompt*>(Quor_WindowList::FindByHost(w)->TopLayer());
            ASSERT_NE(prompt, nullptr);
            Keys(w, "Trip 2026");
            fHost.PushKey(w, kHostReturn);
        },
        Escaping([&](uint32_t w) {
            Quor_FileDialog* dialog = Dialog(w);
            ASSERT_NE(dialog, nullptr);
            entered = dialog->Folder().Buffer();
            madeThroughPrompt = Quor_FileLister::KindOf(fDir.File("Trip 2026").c_str()) == Quor_FileLister::Kind::kFolder;
            dialog->EnterFolder(fDir.Path().c_str());
            beeps = fHost.BeepCount();
            EXPECT_FALSE(dialog->MakeFolder("exists.txt"));
            exists = dialog->Status().Buffer();
            if (geteuid() != 0) {
                ASSERT_EQ(chmod(fDir.File("zdir").c_str(), 0555), 0);
                dialog->EnterFolder(fDir.File("zdir").c_str());
                EXPECT_FALSE(dialog->MakeFolder("new"));
                unwritable = dialog->Status().Buffer();
                chmod(fDir.File("zdir").c_str(), 0755);
                EXPECT_EQ(dialog->Folder(), fDir.File("zdir").c_str());
            }
            beeps = fHost.BeepCount() - beeps;
        }),
    });
    EXPECT_EQ(Run(true, fDir.Path() + "/Untitled.qpm"), 1);
    EXPECT_TRUE(madeThroughPrompt);
    EXPECT_EQ(entered, fDir.File("Trip 2026"));
    EXPECT_NE(exists.find("already"), std::string::npos) << exists;
    EXPECT_EQ(ReadFileBytes(fDir.File("exists.txt")), "keep");
    if (geteuid() != 0) {
        EXPECT_NE(unwritable.find("may not be written"), std::string::npos) << unwritable;
        EXPECT_EQ(beeps, 2);
        EXPECT_EQ(Quor_FileLister::KindOf(fDir.File("zdir/new").c_str()), Quor_FileLister::Kind::kMissing);
    }
}

TEST_F(QuorFileDialog, TabCompletesTypedPathsAndOtherwiseMovesTheFocus)
{
    // Catches completion that goes past what the matches share, a single folder without its
    // "/", a path in another folder completed from the shown one, no beep (or a focus move)
    // for a name nothing matches, a field the dialog filled that Tab completes instead of
    // leaving, and Shift+Tab taken for completion.
    for (const char* name : {"photo1.jpg", "photo2.jpg", "Adir/inside.txt"})
        ASSERT_TRUE(WriteFileBytes(fDir.File(name), "x"));
    ASSERT_EQ(mkdir(fDir.File("pictures").c_str(), 0755), 0);
    struct Case {
        std::string typed;
        std::string after;
        bool beeps;
    };
    const std::vector<Case> cases{
        {"pho", "photo", false},
        {"pic", "pictures/", false},
        {"photo", "photo", true},
        {"qqq", "qqq", true},
        {"Adir/ins", "Adir/inside.txt", false},
        {fDir.File("zd"), fDir.File("zdir/"), false},
        {"~/", "~/", false},
    };
    std::vector<std::string> after;
    std::vector<bool> beeped;
    std::vector<bool> kept;
    int beeps = 0;
    // Each step looks at what the Tab before it did (a step must push something: with the
    // focus off the fields no caret timer wakes the loop).
    auto look = [&](uint32_t w) {
        after.push_back(Dialog(w)->PathField()->Value());
        beeped.push_back(fHost.BeepCount() > beeps);
        kept.push_back(Dialog(w)->PathField()->IsFocused());
    };
    std::vector<std::function<void(uint32_t)>> steps;
    for (size_t i = 0; i < cases.size(); ++i) {
        steps.push_back([&, i](uint32_t w) {
            if (i > 0)
                look(w);
            TypeInto(w, Dialog(w)->PathField(), cases[i].typed);
            beeps = fHost.BeepCount();
            fHost.PushKey(w, kHostTab);
        });
    }
    bool leftUnedited = false;
    bool shiftTabLeft = false;
    steps.push_back([&](uint32_t w) {
        look(w);
        // Shown as the dialog filled it, the path field is left by Tab.
        Dialog(w)->EnterFolder(fDir.Path().c_str());
        PushClickOn(w, Dialog(w)->PathField());
        fHost.PushKey(w, kHostTab);
    });
    steps.push_back([&](uint32_t w) {
        leftUnedited = !Dialog(w)->PathField()->IsFocused();
        TypeInto(w, Dialog(w)->PathField(), "pho");
        fHost.PushKey(w, kHostTab, QUOR_HOST_SHIFT);
    });
    steps.push_back(Escaping([&](uint32_t w) {
        shiftTabLeft = !Dialog(w)->PathField()->IsFocused() && std::string(Dialog(w)->PathField()->Value()) == "pho";
    }));
    Script(steps);
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 1);
    ASSERT_EQ(after.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(after[i], cases[i].after) << cases[i].typed;
        EXPECT_EQ(beeped[i], cases[i].beeps) << cases[i].typed;
        // "~/" has nothing after its slash to complete: Tab moves on from it.
        EXPECT_EQ(kept[i], cases[i].typed != "~/") << cases[i].typed;
    }
    EXPECT_TRUE(leftUnedited);
    EXPECT_TRUE(shiftTabLeft);
}

TEST_F(QuorFileDialog, KeyboardAloneTypesAPathCompletesItAndOpensTheFile)
{
    // Catches a list that swallows "/" as type-ahead instead of starting a path, completion
    // that leaves Return with nothing to open, and a save dialog's name field without
    // completion.
    Script({
        [&](uint32_t w) {
            EXPECT_TRUE(Dialog(w)->List()->IsFocused());
            Keys(w, fDir.File("Ad"));
            fHost.PushKey(w, kHostTab);
            fHost.PushKey(w, 'i');
            fHost.PushKey(w, kHostTab);
            fHost.PushKey(w, kHostReturn);
        },
    });
    EXPECT_EQ(Run(false, fDir.Path() + "/"), 0);
    EXPECT_EQ(Chosen(), fDir.File("Adir/inner.txt"));

    Script({
        [&](uint32_t w) {
            EXPECT_TRUE(Dialog(w)->NameField()->IsFocused());
            fHost.PushKey(w, 'a', QUOR_HOST_CTRL);
            Keys(w, "zd");
            fHost.PushKey(w, kHostTab);
            Keys(w, "new");
            fHost.PushKey(w, kHostReturn);
        },
    });
    EXPECT_EQ(Run(true, fDir.Path() + "/Untitled"), 0);
    EXPECT_EQ(Chosen(), fDir.File("zdir/new"));
}

TEST_F(QuorFileDialog, ResizingKeepsEveryControlInsideAndGivesTheRoomToTheList)
{
    // Catches a dialog window that cannot be resized, controls left where they were (cut off
    // when smaller, a blank band when larger), controls overlapping at the smallest size, a
    // minimum the host never hears of, and a resize that moves the keyboard focus.
    struct Seen {
        Quor_Point window;
        Quor_Point list;
        bool inside = true;
        bool ordered = true;
    };
    std::vector<Seen> seen;
    bool resizable = false;
    Quor_Point minimum;
    std::string typedOn;
    auto look = [&](uint32_t w) {
        Quor_FileDialog* dialog = Dialog(w);
        Quor_Wnd* window = Quor_WindowList::FindByHost(w);
        Seen s;
        s.window = window->Bounds().Size();
        s.list = dialog->List()->Shape();
        const Quor_Rect bounds = window->Bounds();
        for (int i = 0; i < dialog->CountChildren(); ++i) {
            const Quor_Rect r = dialog->GetChild(i)->LayerFrame();
            if (r.left < 0 || r.top < 0 || r.right > bounds.right || r.bottom > bounds.bottom)
                s.inside = false;
        }
        // Top to bottom: list, filter, status, name, buttons; the places beside the list.
        const int steps[] = {dialog->List()->LayerFrame().bottom, dialog->FilterMenu()->LayerFrame().top,
                             dialog->FilterMenu()->LayerFrame().bottom, dialog->NameField()->LayerFrame().top,
                             dialog->NameField()->LayerFrame().bottom, dialog->OKButtonView()->LayerFrame().top};
        for (int i = 0; i + 1 < 6; ++i)
            s.ordered = s.ordered && steps[i] < steps[i + 1];
        s.ordered = s.ordered && dialog->PlacesList()->LayerFrame().right < dialog->List()->LayerFrame().left;
        seen.push_back(s);
    };
    Script({
        [&](uint32_t w) {
            look(w);
            resizable = Quor_WindowList::FindByHost(w)->IsResizable();
            minimum = Quor_Point(fHost.WindowRecord(w)->minWidth, fHost.WindowRecord(w)->minHeight);
            TypeInto(w, Dialog(w)->PathField(), "/tm");
            fHost.UserResize(w, 1100, 760);
            fHost.PushKey(w, 'p');
        },
        [&](uint32_t w) {
            look(w);
            // Typing goes on where it was: the resize took neither the focus nor the caret.
            typedOn = Dialog(w)->PathField()->Value();
            fHost.UserResize(w, Quor_FileDialog::kMinWidth, Quor_FileDialog::kMinHeight);
        },
        Escaping(look),
    });
    EXPECT_EQ(Run(true, fDir.Path() + "/Untitled"), 1);
    EXPECT_TRUE(resizable);
    EXPECT_EQ(typedOn, "/tmp");
    EXPECT_EQ(minimum, Quor_Point(Quor_FileDialog::kMinWidth, Quor_FileDialog::kMinHeight));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1].window, Quor_Point(1100, 760));
    EXPECT_EQ(seen[2].window, Quor_Point(Quor_FileDialog::kMinWidth, Quor_FileDialog::kMinHeight));
    // The list takes all the room the window gains.
    EXPECT_EQ(seen[1].list.x - seen[0].list.x, 1100 - seen[0].window.x);
    EXPECT_EQ(seen[1].list.y - seen[0].list.y, 760 - seen[0].window.y);
    for (const Seen& s : seen) {
        EXPECT_TRUE(s.inside) << s.window.x << " x " << s.window.y;
        EXPECT_TRUE(s.ordered) << s.window.x << " x " << s.window.y;
    }
}
