// Alerts: a message, an informative text and buttons, run modally.
//
// `runModal` shows the alert through the presenter and returns the chosen
// button's response: the first button 1000, the second 1001, and so on. An
// alert without buttons gets one, "OK". With no presenter installed the
// alert is written to standard error and answered with its first button,
// which is what a headless run can do. A terminal presentation installs a
// presenter that asks the user; tests install one that records what was
// shown and gives a scripted answer.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace AppKit {

enum class AlertStyle { Warning, Informational, Critical };

using ModalResponse = int;
constexpr ModalResponse alertFirstButtonReturn = 1000;

class Alert {
public:
    using Presenter = std::function<ModalResponse(const Alert&)>;

    const std::string& messageText() const { return m_messageText; }
    void setMessageText(std::string text) { m_messageText = std::move(text); }
    const std::string& informativeText() const { return m_informativeText; }
    void setInformativeText(std::string text) { m_informativeText = std::move(text); }
    AlertStyle alertStyle() const { return m_style; }
    void setAlertStyle(AlertStyle style) { m_style = style; }

    void addButton(std::string title) { m_buttons.push_back(std::move(title)); }
    // The buttons' titles, in order; "OK" alone when none was added.
    std::vector<std::string> buttons() const;

    ModalResponse runModal();

    // Main thread only; an empty presenter restores the headless one.
    static void setPresenter(Presenter presenter);

private:
    std::string m_messageText;
    std::string m_informativeText;
    AlertStyle m_style = AlertStyle::Warning;
    std::vector<std::string> m_buttons;
};

} // namespace AppKit
