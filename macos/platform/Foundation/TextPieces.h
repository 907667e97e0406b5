// Splitting text at a separator, as search paths ("a:b:c") and lines of
// program output are read, and joining texts with one.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

// The pieces of `text` between occurrences of `separator`, in order, empty ones left out.
inline std::vector<std::string_view> nonEmptyPieces(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

// The texts in order with `separator` between each two.
inline std::string joined(const std::vector<std::string>& texts, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            text += separator;
        text += texts[i];
    }
    return text;
}

} // namespace Foundation
