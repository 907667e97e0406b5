// The reader of the process table's listing: every process it gives has a positive id and a
// command that is one trimmed line found in the input.
#include "uninstall/ServiceRemoval.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const Uninstaller::ListedProcess& process : Uninstaller::parseProcessListing(input)) {
        const std::string& command = process.command;
        if (process.pid <= 0 || command.empty() || command.find('\n') != std::string::npos ||
            command.front() == ' ' || command.back() == ' ' || command.back() == '\t' ||
            input.find(command) == std::string_view::npos)
            __builtin_trap();
    }
    return 0;
}
