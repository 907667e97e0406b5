// Windows and panels.
//
// A window is made with the size of its content area and a style mask, gets a
// title, a level and a content view, and is shown with
// `makeKeyAndOrderFront`, which makes it the key window. Its content view is
// told each time the window comes on screen and leaves it. `close` hides it:
// its delegate's `windowWillClose` and every will-close observer run first,
// once per close of a visible window. An observer may name the queue it is
// told on; the close then waits until it has run there. Closing a window that is not shown
// does nothing. A closed window can be shown again by whoever still holds it;
// "released when closed" is recorded for the owner's sake, since owners here
// decide how long a window lives.
//
// The application holds the windows on screen, back to front, for a
// presentation and for tests.
#pragma once

#include <AppKit/Geometry.h>
#include <AppKit/View.h>
#include <Dispatch/DispatchQueue.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace AppKit {

class Window;

class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual void windowWillClose(Window& window) = 0;
};

namespace WindowStyle {
constexpr unsigned titled = 1;
constexpr unsigned closable = 2;
constexpr unsigned miniaturizable = 4;
constexpr unsigned resizable = 8;
} // namespace WindowStyle

enum class WindowLevel { Normal, Floating };

class Window : public std::enable_shared_from_this<Window> {
public:
    static std::shared_ptr<Window> make(Size contentSize, unsigned styleMask);
    virtual ~Window() = default;

    virtual bool isPanel() const { return false; }

    const std::string& title() const { return m_title; }
    void setTitle(std::string title);
    unsigned styleMask() const { return m_styleMask; }
    Size contentSize() const;
    void setContentSize(Size size) { m_contentSize = size; }
    WindowLevel level() const { return m_level; }
    void setLevel(WindowLevel level) { m_level = level; }
    bool isReleasedWhenClosed() const { return m_releasedWhenClosed; }
    void setReleasedWhenClosed(bool released) { m_releasedWhenClosed = released; }

    std::shared_ptr<WindowDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<WindowDelegate> delegate) { m_delegate = std::move(delegate); }
    // Runs when the window is about to close, after the delegate; observers stay for its life.
    void addWillCloseObserver(std::function<void(Window&)> observer);
    // The same, told on `queue`: at once when the close happens on that queue's thread (the main
    // queue's, as every close does), else queued there while the close waits.
    void addWillCloseObserver(Dispatch::DispatchQueue queue, std::function<void(Window&)> observer);

    const std::shared_ptr<View>& contentView() const { return m_contentView; }
    void setContentView(std::shared_ptr<View> view);

    void center() { m_centered = true; }
    bool isCentered() const { return m_centered; }

    void makeKeyAndOrderFront();
    void close();
    bool isVisible() const { return m_visible; }
    bool isKeyWindow() const;

protected:
    Window(Size contentSize, unsigned styleMask)
        : m_contentSize(contentSize), m_styleMask(styleMask) {}

private:
    std::string m_title;
    Size m_contentSize;
    unsigned m_styleMask;
    WindowLevel m_level = WindowLevel::Normal;
    bool m_releasedWhenClosed = true;
    bool m_centered = false;
    bool m_visible = false;
    std::weak_ptr<WindowDelegate> m_delegate;
    std::vector<std::function<void(Window&)>> m_willClose;
    std::shared_ptr<View> m_contentView;
};

// A window that floats by the one it serves, such as an inspector or a pairing code.
class Panel : public Window {
public:
    static std::shared_ptr<Panel> make(Size contentSize, unsigned styleMask);
    bool isPanel() const override { return true; }

private:
    using Window::Window;
};

} // namespace AppKit
