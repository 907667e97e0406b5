#include "menubar/ConversationRecords.h"

#include <Foundation/DateFormatter.h>
#include <Foundation/SystemTime.h>
#include <Foundation/Unicode.h>
#include <gtest/gtest.h>

using AppKit::Color;

namespace {

constexpr double midsummerNoon = 1718452800;

Conversation conversation(std::string title, std::optional<double> memory = std::nullopt) {
    return {"4f9c2a71-session",
            "4f9c2a71",
            "garden",
            "/Users/ada/garden",
            std::move(title),
            midsummerNoon * 1000,
            "working",
            memory,
            true,
            true};
}

std::optional<std::string> memory(std::optional<double> megabytes) {
    return conversation("t", megabytes).memory();
}

} // namespace

TEST(Conversation, ShortTitlesAreOneLineOfAtMostFortyCharacters) {
    const std::string forty(40, 't');
    EXPECT_EQ(conversation(forty).shortTitle(), forty);
    EXPECT_EQ(conversation(forty + "u").shortTitle(), std::string(39, 't') + "…");
    // Characters, not bytes: forty-one accented letters still cut to thirty-nine.
    std::string accented;
    for (int i = 0; i < 41; ++i)
        accented += "e\u0301";
    EXPECT_EQ(Foundation::Unicode::characterCount(conversation(accented).shortTitle()), 40u);

    const auto spaced = conversation("  Fix the\n\nwatering \t schedule\u2028now ");
    EXPECT_EQ(spaced.shortTitle(), "Fix the watering schedule now");
    // The tool tip keeps the title as it came.
    EXPECT_EQ(spaced.detail(), "  Fix the\n\nwatering \t schedule\u2028now \n/Users/ada/garden\n"
                               "working · 4f9c2a71");
}

TEST(Conversation, MemoryRoundsHalvesAwayFromZeroAndSwitchesToGigabytes) {
    EXPECT_EQ(memory(1023.4), "1023 MB");
    EXPECT_EQ(memory(1023.5), "1024 MB");
    EXPECT_EQ(memory(1024), "1.0 GB");
    EXPECT_EQ(memory(1536), "1.5 GB");
    EXPECT_EQ(memory(0.5), "1 MB");
    EXPECT_EQ(memory(-2.5), "-3 MB");
    EXPECT_EQ(memory(-0.4), "0 MB");
    EXPECT_FALSE(memory(std::nullopt));
    EXPECT_EQ(conversation("t", 412.5).detail(),
              "t\n/Users/ada/garden\nworking · 4f9c2a71 · 413 MB");

    // Figures beyond any whole number neither overflow nor fail.
    EXPECT_EQ(memory(-1e30)->substr(0, 6), "-10000");
    EXPECT_TRUE(memory(1e300)->ends_with(" GB"));
}

TEST(Conversation, StatesHaveTheirColours) {
    auto c = conversation("t");
    const std::pair<const char*, Color> colours[] = {
        {"working", Color::systemCyan()}, {"waiting", Color::systemOrange()},
        {"idle", Color::systemGreen()},   {"open", Color::systemGreen()},
        {"dormant", Color::systemGray()}, {"hibernating", Color::systemGray()}};
    for (const auto& [state, colour] : colours) {
        c.state = state;
        EXPECT_EQ(c.stateColor(), colour) << state;
    }
}

TEST(Conversation, LastActivityShowsTheTimeTodayTheDayThisYearAndTheYearBefore) {
    Foundation::setUserLocale("en_GB", "Europe/London");
    Foundation::SystemTime::setSource([] { return midsummerNoon; });
    auto c = conversation("t");
    c.last_active = (midsummerNoon - 3600) * 1000;
    EXPECT_EQ(c.when(), "12:00");
    c.last_active = (midsummerNoon - 40 * 86400) * 1000;
    EXPECT_EQ(c.when(), "6 May");
    c.last_active = (midsummerNoon - 200 * 86400) * 1000;
    EXPECT_EQ(c.when(), "28 Nov 2023");
    Foundation::SystemTime::setSource({});
}

TEST(Conversation, RepliesDecodeStrictlyAndWhole) {
    const auto list = JSONCoding::decode<ConversationList>(Foundation::dataFrom(R"({
        "pinned": [{"session_id": "a", "short_id": "a", "project": "p", "cwd": "/", "title": "t",
                    "last_active": 1.5e12, "state": "idle", "memory_mb": null, "pinned": true,
                    "agent": false, "extra": [1]}],
        "recent": []})"));
    ASSERT_TRUE(list);
    EXPECT_FALSE(list->pinned[0].memory_mb);
    // One conversation without its state makes the whole list unreadable.
    EXPECT_FALSE(JSONCoding::decode<ConversationList>(Foundation::dataFrom(R"({"pinned": [],
        "recent": [{"session_id": "a", "short_id": "a", "project": "p", "cwd": "/", "title": "t",
                    "last_active": 1, "pinned": false, "agent": false}]})")));
    EXPECT_FALSE(JSONCoding::decode<ConversationList>(Foundation::dataFrom(R"({"pinned": []})")));

    EXPECT_TRUE(
        JSONCoding::decode<ActionResult>(Foundation::dataFrom(R"({"ok": true, "msg": ""})")));
    EXPECT_FALSE(JSONCoding::decode<ActionResult>(Foundation::dataFrom(R"({"ok": false})")));
}
