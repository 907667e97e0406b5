// The bridge's start error file, as the menu and the Settings window read it.
//
// The bridge writes the text of its last start failure to
// <home>/.kestrelhaven/start-error.txt. `recent` gives that text, trimmed of
// white space and line breaks, while the file is less than 120 seconds old
// (a modification date in the future counts as recent) and not blank. Only
// the first 64 KiB are read, cut back to a whole character; a file that is
// not UTF-8 gives nothing, as does a FIFO or anything else that is not a
// regular file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace StartError {

const std::filesystem::path& path();
std::optional<std::string> recent();

inline constexpr std::size_t readLimit = 64 * 1024;
inline constexpr double recentFor = 120.0;

} // namespace StartError
