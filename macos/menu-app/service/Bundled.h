// Where things are: the application bundle and the home folder.
//
// `Bundled::home()` is the folder against which every path "under home" is
// resolved (the data folder .kestrelhaven, Claude Code's files, Library/Logs).
// A test build names it in Info.plist under "KHHome"; otherwise it is the
// user's home directory. It is worked out once per process.
#pragma once

#include <filesystem>

namespace Bundled {

const std::filesystem::path& home();

} // namespace Bundled
