// The current user's account: home directory and login shell.
//
// `homeDirectory()` is $HOME when it is set and not empty, otherwise the home
// folder of the user's password-database entry, otherwise "/". It is read
// anew on every call, and so is `loginShell()`, the shell field of the
// password-database entry of the process's real user id. Tests may replace
// where the shell comes from.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace Foundation {

std::filesystem::path homeDirectory();

// The path with `homeDirectory()` at its start written as "~"; any other path unchanged.
std::string abbreviatingWithTildeInPath(const std::string& path);

// The password database's shell of this user; nothing when there is no entry or it is empty.
std::optional<std::string> loginShell();
// For tests: where `loginShell` comes from; an empty function restores the password database.
void setLoginShellSource(std::function<std::optional<std::string>()> source);

} // namespace Foundation
