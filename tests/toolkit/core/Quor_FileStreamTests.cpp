// File streams: opening only what can be read without blocking, line numbers, and replacing a
// file through a temporary file so that the old content survives every failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/support/TextStreams.h"
#include "toolkit/core/Quor_FileStream.h"

namespace {

int CountEntries(const std::string& folder)
{
    return int(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

mode_t ModeOf(const std::string& path)
{
    return mode_t(std::filesystem::status(path).permissions());
}

// Replaces `path` with `text` through a temporary file; false when the commit fails.
bool Replace(Quor_FileStream& stream, const std::string& path, const char* text)
{
    if (stream.OpenReplace(path.c_str()) != QUOR_OK)
        return false;
    stream.WriteString(text);
    return stream.Commit();
}

// A file stream whose disk fills up after a few bytes: later writes store only part of what
// they are given and report the shorter count.
class FillingStream : public Quor_FileStream {
public:
    int WriteBytes(const void* buffer, int n) override
    {
        const int allowed = n < fBudget ? n : fBudget;
        fBudget -= allowed;
        return allowed > 0 ? Quor_FileStream::WriteBytes(buffer, allowed) : 0;
    }
    int fBudget = 10;
};

}  // namespace

TEST(QuorFileStream, FailuresAndAbandonedWritesLeaveTheOldFileByteIdentical)
{
    // Catches a save that truncates the old document before the new one is safely written.
    quor_test::ScratchDir scratch;
    const std::string target = scratch.File("pano.qpm");
    const std::string old = "application/x-vnd.quor_panomerdoc\nold content\n";
    ASSERT_TRUE(quor_test::WriteFileBytes(target, old));
    // The old document is byte-identical and no temporary file is left next to it.
    auto expectOldKept = [&](const char* after) {
        EXPECT_EQ(quor_test::ReadFileBytes(target), old) << after;
        EXPECT_EQ(CountEntries(scratch.Path()), 1) << after;
    };

    {
        Quor_FileStream stream;
        ASSERT_EQ(stream.OpenReplace(target.c_str()), QUOR_OK);
        stream.WriteString("new content that is never committed");
        EXPECT_EQ(CountEntries(scratch.Path()), 2);  // the target and the temporary file
        stream.Close();
        EXPECT_FALSE(stream.Commit());
    }
    expectOldKept("not committed");
    {
        Quor_FileStream stream;  // destroyed without Commit
        ASSERT_EQ(stream.OpenReplace(target.c_str()), QUOR_OK);
        stream.WriteString("abandoned");
    }
    expectOldKept("abandoned");
    {
        // A write that cannot be stored (a quote inside a quoted string), and a disk that fills
        // up, fail the commit.
        Quor_FileStream quote;
        FillingStream full;
        ASSERT_TRUE(quote.OpenReplace(target.c_str()) == QUOR_OK && full.OpenReplace(target.c_str()) == QUOR_OK);
        quote.WriteString("photo ");
        quote.WritePath("/p/a\"b.jpg");
        full.WriteString("application/x-vnd.quor_panomerdoc\n");
        full.WriteFloat(35.0f);
        EXPECT_TRUE(quote.WriteFailed() && full.WriteFailed());
        EXPECT_FALSE(quote.Commit() || full.Commit());
        EXPECT_FALSE(quote.IsOpen());
    }
    expectOldKept("quote, disk full");

    // A folder that is a regular file cannot take a temporary file.
    Quor_FileStream blocked;
    EXPECT_EQ(blocked.OpenReplace((target + "/inner.qpm").c_str()), QUOR_ERR_READ);
    EXPECT_FALSE(blocked.Commit());
    EXPECT_EQ(blocked.OpenReplace(nullptr), QUOR_ERR_ARGUMENT);
    EXPECT_EQ(blocked.OpenReplace(scratch.Path().c_str()), QUOR_ERR_READ);  // a folder is not replaced
    EXPECT_EQ(quor_test::ReadFileBytes(target), old);

    // A write-protected document is not replaced behind the user's back (root may write anyway).
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(target.c_str(), 0444), 0);
        EXPECT_EQ(blocked.OpenReplace(target.c_str()), QUOR_ERR_READ);
        EXPECT_EQ(quor_test::ReadFileBytes(target), old);
    }
}

TEST(QuorFileStream, CommitKeepsPermissionsLinksAndLongNames)
{
    // Catches a save that resets a private document to world-readable or turns a link into a copy,
    // and one that cannot replace a document whose name is as long as a folder entry allows (the
    // temporary file's name would pass that length).
    quor_test::ScratchDir scratch;
    const std::string target = scratch.File("private.qpm");
    ASSERT_TRUE(quor_test::WriteFileBytes(target, "old"));
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    const std::string link = scratch.File("link.qpm");
    ASSERT_EQ(symlink("private.qpm", link.c_str()), 0);

    Quor_FileStream stream;
    ASSERT_EQ(stream.OpenReplace(link.c_str()), QUOR_OK);
    EXPECT_EQ(std::string(stream.Pathname()), link);
    stream.WriteString("new");
    ASSERT_TRUE(stream.Commit());
    EXPECT_EQ(quor_test::ReadFileBytes(target), "new");
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ModeOf(target), 0600u);
    EXPECT_EQ(CountEntries(scratch.Path()), 2);

    // A new file gets 0644 less the umask.
    const mode_t mask = umask(027);
    const std::string fresh = scratch.File("fresh.qpm");
    EXPECT_TRUE(Replace(stream, fresh, "x"));
    umask(mask);
    EXPECT_EQ(ModeOf(fresh), 0640u);
    EXPECT_EQ(quor_test::ReadFileBytes(fresh), "x");

    const std::string longest = scratch.File(std::string(255, 'n'));
    ASSERT_TRUE(quor_test::WriteFileBytes(longest, "old"));
    EXPECT_TRUE(Replace(stream, longest, "new"));
    EXPECT_EQ(quor_test::ReadFileBytes(longest), "new");
    EXPECT_EQ(CountEntries(scratch.Path()), 4);
}

