// The current user's home directory.
//
// `homeDirectory()` is $HOME when it is set and not empty, otherwise the home
// folder of the user's password-database entry, otherwise "/". It is read
// anew on every call.
#pragma once

#include <filesystem>

namespace Foundation {

std::filesystem::path homeDirectory();

} // namespace Foundation
