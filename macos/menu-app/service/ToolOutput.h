// Reading what the bridge's command-line tool printed.
//
// A run with "--json" prints its result as one JSON object on the last output
// line that begins with "{"; lines before it (progress, warnings) and after
// it are not the result. Lines are split at line feeds, empty ones left out,
// and nothing is trimmed.
#pragma once

#include "service/Run.h"

#include <optional>
#include <string>
#include <string_view>

namespace ToolOutput {

// The last line whose first character is "{"; none when there is no such line.
std::optional<std::string> jsonLine(std::string_view output);
// The first line that is not empty; none when there is none.
std::optional<std::string> firstLine(std::string_view text);
// What a run had to say: its standard error when not empty, else its standard output.
const std::string& message(const Run::Result& result);

} // namespace ToolOutput
