// Whether the "dossier" command in the user's bin folder is the product's.
//
// The product's command is a script that carries `mark` in its first 400
// bytes, or a symbolic link to such a script, or a link to the dossier script
// inside an application bundle that has since been moved away or deleted.
// Anything else, a folder or another program's script included, is not ours.
// Nothing here blocks on a FIFO or reads more than those first bytes.
#pragma once

#include <string>
#include <string_view>

namespace DossierShim {

inline constexpr std::string_view mark = "# kestrelhaven-dossier-shim";

// Whether the file or link at `path` is the product's dossier command.
bool isOurs(const std::string& path);

// Whether the first 400 bytes of the regular file at `path` (links followed) contain `mark`.
bool carriesMark(const std::string& path);

} // namespace DossierShim
