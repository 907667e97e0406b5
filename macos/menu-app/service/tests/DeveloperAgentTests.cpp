#include "service/BackgroundService.h"
#include "service/Bundled.h"
#include "service/DeveloperAgent.h"
#include "service/tests/ServiceFixture.h"

#include <Testing/Testing.h>
#include <ctime>
#include <gmock/gmock.h>

using BackgroundService::Outcome;
using Foundation::PropertyList;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

namespace fs = std::filesystem;

const std::string first = "com.example.bridge.dev";
const std::string second = "com.example.bridge.other";

class DeveloperAgents : public WithBuiltBundle {
protected:
    PropertyList::Dictionary info() const override {
        return {{"KHDeveloperAgentLabels", PropertyList::Array{first, second}}};
    }

    // A developer agent in ~/Library/LaunchAgents whose program sleeps.
    static fs::path writeSleeper(const std::string& label) {
        return writeAgent(
            DeveloperAgent::plist(label).parent_path(), label,
            {{"Label", label}, {"ProgramArguments", PropertyList::Array{"/bin/sleep", "600"}}});
    }
    static void load(const std::string& label) {
        ASSERT_EQ(Launchd::Domain::current().bootstrap(writeSleeper(label)), std::nullopt);
    }
};

} // namespace

TEST(DeveloperAgentLabels, TheShippedBundleNamesTheDeveloperInstallsAgent) {
    const auto info = Foundation::readPropertyList(KH_BUILT_BUNDLE "/Contents/Info.plist");
    ASSERT_TRUE(info);
    const PropertyList* labels = info->find("KHDeveloperAgentLabels");
    ASSERT_TRUE(labels);
    EXPECT_EQ(labels->textList(), std::vector<std::string>{"com.tallowmeadows.kestrelhaven"});
}

TEST_F(DeveloperAgents, AreNamedByTheBundleAndFoundByFileOrByLaunchd) {
    EXPECT_THAT(DeveloperAgent::labels(), ElementsAre(first, second));
    EXPECT_EQ(DeveloperAgent::plist(first), home / "Library/LaunchAgents" / (first + ".plist"));
    EXPECT_EQ(DeveloperAgent::retiredFolder(), home / ".kestrelhaven/retired-launchagents");
    EXPECT_THAT(DeveloperAgent::present(), IsEmpty());

    writeSleeper(second);
    EXPECT_THAT(DeveloperAgent::present(), ElementsAre(second));
    EXPECT_FALSE(DeveloperAgent::isLoaded(second));

    // Loaded, though its property list has gone.
    load(first);
    fs::remove(DeveloperAgent::plist(first));
    EXPECT_TRUE(DeveloperAgent::isLoaded(first));
    EXPECT_THAT(DeveloperAgent::present(), ElementsAre(first, second));
}

TEST_F(DeveloperAgents, RetiringUnloadsTheAgentAndMovesItsPropertyListAside) {
    load(first);
    const auto running = Launchd::Domain::current().job(first);
    EXPECT_EQ(DeveloperAgent::retire(first), std::nullopt);
    EXPECT_FALSE(DeveloperAgent::isLoaded(first));
    EXPECT_FALSE(running->isRunning());
    EXPECT_FALSE(fs::exists(DeveloperAgent::plist(first)));
    const fs::path retired = DeveloperAgent::retiredFolder() / (first + ".plist");
    EXPECT_TRUE(fs::exists(retired));
    EXPECT_EQ(fs::status(DeveloperAgent::retiredFolder()).permissions() & fs::perms::all,
              fs::perms::owner_all);

    // A second one is stored beside the first under the time; the first stays.
    const std::string earlier = Testing::readText(retired);
    writeSleeper(first);
    const auto before = std::time(nullptr);
    EXPECT_EQ(DeveloperAgent::retire(first), std::nullopt);
    const auto after = std::time(nullptr);
    EXPECT_EQ(Testing::readText(retired), earlier);
    int stamped = 0;
    for (auto stamp = before; stamp <= after; ++stamp)
        stamped += fs::exists(DeveloperAgent::retiredFolder() /
                              (first + "-" + std::to_string(stamp) + ".plist"));
    EXPECT_EQ(stamped, 1);
}

