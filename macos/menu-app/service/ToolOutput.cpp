#include "service/ToolOutput.h"

#include <vector>

namespace ToolOutput {

namespace {

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> found;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start)
            found.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return found;
}

} // namespace

std::optional<std::string> jsonLine(std::string_view output) {
    const auto all = lines(output);
    for (auto line = all.rbegin(); line != all.rend(); ++line)
        if (line->starts_with('{'))
            return std::string(*line);
    return std::nullopt;
}

std::optional<std::string> firstLine(std::string_view text) {
    const auto all = lines(text);
    if (all.empty())
        return std::nullopt;
    return std::string(all.front());
}

const std::string& message(const Run::Result& result) {
    return result.error.empty() ? result.output : result.error;
}

} // namespace ToolOutput
