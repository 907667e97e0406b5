#include "Error.h"

#include <cstring>

namespace Foundation {

Error posixError(int code, const std::string& what) {
    return {posixErrorDomain, code, what + ": " + std::strerror(code)};
}

} // namespace Foundation
