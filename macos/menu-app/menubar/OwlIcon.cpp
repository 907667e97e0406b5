#include "menubar/OwlIcon.h"

namespace OwlIcon {

namespace {

struct Look {
    const char* name;
    const char* description;
};

Look look(State state) {
    switch (state) {
    case State::unknown:
        return {"lion-alone", "Kestrelhaven"};
    case State::alone:
        return {"lion-alone", "Kestrelhaven, no phone connected"};
    case State::connected:
        return {"lion-connected", "Kestrelhaven, phone connected"};
    case State::down:
        return {"lion-sleep", "Kestrelhaven, bridge not running"};
    }
    return {"lion-alone", "Kestrelhaven"};
}

} // namespace

std::shared_ptr<AppKit::Image> image(State state) {
    const Look wanted = look(state);
    auto found = AppKit::Image::named(wanted.name);
    if (!found)
        found = AppKit::Image::systemSymbol("pawprint.fill", std::nullopt);
    found->setAccessibilityDescription(wanted.description);
    return found;
}

} // namespace OwlIcon
