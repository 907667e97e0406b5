#include <Foundation/FolderChanges.h>
#include <Testing/Testing.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(FolderChanges, GivesEachChangedEntryOnceAndThenNothing) {
    Testing::TemporaryFolder folder;
    const fs::path root = folder.path();
    Testing::writeText(root / "kept", "k");
    Testing::writeText(root / "gone", "g");
    Testing::writeText(root / "old name", "o");
    Testing::writeText(root / "mode", "m");
    fs::create_directory(root / "inner");
    const auto changes = Foundation::FolderChanges::watch(root);
    ASSERT_TRUE(changes);
    EXPECT_EQ(changes->changed(), Names{});

    Testing::writeText(root / "new", "n");
    Testing::writeText(root / "new", "n again");
    fs::remove(root / "gone");
    fs::rename(root / "old name", root / "new name");
    ASSERT_EQ(::chmod((root / "mode").c_str(), 0600), 0);
    // Not an entry of this folder.
    Testing::writeText(root / "inner" / "deeper", "d");
    EXPECT_EQ(changes->changed(), (Names{"gone", "mode", "new", "new name", "old name"}));
    EXPECT_EQ(changes->changed(), Names{});
    EXPECT_FALSE(changes->broken());
}

TEST(FolderChanges, BreaksWhenTheFolderGoesAndWatchesOnlyFolders) {
    Testing::TemporaryFolder folder;
    for (const bool moved : {false, true}) {
        const fs::path watched = folder.path() / "watched";
        fs::create_directory(watched);
        const auto changes = Foundation::FolderChanges::watch(watched);
        ASSERT_TRUE(changes);
        if (moved)
            fs::rename(watched, folder.path() / "elsewhere");
        else
            fs::remove(watched);
        Testing::writeText(folder.path() / "after", "a");
        EXPECT_EQ(changes->changed(), std::nullopt);
        EXPECT_TRUE(changes->broken());
        EXPECT_EQ(changes->changed(), std::nullopt);
    }
    EXPECT_FALSE(Foundation::FolderChanges::watch(folder.path() / "missing"));
    EXPECT_FALSE(Foundation::FolderChanges::watch(folder.path() / "after"));
}

} // namespace
