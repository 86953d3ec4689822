// Tests of the command-line renderer's progress report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/cli/ProgressBar.h"

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

// A rate or a time left computed from the wrong quantities (or from the start of photo loading
// rather than the first row) misleads the user about a long render.
TEST(ProgressBar, ReportsRateAndTimeLeft)
{
    const std::pair<double, const char*> times[] = {{7.4, "0:07"}, {754, "12:34"}, {3723, "1:02:03"}, {NAN, "0:00"}};
    for (const auto& [seconds, text] : times)
        EXPECT_EQ(ProgressBar::FormatTime(seconds), text) << seconds;
    EXPECT_EQ(ProgressBar::Format(0.5f, 1000, 100.0, false), " 50%  100 rows/s  0:05 left");
    EXPECT_EQ(ProgressBar::Format(0.0f, 1000, 0.0, false), "  0%  loading photos");
    const std::string bar = ProgressBar::Format(0.25f, 4000, 50.0, true);
    EXPECT_EQ(bar.substr(0, 33), "[########----------------------] ");
    EXPECT_TRUE(Contains(bar, "1:00 left")) << bar;

    char* text = nullptr;
    size_t size = 0;
    FILE* memory = open_memstream(&text, &size);
    ASSERT_NE(memory, nullptr);
    ProgressBar lines(memory, 1000, false);
    lines.Update(0.0f, 0.0);
    lines.Update(0.1f, 10.0);
    lines.Update(0.6f, 15.0);
    lines.Finish();
    std::fclose(memory);
    EXPECT_EQ(std::string(text, size), "  0%  loading photos\n 10%\n 60%  100 rows/s  0:04 left\n");
    std::free(text);
}
