#include "service/SetupActions.h"

namespace SetupActions {

std::function<void()> openPair = [] {};
std::function<void()> openSettings = [] {};

} // namespace SetupActions
