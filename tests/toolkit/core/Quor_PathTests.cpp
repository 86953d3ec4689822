// Paths: names, extensions and types, joining, and absolute forms resolved by text.
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "tests/support/TestFiles.h"
#include "toolkit/core/Quor_Path.h"

TEST(QuorPath, ExtensionTypeAndParts)
{
    // Catches case-sensitive extensions and Name/Parent returning the whole path without a separator.
    const Quor_Path photo("photos/a.JPG");
    EXPECT_EQ((std::vector<std::string>{photo.Extension().Buffer(), photo.Type(), photo.Supertype().Buffer(), photo.Name().Buffer(),
                  photo.Parent().Buffer(), Quor_Path("noext").Type(), Quor_Path("clip.MPEG").Type(),
                  Quor_Path("a.jpg").Name().Buffer(), Quor_Path("a.jpg").Parent().Buffer()}),
        (std::vector<std::string>{"jpg", "image/jpeg", "image", "a.JPG", "photos", "application/octet-stream", "video/mpeg", "", ""}));

    const char* cases[][3] = {{"a", "b", "a/b"}, {"a/", "b", "a/b"}, {"a", "/b", "a/b"}, {"", "b", "b"}, {"/", "b", "/b"}};
    for (const auto& c : cases) {
        Quor_Path p(c[0]);
        p.Append(c[1]);
        EXPECT_STREQ(p, c[2]) << c[0] << " + " << c[1];
    }
}

TEST(QuorPath, AbsoluteResolvesDotsByTextAgainstTheCurrentFolder)
{
    // Catches a relative document path being kept relative, which breaks every photo reference.
    quor_test::ScratchDir scratch;
    char old[4096], here[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(scratch.Path().c_str()), 0);
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    const std::string cwd = here;

    EXPECT_EQ(std::string(Quor_Path("pano.qpm").Absolute()), cwd + "/pano.qpm");
    EXPECT_EQ(std::string(Quor_Path("./a//b/../c.qpm").Absolute()), cwd + "/a/c.qpm");
    EXPECT_STREQ(Quor_Path("/x/./y/../../z").Absolute(), "/z");
    EXPECT_STREQ(Quor_Path("/../..").Absolute(), "/");
    EXPECT_STREQ(Quor_Path("").Absolute(), "");
    for (const auto& [path, absolute] : {std::pair{"C:/x", true}, {"C:\\x", true}, {"1:1.jpg", false}, {"C:x", false}})
        EXPECT_EQ(Quor_Path(path).IsAbsolute(), absolute) << path;
    ASSERT_EQ(chdir(old), 0);
}
