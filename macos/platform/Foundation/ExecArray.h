// The form exec and spawn take their arguments and environment in.
#pragma once

#include <string>
#include <vector>

namespace Foundation {

// Pointers to each text of `texts`, ended by a null pointer. They point into `texts`, which
// must outlive the result and stay unchanged.
inline std::vector<char*> execArray(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (const std::string& text : texts)
        pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace Foundation
