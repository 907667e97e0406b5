// Preloaded into the launcher by its tests: the password database holds only what
// KH_TEST_PASSWORD_HOME says, and nothing at all when it is unset.
#include <cstdlib>
#include <pwd.h>

extern "C" passwd* getpwuid(uid_t) {
    static passwd entry{};
    const char* home = std::getenv("KH_TEST_PASSWORD_HOME");
    if (!home)
        return nullptr;
    entry.pw_dir = const_cast<char*>(home);
    return &entry;
}
