#include "SetAside.h"

#include "FileIO.h"
#include "SystemTime.h"

#include <string>

namespace Foundation {

namespace {

// How many dated names are tried.
constexpr int attempts = 100;

} // namespace

std::error_code setAside(const std::filesystem::path& target, std::filesystem::path& aside) {
    const std::string stem =
        target.filename().string() + ".unusable-" + SystemTime::fileStamp(SystemTime::now());
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

} // namespace Foundation
