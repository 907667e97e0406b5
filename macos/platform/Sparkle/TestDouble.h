// For tests: an update feed in the process, and a record of every updater's
// starts and checks.
//
// While a `TestDouble` exists, every updater reads its feed from the double:
// a check finds the offered update when there is one and its channel is the
// default one or an allowed one, and otherwise finds nothing; no alert is
// shown either way. `canCheck` false makes every updater say it cannot check
// now. The double records each start, each check with the channels the
// delegate allowed for it, and each update shown. One double at a time, on
// the main thread.
#pragma once

#include <Sparkle/Delegates.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Sparkle {

class TestDouble {
public:
    struct Check {
        bool background;
        std::set<std::string> channels;
        bool operator==(const Check&) const = default;
    };

    TestDouble();
    ~TestDouble();
    TestDouble(const TestDouble&) = delete;
    TestDouble& operator=(const TestDouble&) = delete;

    // The double in force, or null.
    static TestDouble* current();

    bool canCheck = true;
    // What the feed offers.
    std::optional<AppcastItem> offered;

    int starts = 0;
    std::vector<Check> checks;
    std::vector<AppcastItem> shown;
};

} // namespace Sparkle
