// For tests: what the user and the system decide when an agent registers.
//
// While a `TestDouble` exists, registering follows its choices: with
// `requiresApproval`, the agent is recorded as waiting for the user's
// approval and nothing starts; with `registerFailure`, registering gives that
// error (after recording the agent as waiting, when approval is required
// too). The choices end with the object.
#pragma once

#include <Foundation/Error.h>
#include <optional>

namespace ServiceManagement {

class TestDouble {
public:
    struct Choices {
        bool requiresApproval = false;
        std::optional<Foundation::Error> registerFailure = std::nullopt;
    };

    explicit TestDouble(Choices choices);
    ~TestDouble();
    TestDouble(const TestDouble&) = delete;
    TestDouble& operator=(const TestDouble&) = delete;

    // The choices in force: the latest double's, or approval without failure.
    static Choices current();
};

} // namespace ServiceManagement
