#include "Description.h"

#include <cstdio>

namespace SwiftUI {

namespace {

std::vector<std::string> attributeTokens(const Element& element) {
    std::vector<std::string> tokens;
    if (element.accessibilityLabel) {
        tokens.push_back("a11y=" + quote(*element.accessibilityLabel));
    }
    if (element.selected) {
        tokens.push_back("trait=selected");
    }
    return tokens;
}

} // namespace

std::string shortNumber(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string quote(std::string_view text) {
    std::string result = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            result += "\\\"";
            break;
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\t':
            result += "\\t";
            break;
        default:
            result += c;
        }
    }
    return result + "\"";
}

Description::Line& Description::Line::quoted(std::string_view quotedText) {
    text() += " " + quote(quotedText);
    return *this;
}

Description::Line& Description::Line::flag(std::string_view token) {
    text() += " ";
    text() += token;
    return *this;
}

Description::Line& Description::Line::value(std::string_view key, std::string_view value) {
    text() += " ";
    text() += key;
    text() += "=";
    text() += value;
    return *this;
}

Description::Line& Description::Line::quotedValue(std::string_view key, std::string_view value) {
    return this->value(key, quote(value));
}

Description::Line Description::line(const Element& element, std::string_view kind) {
    finishLine();
    auto tokens = attributeTokens(element);
    m_pending.insert(m_pending.end(), tokens.begin(), tokens.end());
    m_lines.push_back(std::string(std::size_t(m_depth) * 2, ' ') + std::string(kind));
    m_lineElement = &element;
    return Line(m_lines, m_lines.size() - 1);
}

Description::Line Description::heading(std::string_view kind) {
    finishLine();
    m_lines.push_back(std::string(std::size_t(m_depth) * 2, ' ') + std::string(kind));
    return Line(m_lines, m_lines.size() - 1);
}

void Description::finishLine() {
    if (!m_lineElement) {
        return;
    }
    std::string& text = m_lines.back();
    for (const auto& token : m_pending) {
        text += " " + token;
    }
    m_pending.clear();
    if (m_withFrames) {
        const Rect& f = m_lineElement->frame;
        text += " @" + shortNumber(f.minX()) + "," + shortNumber(f.minY()) + " " +
                shortNumber(f.width()) + "x" + shortNumber(f.height());
    }
    m_lineElement = nullptr;
}

void Description::element(const Element& element) {
    element.node->describe(element, *this);
}

void Description::children(const Element& element) {
    nested([&] {
        finishLine();
        for (const auto& child : element.children) {
            this->element(*child);
        }
    });
}

void Description::childrenInPlace(const Element& element) {
    inPlace(element, element.children);
}

void Description::inPlace(const Element& wrapper, std::span<const std::unique_ptr<Element>> shown) {
    finishLine();
    auto tokens = attributeTokens(wrapper);
    std::size_t pending = m_pending.size(), lines = m_lines.size();
    m_pending.insert(m_pending.end(), tokens.begin(), tokens.end());
    for (const auto& child : shown) {
        this->element(*child);
    }
    if (m_lines.size() == lines) {
        // Nothing inside wrote a line: the attributes have nowhere to go.
        m_pending.resize(pending);
    }
}

std::string Description::text() const {
    // The last line is finished on a copy: describing never changes the description.
    Description copy = *this;
    copy.finishLine();
    std::string result;
    for (const auto& line : copy.m_lines) {
        result += line + "\n";
    }
    return result;
}

} // namespace SwiftUI
