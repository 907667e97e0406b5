#include "DossierShare.h"

#include "DossierFormat.h"

#include <Foundation/PathText.h>
#include <Foundation/Unicode.h>
#include <algorithm>
#include <vector>

namespace DossierShare {

namespace {

using namespace Foundation;

// White space runs folded to one space, then trimmed; nothing stays nothing.
std::optional<std::string> clean(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    return Unicode::trimmed(Unicode::collapsingRuns(*text, Unicode::isPatternSpace),
                            Unicode::isWhitespaceOrNewline);
}

// The LF-separated lines of the text, empty ones left out.
std::vector<std::string_view> nonEmptyLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::optional<std::string> heading(std::string_view text) {
    for (const std::string_view line : nonEmptyLines(text)) {
        const std::string trimmed = Unicode::trimmed(line, Unicode::isWhitespace);
        if (!trimmed.starts_with('#'))
            continue;
        const std::size_t marks = std::min(trimmed.find_first_not_of('#'), trimmed.size());
        const std::string rest =
            Unicode::trimmed(std::string_view(trimmed).substr(marks), Unicode::isWhitespace);
        if (!rest.empty())
            return rest;
    }
    return std::nullopt;
}

std::optional<std::string> fileTitle(const std::optional<std::string>& fileName) {
    const auto name = clean(fileName);
    if (!name || name->empty())
        return std::nullopt;
    return PathText::deletingPathExtension(*name);
}

std::optional<std::string> firstLine(std::string_view text) {
    const auto lines = nonEmptyLines(text);
    if (lines.empty())
        return std::nullopt;
    return clean(std::string(lines.front()));
}

} // namespace

bool fitsItem(std::string_view text, std::int64_t itemChars) {
    return static_cast<std::int64_t>(Unicode::utf16Length(text)) <= itemChars;
}

std::string suggestedTitle(std::string_view text, const std::optional<std::string>& pageTitle,
                           const std::optional<std::string>& fileName) {
    for (const auto& candidate :
         {clean(pageTitle), heading(text), fileTitle(fileName), firstLine(text)}) {
        if (candidate && !candidate->empty())
            return Unicode::characterPrefix(*candidate, titleLimit);
    }
    return std::string(fallbackTitle);
}

std::string linkDocument(std::string_view url, const std::optional<std::string>& title,
                         const std::optional<std::string>& text) {
    const auto cleaned = clean(title);
    const std::string heading = cleaned && !cleaned->empty() ? *cleaned : std::string(url);
    std::string document = "# " + heading + "\n\n<" + std::string(url) + ">\n";
    if (!text)
        return document;
    const std::string body = Unicode::trimmed(*text, Unicode::isWhitespaceOrNewline);
    if (body.empty() || Unicode::canonicallyEquivalent(body, url))
        return document;
    return document + "\n" + body + "\n";
}

std::string previewLine(std::string_view text) {
    const std::int64_t words = DossierFormat::words(text);
    return DossierFormat::thousands(words) + " words · about " +
           std::to_string(DossierFormat::minutes(words)) + " min";
}

} // namespace DossierShare
