// What each RTF control word means to a reader that wants the plain string.
//
// Most control words set formatting and mean nothing here. The ones that
// matter put text in (paragraphs, tabs, special characters), start a group
// whose text is not part of the document (font and colour tables, document
// information, field instructions, headers and footers, ...), stand for an
// attachment (pictures, RTFD graphics), or steer decoding (Unicode
// characters with their fallback count, binary data, the code page).
#pragma once

#include <string_view>

namespace Foundation::RichTextKeywords {

enum class Action {
    Ignore,
    Text,        // puts `text` in
    Destination, // the rest of the group is not text
    Picture,     // the group is a picture: one attachment, its data skipped
    Attachment,  // the group names an RTFD attachment; the character after it is a placeholder
    Unicode,     // \u: one UTF-16 unit, then `\uc` fallback characters skipped
    UnicodeSkip, // \uc: the fallback count
    Binary,      // \bin: that many raw bytes follow
    CodePage,    // `codePage`, or the parameter when `codePage` is 0
};

struct Keyword {
    Action action = Action::Ignore;
    std::string_view text;
    int codePage = 0;
    // A group opened with "\*" and this word is still read; after "\*" any other word makes the
    // group's text no part of the document.
    bool readWhenStarred = false;
};

const Keyword& find(std::string_view word);

} // namespace Foundation::RichTextKeywords
