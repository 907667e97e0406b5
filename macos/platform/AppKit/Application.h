// The application object: the one per process that runs the main loop.
//
// `run` tells the delegate that launching has finished and then runs the main
// run loop in the default mode until `terminate`. The application holds its
// delegate weakly: whoever made the delegate keeps it alive. An accessory
// application has no Dock icon and no main menu; activating it brings it and
// its windows to the front, which the headless application only counts.
//
// The application also holds the windows on screen, back to front; the
// front visible one is the key window.
#pragma once

#include <AppKit/Window.h>
#include <memory>
#include <vector>

namespace AppKit {

enum class ActivationPolicy { Regular, Accessory, Prohibited };

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
};

class Application {
public:
    static Application& shared();

    ActivationPolicy activationPolicy() const { return m_policy; }
    void setActivationPolicy(ActivationPolicy policy) { m_policy = policy; }

    std::shared_ptr<ApplicationDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) {
        m_delegate = std::move(delegate);
    }

    void activate(bool ignoringOtherApps);
    bool isActive() const { return m_activations > 0; }
    int activationCount() const { return m_activations; }

    void run();
    // Ends `run` once the work in progress returns; safe to call before `run`, which then
    // does not start the loop.
    void terminate();
    bool isTerminating() const { return m_terminating; }

    std::vector<std::shared_ptr<Window>> windows() const { return m_windows; }
    std::shared_ptr<Window> keyWindow() const;

    // Used by windows as they show and close.
    void orderFront(std::shared_ptr<Window> window);
    void orderOut(const Window& window);

private:
    Application() = default;

    ActivationPolicy m_policy = ActivationPolicy::Regular;
    std::weak_ptr<ApplicationDelegate> m_delegate;
    int m_activations = 0;
    bool m_terminating = false;
    std::vector<std::shared_ptr<Window>> m_windows;
};

} // namespace AppKit
