#include <SwiftUI/State.h>
#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

namespace SwiftUI {

namespace {

// Every live property, in one list: views are made on the main thread, but copies
// captured by work on other queues end there.
std::mutex registryLock;
DynamicProperty* registryHead = nullptr;

} // namespace

DynamicProperty::DynamicProperty() {
    std::lock_guard lock(registryLock);
    m_next = registryHead;
    if (registryHead) {
        registryHead->m_previous = this;
    }
    registryHead = this;
}

DynamicProperty::DynamicProperty(const DynamicProperty&) : DynamicProperty() {}

DynamicProperty::~DynamicProperty() {
    std::lock_guard lock(registryLock);
    if (m_previous) {
        m_previous->m_next = m_next;
    } else {
        registryHead = m_next;
    }
    if (m_next) {
        m_next->m_previous = m_previous;
    }
}

void forEachDynamicProperty(const void* start, std::size_t size,
                            const std::function<void(DynamicProperty&, std::size_t)>& body) {
    auto begin = reinterpret_cast<std::uintptr_t>(start);
    std::vector<std::pair<std::size_t, DynamicProperty*>> found;
    {
        std::lock_guard lock(registryLock);
        for (DynamicProperty* property = registryHead; property; property = property->m_next) {
            auto address = reinterpret_cast<std::uintptr_t>(property);
            if (address >= begin && address < begin + size) {
                found.emplace_back(address - begin, property);
            }
        }
    }
    // Linking may make objects that have properties of their own: call outside the lock.
    std::sort(found.begin(), found.end());
    for (auto& [offset, property] : found) {
        body(*property, offset);
    }
}

} // namespace SwiftUI
