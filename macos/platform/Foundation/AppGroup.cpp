#include "AppGroup.h"

#include <cstdlib>

namespace Foundation::AppGroup {

std::optional<std::filesystem::path> container(std::string_view identifier) {
    if (identifier.empty() || identifier == "." || identifier == ".." ||
        identifier.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return std::nullopt;
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/')
        return std::nullopt;
    return std::filesystem::path(home) / "Library" / "Group Containers" / std::string(identifier);
}

} // namespace Foundation::AppGroup
