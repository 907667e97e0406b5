// The outbox folder in the App Group container, and its item and answer files.
//
// The extension writes one item file per share ("<ref>.json"); the menu-bar
// application writes an answer for each outcome ("<ref>.answer.json"). Every
// file has one writer and is written atomically (a hidden temporary file in
// the same folder, then a rename), and every reader checks kind, size, format
// and ref before trusting a file, so two processes share the folder without a
// lock. A ref is "s" and 32 lowercase hexadecimal digits; no other text ever
// names a file here.
//
// Reading takes regular files only, never through a symbolic link, of at most
// 16 MiB for items and 64 KiB for answers; anything else reads as absent and
// is left alone, except by the answer sweep. Writing refuses a record whose
// file would be too large to read back. Removing a file only unlinks it.
//
// One relay drains the outbox at a time: it holds the lock on the file
// "DossierOutbox.lock" beside the folder while it drains, and writes who it
// is into that file. The extension never takes it, so nothing the extension
// does waits for a relay. That file is the system's own: anything else found
// at its path (a folder, a FIFO, a symbolic link, never followed) is moved
// aside to a dated name beside it, never over another file, and the lock
// then taken.
#pragma once

#include "OutboxError.h"
#include "OutboxRecords.h"
#include "OutboxRelayer.h"

#include <Foundation/Data.h>
#include <Foundation/FileLock.h>
#include <Foundation/FolderChanges.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

struct DossierOutbox {
    using OutboxError = ::OutboxError;

    std::filesystem::path directory;

    static constexpr std::string_view folderName = "DossierOutbox";
    static constexpr std::string_view lockName = "DossierOutbox.lock";
    static constexpr std::size_t maxFileBytes = 16777216;
    static constexpr std::size_t maxAnswerBytes = 65536;
    // No item longer than this many UTF-16 units fits an item file, since each takes a byte at
    // least; larger item limits from elsewhere are brought down to it.
    static constexpr std::int64_t maxItemChars = 16777216;

    // The outbox in the container of the App Group `group`; nothing without a container.
    static std::optional<DossierOutbox> shared(std::string_view group);

    static std::string newRef();
    static bool isValidRef(std::string_view ref);
    static std::string fileName(std::string_view ref);
    static std::string answerName(std::string_view ref);
    static std::optional<std::string> refFromFileName(std::string_view name);
    static std::optional<std::string> refFromAnswerName(std::string_view name);

    // The file paths of a ref, unchecked: callers check the ref first.
    std::filesystem::path url(std::string_view ref) const;
    std::filesystem::path answerURL(std::string_view ref) const;

    // Puts `data` in place of `url` atomically, the temporary file named
    // "." + name + "." + 8 hexadecimal digits + ".tmp" and made with mode 0600.
    static std::optional<OutboxError> writeWhole(Foundation::Bytes data,
                                                 const std::filesystem::path& url);

    // Makes the folder (mode 0700, with its parents) when nothing is at its path, and marks it
    // as left out of backups.
    std::optional<ShareWriteError> prepare() const;
    std::optional<ShareWriteError> add(const DossierOutboxItem& item) const;
    std::optional<ShareWriteError> writeAnswer(const DossierShareAnswer& answer) const;

    // The relay's lock file, beside the folder.
    std::filesystem::path lockURL() const;
    // Makes this process the outbox's relay, named `role` in the lock file, for as long as the
    // lock returned lives: makes the container when missing, moves aside anything but a regular
    // file at the lock's path (its new path then in `movedAside`), and takes the lock without
    // waiting. Nothing while another relay holds it (`error` then operation_would_block) or when
    // it cannot be taken.
    std::optional<Foundation::FileLock>
    relayLock(std::string_view role, std::error_code* error = nullptr,
              std::filesystem::path* movedAside = nullptr) const;
    // Who holds, or last held, the lock, as it wrote itself there.
    std::optional<OutboxRelayer> relayer() const;

    // The refs of the item files, in the folder's listing order.
    std::vector<std::string> refs() const;
    std::optional<DossierOutboxItem> item(std::string_view ref) const;
    // Every readable item, oldest `createdAt` first, equal times by ref.
    std::vector<DossierOutboxItem> items() const;

    // What a look at the outbox could not read, and the system's reason: the folder (named by
    // its path), or an item file (by its name).
    struct Unread {
        std::string name;
        std::error_code error;
        bool operator==(const Unread&) const = default;
    };
    struct Listing {
        std::vector<DossierOutboxItem> items;
        std::vector<Unread> unread;
    };
    // The items as `items()` gives them, with what could not be read: the folder when it cannot
    // be listed (and then nothing else), or each item file that cannot be opened or read or is
    // too large. A file that reads but holds no item for its name is no failure to read.
    Listing listing() const;

    // The order of `items()`.
    static bool olderFirst(const DossierOutboxItem& a, const DossierOutboxItem& b);

    // The item files as one listing found them, kept for the next, each with the identity of
    // the file it was read from (device, inode, size, modification and change times), also when
    // it did not read. Between whole listings it follows the folder's record of changed names, so
    // a listing looks again only at the files that changed, and a file is read again only when
    // its identity changed: files that never read cost a listing nothing more than their look.
    class ItemCache {
    public:
        ItemCache();
        ~ItemCache();
        // The next listing looks at every file again, not only those the folder reported:
        // a file written through a link from elsewhere changes without a word to its folder.
        void revalidate() { m_whole = true; }

    private:
        friend struct DossierOutbox;
        struct Entry;
        // By ref; an entry without an item is a file that did not read.
        std::map<std::string, Entry, std::less<>> m_entries;
        std::unique_ptr<Foundation::FolderChanges> m_changes;
        bool m_whole = true;
    };
    // An item a listing found changed: its ref, and what the file now holds; none when the file
    // went or no longer reads.
    struct ItemChange {
        std::string ref;
        std::shared_ptr<const DossierOutboxItem> item;
    };
    // What changed among the readable items since `cache` last listed them (all of them at its
    // first listing), in no particular order. A file unchanged since then is not read again, and
    // each item is shared with the cache rather than copied: for a caller that lists the outbox
    // over and over and keeps its own account of what it holds.
    std::vector<ItemChange> changes(ItemCache& cache) const;
    std::optional<DossierShareAnswer> answer(std::string_view ref) const;

    void remove(std::string_view ref) const;
    void removeAnswer(std::string_view ref) const;

    // Deletes answers that are broken, older than `age`, or older than a minute with their item
    // gone. Times in milliseconds since 1970.
    void sweepAnswers(double now, double age) const;

private:
    // Moves anything but a regular file from the lock's path; false when something is left
    // there that can't be moved.
    bool clearLockPath(std::filesystem::path* movedAside) const;
    std::optional<ShareWriteError> write(std::string_view ref,
                                         const JSONCoding::OrderedJSON& record,
                                         const std::filesystem::path& file,
                                         std::size_t limit) const;
};

// How long the share sheet waits for its answer after writing an item, in seconds: the one
// time of the share files not in milliseconds.
namespace ShareTiming {
constexpr double answerWait = 4.0;
} // namespace ShareTiming
