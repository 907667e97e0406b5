// The text rules every share passes through.
//
// `decode` turns shared bytes into text: UTF-8 (its byte-order mark dropped),
// or UTF-16 when a byte-order mark says so; nothing else is guessed, and
// UTF-8 without a mark that holds U+0000 is refused as not text.
// `normalizedNewlines` makes every line end LF. `oneLine` is the clipping rule
// both programs use for titles (200), sources (120), tags (60) and menu
// lines: control characters become spaces, runs of white space one space,
// spaces are trimmed, and the first `max` characters kept with no mark of the
// cut. Characters are grapheme clusters.
#pragma once

#include <Foundation/Data.h>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ShareText {

std::optional<std::string> decode(Foundation::Bytes bytes);

// True when the text holds nothing but white space and line breaks.
bool isBlank(std::string_view text);

// U+2029, U+2028, CR LF and CR each become LF; U+0085, VT and FF stay.
std::string normalizedNewlines(std::string text);

std::string oneLine(std::string_view text, std::size_t max);

} // namespace ShareText
