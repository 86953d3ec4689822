// The token forms of vectors and colours on streams.
#include <gtest/gtest.h>

#include <string>

#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/imaging/Quor_ColorVector.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"

// Catches separators before the first or after the last component, and numbers written in
// a form the reader does not take back.
TEST(QuorIoStream, VectorsAndColoursRoundTrip)
{
    Quor_MemStream out;
    ASSERT_EQ(out.OpenWrite(), QUOR_OK);
    out.Write(Quor_Vector3(1.0f, 0.5f, -2.0f));
    out.Space();
    out.WriteVector2(Quor_Vector2(0.25f, 3.0f));
    out.Space();
    out.Write(rgb_color{255, 0, 10, 128});
    out.Space();
    out.WriteColor(Quor_ColorVector(0.25f, 1.0f, 0.0f, 1.0f));
    const std::string text(out.RawData(), size_t(out.FileSize()));
    EXPECT_EQ(text, "1 0.5 -2 0.25 3 255 0 10 128 0.25 1 0 1");

    Quor_MemStream in;
    ASSERT_EQ(in.OpenRead(text.data(), int64_t(text.size())), QUOR_OK);
    Quor_Vector3 v3;
    Quor_Vector2 v2;
    rgb_color c{};
    Quor_ColorVector cv;
    ASSERT_TRUE(in.Read(&v3) && in.ReadVector2(&v2) && in.ReadColor(&c) && in.Read(&cv));
    EXPECT_TRUE(v3 == Quor_Vector3(1.0f, 0.5f, -2.0f) && v2 == Quor_Vector2(0.25f, 3.0f) && c == (rgb_color{255, 0, 10, 128}));
    EXPECT_TRUE(cv.r == 0.25f && cv.g == 1.0f && cv.b == 0.0f && cv.a == 1.0f);
}

// Catches colour components stored without clamping (300 wrapping to 44), float colours clamped
// when they should not be, and a read that stores the components it got before meeting the end.
TEST(QuorIoStream, ColourReadsClampBytesButNotFloatsAndShortReadsStoreNothing)
{
    const std::string text = "300 -5 10 255 1.5 -0.25 0.5 2 4 5";
    Quor_MemStream in;
    ASSERT_EQ(in.OpenRead(text.data(), int64_t(text.size())), QUOR_OK);
    rgb_color c{};
    Quor_ColorVector cv;
    ASSERT_TRUE(in.Read(&c) && in.ReadColor(&cv));
    EXPECT_EQ(c, (rgb_color{255, 0, 10, 255}));
    EXPECT_TRUE(cv.r == 1.5f && cv.g == -0.25f && cv.b == 0.5f && cv.a == 2.0f);

    in.Mark();
    Quor_Vector3 v(7.0f, 8.0f, 9.0f);
    EXPECT_TRUE(!in.Read(&v) && v == Quor_Vector3(7.0f, 8.0f, 9.0f));   // only "4 5" remain
    in.GoToMark();
    c = rgb_color{1, 2, 3, 4};
    EXPECT_TRUE(!in.ReadColor(&c) && c == (rgb_color{1, 2, 3, 4}));
}
