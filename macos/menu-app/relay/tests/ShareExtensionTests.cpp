#include "relay/DossierShares.h"
#include "relay/ShareExtension.h"
#include "service/Bundled.h"

#include <Foundation/PropertyList.h>
#include <LaunchServices/Registry.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gtest/gtest.h>

using ShareExtension::State;
namespace fs = std::filesystem;

namespace {

constexpr const char* identifier = "com.tallowmeadows.kestrelhaven.menu.share";

class ShareExtensionSwitch : public testing::Test {
protected:
    void SetUp() override {
        home = Testing::useTestHome();
        ::setenv("HOME", home.c_str(), 1);
    }
    void TearDown() override { ::unsetenv("KH_TOOLS_DIR"); }

    static fs::path plugIns() { return Bundled::app() / "Contents" / "PlugIns"; }
    static void addExtension(Foundation::PropertyList::Dictionary info) {
        Testing::makeBundle(plugIns(), std::move(info), "KestrelhavenShare.appex");
    }
    static void addTheExtension() {
        addExtension(
            {{"CFBundleIdentifier", identifier},
             {"CFBundleShortVersionString", "1.0"},
             {"NSExtension", Foundation::PropertyList::Dictionary{
                                 {"NSExtensionPointIdentifier", "com.apple.share-services"}}}});
    }

    // Makes pluginkit a shell script that notes its arguments and then runs `body`.
    void scriptPluginkit(const std::string& body) {
        Testing::writeText(tools / "pluginkit",
                           "#!/bin/sh\necho \"$@\" >> " + (tools / "ran").string() + "\n" + body);
        fs::permissions(tools / "pluginkit", fs::perms::owner_all);
        ::setenv("KH_TOOLS_DIR", tools.c_str(), 1);
    }
    std::string ran() const { return Testing::readText(tools / "ran"); }

    fs::path home;
    Testing::TemporaryFolder toolFolder;
    fs::path tools = toolFolder.path();
};

} // namespace

TEST_F(ShareExtensionSwitch, RegisteringMakesTheExtensionKnownAndTheSwitchTurnsItOnAndOff) {
    addTheExtension();
    ASSERT_TRUE(DossierShares::extensionBundle());
    EXPECT_EQ(DossierShares::extensionBundle()->identifier(), identifier);
    EXPECT_EQ(ShareExtension::state(), State::notRegistered);
    EXPECT_FALSE(ShareExtension::set(true));

    ShareExtension::registerBundle();
    EXPECT_EQ(
        LaunchServices::Registry::current().application("com.tallowmeadows.kestrelhaven.menu"),
        Bundled::app());
    EXPECT_EQ(ShareExtension::state(), State::off);
    EXPECT_TRUE(ShareExtension::set(true));
    EXPECT_EQ(ShareExtension::state(), State::on);
    EXPECT_TRUE(ShareExtension::set(false));
    EXPECT_EQ(ShareExtension::state(), State::off);
}

TEST(ShareExtensionListing, TheFirstLineHoldingTheIdentifierAnywhereDecides) {
    const std::string id = identifier;
    EXPECT_EQ(ShareExtension::listed("+    " + id + "(1.0)\n", id), State::on);
    EXPECT_EQ(ShareExtension::listed("-    " + id + "(1.0)", id), State::off);
    EXPECT_EQ(ShareExtension::listed("     " + id + "(1.0)\n", id), State::off);
    EXPECT_EQ(ShareExtension::listed(" +   " + id + "(1.0)\n", id), State::off);
    EXPECT_EQ(ShareExtension::listed("\n\n+    com.example.other(1.0)\n", id),
              State::notRegistered);
    EXPECT_EQ(ShareExtension::listed("-    " + id + ".extra(2)\n+    " + id + "(1.0)\n", id),
              State::off);
    EXPECT_EQ(ShareExtension::listed("", id), State::notRegistered);
}

TEST_F(ShareExtensionSwitch, TheStateIsReadFromTheToolsListingAndTheSwitchFromItsStatus) {
    addTheExtension();
    scriptPluginkit("printf '%b' '-    com.example.other(1.0)\\n+    "
                    "com.tallowmeadows.kestrelhaven.menu.share(1.0)\\n'\n");
    EXPECT_EQ(ShareExtension::state(), State::on);
    EXPECT_EQ(ran(), "-m -i com.tallowmeadows.kestrelhaven.menu.share\n");

    scriptPluginkit("exit 1\n");
    EXPECT_FALSE(ShareExtension::set(true));
    scriptPluginkit("exit 0\n");
    EXPECT_TRUE(ShareExtension::set(false));
    EXPECT_NE(ran().find("-e use -i com.tallowmeadows.kestrelhaven.menu.share\n-e ignore -i "
                         "com.tallowmeadows.kestrelhaven.menu.share\n"),
              std::string::npos);
}

TEST_F(ShareExtensionSwitch, MissingToolsMeanNotRegisteredAndNoSwitch) {
    addTheExtension();
    ::setenv("KH_TOOLS_DIR", tools.c_str(), 1);
    EXPECT_EQ(ShareExtension::state(), State::notRegistered);
    EXPECT_FALSE(ShareExtension::set(true));
    ShareExtension::registerBundle();
    EXPECT_FALSE(
        LaunchServices::Registry::current().application("com.tallowmeadows.kestrelhaven.menu"));
}

TEST_F(ShareExtensionSwitch, WithoutTheExtensionsBundleOrIdentifierNoToolRuns) {
    scriptPluginkit("exit 0\n");
    EXPECT_FALSE(DossierShares::extensionBundle());
    EXPECT_EQ(ShareExtension::state(), State::notRegistered);
    fs::create_directories(plugIns());
    EXPECT_EQ(ShareExtension::state(), State::notRegistered);
    addExtension({{"CFBundleName", "No identifier"}});
    ASSERT_TRUE(DossierShares::extensionBundle());
    EXPECT_EQ(ShareExtension::state(), State::notRegistered);
    EXPECT_FALSE(ShareExtension::set(true));
    EXPECT_FALSE(fs::exists(tools / "ran"));
}
