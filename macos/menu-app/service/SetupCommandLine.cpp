#include "service/SetupCommandLine.h"

namespace SetupCommandLine {

bool runIfAsked(const std::vector<std::string>&) {
    return false;
}

} // namespace SetupCommandLine
