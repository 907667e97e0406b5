// The Settings window: made on the first `show` and kept for the process.
//
// Its content is the Settings view of the controller's model; the window is
// titled and closable only, and takes the view's size.
// Every `show` reloads the model, restarts the 5-second refresh of the
// environments (one timer at a time, in the main run loop's default mode),
// activates the application and brings the window to the front as the key
// window. Closing the window hides it and stops the refresh; the next `show`
// brings the same window back.
#pragma once

#include "settings/SettingsModel.h"

#include <AppKit/Window.h>
#include <Dispatch/RunLoop.h>
#include <memory>

class SettingsWindowController : public std::enable_shared_from_this<SettingsWindowController> {
public:
    explicit SettingsWindowController(std::shared_ptr<SettingsModel> model)
        : m_model(std::move(model)) {}

    void show();

    const std::shared_ptr<AppKit::Window>& window() const { return m_window; }
    const std::shared_ptr<SettingsModel>& model() const { return m_model; }
    bool isRefreshing() const { return m_refresh.isValid(); }

    static constexpr double refreshInterval = 5.0;

private:
    std::shared_ptr<AppKit::Window> m_window;
    std::shared_ptr<SettingsModel> m_model;
    Dispatch::Timer m_refresh;
};
