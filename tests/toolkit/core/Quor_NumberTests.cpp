// Numbers in text (streams, strings and settings) stay in the C locale whatever LC_NUMERIC the
// process runs in.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/TestFiles.h"
#include "tests/support/TextStreams.h"
#include "toolkit/core/Quor_MemStream.h"
#include "toolkit/core/Quor_Message.h"
#include "toolkit/core/Quor_String.h"

namespace {

// Builds a German locale (decimal comma) into the scratch folder and switches LC_NUMERIC to it;
// false when this system cannot.
bool UseCommaLocale(const quor_test::ScratchDir& scratch)
{
    const std::string command = "localedef -i de_DE -f UTF-8 '" + scratch.Path() + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    setenv("LOCPATH", scratch.Path().c_str(), 1);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        return false;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    return std::string(probe) == "0,5";
}

}  // namespace

TEST(QuorNumber, CommaLocaleDoesNotChangeWrittenOrReadNumbers)
{
    // Catches "%f" formatting and parsing that follow the process locale: "0,5" in a project
    // file and an undo snapshot that stops reading at the comma.
    quor_test::ScratchDir scratch;
    if (!UseCommaLocale(scratch)) {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
        GTEST_SKIP() << "no localedef or de_DE definition on this system";
    }

    Quor_MemStream stream;
    stream.OpenWrite();
    stream.WriteFloat(2.5f);
    stream.Space();
    stream.WriteFloat(-0.125f);
    const std::string text = quor_test::Written(stream);
    EXPECT_EQ(text, "2.5 -0.125");
    quor_test::TextReader in(text);
    float a = 0.0f, b = 0.0f;
    EXPECT_TRUE(in.fStream.ReadFloat(&a) && in.fStream.ReadFloat(&b));
    EXPECT_TRUE(a == 2.5f && b == -0.125f) << a << " " << b;

    Quor_String s;
    s = 1.5f;
    EXPECT_STREQ(s, "1.500000");

    Quor_Message settings;
    settings.Set("FocalLength", 35.5f);
    EXPECT_STREQ(settings.ValueAt(0), "35.500000");
    float focal = 0.0f;
    EXPECT_TRUE(settings.Get("FocalLength", &focal) && focal == 35.5f) << focal;

    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
}
