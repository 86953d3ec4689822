// Tests of the JPEG writer: the rows it insists on, and failures reported with their own cause
// (its pixels are checked by the round trips through the registry).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

#include "tests/toolkit/imaging/formats/FormatsFixtures.h"
#include "toolkit/core/Quor_Status.h"
#include "toolkit/imaging/formats/Quor_JpegWriter.h"

using quor_test::Px;

// Catches a streamed file that ends short of its rows or takes rows beyond them, and failures
// that borrow a stale errno: a full disk reports its own ENOSPC, a size the format cannot hold
// reports no system error at all.
TEST(QuorJpegWriter, FailuresCarryTheirOwnCause)
{
    const uint32_t row[4] = {Px(1, 2, 3), Px(4, 5, 6), Px(7, 8, 9), Px(10, 11, 12)};
    FILE* null = std::fopen("/dev/null", "wb");
    ASSERT_NE(null, nullptr);
    Quor_JpegWriter shortOfRows;
    ASSERT_EQ(shortOfRows.Start(null, 4, 2, 90), QUOR_OK);
    EXPECT_EQ(shortOfRows.WriteRow(row), QUOR_OK);
    EXPECT_EQ(shortOfRows.Finish(), QUOR_ERR_WRITE);
    Quor_JpegWriter tooManyRows;
    ASSERT_EQ(tooManyRows.Start(null, 4, 1, 90), QUOR_OK);
    EXPECT_EQ(tooManyRows.WriteRow(row), QUOR_OK);
    EXPECT_EQ(tooManyRows.WriteRow(row), QUOR_ERR_ARGUMENT);

    errno = ENOENT;
    Quor_JpegWriter tooWide;
    EXPECT_EQ(tooWide.Start(null, 70000, 16, 90), QUOR_ERR_WRITE);
    EXPECT_EQ(tooWide.SystemError(), 0);
    std::fclose(null);

    FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    Quor_JpegWriter writer;
    int code = writer.Start(full, 4, 4000, 90);
    for (int y = 0; y < 4000 && code == QUOR_OK; y++)
        code = writer.WriteRow(row);
    if (code == QUOR_OK)
        code = writer.Finish();
    EXPECT_EQ(code, QUOR_ERR_WRITE);
    EXPECT_EQ(writer.SystemError(), ENOSPC);
    std::fclose(full);
}
