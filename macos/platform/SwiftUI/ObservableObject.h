// Model objects whose changes redraw the views that observe them.
//
// A model derives from `ObservableObject` and declares its shown state as
// `Published` fields. Assigning a published field first tells every observer
// that the object will change and then changes it, as the platform's observable
// objects do, even when the new value equals the old. Observers only note that
// a redraw is due: hosts redraw later on the main queue, so they see the new
// values. Models change their published state only on the main thread.
//
//     class SetupModel : public SwiftUI::ObservableObject {
//     public:
//         SwiftUI::Published<std::optional<std::string>> busy{this};
//         SwiftUI::Published<bool> checking{this, false};
//     };
//     model->busy = "Checking…";   // observers hear first, then the value changes
//     if (model->busy->has_value()) …
#pragma once

#include <SwiftUI/Binding.h>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace SwiftUI {

// While it exists, an observer registered with `ObservableObject::subscribe` is called.
class Subscription {
public:
    Subscription() = default;
    ~Subscription();
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

    void cancel();

private:
    friend class ObservableObject;
    struct Observers;
    Subscription(std::weak_ptr<Observers> observers, std::uint64_t id)
        : m_observers(std::move(observers)), m_id(id) {}
    std::weak_ptr<Observers> m_observers;
    std::uint64_t m_id = 0;
};

class ObservableObject : public std::enable_shared_from_this<ObservableObject> {
public:
    ObservableObject();
    virtual ~ObservableObject();
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;

    // Calls `willChange` before every change of a published field, until the subscription goes.
    [[nodiscard]] Subscription subscribe(std::function<void()> willChange);

    // Tells the observers that the object is about to change; published fields call it.
    void objectWillChange();

private:
    std::shared_ptr<Subscription::Observers> m_observers;
};

template <typename T> class Published {
public:
    explicit Published(ObservableObject* owner, T initial = T{})
        : m_owner(owner), m_value(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    Published& operator=(T value) {
        m_owner->objectWillChange();
        m_value = std::move(value);
        return *this;
    }

    const T& get() const { return m_value; }
    const T& operator*() const { return m_value; }
    const T* operator->() const { return &m_value; }
    operator const T&() const { return m_value; }

    // A binding that reads this field and assigns it; it keeps a shared owner alive.
    Binding<T> binding() {
        auto keep = m_owner->weak_from_this().lock();
        return Binding<T>([this, keep] { return m_value; },
                          [this, keep](const T& value) { *this = value; });
    }

private:
    ObservableObject* m_owner;
    T m_value;
};

} // namespace SwiftUI
