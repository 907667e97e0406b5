#include "Home.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace Foundation {

std::filesystem::path homeDirectory() {
    if (const char* fromEnvironment = std::getenv("HOME"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

} // namespace Foundation
