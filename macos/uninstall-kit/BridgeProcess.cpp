#include "BridgeProcess.h"

#include <Foundation/Unicode.h>
#include <string>

namespace BridgeProcess {

namespace {

namespace Unicode = Foundation::Unicode;

// The text after the first space character, or nothing when there is none.
std::optional<std::string> afterFirstSpace(std::string_view text) {
    std::size_t offset = 0;
    for (const std::string& character : Unicode::characters(text)) {
        offset += character.size();
        if (character == " ")
            return std::string(text.substr(offset));
    }
    return std::nullopt;
}

} // namespace

bool isBridge(std::string_view command, std::string_view node, std::string_view daemon,
              std::string_view launcher) {
    const std::string line = Unicode::trimmed(command, Unicode::isWhitespace);
    if (Unicode::canonicallyEquivalent(line, launcher) ||
        Unicode::hasPrefix(line, std::string(launcher) + " "))
        return true;
    auto rest = Unicode::afterPrefix(line, std::string(node) + " ");
    if (!rest)
        return false;
    // Runtime options are single words; an option whose value is a word of its own is not one.
    while (Unicode::hasPrefix(*rest, "--")) {
        auto next = afterFirstSpace(*rest);
        if (!next)
            break;
        rest = std::move(next);
    }
    return Unicode::hasPrefix(*rest, daemon);
}

} // namespace BridgeProcess
