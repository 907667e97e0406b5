// The Add a Container window: one controller, one model and one window for
// the process.
//
// The first `show` builds the window ("Add a Container", titled and
// closable only, kept when closed, 640 points wide and as high as its
// content) around a `ContainerSetupView` of the controller's model. Every
// `show` then has the model show the setup of the named existing
// environment, or, with no name, start a fresh naming form; centres the
// window, activates the application and brings the window to the front as
// the key window. Closing the window (its close button, Cancel or Done)
// stops the model's check-in poll; a tool run under way is not cancelled.
// Every failure shows inside the window; callers are told nothing. Main
// thread only.
#pragma once

#include "settings/ContainerSetupModel.h"

#include <AppKit/Window.h>
#include <memory>
#include <optional>
#include <string>

class ContainerWindowController {
public:
    static ContainerWindowController& shared();

    void show(const std::optional<std::string>& existing);

    const std::shared_ptr<ContainerSetupModel>& model() const { return m_model; }
    const std::shared_ptr<AppKit::Window>& window() const { return m_window; }

private:
    ContainerWindowController();

    std::shared_ptr<ContainerSetupModel> m_model;
    std::shared_ptr<AppKit::Window> m_window;
};
