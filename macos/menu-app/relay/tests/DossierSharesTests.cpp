#include "relay/DossierShares.h"

#include <Dispatch/RunLoop.h>
#include <Foundation/Log.h>
#include <Testing/Testing.h>
#include <gtest/gtest.h>

TEST(DossierShares, ABuildWithoutAnAppGroupLogsThatTheDossierIsOffAndStaysIdle) {
    Testing::useTestHome();
    std::vector<Foundation::LogEntry> logged;
    Foundation::setLogSink([&](const Foundation::LogEntry& entry) { logged.push_back(entry); });
    auto& relay = DossierShares::shared();
    EXPECT_EQ(&relay, &DossierShares::shared());
    EXPECT_FALSE(relay.group());
    relay.start();
    relay.bridge(true);
    relay.remove("s0123456789abcdef0123456789abcdef");
    Foundation::setLogSink({});

    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].subsystem, "com.tallowmeadows.kestrelhaven");
    EXPECT_EQ(logged[0].category, "dossier-share");
    EXPECT_EQ(logged[0].level, Foundation::LogLevel::Info);
    EXPECT_EQ(logged[0].message,
              "no App Group container: the Share menu's Dossier is off in this build");
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_TRUE(relay.rows().empty());
}

TEST(DossierShares, ANewRowListReplacesTheOldOnTheMainQueueOnlyWhenItDiffers) {
    auto& relay = DossierShares::shared();
    int changes = 0;
    relay.changed = [&] {
        EXPECT_TRUE(Dispatch::RunLoop::isMainThread());
        ++changes;
    };
    const std::vector<DossierShares::Row> one{{"s1", "Notes", "Waiting to send"}};
    relay.publishRows(one);
    EXPECT_TRUE(relay.rows().empty());
    EXPECT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return changes == 1; }, 5));
    EXPECT_EQ(relay.rows(), one);

    relay.publishRows(one);
    relay.publishRows({{"s1", "Notes", "Sending…"}});
    relay.publishRows({});
    EXPECT_TRUE(Dispatch::RunLoop::main().runUntil([&] { return changes == 3; }, 5));
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(changes, 3);
    EXPECT_TRUE(relay.rows().empty());
    relay.changed = nullptr;
}

TEST(DossierShares, MenuTitlesAreOneLineOfAtMostSixtyCharacters) {
    EXPECT_EQ(DossierShares::menuTitle("  Notes\nfrom\t\tthe\r\nstand-up \u00a0 "),
              "Notes from the stand-up");
    EXPECT_EQ(DossierShares::menuTitle("a\u0007b\u200bc"), "a b c");
    EXPECT_EQ(DossierShares::menuTitle(std::string(61, 'x')), std::string(60, 'x'));
    std::string accented;
    for (int i = 0; i < 61; ++i)
        accented += "e\u0301";
    EXPECT_EQ(DossierShares::menuTitle(accented), accented.substr(0, accented.size() - 3));
    EXPECT_EQ(DossierShares::menuTitle(" \n "), "");
}
