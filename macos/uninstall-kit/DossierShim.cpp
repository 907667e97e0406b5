#include "DossierShim.h"

#include <Foundation/FileIO.h>
#include <Foundation/Unicode.h>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace DossierShim {

namespace {

constexpr std::size_t markWindow = 400;
constexpr std::string_view bundledScript = "/bridge/bin/dossier";

// Only an answer of "no such file" means nothing is there; any other failure leaves it open.
bool nothingAt(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

} // namespace

bool isOurs(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return false;
    if (!S_ISLNK(status.st_mode))
        return S_ISREG(status.st_mode) && carriesMark(path);
    std::error_code error;
    std::filesystem::path target = std::filesystem::read_symlink(path, error);
    if (error)
        return false;
    // A relative target is relative to the folder that holds the link.
    if (target.is_relative())
        target = std::filesystem::path(path).parent_path() / target;
    const std::string resolved = target.string();
    if (carriesMark(resolved))
        return true;
    return Foundation::Unicode::hasSuffix(resolved, bundledScript) && nothingAt(resolved);
}

bool carriesMark(const std::string& path) {
    const auto bytes = Foundation::readFilePrefix(path, markWindow);
    return bytes && Foundation::decodeUTF8Lossy(*bytes).find(mark) != std::string::npos;
}

} // namespace DossierShim
