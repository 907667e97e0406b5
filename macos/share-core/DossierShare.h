// What a Dossier item is made of: its size test, its title, the document of a
// shared link, and its one-line summary.
//
// `suggestedTitle` takes the first of: the page title (white space folded),
// the text's first Markdown heading, the file name without its extension, the
// text's first line, and "Shared text"; cut to 200 characters.
// `linkDocument` writes "# title", an empty line, "<url>" and, when there is
// body text other than the URL itself, an empty line and that text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace DossierShare {

constexpr std::size_t titleLimit = 200;
// The one-line limit of a share's source line (a link's host, a file's name).
constexpr std::size_t sourceLimit = 120;
constexpr std::string_view fallbackTitle = "Shared text";

// True when the text has at most `itemChars` UTF-16 code units.
bool fitsItem(std::string_view text, std::int64_t itemChars);

std::string suggestedTitle(std::string_view text, const std::optional<std::string>& pageTitle,
                           const std::optional<std::string>& fileName);

std::string linkDocument(std::string_view url, const std::optional<std::string>& title,
                         const std::optional<std::string>& text);

// "1,234 words · about 8 min".
std::string previewLine(std::string_view text);

} // namespace DossierShare
