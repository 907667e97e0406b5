// The state files the two programs leave for each other in the App Group.
//
// "ShareState/mac.json" is written by the menu-bar application: whether it is
// alive (its heartbeat `menuAt`), whether the bridge is up, the Dossier's
// item limit, whether the Dossier is full, and its recent tags. Every key is
// required. "ShareState/extension.json" is the extension's own memory of the
// last tag chosen. Both are read only as regular files of at most 64 KiB,
// never through a symbolic link, and written atomically into a folder made
// with mode 0700 at every write.
#pragma once

#include "OutboxError.h"

#include <JSONCoding/JSONCoding.h>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct MacShareState {
    std::vector<std::string> recentTags;
    std::int64_t itemChars = 0;
    bool full = false;
    bool bridgeUp = false;
    double menuAt = 0;

    // How often the menu-bar application renews `menuAt`, in milliseconds.
    static constexpr double heartbeat = 60000;
    // How long after its last heartbeat the menu-bar application still counts as running.
    static constexpr double runningAge = 150000;

    // True when `menuAt` is set and less than `runningAge` before `now` (a future one counts).
    bool menuRunning(double now) const;

    static MacShareState decode(const JSONCoding::Decoder& d);
    JSONCoding::OrderedJSON json() const;

    bool operator==(const MacShareState&) const = default;
};

struct ExtensionShareState {
    std::optional<std::string> lastTag;

    static ExtensionShareState decode(const JSONCoding::Decoder& d);
    JSONCoding::OrderedJSON json() const;

    bool operator==(const ExtensionShareState&) const = default;
};

struct ShareStateStore {
    std::filesystem::path directory;

    static constexpr std::string_view folderName = "ShareState";
    static constexpr std::size_t maxFileBytes = 65536;

    // The store in the container of the App Group `group`; nothing without a container.
    static std::optional<ShareStateStore> shared(std::string_view group);

    // Nothing on any failure.
    std::optional<MacShareState> mac() const;
    std::optional<ShareWriteError> writeMac(const MacShareState& state) const;
    // An empty state on any failure.
    ExtensionShareState ext() const;
    std::optional<ShareWriteError> writeExt(const ExtensionShareState& state) const;
};
