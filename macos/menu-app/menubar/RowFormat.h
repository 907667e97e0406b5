// The column layout of one list of conversation rows.
//
// Every row of a list is one attributed title: an indent, a coloured state
// dot, the project in a medium weight, the short title, the time of last
// activity and the memory in use. Three tab stops, worked out from the widest
// cell of each column as Pango measures it, line the columns up without fixed
// widths: the title starts at the first (left) stop, the time ends at the
// second (right) stop and the memory at the third.
#pragma once

#include "menubar/ConversationRecords.h"

#include <AppKit/AttributedString.h>
#include <AppKit/Font.h>
#include <string>
#include <vector>

struct RowFormat {
    RowFormat(const std::vector<Conversation>& conversations, std::string indent);

    AppKit::AttributedString title(const Conversation& conversation) const;

    static const AppKit::Font& font();
    static const AppKit::Font& bold();
    static const AppKit::Font& digits();
    static constexpr double gap = 18.0;

    std::string indent;
    AppKit::ParagraphStyle style;
};
