// Errors as the platform's frameworks report them.
//
// An `Error` names its domain, a code within that domain and a sentence fit
// to show the user. Where the platform would throw, the stand-ins return one
// instead, so that no failure crosses a module line as an exception.
#pragma once

#include <string>
#include <system_error>

namespace Foundation {

struct Error {
    std::string domain;
    long code = 0;
    std::string description;

    bool operator==(const Error&) const = default;
};

inline constexpr const char* posixErrorDomain = "NSPOSIXErrorDomain";

// An error of the POSIX domain for the errno value `code`: `what` + ": " + the system's text.
Error posixError(int code, const std::string& what);
inline Error posixError(std::error_code code, const std::string& what) {
    return posixError(code.value(), what);
}

} // namespace Foundation
