// The context of one extension request: what the host handed over, and how
// the request ends.
//
// A request ends once: completed (with returned items, none here) or
// cancelled with an error. Later calls do nothing. Whoever hosts the
// extension learns the end through `onEnd`, on the thread that ended it.
#pragma once

#include "ItemProvider.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace AppExtensions {

// The error a cancelled request carries.
struct RequestError {
    std::string domain;
    long code = 0;
    bool operator==(const RequestError&) const = default;
};

// The domain and code of a request the user cancelled.
inline const RequestError userCancelled{"NSCocoaErrorDomain", 3072};

class ExtensionContext {
public:
    struct Outcome {
        bool completed = false;
        // For a cancelled request.
        std::optional<RequestError> error;
        bool operator==(const Outcome&) const = default;
    };

    explicit ExtensionContext(std::vector<ExtensionItem> inputItems)
        : m_inputItems(std::move(inputItems)) {}

    const std::vector<ExtensionItem>& inputItems() const { return m_inputItems; }

    void completeRequest();
    void cancelRequest(RequestError error);

    // How the request ended; nothing while it runs.
    const std::optional<Outcome>& outcome() const { return m_outcome; }
    void setOnEnd(std::function<void(const Outcome&)> onEnd) { m_onEnd = std::move(onEnd); }

private:
    void end(Outcome outcome);

    std::vector<ExtensionItem> m_inputItems;
    std::optional<Outcome> m_outcome;
    std::function<void(const Outcome&)> m_onEnd;
};

} // namespace AppExtensions
