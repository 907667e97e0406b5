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
// Both files are written whole under a temporary name and synced before they
// take their place, the backup never over another file: an edit killed at any
// point leaves the old or the new file, and no partial file under a backup's
// name. The temporary files of a killed edit go at the next edit of that file.
//
// Any failure leaves the file exactly as it was, reported as a fragment that
// follows a step title ("can't read it", "it isn't valid JSON (…), so it was
// left alone"). A file whose text the parser could not decode exactly is
// never rewritten. Reads are bounded and never block on a FIFO or device. Only
// the temporary files and backup this edit made are ever removed, and those an
// edit of the same file left behind in a process that no longer runs.
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
    // After the backup is in place, before the last comparison and the rename.
    std::function<void()> afterBackup;
};

// What an edit would find in the file's present content.
struct Finding {
    // What the change gives.
    std::string summary;
    // Set when the edit would leave the file alone all the same: why.
    std::optional<std::string> refusal;

    bool operator==(const Finding&) const = default;
};

// The backup is "<resolved path>.kh-uninstall-<stamp>"; one stamp serves a whole run.
EditOutcome edit(const std::filesystem::path& url, const std::string& stamp, const Change& change,
                 const Seams& seams = {});

// What an edit with `change` would find, by the edit's own checks; nothing when the file can't be
// read, isn't JSON or holds nothing for the change. Writes nothing.
std::optional<Finding> peek(const std::filesystem::path& url, const Change& change);

} // namespace ConfigFile