TEST_F(DeveloperAgents, AnAgentLoadedWithoutItsPropertyListIsUnloadedWithoutAMove) {
    load(first);
    fs::remove(DeveloperAgent::plist(first));
    EXPECT_EQ(DeveloperAgent::retire(first), std::nullopt);
    EXPECT_FALSE(DeveloperAgent::isLoaded(first));
    EXPECT_FALSE(fs::exists(DeveloperAgent::retiredFolder()));
}

TEST_F(DeveloperAgents, AMoveNeverReplacesARetiredPropertyList) {
    writeSleeper(first);
    const fs::path folder = DeveloperAgent::retiredFolder();
    Testing::writeText(folder / (first + ".plist"), "older");
    const auto now = std::time(nullptr);
    for (auto stamp = now; stamp < now + 5; ++stamp)
        Testing::writeText(folder / (first + "-" + std::to_string(stamp) + ".plist"), "older");

    const auto error = DeveloperAgent::retire(first);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, EEXIST);
    EXPECT_TRUE(fs::exists(DeveloperAgent::plist(first)));
    EXPECT_EQ(Testing::readText(folder / (first + "-" + std::to_string(now) + ".plist")), "older");
}

TEST_F(DeveloperAgents, AnAgentLaunchdKeepsAfterTheBootoutIsAnError) {
    skipWaits();
    scriptLaunchctl(
        "[ \"$1\" = bootout ] && { echo '  Boot-out failed: 5: Input/output error ' >&2; "
        "exit 5; }\nexit 0\n");
    writeSleeper(first);
    EXPECT_EQ(DeveloperAgent::retire(first),
              (Foundation::Error{"Kestrelhaven", 1,
                                 "launchctl bootout " + first +
                                     " failed: Boot-out failed: 5: Input/output error"}));
    EXPECT_TRUE(fs::exists(DeveloperAgent::plist(first)));
}

TEST_F(DeveloperAgents, AFailedBootoutCountsWhenTheAgentGoesAnyway) {
    skipWaits();
    // Still listed for the first few checks, then gone.
    const fs::path count = home / "prints";
    scriptLaunchctl("[ \"$1\" = bootout ] && exit 5\n"
                    "n=$(( $(cat " +
                    count.string() +
                    " 2>/dev/null || echo 0) + 1 ))\n"
                    "echo $n > " +
                    count.string() + "\n[ $n -le 3 ]\n");
    writeSleeper(first);
    EXPECT_EQ(DeveloperAgent::retire(first), std::nullopt);
    EXPECT_TRUE(fs::exists(DeveloperAgent::retiredFolder() / (first + ".plist")));
}

TEST_F(DeveloperAgents, TurningOnRetiresThemInOrderAndStopsAtTheFirstFailure) {
    skipWaits();
    scriptLaunchctl("[ \"$1\" = bootout ] && { echo 'refused' >&2; exit 1; }\nexit 0\n");
    writeSleeper(first);
    writeSleeper(second);
    EXPECT_EQ(BackgroundService::turnOn(
                  {first, second},
                  [&](const std::string& line) { EXPECT_EQ(line, "Stopping " + first + "…"); }),
              Outcome::failed("Couldn't retire " + first + ": launchctl bootout " + first +
                              " failed: refused"));
    EXPECT_TRUE(fs::exists(DeveloperAgent::plist(second)));
}

TEST_F(DeveloperAgents, TurningOnRetiresThemBeforeTheServiceStarts) {
    load(first);
    std::vector<std::string> progress;
    EXPECT_EQ(BackgroundService::turnOn({first},
                                        [&](const std::string& line) { progress.push_back(line); }),
              Outcome::running());
    EXPECT_EQ(progress.front(), "Stopping " + first + "…");
    EXPECT_EQ(progress.size(), 4u);
    EXPECT_FALSE(DeveloperAgent::isLoaded(first));
    EXPECT_THAT(Launchd::Domain::current().labels(), ElementsAre(BackgroundService::label()));
}
