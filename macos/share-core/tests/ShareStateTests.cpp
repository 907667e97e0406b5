// The state files and the tag chips.
#include "ShareGroupHome.h"
#include "ShareState.h"
#include "ShareTags.h"

namespace {

MacShareState state(double menuAt = 1000) {
    return {{"work", "home"}, 300000, false, true, menuAt};
}

class StateStore : public ShareGroupHome {
protected:
    ShareStateStore store = ShareStateStore::shared(group).value();

    void write(const std::string& name, const std::string& text) {
        Testing::writeText(store.directory / name, text);
    }
};

} // namespace

TEST_F(StateStore, MacStateRoundTripsAndNeedsEveryKey) {
    EXPECT_EQ(store.directory, container() / "ShareState");
    EXPECT_FALSE(store.mac());
    ASSERT_FALSE(store.writeMac(state()));
    EXPECT_EQ(store.mac(), state());
    EXPECT_EQ(Testing::readText(store.directory / "mac.json"),
              R"({"full":false,"recent_tags":["work","home"],"item_chars":300000,)"
              R"("bridge_up":true,"menu_at":1000.0})");
    write("mac.json", R"({"full":false,"recent_tags":[],"item_chars":1,"bridge_up":true})");
    EXPECT_FALSE(store.mac());
    write("mac.json", R"({"full":0,"recent_tags":[],"item_chars":1,"bridge_up":true,"menu_at":1})");
    EXPECT_FALSE(store.mac());
}

TEST_F(StateStore, ReadsOnlyRegularFilesWithinTheLimit) {
    ASSERT_FALSE(store.writeMac(state()));
    const std::string text = Testing::readText(store.directory / "mac.json");
    const std::string padded = text + std::string(ShareStateStore::maxFileBytes - text.size(), ' ');
    write("mac.json", padded);
    EXPECT_TRUE(store.mac());
    write("mac.json", padded + " ");
    EXPECT_FALSE(store.mac());

    write("real.json", text);
    std::filesystem::remove(store.directory / "mac.json");
    std::filesystem::create_symlink(store.directory / "real.json", store.directory / "mac.json");
    EXPECT_FALSE(store.mac());
}

TEST_F(StateStore, ExtensionStateIsEmptyOnAnyFault) {
    EXPECT_EQ(store.ext(), ExtensionShareState{});
    ASSERT_FALSE(store.writeExt({"deep work"}));
    EXPECT_EQ(store.ext().lastTag, "deep work");
    // No tag chosen: the key is left out, so the next sheet starts without one.
    ASSERT_FALSE(store.writeExt({}));
    EXPECT_EQ(Testing::readText(store.directory / "extension.json"), "{}");
    write("extension.json", R"({"last_tag":5})");
    EXPECT_EQ(store.ext(), ExtensionShareState{});
    write("extension.json", "not json");
    EXPECT_EQ(store.ext(), ExtensionShareState{});
}

TEST_F(StateStore, WritesMakeTheFolderEachTime) {
    ASSERT_FALSE(store.writeExt({"a"}));
    std::filesystem::remove_all(store.directory);
    ASSERT_FALSE(store.writeMac(state()));
    EXPECT_TRUE(store.mac());
    std::filesystem::remove_all(store.directory);
    Testing::writeText(store.directory, "in the way");
    const auto failure = store.writeMac(state());
    ASSERT_TRUE(failure);
    EXPECT_TRUE(std::holds_alternative<Foundation::Error>(*failure));
}

TEST(MacShareState, RunsWhileItsHeartbeatIsFresh) {
    EXPECT_FALSE(state(0).menuRunning(1));
    EXPECT_FALSE(state(-5).menuRunning(0));
    EXPECT_TRUE(state(1000).menuRunning(1000 + 149999));
    EXPECT_FALSE(state(1000).menuRunning(1000 + 150000));
    EXPECT_TRUE(state(5000).menuRunning(1000));
}

TEST(ShareTags, BuildsFromBothStates) {
    const ShareTags none(std::nullopt, ExtensionShareState{});
    EXPECT_EQ(none, ShareTags({}, std::nullopt, 300000, false));

    MacShareState mac = state();
    mac.recentTags = {" work ", "work", "", "a\tb"};
    mac.full = true;
    const ShareTags tags(mac, ExtensionShareState{"   "});
    EXPECT_EQ(tags.recent, (std::vector<std::string>{"work", "work", "a b"}));
    EXPECT_EQ(tags.last, std::nullopt);
    EXPECT_TRUE(tags.full);
    EXPECT_EQ(tags.chips(), (std::vector<std::string>{"work", "a b"}));

    // Item limits: none below 1, none above what an item file holds.
    for (const auto& [stored, expected] : std::vector<std::pair<std::int64_t, std::int64_t>>{
             {0, 300000}, {-3, 300000}, {1, 1}, {50000000, 16777216}}) {
        mac.itemChars = stored;
        EXPECT_EQ(ShareTags(mac, {}).itemChars, expected) << stored;
    }
}

TEST(ShareTags, ChipsPutANewLastTagFirst) {
    const std::vector<std::string> eight = {"a", "b", "c", "d", "e", "f", "g", "h"};
    EXPECT_EQ(ShareTags(eight, "z", 1, false).chips(),
              (std::vector<std::string>{"z", "a", "b", "c", "d", "e", "f", "g"}));
    EXPECT_EQ(ShareTags({"a", "b", "c"}, "c", 1, false).chips(),
              (std::vector<std::string>{"a", "b", "c"}));
    // The same tag in two Unicode spellings is one chip.
    EXPECT_EQ(ShareTags({"caf\u00E9"}, "cafe\u0301", 1, false).chips(),
              (std::vector<std::string>{"caf\u00E9"}));
}

TEST(ShareTags, CleansTagsByTheOneLineRule) {
    const std::string seventy = "  " + std::string(59, 'x') + " " + std::string(10, 'y');
    EXPECT_EQ(ShareTags::cleanTag(seventy), std::string(59, 'x') + " ");
    std::vector<std::string> given = {"one", "one ", "two", "", "three"};
    for (int i = 0; i < 9; ++i)
        given.push_back("more" + std::to_string(i));
    EXPECT_EQ(ShareTags::recentFromItemTags(given),
              (std::vector<std::string>{"one", "two", "three", "more0", "more1", "more2", "more3",
                                        "more4"}));
}
