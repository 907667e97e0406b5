// Runs a program as the launcher's tests need it: chosen arguments and environment, and each
// of standard output and error sent to a file, to a pseudo-terminal, or closed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace LaunchedProgram {

enum class Stream { file, terminal, closed };

struct Launch {
    std::filesystem::path program;
    // After the program's own path.
    std::vector<std::string> arguments;
    // "NAME=value" entries: the whole environment.
    std::vector<std::string> environment;
    Stream output = Stream::file;
    Stream errors = Stream::file;
};

struct Ended {
    // The exit status, or 128 + the signal that ended it.
    int status = -1;
    // What reached the file or the terminal.
    std::string output;
    std::string errors;
};

// Runs `launch` to its end, keeping its files in `folder`.
Ended run(const Launch& launch, const std::filesystem::path& folder);

} // namespace LaunchedProgram
