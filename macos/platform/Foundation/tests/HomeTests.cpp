#include <Foundation/Home.h>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace Foundation;

TEST(Home, PathsUnderHomeAreWrittenWithATilde) {
    ::setenv("HOME", "/home/ada/", 1);
    EXPECT_EQ(homeDirectory(), "/home/ada/");
    EXPECT_EQ(abbreviatingWithTildeInPath("/home/ada/.local/bin/claude"), "~/.local/bin/claude");
    EXPECT_EQ(abbreviatingWithTildeInPath("/home/ada"), "~");
    EXPECT_EQ(abbreviatingWithTildeInPath("/home/adam/bin/claude"), "/home/adam/bin/claude");
    EXPECT_EQ(abbreviatingWithTildeInPath("/usr/local/bin/claude"), "/usr/local/bin/claude");
    // A home of "/" abbreviates nothing.
    ::setenv("HOME", "/", 1);
    EXPECT_EQ(abbreviatingWithTildeInPath("/usr/bin/claude"), "/usr/bin/claude");
}

TEST(Home, TheLoginShellComesFromThePasswordDatabaseUnlessATestSaysOtherwise) {
    const auto fromDatabase = loginShell();
    if (fromDatabase) {
        EXPECT_FALSE(fromDatabase->empty());
    }
    setLoginShellSource([] { return std::optional<std::string>("/opt/shells/fish"); });
    EXPECT_EQ(loginShell(), "/opt/shells/fish");
    setLoginShellSource({});
    EXPECT_EQ(loginShell(), fromDatabase);
}
