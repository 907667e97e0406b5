#include "RichTextKeywords.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

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

const std::vector<std::pair<std::string_view, Keyword>>& keywords() {
    static const std::vector<std::pair<std::string_view, Keyword>> keywords = {
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

// Cheap rather than thorough: the length and three letters tell the keywords apart well enough
// for a sparse table, and a word costs the same whatever its length.
std::uint32_t hash(std::string_view word) {
    if (word.empty())
        return 0;
    const auto letter = [&](std::size_t at) { return static_cast<unsigned char>(word[at]); };
    std::uint32_t value = static_cast<std::uint32_t>(word.size());
    value = value * 131 + letter(0);
    value = value * 131 + letter(word.size() / 2);
    value = value * 131 + letter(word.size() - 1);
    return value ^ (value >> 7);
}

// Control words come by the million in a large document: an open-addressing table with a cheap
// hash finds them faster than a general map.
class Table {
public:
    Table() : m_entries(keywords()) {
        m_slots.fill(nullptr);
        for (const auto& entry : m_entries) {
            std::uint32_t slot = hash(entry.first) & mask;
            while (m_slots[slot])
                slot = (slot + 1) & mask;
            m_slots[slot] = &entry;
            m_longest = std::max(m_longest, entry.first.size());
        }
    }

    const Keyword* find(std::string_view word) const {
        if (word.size() > m_longest)
            return nullptr;
        for (std::uint32_t slot = hash(word) & mask; m_slots[slot]; slot = (slot + 1) & mask) {
            if (m_slots[slot]->first == word)
                return &m_slots[slot]->second;
        }
        return nullptr;
    }

private:
    // At least twice the number of keywords, so probes stay short.
    static constexpr std::uint32_t mask = 511;
    const std::vector<std::pair<std::string_view, Keyword>> m_entries;
    std::array<const std::pair<std::string_view, Keyword>*, mask + 1> m_slots;
    std::size_t m_longest = 0;
};

} // namespace

const Keyword& find(std::string_view word) {
    static const Keyword ignored = act(Action::Ignore);
    static const Table table;
    const Keyword* keyword = table.find(word);
    return keyword ? *keyword : ignored;
}

} // namespace Foundation::RichTextKeywords
