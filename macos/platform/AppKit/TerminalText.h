// Text pictures of the headless objects, for the terminal presentation.
//
// Each function gives whole lines, with ANSI colour escapes, and no line
// break at their ends. Points become columns at a fixed width per column, so
// tab stops of attributed titles line up roughly as they would on screen.
// Every text the objects hold reaches the terminal through `printable`, so only
// the presentation's own escapes act on the terminal.
#pragma once

#include <AppKit/Alert.h>
#include <AppKit/AttributedString.h>
#include <AppKit/Menu.h>
#include <AppKit/StatusBar.h>
#include <AppKit/Window.h>
#include <string>
#include <vector>

namespace AppKit::TerminalText {

// The labels that choose menu items by key, in order.
constexpr std::string_view itemKeys = "123456789abcdefghijklmnopqrstuvwxyz";
// The labels that press the controls of the front window's hosted view, in order; "w" closes the
// window instead.
constexpr std::string_view controlKeys = "123456789abcdefghijklmnopqrstuvxyz";

// The text with every control character (C0, DEL and C1) and every byte that is not UTF-8
// replaced by U+FFFD: names and titles from outside can't move the cursor, clear the screen or
// change the terminal's state. A multi-line text is split into lines first.
std::string printable(std::string_view text);

std::string attributed(const AttributedString& text);
std::vector<std::string> statusItem(const StatusItem& item);
// The menu's shown items, those that can be chosen labelled with `itemKeys` in order.
std::vector<std::string> menu(const Menu& menu, bool withToolTips);
// The items that `menu` labels, in label order.
std::vector<std::shared_ptr<MenuItem>> labelledItems(const Menu& menu);
// The window's content; a hosted view's text, and for the key window its controls with their
// `controlKeys`.
std::vector<std::string> window(const Window& window);
// The hosted view of the window's content, if it is one.
const HostedView* hostedView(const Window& window);
std::vector<std::string> alert(const Alert& alert);

} // namespace AppKit::TerminalText
