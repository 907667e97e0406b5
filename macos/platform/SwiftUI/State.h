// View state that survives redraws, and the models a view observes.
//
// A view is a struct with `View body() const`; it is made afresh each time its
// parent's body runs. Its property wrappers are members of the struct:
//
//     struct UpdatesSection {
//         std::vector<Device> devices;
//         SwiftUI::State<Channel> choice{Updater::choice()};      // kept across redraws
//         SwiftUI::StateObject<UninstallModel> uninstall{[] { return
//         std::make_shared<UninstallModel>(); }}; SwiftUI::ObservedObject<SettingsModel> model; //
//         not owned; observed SwiftUI::FocusState newTagFocused{}; SwiftUI::View body() const;
//     };
//
// Before a body runs, the framework links each such member of that struct to the
// storage kept for the view's place in the tree: a `State` takes the value stored
// there (its own initial value counts only the first time), a `StateObject` makes
// its object once, and every observed object's changes redraw the host. The
// storage goes when the view leaves the tree. Only direct members are linked (not
// ones held in containers). Give each member an initialiser (`{}` at least), so that
// the struct can be made with designated initialisers. Changing state redraws the host later on the
// main queue.
//
// Closures made in a body may capture `this`: the host keeps the tree that made them
// while they run. Work that outlives the tree (blocks on other queues) captures the
// state handles or a copy of the view (`[*this]`); copies share the same storage.
#pragma once

#include <SwiftUI/Binding.h>
#include <SwiftUI/ObservableObject.h>
#include <cstddef>
#include <functional>
#include <memory>

namespace SwiftUI {

// What a property is linked to while its view's body is prepared.
class PropertyLink {
public:
    virtual ~PropertyLink() = default;
    // The storage kept for this property between redraws; empty the first time.
    virtual std::shared_ptr<void>& slot() = 0;
    // Redraws the host; for state that changed.
    virtual std::function<void()> invalidation() = 0;
    virtual void observe(std::shared_ptr<ObservableObject> object) = 0;
};

// A member that the framework links before the body runs. Every instance is known by
// address so that the framework can find those inside a view struct.
class DynamicProperty {
public:
    virtual void link(PropertyLink& link) = 0;

protected:
    DynamicProperty();
    DynamicProperty(const DynamicProperty&);
    DynamicProperty& operator=(const DynamicProperty&) { return *this; }
    virtual ~DynamicProperty();

private:
    friend void forEachDynamicProperty(const void*, std::size_t,
                                       const std::function<void(DynamicProperty&, std::size_t)>&);
    DynamicProperty* m_previous = nullptr;
    DynamicProperty* m_next = nullptr;
};

// Calls `body` with each property inside [start, start + size) and its offset from start.
void forEachDynamicProperty(const void* start, std::size_t size,
                            const std::function<void(DynamicProperty&, std::size_t)>& body);

template <typename T> class State : public DynamicProperty {
public:
    State(T initial = T{}) : m_box(std::make_shared<Box>(std::move(initial))) {}

    const T& get() const { return m_box->value; }
    const T& operator*() const { return m_box->value; }
    const T* operator->() const { return &m_box->value; }
    void set(T value) const { Box::assign(m_box, std::move(value)); }

    Binding<T> binding() const {
        auto box = m_box;
        return Binding<T>([box] { return box->value; },
                          [box](const T& value) { Box::assign(box, value); });
    }

    void link(PropertyLink& link) override {
        auto& slot = link.slot();
        if (slot) {
            m_box = std::static_pointer_cast<Box>(slot);
        } else {
            slot = m_box;
        }
        m_box->changed = link.invalidation();
    }

private:
    struct Box {
        explicit Box(T initial) : value(std::move(initial)) {}
        static void assign(const std::shared_ptr<Box>& box, T value) {
            box->value = std::move(value);
            if (box->changed) {
                box->changed();
            }
        }
        T value;
        std::function<void()> changed;
    };
    std::shared_ptr<Box> m_box;
};

// The focus of one text field, bound with `View::focused`.
class FocusState : public State<bool> {
public:
    FocusState() : State<bool>(false) {}
};

template <typename T> class StateObject : public DynamicProperty {
public:
    explicit StateObject(std::function<std::shared_ptr<T>()> make) : m_make(std::move(make)) {}

    // The object; outside a host it is made on first use and owned by this member.
    const std::shared_ptr<T>& get() const {
        if (!m_object) {
            m_object = m_make();
        }
        return m_object;
    }
    T* operator->() const { return get().get(); }
    T& operator*() const { return *get(); }

    void link(PropertyLink& link) override {
        auto& slot = link.slot();
        if (!slot) {
            slot = m_make();
        }
        m_object = std::static_pointer_cast<T>(slot);
        link.observe(m_object);
    }

private:
    std::function<std::shared_ptr<T>()> m_make;
    mutable std::shared_ptr<T> m_object;
};

template <typename T> class ObservedObject : public DynamicProperty {
public:
    ObservedObject(std::shared_ptr<T> object) : m_object(std::move(object)) {}

    const std::shared_ptr<T>& get() const { return m_object; }
    T* operator->() const { return m_object.get(); }
    T& operator*() const { return *m_object; }

    void link(PropertyLink& link) override { link.observe(m_object); }

private:
    std::shared_ptr<T> m_object;
};

} // namespace SwiftUI
