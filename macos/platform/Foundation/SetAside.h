// Moving something out of the way of a file the system owns.
//
// What stands at the path, whatever it is (a file, a folder, a FIFO, a symbolic link, never
// followed), is renamed to "<name>.unusable-<UTC time>" beside it, or with "-2", "-3" and so on
// after the time when that name is taken: never over another file, so nothing is lost. The
// caller then puts its own file in place, and tells the user where the other thing went.
#pragma once

#include <filesystem>
#include <system_error>

namespace Foundation {

// Moves what stands at `target` to a dated name beside it, given in `aside`. On failure, the
// system's error: no_such_file_or_directory when nothing stands there (any more), file_exists
// when every dated name tried was taken.
std::error_code setAside(const std::filesystem::path& target, std::filesystem::path& aside);

} // namespace Foundation
