// A test fixture for Setup: the built bundle's bridge tool in a test-build home, a stand-in
// login shell that finds nothing, the user's answers to alerts scripted, the workspace's
// openings recorded, and one Setup model.
#pragma once

#include "menubar/LocalHTTP.h"
#include "service/SetupModel.h"
#include "service/tests/ServiceFixture.h"

#include <AppKit/Alert.h>
#include <AppKit/Workspace.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Home.h>
#include <Testing/Testing.h>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sample-bridge/Server.h>

class WithSetup : public WithBuiltBundle {
protected:
    void SetUp() override {
        WithBuiltBundle::SetUp();
        ::setenv("PATH", (tools.path() / "bin").c_str(), 1);
        ::setenv("SHELL", "/bin/zsh", 1);
        ::setenv("XDG_DATA_HOME", (home / "share").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);
        const auto shell = tools.path() / "shell";
        Testing::writeText(shell, "#!/bin/sh\nexit 1\n");
        std::filesystem::permissions(shell, std::filesystem::perms::owner_all);
        Foundation::setLoginShellSource([shell] { return shell.string(); });
        AppKit::Alert::setPresenter([this](const AppKit::Alert& alert) {
            alerts.push_back(alert.messageText() + "\n" + alert.informativeText());
            return AppKit::alertFirstButtonReturn + answer;
        });
        AppKit::Workspace::setOpener([this](const AppKit::Workspace::Opening& opening) {
            opened.push_back(opening);
            return true;
        });
        model = std::make_shared<SetupModel>();
    }

    void TearDown() override {
        bridge.reset();
        AppKit::Alert::setPresenter({});
        AppKit::Workspace::setOpener({});
        Foundation::setLoginShellSource({});
        WithBuiltBundle::TearDown();
    }

    // The sample bridge serving in-process on the bridge's socket.
    void startBridge() {
        bridge =
            std::make_unique<SampleBridge::Server>(LocalHTTP::socketPath(), SampleBridge::State());
    }

    // A stand-in claude on PATH.
    void installClaude(const std::string& version = "2.1.224 (Claude Code)") {
        const auto path = tools.path() / "bin" / "claude";
        Testing::writeText(path, "#!/bin/sh\necho '" + version + "'\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }

    static bool eventually(const std::function<bool()>& condition, double timeout = 30) {
        return Dispatch::RunLoop::main().runUntil(condition, timeout);
    }
    // Waits until no action runs and no refresh is under way.
    bool settled(double timeout = 30) {
        return eventually([this] { return !model->busy->has_value() && !*model->checking; },
                          timeout);
    }

    Testing::TemporaryFolder tools;
    std::unique_ptr<SampleBridge::Server> bridge;
    std::shared_ptr<SetupModel> model;
    std::vector<std::string> alerts;
    std::vector<AppKit::Workspace::Opening> opened;
    int answer = 0;
};
