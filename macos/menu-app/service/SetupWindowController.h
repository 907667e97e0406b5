// The Setup window: built on the first `show`, then kept for the process.
//
// Every `show` records that the user has seen the window (the user default
// "setupSeen"), refreshes the model, activates the application and brings
// the window to the front as the key window. Closing the window, by "Done"
// or its close button, only hides it; nothing is reset. Main thread only.
#pragma once

#include "service/SetupModel.h"

#include <AppKit/Window.h>
#include <memory>

class SetupWindowController : public std::enable_shared_from_this<SetupWindowController> {
public:
    SetupWindowController();

    void show();

    const std::shared_ptr<SetupModel>& model() const { return m_model; }
    const std::shared_ptr<AppKit::Window>& window() const { return m_window; }

private:
    std::shared_ptr<SetupModel> m_model;
    std::shared_ptr<AppKit::Window> m_window;
};
