#include "service/Mark.h"

Mark::Mark(std::string_view status)
    : m_kind(status == "ok"     ? ok
             : status == "warn" ? warn
             : status == "fail" ? fail
             : status == "info" ? info
                                : pending) {}

const char* Mark::symbol() const {
    switch (m_kind) {
    case ok:
        return "checkmark.circle.fill";
    case pending:
        return "circle";
    case warn:
        return "exclamationmark.triangle.fill";
    case fail:
        return "xmark.octagon.fill";
    case info:
        return "info.circle";
    case checking:
        return "ellipsis.circle";
    }
    return "circle";
}

SwiftUI::Color Mark::color() const {
    switch (m_kind) {
    case ok:
        return SwiftUI::Color::green;
    case warn:
        return SwiftUI::Color::orange;
    case fail:
        return SwiftUI::Color::red;
    case pending:
    case info:
    case checking:
        return SwiftUI::Color::secondary;
    }
    return SwiftUI::Color::secondary;
}
