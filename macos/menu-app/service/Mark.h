// The status mark of a Setup row: a system symbol in a colour.
//
// A mark is made from a doctor check's status word, compared exactly: "ok",
// "warn", "fail" and "info" have their own marks, any other word (such as
// "todo" or the empty word) is pending. `checking` is only for a row still
// waiting for its data.
#pragma once

#include <SwiftUI/Color.h>
#include <string_view>

class Mark {
public:
    enum Kind { ok, pending, warn, fail, info, checking };

    constexpr Mark(Kind kind) : m_kind(kind) {}
    explicit Mark(std::string_view status);

    Kind kind() const { return m_kind; }
    const char* symbol() const;
    SwiftUI::Color color() const;

    bool operator==(const Mark&) const = default;

private:
    Kind m_kind;
};
