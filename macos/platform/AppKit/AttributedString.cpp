#include "AttributedString.h"

namespace AppKit {

void AttributedString::append(std::string text, TextAttributes attributes) {
    if (!text.empty())
        m_runs.push_back({std::move(text), std::move(attributes)});
}

void AttributedString::setParagraphStyle(const ParagraphStyle& style) {
    for (Run& run : m_runs)
        run.attributes.paragraphStyle = style;
}

std::string AttributedString::string() const {
    std::string text;
    for (const Run& run : m_runs)
        text += run.text;
    return text;
}

} // namespace AppKit
