#include "Alert.h"

#include <Foundation/Printable.h>
#include <cstdio>

namespace AppKit {

namespace {

Alert::Presenter& presenter() {
    static auto* current = new Alert::Presenter;
    return *current;
}

} // namespace

std::vector<std::string> Alert::buttons() const {
    if (m_buttons.empty())
        return {"OK"};
    return m_buttons;
}

ModalResponse Alert::runModal() {
    if (const Presenter& present = presenter())
        return present(*this);
    std::string line = "Alert: " + m_messageText;
    if (!m_informativeText.empty())
        line += " — " + m_informativeText;
    // The texts often carry the bridge's or a file's words.
    line = Foundation::printableLines(line) + '\n';
    std::fputs(line.c_str(), stderr);
    return alertFirstButtonReturn;
}

void Alert::setPresenter(Presenter replacement) {
    presenter() = std::move(replacement);
}

} // namespace AppKit
