#include "StatusBar.h"

#include "Display.h"

namespace AppKit {

void StatusBarButton::setImage(std::shared_ptr<Image> image) {
    m_image = std::move(image);
    Display::setNeedsDisplay();
}

void StatusBarButton::setImagePosition(ImagePosition position) {
    m_position = position;
    Display::setNeedsDisplay();
}

void StatusBarButton::setToolTip(std::optional<std::string> toolTip) {
    m_toolTip = std::move(toolTip);
    Display::setNeedsDisplay();
}

void StatusItem::setMenu(std::shared_ptr<Menu> menu) {
    m_menu = std::move(menu);
    Display::setNeedsDisplay();
}

StatusBar& StatusBar::system() {
    static auto* bar = new StatusBar;
    return *bar;
}

std::shared_ptr<StatusItem> StatusBar::statusItem(double length) {
    auto item = std::make_shared<StatusItem>(length);
    std::erase_if(m_items, [](const auto& weak) { return weak.expired(); });
    m_items.push_back(item);
    Display::setNeedsDisplay();
    return item;
}

std::vector<std::shared_ptr<StatusItem>> StatusBar::items() const {
    std::vector<std::shared_ptr<StatusItem>> held;
    for (const auto& weak : m_items)
        if (auto item = weak.lock())
            held.push_back(std::move(item));
    return held;
}

} // namespace AppKit
