#include "Window.h"

#include "Application.h"
#include "Display.h"

#include <Dispatch/RunLoop.h>

namespace AppKit {

std::shared_ptr<Window> Window::make(Size contentSize, unsigned styleMask) {
    return std::shared_ptr<Window>(new Window(contentSize, styleMask));
}

std::shared_ptr<Panel> Panel::make(Size contentSize, unsigned styleMask) {
    return std::shared_ptr<Panel>(new Panel(contentSize, styleMask));
}

Size Window::contentSize() const {
    if (m_contentView)
        m_contentView->layoutSubtreeIfNeeded();
    return m_contentSize;
}

void Window::setTitle(std::string title) {
    m_title = std::move(title);
    Display::setNeedsDisplay();
}

void Window::addWillCloseObserver(std::function<void(Window&)> observer) {
    m_willClose.push_back(std::move(observer));
}

void Window::addWillCloseObserver(Dispatch::DispatchQueue queue,
                                  std::function<void(Window&)> observer) {
    addWillCloseObserver(
        [queue = std::move(queue), observer = std::move(observer)](Window& window) {
            if (queue.isMain() && Dispatch::RunLoop::isMainThread())
                observer(window);
            else
                queue.sync([&] { observer(window); });
        });
}

void Window::setContentView(std::shared_ptr<View> view) {
    if (m_contentView)
        m_contentView->m_window.reset();
    m_contentView = std::move(view);
    if (m_contentView)
        m_contentView->m_window = weak_from_this();
    Display::setNeedsDisplay();
}

void Window::makeKeyAndOrderFront() {
    const bool appearing = !m_visible;
    m_visible = true;
    Application::shared().orderFront(shared_from_this());
    if (appearing && m_contentView)
        m_contentView->windowDidChangeVisibility(true);
    Display::setNeedsDisplay();
}

void Window::close() {
    if (!m_visible)
        return;
    // Whoever is told may drop the last other reference to this window.
    const auto self = shared_from_this();
    if (const auto told = delegate())
        told->windowWillClose(*this);
    for (const auto& observer : m_willClose)
        observer(*this);
    m_visible = false;
    Application::shared().orderOut(*this);
    if (m_contentView)
        m_contentView->windowDidChangeVisibility(false);
    Display::setNeedsDisplay();
}

bool Window::isKeyWindow() const {
    return m_visible && Application::shared().keyWindow().get() == this;
}

} // namespace AppKit
