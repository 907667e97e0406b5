#include "Controls.h"

namespace SwiftUI {

const Control* controlOf(const Element& element) {
    return dynamic_cast<const Control*>(element.node.get());
}

ControlMetrics controlMetrics(ControlSize size) {
    switch (size) {
    case ControlSize::Mini:
        return {15, 6, 10, {20, 12}, 10};
    case ControlSize::Small:
        return {19, 8, 12, {26, 15}, 16};
    case ControlSize::Regular:
        return {22, 10, 14, {32, 18}, 32};
    case ControlSize::Large:
        return {28, 12, 16, {38, 22}, 40};
    }
    return {22, 10, 14, {32, 18}, 32};
}

std::shared_ptr<const Environment> labelEnvironment(const std::shared_ptr<const Environment>& e) {
    return modified(e, [](Environment& environment) {
        if (!environment.font && environment.controlSize <= ControlSize::Small) {
            environment.font = Font::system(environment.controlSize == ControlSize::Mini ? 9 : 11);
        }
        environment.keyboardShortcut.reset();
        environment.stackAxis.reset();
        environment.inFormRow = false;
        environment.focus.reset();
        environment.onSubmit.reset();
    });
}

} // namespace SwiftUI
