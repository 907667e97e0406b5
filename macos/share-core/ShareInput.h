// From what was shared to one draft, or the problem that prevents one.
//
// A usable file wins over links and texts, a link over texts: the first file
// whose text is not blank makes a file draft; else the first web link makes
// a link draft (a Markdown document of the link, titled by the page title or
// a short phrase shared with it); else the texts, duplicates removed, make a
// text draft. Without any, the first oversized, then unreadable, then
// refused file names the problem. A draft longer than the item limit (in
// UTF-16 code units, inclusive) is too long.
#pragma once

#include "ShareDraft.h"
#include "ShareProblem.h"

#include <Foundation/URL.h>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

using DraftResult = std::variant<ShareDraft, ShareProblem>;

namespace ShareInput {

constexpr std::array<std::string_view, 4> plainExtensions = {"md", "markdown", "txt", "text"};
constexpr std::array<std::string_view, 2> richExtensions = {"rtf", "rtfd"};
constexpr std::int64_t defaultItemChars = 300000;
constexpr std::size_t maxRichFileBytes = 33554432;

// True when the lowercased path extension is a plain or rich one.
bool acceptsFile(std::string_view name);
bool isRichFile(std::string_view name);

// The byte budget for reading plain text: 3 bytes per unit and 4 over, saturating.
std::int64_t maxFileBytes(std::int64_t itemChars);

// The text as an http or https link with a host, trimmed; nothing when it holds inner space.
std::optional<Foundation::URL> webURL(std::string_view text);

// The first line of a document of at least two lines, as a title: at most 100 characters.
std::optional<std::string> leadLine(std::string_view text);

DraftResult draft(const ShareContents& contents, std::int64_t itemChars);
DraftResult check(const ShareDraft& draft, std::int64_t itemChars);

} // namespace ShareInput
