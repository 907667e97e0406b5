#include "SetAside.h"

#include "FileIO.h"
#include "SystemTime.h"

#include <string>

namespace Foundation {

namespace {

// How many dated names are tried.
constexpr int attempts = 100;

} // namespace

std::error_code moveToFreeName(const std::filesystem::path& target, std::string_view suffix,
                               std::filesystem::path& aside) {
    const std::string stem = target.filename().string() + std::string(suffix);
    std::error_code moved;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        aside =
            target.parent_path() / (attempt == 0 ? stem : stem + "-" + std::to_string(attempt + 1));
        moved = moveItem(target, aside);
        if (moved != std::errc::file_exists)
            return moved;
    }
    return moved;
}

std::error_code setAside(const std::filesystem::path& target, std::filesystem::path& aside) {
    return moveToFreeName(target, ".unusable-" + SystemTime::fileStamp(SystemTime::now()), aside);
}

} // namespace Foundation
