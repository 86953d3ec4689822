// The editor under long random use on the in-memory host (tests/support/EditorMonkey.h): every
// action is followed by a check of the document's rules, and a broken rule ends the test with
// the rule, the seed and the action number. EDITOR_MONKEY_SEEDS, EDITOR_MONKEY_FIRST_SEED and
// EDITOR_MONKEY_ACTIONS lengthen a run by hand (see RELIABILITY.md).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/support/EditorMonkey.h"

namespace {

int EnvInt(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

// Catches a crash, a hang or a broken rule of the document (selection, angles, brightness,
// crop, counts, the modified flag, a save that does not read back) under random presses, drags,
// keys, menu choices, drops, resizes and dialogs.
TEST(EditorMonkeyTest, SeededRunsKeepTheDocumentsRules)
{
    EditorMonkey monkey;
    std::string error;
    ASSERT_TRUE(monkey.Start(&error)) << error;
    const int seeds = EnvInt("EDITOR_MONKEY_SEEDS", 3);
    const int first = EnvInt("EDITOR_MONKEY_FIRST_SEED", 1);
    const int actions = EnvInt("EDITOR_MONKEY_ACTIONS", 2000);
    int64_t played = 0;
    for (int seed = first; seed < first + seeds; seed++) {
        std::printf("editor monkey: seed %d, %d actions\n", seed, actions);
        std::fflush(stdout);
        EditorMonkey::Actions random(static_cast<uint64_t>(seed));
        played += monkey.Run(&random, actions, "seed " + std::to_string(seed));
    }
    std::printf("editor monkey: %lld actions, %lld saves read back\n", static_cast<long long>(played),
                static_cast<long long>(monkey.SavesChecked()));
    EXPECT_EQ(played, static_cast<int64_t>(seeds) * actions) << "every run plays all its actions";
    EXPECT_GT(monkey.SavesChecked(), 0) << "the runs saved through the editor at least once";
}

// Catches a start state that a run leaves changed (a tool, a guide, a preference, an open menu,
// a window size, a file), which would make a fuzzer's input replay differently after others.
TEST(EditorMonkeyTest, ARunReplaysTheSameAfterOtherRuns)
{
    EditorMonkey monkey;
    std::string error;
    ASSERT_TRUE(monkey.Start(&error)) << error;
    constexpr uint64_t kFirst = 11, kRuns = 5;
    std::string first[kRuns];
    for (uint64_t seed = kFirst; seed < kFirst + kRuns; seed++) {
        EditorMonkey::Actions random(seed);
        monkey.Run(&random, 100, "seed " + std::to_string(seed));
        first[seed - kFirst] = monkey.Fingerprint();
    }
    for (uint64_t seed = kFirst + kRuns; seed-- > kFirst;) {
        EditorMonkey::Actions random(seed);
        monkey.Run(&random, 100, "seed " + std::to_string(seed));
        EXPECT_EQ(monkey.Fingerprint(), first[seed - kFirst]) << "seed " << seed;
    }
}

}  // namespace
