// Replacing every occurrence of a piece of text, in place.
//
// The replacement is never longer than what it replaces, so one pass over the
// text moves each byte at most once and nothing is allocated. A text without
// the piece is not touched.
#pragma once

#include <string>
#include <string_view>

void replaceAll(std::string& text, std::string_view from, std::string_view to);
