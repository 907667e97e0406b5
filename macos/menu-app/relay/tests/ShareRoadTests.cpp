// The whole road of one share: another program's Share menu (the share tool) hands a Markdown
// file to the built extension, which saves it; the relay posts it to the Dossier and answers; the
// extension shows the answer and completes the request.
#include "relay/tests/RelayFixture.h"
#include "service/Run.h"

#include <Foundation/PropertyList.h>
#include <JSONCoding/JSONCoding.h>
#include <LaunchServices/Registry.h>
#include <gmock/gmock.h>
#include <thread>

extern char** environ;

using testing::HasSubstr;

namespace {

const std::filesystem::path builtExtension =
    std::filesystem::path(KH_BUILT_BUNDLE) / "Contents/PlugIns/KestrelhavenShare.appex";

// A copy of the built extension whose Info.plist asks for an automatic Add with `tag`.
std::filesystem::path autoAddingExtension(const std::filesystem::path& folder, const char* group,
                                          const std::string& tag) {
    auto info = Foundation::readPropertyList(builtExtension / "Contents/Info.plist");
    EXPECT_TRUE(info && info->dictionary());
    auto dictionary = *info->dictionary();
    dictionary["KHAppGroup"] = group;
    dictionary["KHShareAutoAdd"] = 0;
    dictionary["KHShareAutoTag"] = tag;
    const auto appex = Testing::makeBundle(folder, dictionary, "KestrelhavenShare.appex");
    std::filesystem::create_directories(appex / "Contents/MacOS");
    std::filesystem::copy_file(builtExtension / "Contents/MacOS/KestrelhavenShare",
                               appex / "Contents/MacOS/KestrelhavenShare");
    return appex;
}

} // namespace

TEST_F(Relay, AMarkdownFileSharedThroughTheExtensionReachesTheDossier) {
    // The extension runs in a process of its own, on the real clocks.
    Foundation::SystemTime::setSource({});
    server().state().setClock({});
    relay().start();
    ASSERT_TRUE(eventually([&] { return store().mac() && store().mac()->menuAt > 0; }));

    Testing::TemporaryFolder folder;
    const auto notes = folder.path() / "Trip notes.md";
    Testing::writeText(notes, "# Lisbon\n\nTrams, tiles and the river at dusk.");
    const auto appex = autoAddingExtension(folder.path(), appGroup, "Trips");
    // The Share menu offers only an extension turned on; the copy goes by the built one's name.
    const auto registry = LaunchServices::Registry::current();
    ASSERT_EQ(registry.registerBundle(KH_BUILT_BUNDLE, true, true), std::nullopt);
    ASSERT_EQ(
        registry.elect(*Foundation::Bundle(appex).identifier(), LaunchServices::Election::use),
        std::nullopt);

    // The extension draws text with Pango, whose fontconfig keeps its configuration for the life
    // of the process: a sanitizer build's leak checker is told so, as in the test programs.
    Run::Environment environment;
    for (char** variable = environ; *variable; ++variable) {
        const std::string entry = *variable;
        const auto equals = entry.find('=');
        environment[entry.substr(0, equals)] =
            equals == std::string::npos ? "" : entry.substr(equals + 1);
    }
    Testing::writeText(folder.path() / "leaks.supp", "leak:libfontconfig.so\n");
    environment["LSAN_OPTIONS"] = "suppressions=" + (folder.path() / "leaks.supp").string();

    std::optional<Run::Result> shared;
    std::thread host([&] {
        auto result =
            Run::run(KH_SHARE_TOOL, {appex.string(), "--file", notes.string()}, environment, 60);
        Dispatch::RunLoop::main().perform([&shared, result] { shared = result; });
    });
    const bool ended = eventually([&] { return shared.has_value(); }, 60);
    host.join();
    ASSERT_TRUE(ended);
    EXPECT_EQ(shared->status, 0) << shared->output << shared->error;
    EXPECT_THAT(shared->output, HasSubstr("Text \"Added to your Dossier\""));
    EXPECT_THAT(shared->output, HasSubstr("share: the extension completed the request."));

    const auto kept = server().state().dossier().items();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0]["title"], "Lisbon");
    EXPECT_EQ(kept[0]["tag"], "Trips");
    EXPECT_EQ(kept[0]["source"], "Trip notes.md");
    ASSERT_EQ(posts().size(), 1u);
    EXPECT_EQ(JSONCoding::parse(posts()[0])->at("text"),
              "# Lisbon\n\nTrams, tiles and the river at dusk.");
    EXPECT_TRUE(outbox().items().empty());
}
