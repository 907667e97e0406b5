#include "service/tests/ServiceFixture.h"

#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/Waiting.h"

#include <Dispatch/Clock.h>
#include <ServiceManagement/AgentService.h>
#include <Testing/Testing.h>
#include <cstdlib>

namespace fs = std::filesystem;

void WithBuiltBundle::SetUp() {
    home = Testing::useTestHome(info());
    const fs::path built = KH_BUILT_BUNDLE "/Contents";
    const fs::path contents = Bundled::app() / "Contents";
    fs::create_directories(contents / "MacOS");
    fs::create_symlink(built / "MacOS" / "KestrelhavenBridge",
                       contents / "MacOS" / "KestrelhavenBridge");
    fs::create_symlink(built / "Helpers", contents / "Helpers");
    fs::create_symlink(built / "Resources", contents / "Resources");
    const auto agents = fs::path("Library") / "LaunchAgents";
    fs::create_directories(contents / agents);
    fs::copy_file(built / agents / "com.tallowmeadows.kestrelhaven.agent.plist",
                  contents / agents / "com.tallowmeadows.kestrelhaven.agent.plist");
}

void WithBuiltBundle::TearDown() {
    BackgroundService::unregister();
    Launchd::Domain domain = Launchd::Domain::current();
    for (const std::string& label : domain.labels())
        EXPECT_EQ(domain.bootout(label), std::nullopt) << label;
    Waiting::setPause({});
    ::unsetenv("KH_TOOLS_DIR");
}

void WithBuiltBundle::skipWaits(std::vector<double>* pauses) {
    Waiting::setPause([pauses](double seconds) {
        if (pauses)
            pauses->push_back(seconds);
        Dispatch::Clock::advance(seconds);
    });
}

void WithBuiltBundle::scriptLaunchctl(const std::string& body) {
    const fs::path tools = home.parent_path() / "scripted-tools";
    Testing::writeText(tools / "launchctl", "#!/bin/sh\n" + body);
    fs::permissions(tools / "launchctl", fs::perms::owner_all);
    ::setenv("KH_TOOLS_DIR", tools.c_str(), 1);
}

void WithBuiltBundle::scriptRuntime(const std::string& body) {
    const fs::path helpers = Bundled::app() / "Contents" / "Helpers";
    if (fs::is_symlink(helpers))
        fs::remove(helpers);
    Testing::writeText(helpers / "node", "#!/bin/sh\n" + body);
    fs::permissions(helpers / "node", fs::perms::owner_all);
}

fs::path WithBuiltBundle::writeAgent(const fs::path& folder, const std::string& name,
                                     Foundation::PropertyList::Dictionary entries) {
    const fs::path path = folder / (name + ".plist");
    Testing::writeText(path, Foundation::serializePropertyList(std::move(entries)));
    return path;
}

std::optional<Launchd::Job> WithBuiltBundle::agentJob() {
    return Launchd::Domain::current().job(BackgroundService::label());
}
