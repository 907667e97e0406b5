#include "service/SetupActions.h"

#include "service/Bundled.h"
#include "service/SetupAddresses.h"

#include <AppKit/Alert.h>
#include <AppKit/Application.h>
#include <AppKit/Pasteboard.h>
#include <AppKit/Workspace.h>
#include <Foundation/FileIO.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SetupActions {

std::function<void()> openPair = [] {};
std::function<void()> openSettings = [] {};

namespace {

void copy(const std::string& command) {
    auto& pasteboard = AppKit::Pasteboard::general();
    pasteboard.clearContents();
    pasteboard.setString(command);
}

// The shell the script starts with: the platform's own where it exists, else one that does.
std::string scriptShell() {
    for (const char* shell : {"/bin/zsh", "/bin/bash", "/bin/sh"})
        if (::access(shell, X_OK) == 0)
            return shell;
    return "/bin/sh";
}

} // namespace

std::filesystem::path installerScript() {
    return Bundled::home() / ".kestrelhaven" / "install-claude-code.command";
}

std::string installerScriptText(const std::string& command) {
    return "#!" + scriptShell() +
           "\n# Claude Code's installer, opened from Kestrelhaven's Setup.\n" + command +
           "\necho\necho \"Done. Go back to Kestrelhaven's Setup and click Check Again.\"";
}

void installClaude(const std::string& command) {
    AppKit::Application::shared().activate(true);
    AppKit::Alert alert;
    alert.setMessageText("Install Claude Code?");
    alert.setInformativeText("Kestrelhaven opens Terminal and runs Anthropic's installer, which "
                             "needs nothing but what macOS has:\n\n" +
                             command + "\n\nWhen it's done, come back and click Check Again.");
    alert.addButton("Open Terminal");
    alert.addButton("Copy Command");
    alert.addButton("Cancel");
    const auto answer = alert.runModal();
    if (answer == AppKit::alertFirstButtonReturn + 1) {
        copy(command);
        return;
    }
    if (answer != AppKit::alertFirstButtonReturn)
        return;

    const auto script = installerScript();
    Foundation::createFolder(script.parent_path());
    const bool written = Foundation::writeFileAtomically(
        script, Foundation::dataFrom(installerScriptText(command)), 0700);
    if (!written || ::chmod(script.c_str(), 0700) != 0) {
        copy(command);
        return;
    }
    AppKit::Workspace::shared().open(script);
}

void openTailscale() {
    auto& workspace = AppKit::Workspace::shared();
    for (const char* identifier : tailscaleIdentifiers) {
        if (const auto application = workspace.urlForApplication(identifier)) {
            workspace.openApplication(*application);
            return;
        }
    }
    workspace.openURL(SetupAddresses::tailscaleDownload);
}

} // namespace SetupActions
