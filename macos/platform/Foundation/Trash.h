// The user's Trash: moving an item there so that it can be put back.
//
// Here it is the home Trash of the freedesktop.org Trash specification:
// $XDG_DATA_HOME/Trash (else ~/.local/share/Trash), holding the item under
// files/ and a record of where it came from and when under info/. A name is
// taken by creating its info/<name>.trashinfo exclusively, so two programs
// trashing at once never share a name; the item is then renamed into files/
// without replacing anything. When the name is taken, the next free one is
// used ("notes 2", "notes 3", …). Items are not copied across file systems:
// an item on another one is refused with the system's error.
#pragma once

#include <Foundation/Error.h>
#include <filesystem>
#include <optional>

namespace Foundation {

// The Trash's own folder: the one holding files/ and info/.
std::filesystem::path trashFolder();

// Moves `item` to the Trash and gives where it now lies; on failure nothing moves and `error`,
// when given, says why.
std::optional<std::filesystem::path> trashItem(const std::filesystem::path& item,
                                               Error* error = nullptr);

} // namespace Foundation
