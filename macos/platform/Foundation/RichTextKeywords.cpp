#include "RichTextKeywords.h"

#include <string>
#include <unordered_map>

namespace Foundation::RichTextKeywords {

namespace {

Keyword text(std::string_view value) {
    return {Action::Text, value, 0, false};
}

Keyword act(Action action) {
    return {action, {}, 0, false};
}

Keyword codePage(int number) {
    return {Action::CodePage, {}, number, false};
}

const Keyword destination = act(Action::Destination);

const std::unordered_map<std::string_view, Keyword>& table() {
    static const std::unordered_map<std::string_view, Keyword> keywords = {
        // Breaks and spacing. A line break is the platform's line separator.
        {"par", text("\n")},
        {"sect", text("\n")},
        {"cell", text("\n")},
        {"nestcell", text("\n")},
        {"line", text("\u2028")},
        {"page", text("\f")},
        {"tab", text("\t")},
        {"emspace", text("\u2003")},
        {"enspace", text("\u2002")},
        {"qmspace", text("\u2005")},
        // Special characters.
        {"emdash", text("\u2014")},
        {"endash", text("\u2013")},
        {"bullet", text("\u2022")},
        {"lquote", text("\u2018")},
        {"rquote", text("\u2019")},
        {"ldblquote", text("\u201C")},
        {"rdblquote", text("\u201D")},
        {"zwj", text("\u200D")},
        {"zwnj", text("\u200C")},
        {"zwbo", text("\u200B")},
        {"zwnbo", text("\uFEFF")},
        {"ltrmark", text("\u200E")},
        {"rtlmark", text("\u200F")},
        // Decoding.
        {"u", act(Action::Unicode)},
        {"uc", act(Action::UnicodeSkip)},
        {"bin", act(Action::Binary)},
        {"ansi", codePage(1252)},
        {"mac", codePage(10000)},
        {"pc", codePage(437)},
        {"pca", codePage(850)},
        {"ansicpg", codePage(0)},
        // Attachments.
        {"pict", act(Action::Picture)},
        {"NeXTGraphic", act(Action::Attachment)},
        {"shppict", {Action::Ignore, {}, 0, true}},
        // Groups that are not part of the text.
        {"fonttbl", destination},
        {"colortbl", destination},
        {"stylesheet", destination},
        {"info", destination},
        {"listtable", destination},
        {"listoverridetable", destination},
        {"revtbl", destination},
        {"rsidtbl", destination},
        {"generator", destination},
        {"xmlnstbl", destination},
        {"themedata", destination},
        {"colorschememapping", destination},
        {"latentstyles", destination},
        {"datastore", destination},
        {"pgdsctbl", destination},
        {"filetbl", destination},
        {"header", destination},
        {"headerl", destination},
        {"headerr", destination},
        {"headerf", destination},
        {"footer", destination},
        {"footerl", destination},
        {"footerr", destination},
        {"footerf", destination},
        {"footnote", destination},
        {"annotation", destination},
        {"atnid", destination},
        {"atnauthor", destination},
        {"fldinst", destination},
        {"xe", destination},
        {"tc", destination},
        {"tcn", destination},
        {"bkmkstart", destination},
        {"bkmkend", destination},
        {"pn", destination},
        {"nonshppict", destination},
        {"objdata", destination},
        {"objclass", destination},
        {"objname", destination},
        {"template", destination},
        {"private", destination},
        {"ftnsep", destination},
        {"ftnsepc", destination},
        {"ftncn", destination},
        {"aftnsep", destination},
        {"aftnsepc", destination},
        {"aftncn", destination},
    };
    return keywords;
}

} // namespace

const Keyword& find(std::string_view word) {
    static const Keyword ignored = act(Action::Ignore);
    const auto& keywords = table();
    const auto found = keywords.find(word);
    return found == keywords.end() ? ignored : found->second;
}

} // namespace Foundation::RichTextKeywords
