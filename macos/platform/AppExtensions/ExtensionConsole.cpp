#include "ExtensionConsole.h"

#include <AppKit/Display.h>
#include <Dispatch/RunLoop.h>
#include <Graphics/Cells.h>
#include <cerrno>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace AppExtensions {

namespace {

using Outcome = SwiftUI::HostingController::Outcome;

constexpr std::string_view controlKeys = "123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view fieldKeys = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::string describe(Outcome outcome) {
    return outcome == Outcome::Disabled ? "That is disabled." : "Nothing is there.";
}

} // namespace

// Shared with the reading thread, which ends at the end of the input.
struct ExtensionConsole::Reader {
    ExtensionConsole* console = nullptr;
};

ExtensionConsole::ExtensionConsole(SwiftUI::HostingController& host, std::FILE* output, int input)
    : m_host(host), m_output(output), m_reader(std::make_shared<Reader>()) {
    m_reader->console = this;
    AppKit::Display::setRedraw([this] { show(); });
    std::thread([weak = std::weak_ptr<Reader>(m_reader), input] {
        std::string line;
        char byte = 0;
        for (;;) {
            const ssize_t count = ::read(input, &byte, 1);
            if (count < 0 && errno == EINTR) {
                continue;
            }
            if (count <= 0) {
                return;
            }
            if (byte != '\n') {
                line += byte;
                continue;
            }
            Dispatch::RunLoop::main().perform([weak, line] {
                if (auto reader = weak.lock(); reader && reader->console) {
                    reader->console->perform(line);
                }
            });
            line.clear();
        }
    }).detach();
}

ExtensionConsole::~ExtensionConsole() {
    m_reader->console = nullptr;
    AppKit::Display::setRedraw({});
}

void ExtensionConsole::show() {
    using Graphics::printable;
    std::string text = "\n";
    std::istringstream rendered(m_host.renderText());
    for (std::string line; std::getline(rendered, line);) {
        text += printable(line) + "\n";
    }
    const auto controls = m_host.controls();
    for (std::size_t i = 0; i < controls.size() && i < controlKeys.size(); ++i) {
        text += std::string("[") + controlKeys[i] + "] " + printable(controls[i].title) +
                (controls[i].enabled ? "" : " (disabled)") + "\n";
    }
    const auto fields = m_host.textFields();
    for (std::size_t i = 0; i < fields.size() && i < fieldKeys.size(); ++i) {
        text +=
            std::string("[") + fieldKeys[i] + " text] type into “" + printable(fields[i]) + "”\n";
    }
    text += "Enter: Return · esc: Escape\n";
    if (text == m_shown) {
        return;
    }
    m_shown = text;
    std::fputs(text.c_str(), m_output);
    std::fflush(m_output);
}

bool ExtensionConsole::perform(const std::string& line) {
    std::string command = line;
    if (!command.empty() && command.back() == '\r') {
        command.pop_back();
    }
    Outcome outcome = Outcome::NotFound;
    if (command.empty()) {
        outcome = m_host.pressReturn();
    } else if (command == "esc") {
        outcome = m_host.pressEscape();
    } else if (auto field = fieldKeys.find(command[0]);
               field != std::string_view::npos && (command.size() == 1 || command[1] == ' ')) {
        const auto fields = m_host.textFields();
        if (field < fields.size()) {
            outcome = m_host.type(fields[field], command.size() > 2 ? command.substr(2) : "");
        }
    } else if (auto control = controlKeys.find(command[0]);
               control != std::string_view::npos && command.size() == 1) {
        outcome = m_host.activate(control);
    }
    if (outcome != Outcome::Performed) {
        std::fputs((describe(outcome) + "\n").c_str(), m_output);
        std::fflush(m_output);
        return false;
    }
    AppKit::Display::setNeedsDisplay();
    return true;
}

} // namespace AppExtensions
