#include "ShareInput.h"

#include "DossierShare.h"
#include "ShareText.h"

#include <Foundation/PathText.h>
#include <Foundation/TextPieces.h>
#include <Foundation/Unicode.h>
#include <algorithm>
#include <limits>

namespace ShareInput {

namespace {

using namespace Foundation;

constexpr std::size_t leadLineLimit = 100;

bool hasExtension(std::string_view name, auto extensions) {
    const std::string extension = Unicode::lowercased(PathText::pathExtension(name));
    return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
}

std::string trimmedOfSpaceAndNewlines(std::string_view text) {
    return Unicode::trimmed(text, Unicode::isWhitespaceOrNewline);
}

// Whether a text shared beside a link could be its title: one short line that is no link.
bool isTitleLike(std::string_view text) {
    const std::string trimmed = trimmedOfSpaceAndNewlines(text);
    if (trimmed.empty() || Unicode::characterCount(trimmed) > DossierShare::titleLimit)
        return false;
    const std::u32string scalars = Unicode::scalars(trimmed);
    if (std::any_of(scalars.begin(), scalars.end(), Unicode::isNewline))
        return false;
    return !webURL(trimmed);
}

std::optional<ShareDraft> fileDraft(const ShareContents& contents) {
    for (const ShareFile& file : contents.files) {
        if (ShareText::isBlank(file.text))
            continue;
        std::string body = ShareText::normalizedNewlines(file.text);
        const auto lead = isRichFile(file.name) ? leadLine(body) : std::nullopt;
        std::string title = DossierShare::suggestedTitle(body, lead, file.name);
        return ShareDraft{ShareDraft::File{file.name}, std::move(body), std::move(title),
                          ShareText::oneLine(file.name, DossierShare::sourceLimit)};
    }
    return std::nullopt;
}

std::optional<ShareDraft> linkDraft(const ShareContents& contents,
                                    std::vector<std::string>& texts) {
    std::optional<URL> url;
    if (!contents.webURLs.empty()) {
        url = contents.webURLs.front();
    } else if (texts.size() == 1) {
        url = webURL(texts.front());
        if (url)
            texts.clear();
    }
    if (!url)
        return std::nullopt;
    const std::string& u = url->absoluteString();
    std::vector<std::string> others;
    for (const std::string& text : texts) {
        if (!Unicode::canonicallyEquivalent(trimmedOfSpaceAndNewlines(text), u))
            others.push_back(text);
    }
    std::optional<std::string> title;
    if (contents.pageTitle) {
        if (std::string page = ShareText::oneLine(*contents.pageTitle, DossierShare::titleLimit);
            !page.empty())
            title = std::move(page);
    }
    if (!title && others.size() == 1 && isTitleLike(others.front())) {
        title = ShareText::oneLine(others.front(), DossierShare::titleLimit);
        others.clear();
    }
    const std::string host = url->host().value_or(u);
    std::string body = DossierShare::linkDocument(
        u, title.value_or(host),
        others.empty() ? std::nullopt : std::optional<std::string>(joined(others, "\n\n")));
    std::string draftTitle = title.value_or(ShareText::oneLine(host, DossierShare::titleLimit));
    return ShareDraft{ShareDraft::Link{host}, std::move(body), std::move(draftTitle),
                      ShareText::oneLine(host, DossierShare::sourceLimit)};
}

std::optional<ShareDraft> textDraft(const ShareContents& contents,
                                    const std::vector<std::string>& texts) {
    if (texts.empty())
        return std::nullopt;
    std::vector<std::string> distinct;
    for (const std::string& text : texts) {
        const bool seen = std::any_of(distinct.begin(), distinct.end(), [&](const auto& kept) {
            return Unicode::canonicallyEquivalent(kept, text);
        });
        if (!seen)
            distinct.push_back(text);
    }
    std::string body = joined(distinct, "\n\n");
    std::string title = DossierShare::suggestedTitle(body, contents.pageTitle, std::nullopt);
    return ShareDraft{ShareDraft::Text{}, std::move(body), std::move(title), std::nullopt};
}

std::optional<ShareDraft> makeDraft(const ShareContents& contents) {
    if (auto draft = fileDraft(contents))
        return draft;
    std::vector<std::string> texts;
    for (const std::string& text : contents.texts) {
        std::string normalized = ShareText::normalizedNewlines(text);
        if (!ShareText::isBlank(normalized))
            texts.push_back(std::move(normalized));
    }
    if (auto draft = linkDraft(contents, texts))
        return draft;
    return textDraft(contents, texts);
}

} // namespace

bool acceptsFile(std::string_view name) {
    return hasExtension(name, plainExtensions) || hasExtension(name, richExtensions);
}

bool isRichFile(std::string_view name) {
    return hasExtension(name, richExtensions);
}

std::int64_t maxFileBytes(std::int64_t itemChars) {
    std::int64_t bytes = 0;
    if (__builtin_mul_overflow(itemChars, 3, &bytes) || __builtin_add_overflow(bytes, 4, &bytes))
        return itemChars < 0 ? std::numeric_limits<std::int64_t>::min()
                             : std::numeric_limits<std::int64_t>::max();
    return bytes;
}

std::optional<URL> webURL(std::string_view text) {
    const std::string trimmed = trimmedOfSpaceAndNewlines(text);
    const std::u32string scalars = Unicode::scalars(trimmed);
    if (std::any_of(scalars.begin(), scalars.end(), Unicode::hasWhiteSpaceProperty))
        return std::nullopt;
    auto url = URL::parse(trimmed);
    if (!url || !url->scheme() || !url->host())
        return std::nullopt;
    const std::string scheme = Unicode::lowercased(*url->scheme());
    if (scheme != "http" && scheme != "https")
        return std::nullopt;
    return url;
}

std::optional<std::string> leadLine(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size() && lines.size() < 2) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) {
            std::string line =
                Unicode::trimmed(text.substr(start, end - start), Unicode::isWhitespace);
            if (!line.empty())
                lines.push_back(std::move(line));
        }
        start = end + 1;
    }
    if (lines.size() < 2 || Unicode::characterCount(lines.front()) > leadLineLimit)
        return std::nullopt;
    return lines.front();
}

DraftResult draft(const ShareContents& contents, std::int64_t itemChars) {
    if (const auto made = makeDraft(contents))
        return check(*made, itemChars);
    if (!contents.oversizedFiles.empty())
        return ShareProblem::fileTooBig(contents.oversizedFiles.front(), itemChars);
    if (!contents.unreadableFiles.empty())
        return ShareProblem::unreadable(contents.unreadableFiles.front());
    if (!contents.otherFiles.empty())
        return ShareProblem::otherFile(contents.otherFiles.front());
    return ShareProblem::nothing();
}

DraftResult check(const ShareDraft& draft, std::int64_t itemChars) {
    if (ShareText::isBlank(draft.text))
        return ShareProblem::nothing();
    const auto chars = static_cast<std::int64_t>(Unicode::utf16Length(draft.text));
    if (chars > itemChars)
        return ShareProblem::tooLong(chars, itemChars);
    return draft;
}

} // namespace ShareInput
