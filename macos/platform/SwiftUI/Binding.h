// Two-way access to a value that lives elsewhere: a getter and a setter.
//
// Controls read their value through a binding each time they are drawn and
// write through it when the user changes them. A binding to a published field
// or to view state is made by that field's `binding()`; a custom one from any
// pair of functions, where the setter may refuse, post elsewhere or write later.
#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace SwiftUI {

template <typename T> class Binding {
public:
    Binding(std::function<T()> get, std::function<void(const T&)> set)
        : m_get(std::move(get)), m_set(std::move(set)) {}

    // A binding that always reads `value` and ignores writes.
    static Binding constant(T value) {
        return Binding([value] { return value; }, [](const T&) {});
    }

    T get() const { return m_get(); }
    void set(const T& value) const { m_set(value); }
    T operator*() const { return m_get(); }

private:
    std::function<T()> m_get;
    std::function<void(const T&)> m_set;
};

} // namespace SwiftUI
