// Safe edits of another program's JSON file.
//
// `edit` follows the file through symbolic links, parses it with the
// order-preserving parser, lets the caller's change act on the tree, writes
// the result to a temporary file beside it and, when nobody changed the file
// meanwhile, keeps a backup of the old bytes and renames the new file into
// place; the folder is then synced. "Changed" means any difference in device,
// inode, modification time (to the nanosecond) or size, looked at once after
// the temporary file is written and once more just before the rename. A file
// that keeps changing is tried three times.
//
// Any failure leaves the file exactly as it was, reported as a fragment that
// follows a step title ("can't read it", "it isn't valid JSON (…), so it was
// left alone"). A file whose text the parser could not decode exactly is
// never rewritten. Reads are bounded and never block on a FIFO or device; only
// the temporary file and backup this edit made are ever removed.
#pragma once

#include "JSON.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

struct EditOutcome {
    enum class Kind { changed, failed, nothingOurs, missing };

    Kind kind = Kind::missing;
    // changed: what the change returned, for example "2 hooks".
    std::string summary;
    // changed: the path of the backup of the old bytes.
    std::string backup;
    // failed: why nothing was changed.
    std::string message;

    static EditOutcome changed(std::string summary, std::string backup) {
        return {Kind::changed, std::move(summary), std::move(backup), {}};
    }
    static EditOutcome failed(std::string message) {
        return {Kind::failed, {}, {}, std::move(message)};
    }
    static EditOutcome nothingOurs() { return {Kind::nothingOurs, {}, {}, {}}; }
    static EditOutcome missing() { return {Kind::missing, {}, {}, {}}; }

    bool operator==(const EditOutcome&) const = default;
};

namespace ConfigFile {

// Acts on the parsed document in place; gives a summary when it changed something.
using Change = std::function<std::optional<std::string>(JSON&)>;

// Larger files are not read.
inline constexpr std::size_t maximumSize = 256 * 1024 * 1024;

// Points inside an edit at which tests change the file, to exercise the change checks.
struct Seams {
    // After the temporary file is written, before the first comparison.
    std::function<void()> afterTemporaryFile;
    // After the backup is written, before the last comparison and the rename.
    std::function<void()> afterBackup;
};

// The backup is "<resolved path>.kh-uninstall-<stamp>"; one stamp serves a whole run.
EditOutcome edit(const std::filesystem::path& url, const std::string& stamp, const Change& change,
                 const Seams& seams = {});

// What `change` would give for the file's present content; nothing when the file can't be read
// or isn't JSON. Writes nothing.
std::optional<std::string> peek(const std::filesystem::path& url, const Change& change);

// The file's document, symbolic links followed; nothing when it can't be read or isn't JSON.
std::optional<JSON> read(const std::filesystem::path& url);

} // namespace ConfigFile
