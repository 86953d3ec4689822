// The open and save dialogs in a scratch folder: what they list, choosing, cancelling, entering
// folders, refusing a folder that cannot be read, confirming a replacement, type-ahead, and the
// replies the application object sends for them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/framework/Quor_WindowList.h"
#include "toolkit/widgets/Quor_Button.h"
#include "toolkit/widgets/Quor_Dialog.h"
#include "toolkit/widgets/Quor_FileDialog.h"
#include "toolkit/widgets/Quor_FileDialogConfirm.h"
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
        for (char c : text)
            fHost.PushKey(window, c);
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
    Quor_String path;
    EXPECT_EQ(Quor_RunFileDialog(Request(false, fDir.Path() + "/"), &path), 0);
    EXPECT_EQ(rows, (std::vector<std::string>{"Adir/", "zdir/", "A.jpg", "a.png", "b.txt", "C.jpg", "exists.txt"}));
    EXPECT_EQ(afterAcross, fDir.Path());
    EXPECT_EQ(std::string(path.Buffer()), fDir.File("b.txt"));
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
            TypeInto(w, Dialog(w)->PathField(), "zdir");
            fHost.PushKey(w, kHostReturn);
        },
        [&](uint32_t w) {
            seen.push_back(folder(Dialog(w)));
            fHost.PushKey(w, kHostEscape);
        },
    });
    Quor_String path("untouched");
    EXPECT_EQ(Quor_RunFileDialog(Request(false, fDir.Path() + "/"), &path), 1);
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_EQ(seen, (std::vector<std::string>{fDir.File("Adir"), fDir.Path(), fDir.File("zdir")}));

    // A full file path typed into the path field chooses that file.
    Script({
        [&](uint32_t w) {
            TypeInto(w, Dialog(w)->PathField(), fDir.File("Adir/../Adir/inner.txt"));
            fHost.PushKey(w, kHostReturn);
        },
    });
    EXPECT_EQ(Quor_RunFileDialog(Request(false, fDir.Path() + "/"), &path), 0);
    EXPECT_EQ(std::string(path.Buffer()), fDir.File("Adir/inner.txt"));
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
            TypeInto(w, dialog->PathField(), fDir.File("b.txt/deeper"));
            fHost.PushKey(w, kHostReturn);
        },
        [&](uint32_t w) {
            EXPECT_NE(std::string(Dialog(w)->Status().Buffer()).find("no file"), std::string::npos);
            fHost.PushKey(w, kHostEscape);
        },
    });
    Quor_String path;
    EXPECT_EQ(Quor_RunFileDialog(Request(false, fDir.Path() + "/"), &path), 1);
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
            [&](uint32_t w) {
                refused = Dialog(w)->Status().Buffer();
                fHost.PushKey(w, kHostEscape);
            },
        });
        EXPECT_EQ(Quor_RunFileDialog(Request(false, fDir.Path() + "/"), &path), 1);
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
        [&](uint32_t w) {
            steps.push_back(Asking(w) ? "asked" : "not asked");
            fHost.PushKey(w, kHostEscape);
        },
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
    Quor_String path;
    EXPECT_EQ(Quor_RunFileDialog(Request(true, fDir.File("exists.txt")), &path), 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"asked", "still open", "asked"}));
    EXPECT_EQ(std::string(path.Buffer()), fDir.File("exists.txt"));
    EXPECT_EQ(ReadFileBytes(fDir.File("exists.txt")), "keep");

    Script({
        [&](uint32_t w) {
            TypeInto(w, Dialog(w)->NameField(), "fresh.qpm");
            fHost.PushKey(w, kHostReturn);
        },
    });
    EXPECT_EQ(Quor_RunFileDialog(Request(true, fDir.File("exists.txt")), &path), 0);
    EXPECT_EQ(std::string(path.Buffer()), fDir.File("fresh.qpm"));
    struct stat st;
    EXPECT_NE(stat(path.Buffer(), &st), 0) << "the dialog itself creates no file";
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
        [&](uint32_t w) {
            TypeInto(w, Dialog(w)->NameField(), "refused");
            fHost.PushKey(w, kHostReturn);
        },
        [&](uint32_t w) {
            asked.push_back(Asking(w) ? "asked" : "open");
            TypeInto(w, Dialog(w)->NameField(), "exists.txt");
            fHost.PushKey(w, kHostReturn);
        },
        [&](uint32_t w) {
            asked.push_back(Asking(w) ? "asked" : "open");
            fHost.PushKey(w, kHostReturn);
        },
    });
    Quor_String path;
    EXPECT_EQ(Quor_RunFileDialog(request, &path), 0);
    EXPECT_EQ(asked, (std::vector<std::string>{"open", "asked"}));
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(std::string(path.Buffer()), fDir.File("exists.txt.jpg"));

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
        [&](uint32_t w) {
            afterBackspace = Dialog(w)->Folder().Buffer();
            fHost.PushKey(w, kHostEscape);
        },
    });
    Quor_String path;
    EXPECT_EQ(Quor_RunFileDialog(Request(false, fDir.Path() + "/"), &path), 1);
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
    Quor_String path;
    for (size_t i = 0; i < names.size(); ++i) {
        std::vector<std::string> rows;
        Script({[&](uint32_t w) {
            rows = Rows(Dialog(w));
            DoubleClick(w, Row(Dialog(w), static_cast<int>(i)));
        }});
        EXPECT_EQ(Quor_RunFileDialog(Request(false, dir.Path() + "/"), &path), 0);
        EXPECT_EQ(rows, names);
        EXPECT_EQ(std::string(path.Buffer()), dir.File(names[i]));
    }
    int found = -1;
    Script({[&](uint32_t w) { fHost.PushText(w, "\xD0\xA4"); },
            [&](uint32_t w) {
                found = Dialog(w)->List()->SelItem();
                fHost.PushKey(w, kHostEscape);
            }});
    EXPECT_EQ(Quor_RunFileDialog(Request(false, dir.Path() + "/"), &path), 1);
    EXPECT_EQ(found, 2);

    // Saved: the first name edited, and a typed name.
    const std::function<void(uint32_t)> edits[] = {
        [&](uint32_t w) {
            fHost.PushClick(w, Row(Dialog(w), 0).x, Row(Dialog(w), 0).y);
            PushClickOn(w, Dialog(w)->NameField());
            fHost.PushKey(w, kHostEnd);
            for (char c : std::string("\b\b\bpng"))
                fHost.PushKey(w, c);
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
        EXPECT_EQ(Quor_RunFileDialog(Request(true, dir.Path() + "/"), &path), 0);
        EXPECT_EQ(std::string(path.Buffer()), dir.File(saved[i])) << i;
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
    Quor_String path;
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
        EXPECT_EQ(Quor_RunFileDialog(Request(true, fDir.Path() + "/"), &path), 0);
        EXPECT_EQ(std::string(path.Buffer()), order.chosen);
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
                    TypeInto(w, r.save ? Dialog(w)->NameField() : Dialog(w)->PathField(), r.typed);
                    fHost.PushKey(w, kHostReturn);
                },
                [&](uint32_t w) {
                    status = Dialog(w)->Status().Buffer();
                    fHost.PushKey(w, kHostEscape);
                }});
        EXPECT_EQ(Quor_RunFileDialog(Request(r.save, fDir.Path() + "/"), &path), 1);
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
        [&](uint32_t w) {
            presents = fHost.WindowRecord(w)->presents - presents;
            rows = Rows(Dialog(w));
            fHost.PushKey(w, kHostEscape);
        },
    });
    Quor_String path;
    EXPECT_EQ(Quor_RunFileDialog(Request(false, fDir.Path() + "/"), &path), 1);
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
    Script({[&](uint32_t w) {
        start = Dialog(w)->Folder().Buffer();
        fHost.PushKey(w, kHostEscape);
    }});
    EXPECT_EQ(app.OpenFileDialog(nullptr, "Open", &target, 56, "Files", "*", nullptr), QUOR_OK);
    EXPECT_EQ(start, fDir.Path());
    EXPECT_EQ(target.whats.size(), 1u);
    Quor_App::SetFileDialogHook(nullptr);
}
