// The system status bar and its items.
//
// A status item is a button in the menu bar (an image, how the image sits,
// a tool tip) with a menu that opens when it is clicked. The status bar knows
// the items it has made while their owners keep them, for a presentation and
// for tests.
#pragma once

#include <AppKit/Image.h>
#include <AppKit/Menu.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace AppKit {

enum class ImagePosition { NoImage, ImageOnly, ImageLeft, ImageRight };

class StatusBarButton {
public:
    const std::shared_ptr<Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<Image> image);
    ImagePosition imagePosition() const { return m_position; }
    void setImagePosition(ImagePosition position);
    const std::optional<std::string>& toolTip() const { return m_toolTip; }
    void setToolTip(std::optional<std::string> toolTip);

private:
    std::shared_ptr<Image> m_image;
    ImagePosition m_position = ImagePosition::ImageLeft;
    std::optional<std::string> m_toolTip;
};

class StatusItem {
public:
    static constexpr double variableLength = -1;

    explicit StatusItem(double length) : m_length(length) {}

    double length() const { return m_length; }
    StatusBarButton& button() { return m_button; }
    const StatusBarButton& button() const { return m_button; }
    const std::shared_ptr<Menu>& menu() const { return m_menu; }
    void setMenu(std::shared_ptr<Menu> menu);

private:
    double m_length;
    StatusBarButton m_button;
    std::shared_ptr<Menu> m_menu;
};

class StatusBar {
public:
    static StatusBar& system();

    std::shared_ptr<StatusItem> statusItem(double length);
    // The items still held by their owners, oldest first.
    std::vector<std::shared_ptr<StatusItem>> items() const;

private:
    StatusBar() = default;
    std::vector<std::weak_ptr<StatusItem>> m_items;
};

} // namespace AppKit
