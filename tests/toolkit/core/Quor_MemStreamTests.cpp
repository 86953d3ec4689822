// Memory streams: growth, positions kept inside the data, and the undo snapshot's truncation.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TextStreams.h"
#include "toolkit/core/Quor_MemStream.h"

TEST(QuorMemStream, GrowsByDoublingAndClampsPositions)
{
    // Catches a position of -1 on an empty stream (a read of data[-1]) and growth that leaves
    // no spare bytes.
    Quor_MemStream stream;
    ASSERT_EQ(stream.OpenWrite(2048), QUOR_OK);
    for (int position : {5, -3}) {
        stream.SetFilePos(position);
        EXPECT_EQ(stream.FilePos(), 0) << position;
    }
    char c;
    EXPECT_FALSE(stream.ReadChar(&c));

    const std::string block(2046, 'z');
    EXPECT_EQ(stream.WriteBytes(block.data(), 2046), 2046);
    EXPECT_EQ(stream.Capacity(), 2048);
    stream.WriteChar('!');
    EXPECT_TRUE(stream.Capacity() == 4096 && stream.FileSize() == 2047);
    stream.SetFilePos(1 << 30);
    EXPECT_EQ(stream.FilePos(), 2047);
    EXPECT_FALSE(stream.ReadChar(&c));
    stream.SetFilePos(2046);
    EXPECT_TRUE(stream.ReadChar(&c) && c == '!');
    EXPECT_FALSE(stream.WriteFailed());

    EXPECT_EQ(Quor_MemStream().OpenRead(nullptr, 4), QUOR_ERR_ARGUMENT);
    quor_test::TextReader reader("abc");
    reader.fStream.WriteString("x");  // read-only: dropped and noted
    EXPECT_TRUE(reader.fStream.WriteFailed());
    EXPECT_EQ(reader.fText, "abc");
}

TEST(QuorMemStream, TruncateDropsTheStaleTailOfAnOlderSnapshot)
{
    // Catches an undo snapshot that keeps the end of a longer, older one after it.
    Quor_MemStream snapshot;
    snapshot.OpenWrite();
    snapshot.WriteString("photo \"a.jpg\" photo \"b crop 1 2 3 4 .jpg\"");
    snapshot.Rewind();
    snapshot.Truncate();
    snapshot.WriteString("photo \"a.jpg\"");
    EXPECT_EQ(quor_test::Written(snapshot), "photo \"a.jpg\"");

    snapshot.Rewind();  // without truncating, the size is kept
    snapshot.WriteString("x");
    EXPECT_EQ(snapshot.FileSize(), 13);
}
