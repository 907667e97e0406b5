// What the uninstaller needs from the bridge's configuration file.
//
// Two things: the port of the bridge's hook URL, and the Claude Code
// configuration directories of the bridge's environments, whose files may
// hold the product's hooks and servers too. The file is the bridge's and is
// read with the platform's JSON reader, bounded and never blocking on a FIFO;
// anything missing, unreadable or of the wrong shape gives the defaults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct BridgeConfig {
    std::int64_t port = 17800;
    // Absolute paths only, in the file's order, repeats included.
    std::vector<std::string> configDirs;

    // Never fails: a missing or bad file gives the defaults.
    static BridgeConfig read(const std::filesystem::path& url);

    bool operator==(const BridgeConfig&) const = default;
};
