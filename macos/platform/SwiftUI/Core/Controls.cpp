#include "Controls.h"

namespace SwiftUI {

const Control* controlOf(const Element& element) {
    return dynamic_cast<const Control*>(element.node.get());
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
