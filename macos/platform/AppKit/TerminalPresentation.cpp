#include "TerminalPresentation.h"

#include "Alert.h"
#include "Application.h"
#include "Display.h"
#include "StatusBar.h"
#include "TerminalText.h"

#include <Dispatch/RunLoop.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace AppKit::TerminalPresentation {

namespace {

constexpr double forever = std::numeric_limits<double>::infinity();
constexpr const char* enterScreen = "\x1b[?1049h\x1b[?25l";
constexpr const char* leaveScreen = "\x1b[?25h\x1b[?1049l";

enum class Key { Enter, Escape, Back, Other };

struct Press {
    Key key = Key::Other;
    char character = 0;
};

termios savedTerminal{};

void writeAll(const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(STDOUT_FILENO, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        written += static_cast<std::size_t>(count);
    }
}

// Only what is safe in a signal handler: give the terminal back.
void restoreTerminal() {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    const ssize_t ignored =
        ::write(STDOUT_FILENO, leaveScreen, std::char_traits<char>::length(leaveScreen));
    (void)ignored;
}

void onSignal(int signal) {
    restoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

Press decode(const char* bytes, std::size_t count) {
    if (bytes[0] == '\r' || bytes[0] == '\n')
        return {Key::Enter};
    if (bytes[0] == 0x7f || bytes[0] == 0x08)
        return {Key::Back};
    if (bytes[0] == 0x1b) {
        // A lone escape, or the left arrow, steps back; other sequences mean nothing here.
        if (count == 1 || (count == 3 && bytes[1] == '[' && bytes[2] == 'D'))
            return {Key::Escape};
        return {};
    }
    return {Key::Other, bytes[0]};
}

class Presentation {
public:
    void redraw() const;
    void handle(Press press);
    ModalResponse present(const Alert& alert);

private:
    std::shared_ptr<Menu> statusMenu() const;
    void openMenu(const std::shared_ptr<Menu>& root);
    void chooseInMenu(char key);
    void stepBack();
    void pressInKeyWindow(char key);

    std::vector<std::shared_ptr<Menu>> m_open;
    // The titles of the items whose submenus are open, after the first menu.
    std::vector<std::string> m_openTitles;
    std::shared_ptr<MenuItem> m_chosen;
    const Alert* m_alert = nullptr;
    std::optional<ModalResponse> m_answer;
    bool m_toolTips = false;
};

Presentation& presentation() {
    static auto* shared = new Presentation;
    return *shared;
}

std::shared_ptr<Menu> Presentation::statusMenu() const {
    for (const auto& item : StatusBar::system().items())
        if (item->menu())
            return item->menu();
    return nullptr;
}

void Presentation::redraw() const {
    std::vector<std::string> lines;
    for (const auto& item : StatusBar::system().items())
        for (auto& line : TerminalText::statusItem(*item))
            lines.push_back(std::move(line));
    lines.push_back("");
    for (const auto& window : Application::shared().windows()) {
        for (auto& line : TerminalText::window(*window))
            lines.push_back(std::move(line));
        lines.push_back("");
    }
    for (std::size_t depth = 0; depth < m_open.size(); ++depth) {
        if (depth > 0)
            lines.push_back(std::string(depth * 4 - 2, ' ') + "▸ " + m_openTitles[depth - 1]);
        for (auto& line : TerminalText::menu(*m_open[depth], m_toolTips))
            lines.push_back(std::string(depth * 4, ' ') + line);
        lines.push_back("");
    }
    if (m_alert) {
        for (auto& line : TerminalText::alert(*m_alert))
            lines.push_back(std::move(line));
        lines.push_back("");
    }
    std::string help;
    if (m_alert)
        help = "1–9: choose a button · Enter: the first";
    else if (!m_open.empty())
        help = "1–9, a–z: choose · Esc: back · ?: tool tips";
    else
        help = "Enter: open the menu · 1–9, a–z: press in the front window · w: close it · "
               "Ctrl-C: quit";
    lines.push_back("\x1b[2m" + help + "\x1b[0m");

    std::string frame = "\x1b[H\x1b[2J";
    for (const auto& line : lines)
        frame += line + "\x1b[K\r\n";
    writeAll(frame);
}

void Presentation::handle(Press press) {
    if (m_alert) {
        const auto count = static_cast<int>(m_alert->buttons().size());
        if (press.key == Key::Enter)
            m_answer = alertFirstButtonReturn;
        else if (press.character >= '1' && press.character < '1' + count)
            m_answer = alertFirstButtonReturn + (press.character - '1');
        return;
    }
    if (!m_open.empty()) {
        if (press.key == Key::Escape || press.key == Key::Back)
            stepBack();
        else if (press.character == '?')
            m_toolTips = !m_toolTips;
        else if (press.key == Key::Other)
            chooseInMenu(press.character);
        redraw();
        return;
    }
    if (press.key == Key::Enter || press.character == ' ') {
        if (const auto root = statusMenu())
            openMenu(root);
    } else if (press.character == 'w') {
        if (const auto window = Application::shared().keyWindow())
            window->close();
    } else if (press.key == Key::Other) {
        pressInKeyWindow(press.character);
    }
    redraw();
}

// Runs while the menu is open, as a click on the status item does; the chosen item's action runs
// after the menu has closed.
void Presentation::openMenu(const std::shared_ptr<Menu>& root) {
    m_open = {root};
    m_openTitles.clear();
    m_chosen = nullptr;
    root->open();
    redraw();
    root->track();
    for (auto it = m_open.rbegin(); it != m_open.rend(); ++it)
        (*it)->close();
    m_open.clear();
    m_openTitles.clear();
    const auto chosen = std::move(m_chosen);
    m_chosen = nullptr;
    redraw();
    if (chosen)
        chosen->performAction();
}

void Presentation::chooseInMenu(char key) {
    const auto at = TerminalText::itemKeys.find(key);
    const auto items = TerminalText::labelledItems(*m_open.back());
    if (at == std::string_view::npos || at >= items.size())
        return;
    const auto& item = items[at];
    if (!item->isEnabled())
        return;
    if (item->hasSubmenu()) {
        m_open.push_back(item->submenu());
        m_openTitles.push_back(TerminalText::printable(item->title()));
        item->submenu()->open();
        return;
    }
    m_chosen = item;
    m_open.front()->close();
}

void Presentation::stepBack() {
    m_open.back()->close();
    if (m_open.size() > 1) {
        m_open.pop_back();
        m_openTitles.pop_back();
    }
}

void Presentation::pressInKeyWindow(char key) {
    const auto window = Application::shared().keyWindow();
    const auto at = TerminalText::controlKeys.find(key);
    if (!window || at == std::string_view::npos)
        return;
    if (const auto hosted = std::dynamic_pointer_cast<HostedView>(window->contentView()))
        hosted->perform(at);
}

ModalResponse Presentation::present(const Alert& alert) {
    const Alert* outer = m_alert;
    const auto outerAnswer = m_answer;
    m_alert = &alert;
    m_answer.reset();
    redraw();
    Dispatch::RunLoop::main().runUntil([this] { return m_answer.has_value(); }, forever,
                                       Dispatch::RunLoopMode::EventTracking);
    const ModalResponse answer = *m_answer;
    m_alert = outer;
    m_answer = outerAnswer;
    redraw();
    return answer;
}

void readKeys() {
    char bytes[16];
    for (;;) {
        const ssize_t count = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        const Press press = decode(bytes, static_cast<std::size_t>(count));
        Dispatch::RunLoop::main().perform([press] { presentation().handle(press); },
                                          Dispatch::RunLoopModes::common());
    }
}

} // namespace

bool install() {
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO))
        return false;
    if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return false;
    termios raw = savedTerminal;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0)
        return false;
    std::atexit(restoreTerminal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        std::signal(signal, onSignal);
    writeAll(enterScreen);

    Alert::setPresenter([](const Alert& alert) { return presentation().present(alert); });
    Display::setRedraw([] { presentation().redraw(); });
    Display::setNeedsDisplay();
    std::thread(readKeys).detach();
    return true;
}

} // namespace AppKit::TerminalPresentation
