#include <Foundation/Trash.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class HomeTrash : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", folder.path().c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
    }

    fs::path trash() const { return folder.path() / ".local/share/Trash"; }

    Testing::TemporaryFolder folder;
};

TEST_F(HomeTrash, KeepsWhereEachItemCameFromAndNeverReplacesOne) {
    const fs::path item = folder.path() / "my notes";
    for (const char* name : {"my notes", "my notes 2", "my notes 3"}) {
        Testing::writeText(item, name);
        Foundation::Error error;
        EXPECT_EQ(Foundation::trashItem(item, &error), trash() / "files" / name)
            << error.description;
        EXPECT_EQ(Testing::readText(trash() / "files" / name), name);
        const std::string info =
            Testing::readText(trash() / "info" / (std::string(name) + ".trashinfo"));
        EXPECT_THAT(info, testing::StartsWith("[Trash Info]\nPath=" + folder.path().string() +
                                              "/my%20notes\nDeletionDate="));
    }
    EXPECT_FALSE(fs::exists(item));
}

TEST_F(HomeTrash, ANameClaimedByAnotherRecordIsPassedOver) {
    // A record without its item: another program holds that name.
    Testing::writeText(trash() / "info/draft.trashinfo", "[Trash Info]\n");
    Testing::writeText(trash() / "files/draft 2", "theirs");
    Testing::writeText(folder.path() / "draft", "mine");
    EXPECT_EQ(Foundation::trashItem(folder.path() / "draft"), trash() / "files/draft 3");
    EXPECT_EQ(Testing::readText(trash() / "files/draft 2"), "theirs");
    EXPECT_FALSE(fs::exists(trash() / "info/draft 2.trashinfo"));
}

TEST_F(HomeTrash, FailuresMoveNothingAndLeaveNoRecord) {
    Foundation::Error error;
    EXPECT_EQ(Foundation::trashItem(folder.path() / "missing", &error), std::nullopt);
    EXPECT_EQ(error.description, "Couldn't move missing to the Trash: No such file or directory");
    EXPECT_TRUE(fs::is_empty(trash() / "info"));

    ::setenv("XDG_DATA_HOME", (folder.path() / "data").c_str(), 1);
    Testing::writeText(folder.path() / "data/Trash", "a file where the Trash should be");
    Testing::writeText(folder.path() / "kept", "kept");
    EXPECT_EQ(Foundation::trashItem(folder.path() / "kept", &error), std::nullopt);
    EXPECT_EQ(Testing::readText(folder.path() / "kept"), "kept");
}

} // namespace
