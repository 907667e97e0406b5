// The column layout of one list of conversation rows.
//
// Every row of a list is one attributed title: an indent, a coloured state
// dot, the project in a medium weight, the short title, the time of last
// activity and the memory in use. Three tab stops, worked out from the widest
// cell of each column as Pango measures it, line the columns up without fixed
// widths: the title starts at the first (left) stop, the time ends at the
// second (right) stop and the memory at the third. The columns are measured
// when the stops are first needed, not when the format is made, so a menu
// that is never drawn loads no fonts.
#pragma once

#include "menubar/ConversationRecords.h"

#include <AppKit/AttributedString.h>
#include <AppKit/Font.h>
#include <optional>
#include <string>
#include <vector>

class RowFormat {
public:
    RowFormat(std::vector<Conversation> conversations, std::string indent);

    AppKit::AttributedString title(const Conversation& conversation) const;
    // The three tab stops.
    const AppKit::ParagraphStyle& style() const;
    const std::string& indent() const { return m_indent; }

    static const AppKit::Font& font();
    static const AppKit::Font& bold();
    static const AppKit::Font& digits();
    static constexpr double gap = 18.0;

private:
    std::vector<Conversation> m_conversations;
    std::string m_indent;
    mutable std::optional<AppKit::ParagraphStyle> m_style;
};
