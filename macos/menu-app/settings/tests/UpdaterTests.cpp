#include "settings/Updater.h"

#include <Testing/Testing.h>
#include <gtest/gtest.h>

namespace {

bool configured(const char* feed,
                const char* key = "pB1CiAoTq1kKqmiuyArIDAGXGr0sdyxlXUQ6eBvt1Ns=") {
    Foundation::PropertyList::Dictionary info{{"SUFeedURL", feed}};
    if (key)
        info.emplace("SUPublicEDKey", key);
    return Updater::configured(info);
}

} // namespace

TEST(Updater, ABuildUpdatesOnlyWithAnHTTPSFeedAndAKey) {
    EXPECT_TRUE(configured("https://updates.tallowmeadows.com/kestrelhaven/appcast.xml"));
    EXPECT_TRUE(configured("https://user@updates.example.com:8443/feed?channel=1#top"));
    EXPECT_TRUE(configured("https://[2001:db8::1]/feed"));

    EXPECT_FALSE(configured("http://updates.example.com/appcast.xml"));
    EXPECT_FALSE(configured("HTTPS://updates.example.com/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.example.invalid/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.ex%61mple.invalid/appcast.xml"));
    EXPECT_FALSE(configured("https:///appcast.xml"));
    EXPECT_FALSE(configured("https:appcast.xml"));
    EXPECT_FALSE(configured("https://updates example.com/appcast.xml"));
    EXPECT_FALSE(configured("https://updates.example.com:port/appcast.xml"));
    EXPECT_FALSE(configured("updates.example.com/appcast.xml"));
    EXPECT_FALSE(configured(""));

    EXPECT_FALSE(configured("https://updates.example.com/appcast.xml", ""));
    EXPECT_FALSE(configured("https://updates.example.com/appcast.xml", nullptr));
    EXPECT_FALSE(Updater::configured({{"SUFeedURL", 1}, {"SUPublicEDKey", "k"}}));
    EXPECT_FALSE(
        Updater::configured({{"SUFeedURL", "https://example.com/f"}, {"SUPublicEDKey", 7}}));
}

TEST(Updater, StartsNothingInABuildWithoutAFeed) {
    Testing::useTestHome();
    EXPECT_FALSE(Updater::configured());
    const auto menu = AppKit::Menu::make();
    menu->addItem(AppKit::MenuItem::make("Settings…"));
    Updater::shared().start(menu, std::make_shared<Bridge>());
    Updater::shared().start(menu, std::make_shared<Bridge>());
    EXPECT_EQ(menu->numberOfItems(), 1);
    EXPECT_EQ(&Updater::shared(), &Updater::shared());
}
