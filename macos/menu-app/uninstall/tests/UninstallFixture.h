// A test home for the uninstaller: a bundle that carries the built bridge
// (its launcher copied in, so that the bridge it starts runs from this
// bundle's paths and counts as this bundle's), an App Group, and the stand-in
// `claude` on PATH recording its runs. Helpers write the files the product
// leaves behind, start the bridge directly as a bundle's own process, and
// make the engine's waits move the clock instead of sleeping.
#pragma once

#include "service/tests/ServiceFixture.h"

#include <Launchd/Process.h>
#include <string>
#include <vector>

class UninstallHome : public WithBuiltBundle {
protected:
    static constexpr const char* appGroup = "group.test.kestrelhaven";
    static constexpr const char* developerLabel = "com.tallowmeadows.kestrelhaven";

    void SetUp() override;
    void TearDown() override;
    Foundation::PropertyList::Dictionary info() const override;

    // The engine's 0.3-second pauses move Dispatch::Clock, leaving the processes it waits for a
    // moment of real time to end.
    static void quickWaits();

    // Starts the bundle's runtime on its daemon script as the bridge process of this bundle.
    Launchd::Instance startBridge(bool ignoresTerminate);

    // Claude Code's runs as the stand-in recorded them, one line each, `--version` left out.
    std::vector<std::string> claudeRuns() const;
    // How often Claude Code was looked for and found: each finding asks the stand-in its version.
    long claudeLookups() const;
    // Removes the stand-in from PATH: Claude Code is then not found.
    static void withoutClaude();

    // A settings file with a foreign hook in each of three events and one of the product's in
    // the first `ours` of them (the second an HTTP hook on `port`).
    static std::string settingsWithHooks(int ours, int port = 17800);
    // A user file with the product's two servers (or those named) and a foreign one.
    static std::string userFileWithServers(const std::vector<std::string>& ours = {
                                               "kestrelhaven-channel", "kestrelhaven-speak"});
    // Writes the product's dossier command.
    void writeDossierShim() const;
    // Binds a Unix socket at `path`, left in place when the test ends.
    static void leaveSocket(const std::filesystem::path& path);

    std::filesystem::path claudeRecord;
    // Every bridge process a test started, the latest last; each is stopped when the test ends.
    std::vector<Launchd::Instance> bridges;
};
