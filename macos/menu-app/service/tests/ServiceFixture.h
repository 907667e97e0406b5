// A test fixture for the background service: the test home's bundle runs the
// built bundle's launcher and runtime, and HOME and "KHHome" are both the test
// home, so that launchd's jobs (which read HOME) and the application (which
// reads Bundled::home) meet at one socket. Whatever a test leaves registered
// or loaded is stopped when it ends.
#pragma once

#include <Foundation/PropertyList.h>
#include <Launchd/Domain.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

class WithBuiltBundle : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The Info.plist entries of the test bundle, besides "KHHome".
    virtual Foundation::PropertyList::Dictionary info() const { return {}; }

    // Makes the service's waits move Dispatch::Clock instead of sleeping; each wait's length goes
    // into `pauses` when given.
    static void skipWaits(std::vector<double>* pauses = nullptr);
    // Makes launchctl the shell script `body` for the rest of the test.
    void scriptLaunchctl(const std::string& body);
    // Makes the bundle's runtime the shell script `body`, so that the bridge's tool says what a
    // test needs.
    static void scriptRuntime(const std::string& body);
    // Writes an agent property list; `name` without ".plist".
    static std::filesystem::path writeAgent(const std::filesystem::path& folder,
                                            const std::string& name,
                                            Foundation::PropertyList::Dictionary entries);

    // The agent's job in launchd, if loaded.
    static std::optional<Launchd::Job> agentJob();

    std::filesystem::path home;
};
