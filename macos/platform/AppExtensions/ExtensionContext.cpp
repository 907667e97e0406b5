#include "ExtensionContext.h"

namespace AppExtensions {

void ExtensionContext::completeRequest() {
    end({true, std::nullopt});
}

void ExtensionContext::cancelRequest(RequestError error) {
    end({false, std::move(error)});
}

void ExtensionContext::end(Outcome outcome) {
    if (m_outcome) {
        return;
    }
    m_outcome = std::move(outcome);
    if (m_onEnd) {
        m_onEnd(*m_outcome);
    }
}

} // namespace AppExtensions
