// Moving something out of the way of a file the system owns.
//
// What stands at the path, whatever it is (a file, a folder, a FIFO, a symbolic link, never
// followed), is renamed to "<name>.unusable-<UTC time>" beside it, or with "-2", "-3" and so on
// after the time when that name is taken: never over another file, so nothing is lost. The
// caller then puts its own file in place, and tells the user where the other thing went.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace Foundation {

// Moves what stands at `target` to the first free name of "<name><suffix>", "<name><suffix>-2",
// "<name><suffix>-3" and so on beside it, given in `aside`. On failure, the system's error:
// no_such_file_or_directory when nothing stands there (any more), file_exists when every name
// tried was taken.
std::error_code moveToFreeName(const std::filesystem::path& target, std::string_view suffix,
                               std::filesystem::path& aside);

// Moves what stands at `target` to a dated name beside it, as `moveToFreeName` does.
std::error_code setAside(const std::filesystem::path& target, std::filesystem::path& aside);

} // namespace Foundation
