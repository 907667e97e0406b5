#include <Foundation/PathText.h>
#include <gtest/gtest.h>

using namespace Foundation::PathText;

TEST(PathText, TakesTheLastComponentsExtension) {
    EXPECT_EQ(pathExtension("notes.v2.md"), "md");
    EXPECT_EQ(pathExtension("README"), "");
    EXPECT_EQ(pathExtension("dir.d/file"), "");
    EXPECT_EQ(pathExtension("Doc.rtfd/"), "rtfd");
    EXPECT_EQ(pathExtension(".md"), "md");
    EXPECT_EQ(deletingPathExtension("notes.v2.md"), "notes.v2");
    EXPECT_EQ(deletingPathExtension("a/b.txt"), "a/b");
    EXPECT_EQ(deletingPathExtension("plain"), "plain");
    EXPECT_EQ(deletingPathExtension(".md"), "");
    EXPECT_EQ(lastPathComponent("/tmp/Doc.rtfd/"), "Doc.rtfd");
    EXPECT_EQ(lastPathComponent("name"), "name");
    EXPECT_EQ(lastPathComponent("/"), "/");
}
