// Path components of a text, the way the platform's string methods take them.
//
// The text is a slash-separated path; trailing slashes are ignored. The path
// extension is what follows the last "." of the last component (empty when
// that component holds no "."), so "notes.v2.md" has "md" and ".md" has "md".
#pragma once

#include <string>
#include <string_view>

namespace Foundation::PathText {

std::string lastPathComponent(std::string_view path);
std::string pathExtension(std::string_view path);
// The path without its last extension and the "." before it.
std::string deletingPathExtension(std::string_view path);

} // namespace Foundation::PathText
