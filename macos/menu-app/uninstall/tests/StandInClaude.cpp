// A stand-in for Claude Code's `claude` program, for the uninstaller's tests.
//
// `--version` prints a version. `mcp remove --scope user <name>` takes the
// server out of the user file it is pointed at ($CLAUDE_CONFIG_DIR/.claude.json,
// else $HOME/.claude.json), unless that folder is the one KH_CLAUDE_KEEPS
// names: there it changes nothing, as a Claude Code that failed quietly would.
// Every run appends one line to the file KH_CLAUDE_RECORD names:
// "CLAUDE_CONFIG_DIR=<value or -> HOME=<value> <arguments>".
#include "sample-bridge/ClaudeFiles.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string variable(const char* name, const char* otherwise = "") {
    const char* value = std::getenv(name);
    return value ? value : otherwise;
}

void record(const std::vector<std::string>& arguments) {
    const std::string file = variable("KH_CLAUDE_RECORD");
    if (file.empty())
        return;
    std::ofstream out(file, std::ios::app);
    out << "CLAUDE_CONFIG_DIR=" << variable("CLAUDE_CONFIG_DIR", "-")
        << " HOME=" << variable("HOME");
    for (const std::string& argument : arguments)
        out << " " << argument;
    out << "\n";
}

int removeServer(const std::string& name) {
    const char* configDir = std::getenv("CLAUDE_CONFIG_DIR");
    const std::string folder = configDir ? configDir : variable("HOME");
    if (folder == variable("KH_CLAUDE_KEEPS"))
        return 0;
    const std::filesystem::path file = std::filesystem::path(folder) / ".claude.json";
    auto read = SampleBridge::ClaudeFiles::readObject(file);
    if (!read.document || !read.document->contains("mcpServers")) {
        std::cerr << "No MCP server named " << name << "\n";
        return 1;
    }
    (*read.document)["mcpServers"].erase(name);
    std::string error;
    if (!SampleBridge::ClaudeFiles::writeObject(file, *read.document, error)) {
        std::cerr << error << "\n";
        return 1;
    }
    std::cout << "Removed MCP server " << name << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    record(arguments);
    if (arguments == std::vector<std::string>{"--version"}) {
        std::cout << "2.1.300 (Claude Code)\n";
        return 0;
    }
    if (arguments.size() == 5 && arguments[0] == "mcp" && arguments[1] == "remove" &&
        arguments[2] == "--scope" && arguments[3] == "user")
        return removeServer(arguments[4]);
    std::cerr << "usage: claude --version | claude mcp remove --scope user <name>\n";
    return 2;
}
