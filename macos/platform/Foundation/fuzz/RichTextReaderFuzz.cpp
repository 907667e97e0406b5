#include <Foundation/Data.h>
#include <Foundation/RichTextParser.h>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most inputs lack the header; give every input a chance to reach the parser's body too.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const std::string& document : {std::string(input), "{\\rtf1 " + std::string(input)}) {
        if (const auto text = Foundation::RichTextParser::plainString(document)) {
            // Whatever the input, the string is valid UTF-8.
            if (!Foundation::isValidUTF8(*text))
                __builtin_trap();
        }
    }
    return 0;
}
