#include <Foundation/PropertyList.h>
#include <LaunchServices/Lsregister.h>
#include <LaunchServices/PluginKit.h>
#include <LaunchServices/Registry.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

using namespace LaunchServices;
using Foundation::PropertyList;
namespace fs = std::filesystem;

namespace {

struct Answer {
    int status;
    std::string output;
    std::string errors;
};

class LaunchServicesTools : public testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", home.path().c_str(), 1);
        app = Testing::makeBundle(apps.path(), {{"CFBundleIdentifier", "com.example.app"}},
                                  "Example.app");
        addPlugIn("Share.appex",
                  {{"CFBundleIdentifier", "com.example.app.share"},
                   {"CFBundleShortVersionString", "2.1"},
                   {"NSExtension", PropertyList::Dictionary{{"NSExtensionPointIdentifier",
                                                             "com.apple.share-services"}}}});
    }

    void addPlugIn(const std::string& name, PropertyList::Dictionary info) {
        Testing::makeBundle(app / "Contents" / "PlugIns", std::move(info), name);
    }

    static Answer lsregister(const std::vector<std::string>& arguments) {
        std::ostringstream output, errors;
        const int status = LaunchServices::lsregister(arguments, output, errors);
        return {status, output.str(), errors.str()};
    }
    static Answer pluginkit(const std::vector<std::string>& arguments) {
        std::ostringstream output, errors;
        const int status = LaunchServices::pluginkit(arguments, output, errors);
        return {status, output.str(), errors.str()};
    }
    static std::string listed(const std::string& identifier) {
        return pluginkit({"-m", "-i", identifier}).output;
    }

    Testing::TemporaryFolder home;
    Testing::TemporaryFolder apps;
    fs::path app;
};

} // namespace

TEST_F(LaunchServicesTools, ARecursiveRegistrationListsTheExtensionUnelectedUntilTheUserElects) {
    EXPECT_EQ(listed("com.example.app.share"), "");
    EXPECT_EQ(lsregister({"-f", "-R", "-trusted", app.string()}).status, 0);
    EXPECT_EQ(Registry::current().application("com.example.app"), app);
    EXPECT_EQ(listed("com.example.app.share"), "     com.example.app.share(2.1)\n");

    EXPECT_EQ(pluginkit({"-e", "use", "-i", "com.example.app.share"}).status, 0);
    EXPECT_EQ(listed("com.example.app.share"), "+    com.example.app.share(2.1)\n");
    // Registering again leaves the user's election alone.
    EXPECT_EQ(lsregister({"-f", "-R", "-trusted", app.string()}).status, 0);
    EXPECT_EQ(listed("com.example.app.share"), "+    com.example.app.share(2.1)\n");
    EXPECT_EQ(pluginkit({"-e", "ignore", "-i", "com.example.app.share"}).status, 0);
    EXPECT_EQ(listed("com.example.app.share"), "-    com.example.app.share(2.1)\n");
    EXPECT_EQ(pluginkit({"-e", "default", "-i", "com.example.app.share"}).status, 0);
    EXPECT_EQ(listed("com.example.app.share"), "     com.example.app.share(2.1)\n");

    EXPECT_EQ(pluginkit({"-m", "-v", "-p", "com.apple.share-services"}).output,
              "     com.example.app.share(2.1)\t" +
                  (app / "Contents/PlugIns/Share.appex").string() + "\n");
    EXPECT_EQ(pluginkit({"-m", "-p", "com.apple.ui-services"}).output, "");
}

TEST_F(LaunchServicesTools, OnlyExtensionsOfARecursiveRegistrationThatStillExistAreListed) {
    addPlugIn("Helper.appex", {{"CFBundleIdentifier", "com.example.app.helper"}});
    addPlugIn("Widget.appex",
              {{"CFBundleIdentifier", "com.example.app.widget"},
               {"CFBundleVersion", "7"},
               {"NSExtension", PropertyList::Dictionary{{"NSExtensionPointIdentifier",
                                                         "com.apple.widgetkit-extension"}}}});
    EXPECT_EQ(lsregister({app.string()}).status, 0);
    EXPECT_EQ(pluginkit({"-m"}).output, "");

    EXPECT_EQ(lsregister({"-R", app.string()}).status, 0);
    EXPECT_EQ(pluginkit({"-m"}).output,
              "     com.example.app.share(2.1)\n     com.example.app.widget(7)\n");
    fs::remove_all(app / "Contents" / "PlugIns" / "Widget.appex");
    EXPECT_EQ(pluginkit({"-m"}).output, "     com.example.app.share(2.1)\n");
    EXPECT_EQ(pluginkit({"-e", "use", "-i", "com.example.app.widget"}).status, 1);
}

TEST_F(LaunchServicesTools, WrongUsesAndUnknownBundlesFail) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{}, {"-f"}, {"-x", app.string()}}) {
        const Answer answer = lsregister(arguments);
        EXPECT_EQ(answer.status, 64);
        EXPECT_THAT(answer.errors, testing::StartsWith("usage: lsregister"));
    }
    const Answer missing = lsregister({"-R", (apps.path() / "Missing.app").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.errors, testing::HasSubstr("No bundle with a valid identifier"));

    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"-m", "-e", "use", "-i", "x"},
                                               {"-e", "use"},
                                               {"-e", "maybe", "-i", "com.example.app.share"},
                                               {"-m", "-i"},
                                               {"-q"}}) {
        const Answer answer = pluginkit(arguments);
        EXPECT_EQ(answer.status, 64);
        EXPECT_THAT(answer.errors, testing::StartsWith("usage: pluginkit"));
    }
    const Answer unknown = pluginkit({"-e", "use", "-i", "com.example.app.share"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.errors, "pluginkit: No plug-in with the identifier com.example.app.share\n");
}
