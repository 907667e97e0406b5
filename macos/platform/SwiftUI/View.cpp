#include "Core/Resolver.h"

#include <SwiftUI/View.h>

namespace SwiftUI {

void resolveCustomView(Resolver& resolver, const Scope& scope, ElementList& out,
                       std::shared_ptr<const void> instance, const void* address, std::size_t size,
                       const char* typeName, const std::function<View()>& body) {
    // The type is part of the identity: another kind of view in the same place starts afresh.
    std::string identity = scope.identity + "#" + typeName;
    resolver.linkProperties(identity, address, size);
    resolver.keepAlive(std::move(instance));
    resolver.resolve(body(), {identity, scope.environment}, out);
}

} // namespace SwiftUI
