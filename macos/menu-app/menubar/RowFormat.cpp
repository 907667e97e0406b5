#include "menubar/RowFormat.h"

#include <AppKit/TextMeasurement.h>
#include <algorithm>
#include <cmath>

namespace {

// The "●" dot and the en space after it.
constexpr const char* dot = "●\u2002";

double widest(const std::vector<Conversation>& conversations, const AppKit::Font& font,
              std::optional<std::string> (*cell)(const Conversation&)) {
    double width = 0;
    for (const auto& conversation : conversations)
        if (const auto text = cell(conversation))
            width = std::max(width, std::ceil(AppKit::textWidth(*text, font)));
    return width;
}

} // namespace

const AppKit::Font& RowFormat::font() {
    static const AppKit::Font made = AppKit::Font::menuFont(0);
    return made;
}

const AppKit::Font& RowFormat::bold() {
    static const AppKit::Font made =
        AppKit::Font::systemFont(font().pointSize(), AppKit::FontWeight::Medium);
    return made;
}

const AppKit::Font& RowFormat::digits() {
    static const AppKit::Font made =
        AppKit::Font::monospacedDigitSystemFont(font().pointSize(), AppKit::FontWeight::Regular);
    return made;
}

RowFormat::RowFormat(std::vector<Conversation> conversations, std::string indent)
    : m_conversations(std::move(conversations)), m_indent(std::move(indent)) {}

const AppKit::ParagraphStyle& RowFormat::style() const {
    if (m_style)
        return *m_style;
    const double lead = std::ceil(AppKit::textWidth(m_indent + dot, font()));
    const double project = widest(m_conversations, bold(), [](const Conversation& c) {
        return std::optional<std::string>(c.project);
    });
    const double title = widest(m_conversations, font(), [](const Conversation& c) {
        return std::optional<std::string>(c.shortTitle());
    });
    const double time = widest(m_conversations, digits(), [](const Conversation& c) {
        return std::optional<std::string>(c.when());
    });
    const double memory =
        widest(m_conversations, digits(), [](const Conversation& c) { return c.memory(); });

    const double first = lead + project + gap;
    const double second = first + title + gap + time;
    const double third = second + gap + memory;
    using AppKit::TextAlignment;
    m_style = AppKit::ParagraphStyle{{{TextAlignment::Left, first},
                                      {TextAlignment::Right, second},
                                      {TextAlignment::Right, third}}};
    return *m_style;
}

AppKit::AttributedString RowFormat::title(const Conversation& conversation) const {
    const auto label = AppKit::Color::label();
    const auto secondary = AppKit::Color::secondaryLabel();
    AppKit::AttributedString text;
    text.append(m_indent, {font(), label, {}});
    text.append(dot, {font(), conversation.stateColor(), {}});
    text.append(conversation.project + "\t", {bold(), label, {}});
    text.append(conversation.shortTitle() + "\t", {font(), label, {}});
    text.append(conversation.when(), {digits(), secondary, {}});
    if (const auto memory = conversation.memory())
        text.append("\t" + *memory, {digits(), secondary, {}});
    text.setParagraphStyle(style());
    return text;
}
