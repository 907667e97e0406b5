#include "service/ToolOutput.h"

#include <Foundation/TextPieces.h>

namespace ToolOutput {

std::optional<std::string> jsonLine(std::string_view output) {
    const auto all = Foundation::nonEmptyPieces(output, '\n');
    for (auto line = all.rbegin(); line != all.rend(); ++line)
        if (line->starts_with('{'))
            return std::string(*line);
    return std::nullopt;
}

std::optional<std::string> firstLine(std::string_view text) {
    const auto all = Foundation::nonEmptyPieces(text, '\n');
    if (all.empty())
        return std::nullopt;
    return std::string(all.front());
}

const std::string& message(const Run::Result& result) {
    return result.error.empty() ? result.output : result.error;
}

} // namespace ToolOutput
