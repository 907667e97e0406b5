// A test fixture for the menu-bar executable's switches: the built program inside a test
// bundle whose home is the test home, run as a user runs it, with its output and exit status.
#pragma once

#include "menubar/LocalHTTP.h"
#include "relay/DossierShares.h"
#include "service/Bundled.h"
#include "service/Run.h"
#include "service/SetupCommandLine.h"
#include "service/tests/ServiceFixture.h"

#include <Testing/Testing.h>
#include <memory>
#include <ostream>
#include <sample-bridge/Server.h>
#include <string>
#include <vector>

namespace CommandLineTesting {

namespace fs = std::filesystem;

// What a run of the program wrote and how it ended.
struct Outcome {
    std::int32_t status = -1;
    std::string output;
    std::string error;

    bool operator==(const Outcome&) const = default;
    friend void PrintTo(const Outcome& outcome, std::ostream* out) {
        *out << "status " << outcome.status << ", output \"" << outcome.output << "\", error \""
             << outcome.error << '"';
    }
};

constexpr const char* appGroup = "group.com.tallowmeadows.kestrelhaven";
constexpr const char* agent = "com.tallowmeadows.kestrelhaven.agent";
constexpr const char* extension = "com.tallowmeadows.kestrelhaven.menu.share";

class CommandLine : public WithBuiltBundle {
protected:
    Foundation::PropertyList::Dictionary info() const override {
        return {{"KHAppGroup", appGroup}};
    }

    void SetUp() override {
        WithBuiltBundle::SetUp();
        const fs::path built = KH_BUILT_BUNDLE "/Contents";
        const fs::path contents = Bundled::app() / "Contents";
        std::error_code error;
        fs::create_hard_link(built / "MacOS" / "KestrelhavenMenu", program(), error);
        if (error)
            fs::copy_file(built / "MacOS" / "KestrelhavenMenu", program());
        fs::create_symlink(built / "PlugIns", contents / "PlugIns");
        fs::create_directories(bin());
    }

    void TearDown() override {
        // A relay a test started in this process ends before the test home goes.
        DossierShares::shared().stop();
        m_server.reset();
        WithBuiltBundle::TearDown();
    }

    static fs::path program() { return Bundled::app() / "Contents" / "MacOS" / "KestrelhavenMenu"; }
    fs::path bin() const { return home.parent_path() / "bin"; }

    // Runs the built program (started by the path `as`, a link to it) with HOME at the test home
    // and only `bin()` and the system's folders on PATH.
    Outcome menu(const std::vector<std::string>& arguments, double timeout = 90,
                 const fs::path& as = program()) const {
        Run::Environment environment = Run::currentEnvironment();
        environment["HOME"] = home.string();
        environment["PATH"] = bin().string() + ":/usr/bin:/bin";
        Run::Result ran = Run::run(as.string(), arguments, environment, timeout);
        return {ran.status, std::move(ran.output), std::move(ran.error)};
    }

    void serveBridge(SampleBridge::State state = {}) {
        m_server =
            std::make_unique<SampleBridge::Server>(LocalHTTP::socketPath(), std::move(state));
    }
    SampleBridge::Server& server() { return *m_server; }

    // A `claude` on PATH whose "--version" prints `version`.
    void standInClaude(const std::string& version) const {
        const fs::path claude = bin() / "claude";
        Testing::writeText(claude, "#!/bin/sh\necho '" + version + "'\n");
        fs::permissions(claude, fs::perms::owner_all);
    }

    static std::string line(std::string_view label, const std::string& value) {
        return SetupCommandLine::column(label, 15) + ": " + value + "\n";
    }
    std::string settingsFile() const { return (home / ".claude" / "settings.json").string(); }

private:
    std::unique_ptr<SampleBridge::Server> m_server;
};

} // namespace CommandLineTesting

using CommandLineTesting::CommandLine;
using CommandLineTesting::Outcome;
