// The uninstall steps that remove files, and the Trash they move items to.
//
// Only the dossier command and the bridge's socket are deleted outright (by
// unlink, the link itself for a link); folders and property lists go to the
// Trash. A test build (one whose Info.plist holds "KHHome") keeps its own
// Trash at <home>/.Trash, where a clashing name gets the current second
// appended and a move never replaces anything; other builds use the user's
// Trash. An item that is not the product's is never touched.
#pragma once

#include "uninstall/UninstallStep.h"

#include <Foundation/Error.h>
#include <filesystem>
#include <optional>
#include <string>

namespace Uninstaller {

// The path with the home folder written as "~" when it lies below it; otherwise whole.
std::string tilde(const std::filesystem::path& path);

// Moves the item to the Trash; gives the name it now has there, or nothing with `error` set.
std::optional<std::string> trash(const std::filesystem::path& item, Foundation::Error* error);

// Whether a socket stands at the path itself (links not followed).
bool isSocket(const std::filesystem::path& path);

// <home>/.kestrelhaven, the bridge's data folder.
std::filesystem::path dataFolder();
// The bridge's `dossier` command: ~/.local/bin/dossier.
std::filesystem::path dossierCommand();
// The bridge's socket in the data folder.
std::filesystem::path socketPath();

UninstallStep::Result removeDossierShim();
UninstallStep::Result removeSocket();
UninstallStep::Result trashData();
UninstallStep::Result trashShares();

} // namespace Uninstaller