TEST(QuorFileStream, CommitRemovesOnlyTheStaleTemporaryFilesOfItsTarget)
{
    // Catches temporary files of killed saves piling up beside a document forever, and a clean-up
    // that removes a file it does not own or one a running save is still writing.
    quor_test::ScratchDir scratch;
    const std::string target = scratch.File("pano.qpm");
    ASSERT_TRUE(quor_test::WriteFileBytes(target, "old"));
    const struct {
        const char* name;
        char kind;  // 'f' file, 'l' symbolic link to a file, 'd' folder, 'p' FIFO
        bool old, held, removed;  // held: locked, as by a save still at work
    } cases[] = {
        {"pano.qpm.tmp-Ab12Cd", 'f', true, false, true}, {"pano.qpm.tmp-zZ09aa", 'f', true, false, true},
        {"pano.qpm.tmp-Young1", 'f', false, false, false}, {"pano.qpm.tmp-Held01", 'f', true, true, false},
        {"other.qpm.tmp-Ab12Cd", 'f', true, false, false}, {"pano.qpm.tmp-Ab12Cde", 'f', true, false, false},
        {"pano.qpm.tmp-Ab-2Cd", 'f', true, false, false}, {"xpano.qpm.tmp-Ab12Cd", 'f', true, false, false},
        {"pano.qpm.tmp-Link01", 'l', true, false, false}, {"pano.qpm.tmp-Dir001", 'd', true, false, false},
        {"pano.qpm.tmp-Pipe01", 'p', true, false, false},
    };
    const std::string linked = scratch.File("linked.jpg");
    ASSERT_TRUE(quor_test::WriteFileBytes(linked, "photo"));
    std::vector<int> locks;
    for (const auto& c : cases) {
        const std::string path = scratch.File(c.name);
        if (c.kind == 'd')
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        else if (c.kind == 'p')
            ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
        else if (c.kind == 'l')
            ASSERT_EQ(symlink("linked.jpg", path.c_str()), 0);
        else
            ASSERT_TRUE(quor_test::WriteFileBytes(path, "partial"));
        if (c.old) {
            const struct timespec times[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
            ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
        }
        if (c.held) {
            locks.push_back(open(path.c_str(), O_RDONLY));
            ASSERT_EQ(flock(locks.back(), LOCK_EX), 0);
        }
    }

    Quor_FileStream stream;
    ASSERT_TRUE(Replace(stream, target, "new"));
    EXPECT_EQ(quor_test::ReadFileBytes(target), "new");
    for (const auto& c : cases) {
        struct stat info;
        EXPECT_EQ(lstat(scratch.File(c.name).c_str(), &info) != 0, c.removed) << c.name;
    }
    EXPECT_EQ(quor_test::ReadFileBytes(linked), "photo");
    for (int fd : locks)
        close(fd);
}

TEST(QuorFileStream, OpenFailsOnMissingFilesAndNonRegularFiles)
{
    // Catches a read open of a FIFO that blocks forever, and failures reported as success.
    quor_test::ScratchDir scratch;
    Quor_FileStream stream;
    EXPECT_EQ(stream.Open(nullptr, true), QUOR_ERR_ARGUMENT);
    EXPECT_EQ(stream.Open(scratch.File("missing").c_str(), true), QUOR_ERR_READ);
    EXPECT_EQ(stream.Open(scratch.Path().c_str(), true), QUOR_ERR_READ);  // a folder
    ASSERT_EQ(mkfifo(scratch.File("pipe.qpm").c_str(), 0600), 0);
    EXPECT_EQ(stream.Open(scratch.File("pipe.qpm").c_str(), true), QUOR_ERR_READ);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_STREQ(stream.Pathname(), "");

    // Writes that the disk refuses are noted by the time the stream closes.
    if (access("/dev/full", W_OK) == 0) {
        ASSERT_EQ(stream.Open("/dev/full", false), QUOR_OK);
        stream.WriteString("abc");
        stream.Close();
        EXPECT_TRUE(stream.WriteFailed());
    }
}

TEST(QuorFileStream, CurrentLineCountsLineFeedsBeforeThePosition)
{
    // Catches line numbers that are off by one or that move the read position.
    quor_test::FileReader file("a\nb\n\"c\" d");
    Quor_String s;
    ASSERT_TRUE(file.fStream.Read(&s) && file.fStream.Read(&s));
    EXPECT_EQ(file.fStream.CurrentLine(), 2);
    ASSERT_TRUE(file.fStream.ReadQuoteString(&s));
    EXPECT_EQ(file.fStream.CurrentLine(), 3);
    ASSERT_TRUE(file.fStream.Read(&s));
    EXPECT_STREQ(s, "d");
}
