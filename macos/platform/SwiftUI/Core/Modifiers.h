// Modifiers the framework applies to views itself.
#pragma once

#include "Environment.h"

#include <functional>

namespace SwiftUI {

// `content` with `change` made to the environment of every view inside.
View withEnvironment(const View& content, std::function<void(Environment&)> change);

} // namespace SwiftUI
