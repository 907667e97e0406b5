#include "RichText.h"

#include "ShareInput.h"
#include "ShareText.h"
#include "TextReplace.h"

#include <Foundation/PathText.h>
#include <Foundation/RichTextReader.h>
#include <Foundation/Unicode.h>
#include <cstring>
#include <vector>

namespace RichText {

namespace {

using namespace Foundation;

// The bullets a list line may start with: U+2022, U+25E6, U+25AA, U+2023, U+2043, U+2219,
// U+00B7, "-" and U+2013.
constexpr std::string_view bullets[] = {"\u2022", "\u25E6", "\u25AA", "\u2023", "\u2043",
                                        "\u2219", "\u00B7", "-",      "\u2013"};

// Whether the text holds a character that "." of a regular expression does not take: LF, VT,
// FF, CR, U+0085 (C2 85), U+2028 (E2 80 A8) or U+2029 (E2 80 A9).
bool holdsLineTerminator(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= '\n' && byte <= '\r')
            return true;
        if ((byte == 0xC2 || byte == 0xE2) &&
            (text.substr(i).starts_with("\u0085") || text.substr(i).starts_with("\u2028") ||
             text.substr(i).starts_with("\u2029")))
            return true;
    }
    return false;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of the list marker that `text` begins with, or 0.
std::size_t markerLength(std::string_view text) {
    for (const std::string_view bullet : bullets) {
        if (text.starts_with(bullet))
            return bullet.size();
    }
    std::size_t length = 0;
    while (length < text.size() && isDigit(text[length]))
        ++length;
    if (length == 0 && !text.empty() && isLetter(text[0]))
        length = 1;
    if (length == 0 || length >= text.size() || (text[length] != '.' && text[length] != ')'))
        return 0;
    return length + 1;
}

// A list line's rewrite: its first `length` bytes (tabs, marker, tab) become `prefix`; the
// item's text after them stays.
struct ListPrefix {
    std::size_t start = 0;
    std::size_t length = 0;
    std::string prefix;
};

// The Markdown prefix of a list line as the platform writes lists, or nothing. A list line is a
// whole match of ^(\t+)([•◦▪‣⁃∙·\-–]|[0-9]+[.)]|[a-zA-Z][.)])\t(.*)$ as the platform's regular
// expressions read it, where "." takes no line terminator. It is matched by hand: every line of
// a large document comes here.
std::optional<ListPrefix> listPrefix(std::string_view line, std::size_t start) {
    const std::size_t tabs = std::min(line.find_first_not_of('\t'), line.size());
    const std::string_view rest = line.substr(tabs);
    const std::size_t marker = markerLength(rest);
    if (tabs == 0 || marker == 0 || marker >= rest.size() || rest[marker] != '\t' ||
        holdsLineTerminator(rest.substr(marker + 1)))
        return std::nullopt;
    // A number keeps its digits and ends in "."; bullets and letters become "-".
    ListPrefix list{start, tabs + marker + 1, {}};
    for (std::size_t i = 1; i < tabs; ++i)
        list.prefix += "  ";
    if (isDigit(rest[0])) {
        list.prefix += rest.substr(0, marker - 1);
        list.prefix += '.';
    } else {
        list.prefix += '-';
    }
    list.prefix += ' ';
    return list;
}

// Applies the rewrites, in place when no prefix grows past what has been read.
std::string rewritten(std::string text, const std::vector<ListPrefix>& lists) {
    std::size_t read = 0;
    std::size_t write = 0;
    bool inPlace = true;
    for (const ListPrefix& list : lists) {
        write += list.start - read + list.prefix.size();
        read = list.start + list.length;
        inPlace = inPlace && write <= read;
    }
    std::string copy;
    std::string& out = inPlace ? text : copy;
    if (!inPlace)
        copy.resize(text.size() + write - read);
    read = write = 0;
    for (const ListPrefix& list : lists) {
        std::memmove(out.data() + write, text.data() + read, list.start - read);
        write += list.start - read;
        std::memcpy(out.data() + write, list.prefix.data(), list.prefix.size());
        write += list.prefix.size();
        read = list.start + list.length;
    }
    std::memmove(out.data() + write, text.data() + read, text.size() - read);
    out.resize(write + text.size() - read);
    return std::move(out);
}

std::string plainTextOf(std::string text) {
    replaceAll(text, "\uFFFC", "");
    return listsAsMarkdown(ShareText::normalizedNewlines(std::move(text)));
}

} // namespace

std::optional<std::string> plainText(Bytes data, Format format) {
    const auto read =
        readRichText(data, format == Format::rtf ? RichTextType::rtf : RichTextType::rtfd);
    if (!read)
        return std::nullopt;
    return plainTextOf(std::move(*read).string());
}

std::optional<std::string> plainText(const std::filesystem::path& contentsOf) {
    const std::string extension = Unicode::lowercased(PathText::pathExtension(contentsOf.string()));
    const auto type = extension == "rtfd" ? RichTextType::rtfd : RichTextType::rtf;
    auto read = readRichText(contentsOf, type, ShareInput::maxRichFileBytes);
    if (!read)
        return std::nullopt;
    return plainTextOf(std::move(*read).string());
}

std::string plainText(const AttributedString& string) {
    return plainTextOf(string.string());
}

std::string listsAsMarkdown(std::string text) {
    if (text.find('\t') == std::string::npos)
        return text;
    // Only a line that begins with a tab can be a list line: go from one to the next.
    std::vector<ListPrefix> lists;
    for (std::size_t start = text.starts_with('\t') ? 0 : text.find("\n\t");
         start != std::string::npos; start = text.find("\n\t", start)) {
        if (text[start] == '\n')
            ++start;
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (auto list = listPrefix(std::string_view(text).substr(start, end - start), start))
            lists.push_back(std::move(*list));
        start = end;
    }
    return lists.empty() ? std::move(text) : rewritten(std::move(text), lists);
}

} // namespace RichText
