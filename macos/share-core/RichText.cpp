#include "RichText.h"

#include "ShareInput.h"
#include "ShareText.h"

#include <Foundation/PathText.h>
#include <Foundation/RichTextReader.h>
#include <Foundation/Unicode.h>
#include <memory>
#include <unicode/regex.h>

namespace RichText {

namespace {

using namespace Foundation;

// A list line as the platform writes it: leading tabs, a marker, one tab, the item's text.
constexpr const char* listLinePattern =
    "^(\\t+)([\\u2022\\u25E6\\u25AA\\u2023\\u2043\\u2219\\u00B7\\-\\u2013]|[0-9]+[.)]|[a-zA-Z][.)])"
    "\\t(.*)$";

// The compiled pattern is kept per thread: compiling costs far more than matching.
icu::RegexMatcher* listLineMatcher() {
    thread_local std::unique_ptr<icu::RegexMatcher> matcher = [] {
        UErrorCode status = U_ZERO_ERROR;
        auto made = std::make_unique<icu::RegexMatcher>(
            icu::UnicodeString::fromUTF8(listLinePattern), 0, status);
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return matcher.get();
}

std::string group(icu::RegexMatcher& matcher, int number, UErrorCode& status) {
    std::string text;
    matcher.group(number, status).toUTF8String(text);
    return text;
}

// The Markdown form of a list line, or nothing when the line is not one.
std::optional<std::string> markdownListLine(std::string_view line) {
    icu::RegexMatcher* matcher = listLineMatcher();
    if (!matcher)
        return std::nullopt;
    const icu::UnicodeString input = icu::UnicodeString::fromUTF8(
        icu::StringPiece(line.data(), static_cast<int32_t>(line.size())));
    matcher->reset(input);
    UErrorCode status = U_ZERO_ERROR;
    if (!matcher->matches(status) || U_FAILURE(status))
        return std::nullopt;
    const std::string tabs = group(*matcher, 1, status);
    std::string marker = group(*matcher, 2, status);
    const std::string item = group(*matcher, 3, status);
    if (U_FAILURE(status))
        return std::nullopt;
    // A number keeps its digits and ends in "."; bullets and letters become "-".
    const bool numbered = marker[0] >= '0' && marker[0] <= '9';
    if (numbered && marker.back() == ')')
        marker.back() = '.';
    std::string result;
    for (std::size_t i = 1; i < tabs.size(); ++i)
        result += "  ";
    if (numbered)
        result += marker;
    else
        result += '-';
    result += ' ';
    result += item;
    return result;
}

std::string withoutAttachments(std::string_view text) {
    static constexpr std::string_view attachment = "\uFFFC";
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(attachment, start)) != std::string_view::npos;) {
        result.append(text, start, found - start);
        start = found + attachment.size();
    }
    result.append(text, start);
    return result;
}

} // namespace

std::optional<std::string> plainText(Bytes data, Format format) {
    const auto read =
        readRichText(data, format == Format::rtf ? RichTextType::rtf : RichTextType::rtfd);
    if (!read)
        return std::nullopt;
    return plainText(*read);
}

std::optional<std::string> plainText(const std::filesystem::path& contentsOf) {
    const std::string extension = Unicode::lowercased(PathText::pathExtension(contentsOf.string()));
    const auto type = extension == "rtfd" ? RichTextType::rtfd : RichTextType::rtf;
    const auto read = readRichText(contentsOf, type, ShareInput::maxRichFileBytes);
    if (!read)
        return std::nullopt;
    return plainText(*read);
}

std::string plainText(const AttributedString& string) {
    return listsAsMarkdown(ShareText::normalizedNewlines(withoutAttachments(string.string())));
}

std::string listsAsMarkdown(std::string_view text) {
    if (text.find('\t') == std::string_view::npos)
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line = text.substr(start, end - start);
        // Only a line that begins with a tab can match; the rest skip the regular expression.
        const auto rewritten = line.starts_with('\t') ? markdownListLine(line) : std::nullopt;
        result.append(rewritten ? std::string_view(*rewritten) : line);
        if (end == std::string_view::npos)
            break;
        result += '\n';
        start = end + 1;
    }
    return result;
}

} // namespace RichText
