// File URLs: "file://" followed by an absolute path, percent-encoded.
#pragma once

#include <Foundation/URL.h>
#include <filesystem>
#include <optional>

namespace AppExtensions {

// The file URL of an absolute path.
Foundation::URL fileURL(const std::filesystem::path& path);
// The path of a file URL (scheme "file" in any case, no host but "localhost"); nothing for any
// other URL, or a path holding NUL once decoded.
std::optional<std::filesystem::path> filePath(const Foundation::URL& url);

} // namespace AppExtensions
