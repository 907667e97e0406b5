// The Add a Container window: one controller and one window for the process.
//
// `show` builds the window on its first call (titled "Add a Container",
// titled and closable only, kept when closed, 640 points wide), records
// which environment it is for (an existing one by name, or none for a new
// container), centres it, activates the application and brings it to the
// front as the key window. The window's content, the container's setup, is
// not part of this build yet: it shows nothing. Main thread only.
#pragma once

#include <AppKit/Window.h>
#include <memory>
#include <optional>
#include <string>

class ContainerWindowController {
public:
    static ContainerWindowController& shared();

    void show(std::optional<std::string> existing);

    const std::shared_ptr<AppKit::Window>& window() const { return m_window; }
    // The environment the window was last shown for; none for a new container.
    const std::optional<std::string>& environment() const { return m_environment; }

    static constexpr double width = 640;

private:
    ContainerWindowController() = default;

    std::shared_ptr<AppKit::Window> m_window;
    std::optional<std::string> m_environment;
};
