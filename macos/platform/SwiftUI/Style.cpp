#include "Core/Description.h"

#include <SwiftUI/Color.h>
#include <SwiftUI/Font.h>

namespace SwiftUI {

std::string Color::description() const {
    std::string result = m_name;
    if (m_opacity != 1) {
        result += "@" + shortNumber(m_opacity);
    }
    return result;
}

Graphics::Font Font::resolved() const {
    return {m_size, m_weight,
            m_design == Design::Monospaced ? Graphics::Family::Monospace : Graphics::Family::Sans};
}

std::string Font::description() const {
    if (m_style) {
        return m_style;
    }
    std::string result = "system(" + shortNumber(m_size);
    if (m_design == Design::Monospaced) {
        result += ",mono";
    }
    return result + ")";
}

} // namespace SwiftUI
