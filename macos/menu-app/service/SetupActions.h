// The actions of the Setup window that reach outside it.
//
// `openPair` and `openSettings` are replaceable callbacks: they do nothing
// until the application delegate, at launch, points them at the pairing
// panel and the Settings window. Main thread only.
#pragma once

#include <functional>

namespace SetupActions {

extern std::function<void()> openPair;
extern std::function<void()> openSettings;

} // namespace SetupActions
