#include "TextReplace.h"

#include <cstring>

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    std::size_t found = text.find(from);
    std::size_t read = 0;
    std::size_t write = 0;
    if (found == std::string::npos)
        return;
    // Writing never overtakes reading, since nothing grows.
    while (found != std::string::npos) {
        std::memmove(text.data() + write, text.data() + read, found - read);
        write += found - read;
        std::memcpy(text.data() + write, to.data(), to.size());
        write += to.size();
        read = found + from.size();
        found = text.find(from, read);
    }
    std::memmove(text.data() + write, text.data() + read, text.size() - read);
    text.resize(write + text.size() - read);
}
