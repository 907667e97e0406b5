#include "service/Bundled.h"

#include <Foundation/Bundle.h>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace Bundled {

namespace {

std::filesystem::path userHome() {
    if (const char* fromEnvironment = std::getenv("HOME"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

} // namespace

const std::filesystem::path& home() {
    static const std::filesystem::path* folder = [] {
        const auto* value = Foundation::Bundle::main().object("KHHome");
        if (value && value->text() && value->text()->starts_with("/"))
            return new std::filesystem::path(*value->text());
        return new std::filesystem::path(userHome());
    }();
    return *folder;
}

} // namespace Bundled
