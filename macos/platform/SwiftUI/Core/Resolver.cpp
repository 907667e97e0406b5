#include "Resolver.h"

#include <SwiftUI/State.h>
#include <algorithm>

namespace SwiftUI {

std::shared_ptr<void>& Store::slot(const std::string& key) {
    Entry& entry = m_entries[key];
    entry.generation = m_generation;
    return entry.value;
}

void Store::sweep() {
    std::erase_if(m_entries,
                  [this](const auto& entry) { return entry.second.generation != m_generation; });
}

Resolver::Resolver(Store& store, std::function<void()> invalidate, bool onScreen)
    : m_store(store), m_invalidate(std::move(invalidate)), m_onScreen(onScreen) {}

void Resolver::resolve(const View& view, const Scope& scope, ElementList& out) {
    if (view.node()) {
        view.node()->resolve(*this, scope, out);
    }
}

ElementList Resolver::resolveAll(const std::vector<View>& views, const Scope& scope) {
    ElementList out;
    for (std::size_t i = 0; i < views.size(); ++i) {
        resolve(views[i], scope.child(std::to_string(i)), out);
    }
    return out;
}

std::unique_ptr<Element> Resolver::resolveOne(const View& view, const Scope& scope) {
    ElementList out;
    resolve(view, scope, out);
    if (out.empty()) {
        return nullptr;
    }
    return std::move(out.front());
}

namespace {

class Link final : public PropertyLink {
public:
    Link(Resolver& resolver, std::string key) : m_resolver(resolver), m_key(std::move(key)) {}
    std::shared_ptr<void>& slot() override { return m_resolver.store().slot(m_key); }
    std::function<void()> invalidation() override { return m_resolver.invalidation(); }
    void observe(std::shared_ptr<ObservableObject> object) override {
        m_resolver.observe(std::move(object));
    }

private:
    Resolver& m_resolver;
    std::string m_key;
};

} // namespace

void Resolver::linkProperties(const std::string& identity, const void* address, std::size_t size) {
    forEachDynamicProperty(address, size, [&](DynamicProperty& property, std::size_t offset) {
        Link link(*this, identity + "|state@" + std::to_string(offset));
        property.link(link);
    });
}

std::string Resolver::keyFor(const std::string& identity, const char* purpose) {
    std::string key = identity + "|" + purpose;
    int count = m_keyCounts[key]++;
    return key + "#" + std::to_string(count);
}

void Resolver::observe(std::shared_ptr<ObservableObject> object) {
    if (object && std::find(observed.begin(), observed.end(), object) == observed.end()) {
        observed.push_back(std::move(object));
    }
}

void Resolver::afterRedraw(std::function<void()> action) {
    actions.push_back(std::move(action));
}

void Resolver::present(Presentation presentation) {
    presentations.push_back(std::move(presentation));
}

void Resolver::keepAlive(std::shared_ptr<const void> object) {
    kept.push_back(std::move(object));
}

} // namespace SwiftUI
