#include <SwiftUI/ObservableObject.h>
#include <algorithm>
#include <utility>

namespace SwiftUI {

struct Subscription::Observers {
    struct Entry {
        std::uint64_t id;
        std::shared_ptr<std::function<void()>> callback;
    };
    std::vector<Entry> entries;
    std::uint64_t nextID = 1;
};

Subscription::~Subscription() {
    cancel();
}

Subscription::Subscription(Subscription&& other) noexcept
    : m_observers(std::move(other.m_observers)), m_id(std::exchange(other.m_id, 0)) {}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        cancel();
        m_observers = std::move(other.m_observers);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void Subscription::cancel() {
    if (auto observers = m_observers.lock()) {
        std::erase_if(observers->entries, [this](const auto& entry) { return entry.id == m_id; });
    }
    m_observers.reset();
    m_id = 0;
}

ObservableObject::ObservableObject() : m_observers(std::make_shared<Subscription::Observers>()) {}

ObservableObject::~ObservableObject() = default;

Subscription ObservableObject::subscribe(std::function<void()> willChange) {
    std::uint64_t id = m_observers->nextID++;
    m_observers->entries.push_back(
        {id, std::make_shared<std::function<void()>>(std::move(willChange))});
    return Subscription(m_observers, id);
}

void ObservableObject::objectWillChange() {
    // Observers may subscribe or cancel while being told; tell those present now.
    auto entries = m_observers->entries;
    for (const auto& entry : entries) {
        (*entry.callback)();
    }
}

} // namespace SwiftUI
