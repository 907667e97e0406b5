#include "DossierOutbox.h"

#include "RecordFile.h"
#include "ShareGroup.h"

#include <Foundation/FileDescriptor.h>
#include <Foundation/FileIO.h>
#include <Foundation/SetAside.h>
#include <Foundation/UUID.h>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view itemSuffix = ".json";
constexpr std::string_view answerSuffix = ".answer.json";
// An answer whose item is gone is kept this long for the sheet to read.
constexpr double orphanAnswerAge = 60000;

// The record of a valid ref from its file, when the file holds that same ref.
template <class Record>
std::optional<Record> read(std::string_view ref, const std::filesystem::path& file,
                           std::size_t limit) {
    if (!DossierOutbox::isValidRef(ref))
        return std::nullopt;
    auto record = RecordFile::read<Record>(file, limit);
    if (!record || record->ref != ref)
        return std::nullopt;
    return record;
}

// The names in the folder, in listing order; none when it cannot be listed, with `error`, when
// given, the system's reason. Read with the system's calls: the relay lists the folder once per
// item it posts.
std::vector<std::string> folderNames(const std::filesystem::path& folder,
                                     std::error_code* error = nullptr) {
    std::vector<std::string> names;
    DIR* entries = ::opendir(folder.c_str());
    if (!entries) {
        if (error)
            *error = {errno, std::generic_category()};
        return names;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(entries);
        if (!entry)
            break;
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    if (errno != 0 && error)
        *error = {errno, std::generic_category()};
    ::closedir(entries);
    return names;
}

// The ref an item file's name holds, within the name.
std::optional<std::string_view> refInFileName(std::string_view name) {
    if (!name.ends_with(itemSuffix) || name.ends_with(answerSuffix))
        return std::nullopt;
    name.remove_suffix(itemSuffix.size());
    return DossierOutbox::isValidRef(name) ? std::optional(name) : std::nullopt;
}

// What tells one version of a file from another; an atomic replacement is a new inode.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileIdentity& other) const {
        const auto same = [](const timespec& a, const timespec& b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return device == other.device && inode == other.inode && size == other.size &&
               same(modified, other.modified) && same(changed, other.changed);
    }
};

// The identity of a regular file in an open folder, not through a link.
std::optional<FileIdentity> identity(int folder, const char* name) {
    struct stat status {};
    if (::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino, status.st_size, status.st_mtim,
                        status.st_ctim};
}

} // namespace

struct DossierOutbox::ItemCache::Entry {
    FileIdentity identity;
    // None while the file does not read.
    std::shared_ptr<const DossierOutboxItem> item;
};

DossierOutbox::ItemCache::ItemCache() = default;
DossierOutbox::ItemCache::~ItemCache() = default;

std::optional<DossierOutbox> DossierOutbox::shared(std::string_view group) {
    const auto container = ShareGroup::container(group);
    if (!container)
        return std::nullopt;
    return DossierOutbox{*container / folderName};
}

std::string DossierOutbox::newRef() {
    std::string ref = "s";
    for (const char c : Foundation::UUID::random().uuidString()) {
        if (c != '-')
            ref += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ref;
}

bool DossierOutbox::isValidRef(std::string_view ref) {
    return ref.size() == 33 && ref[0] == 's' && std::all_of(ref.begin() + 1, ref.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

std::string DossierOutbox::fileName(std::string_view ref) {
    return std::string(ref) + std::string(itemSuffix);
}

std::string DossierOutbox::answerName(std::string_view ref) {
    return std::string(ref) + std::string(answerSuffix);
}

std::optional<std::string> DossierOutbox::refFromFileName(std::string_view name) {
    if (const auto ref = refInFileName(name))
        return std::string(*ref);
    return std::nullopt;
}

std::optional<std::string> DossierOutbox::refFromAnswerName(std::string_view name) {
    if (!name.ends_with(answerSuffix))
        return std::nullopt;
    name.remove_suffix(answerSuffix.size());
    return isValidRef(name) ? std::optional<std::string>(name) : std::nullopt;
}

std::filesystem::path DossierOutbox::url(std::string_view ref) const {
    return directory / fileName(ref);
}

std::filesystem::path DossierOutbox::answerURL(std::string_view ref) const {
    return directory / answerName(ref);
}

std::optional<OutboxError> DossierOutbox::writeWhole(Foundation::Bytes data,
                                                     const std::filesystem::path& url) {
    const std::string name = url.filename().string();
    const auto failure = Foundation::atomicWrite(url, data, 0600, [](const std::string& target) {
        return "." + target + "." + Foundation::UUID::random().uuidString().substr(0, 8) + ".tmp";
    });
    if (!failure)
        return std::nullopt;
    if (failure->renaming)
        return OutboxError::write(name + ": " + failure->code.message());
    return OutboxError::write(name);
}

std::optional<ShareWriteError> DossierOutbox::prepare() const {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(directory, error);
    if (!std::filesystem::exists(status) && !Foundation::createFolder(directory, &error))
        return makingFolder(directory, error);
    Foundation::excludeFromBackup(directory);
    return std::nullopt;
}

std::optional<ShareWriteError> DossierOutbox::add(const DossierOutboxItem& item) const {
    return write(item.ref, item.json(), url(item.ref), maxFileBytes);
}

std::optional<ShareWriteError> DossierOutbox::writeAnswer(const DossierShareAnswer& answer) const {
    return write(answer.ref, answer.json(), answerURL(answer.ref), maxAnswerBytes);
}

std::optional<ShareWriteError> DossierOutbox::write(std::string_view ref,
                                                    const JSONCoding::OrderedJSON& record,
                                                    const std::filesystem::path& file,
                                                    std::size_t limit) const {
    if (!isValidRef(ref))
        return OutboxError::badRef();
    if (auto failure = prepare())
        return failure;
    if (auto failure = RecordFile::write(record, file, limit))
        return *failure;
    return std::nullopt;
}

std::filesystem::path DossierOutbox::lockURL() const {
    return directory.parent_path() / lockName;
}

std::optional<Foundation::FileLock>
DossierOutbox::relayLock(std::string_view role, std::error_code* error,
                         std::filesystem::path* movedAside) const {
    if (!Foundation::createFolder(directory.parent_path(), error))
        return std::nullopt;
    const std::filesystem::path file = lockURL();
    std::error_code refused;
    auto lock = Foundation::FileLock::take(file, Foundation::FileLock::Wait::No, &refused);
    if (!lock && refused != std::errc::operation_would_block && clearLockPath(movedAside))
        lock = Foundation::FileLock::take(file, Foundation::FileLock::Wait::No, &refused);
    if (!lock) {
        if (error)
            *error = refused;
        return std::nullopt;
    }
    // The record only names the holder to others: the lock holds without it.
    lock->record(OutboxRelayer{::getpid(), std::string(role)}.text());
    return lock;
}

bool DossierOutbox::clearLockPath(std::filesystem::path* movedAside) const {
    // Relays look and move one at a time: a relay that saw a folder here must not move the lock
    // file that another put in its place meanwhile. Only this moves anything from the path.
    const auto looking = Foundation::FileLock::takeFolder(directory.parent_path());
    if (!looking)
        return false;
    const std::filesystem::path file = lockURL();
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0)
        return errno == ENOENT;
    if (S_ISREG(status.st_mode))
        return true;
    std::filesystem::path aside;
    if (Foundation::setAside(file, aside))
        return false;
    if (movedAside)
        *movedAside = std::move(aside);
    return true;
}

std::optional<OutboxRelayer> DossierOutbox::relayer() const {
    const auto record =
        Foundation::readFile(lockURL(), OutboxRelayer::maxBytes, Foundation::Links::Refuse);
    if (!record)
        return std::nullopt;
    return OutboxRelayer::parse(Foundation::textView(*record));
}

std::vector<std::string> DossierOutbox::refs() const {
    std::vector<std::string> refs;
    for (const std::string& name : folderNames(directory)) {
        if (auto ref = refFromFileName(name))
            refs.push_back(std::move(*ref));
    }
    return refs;
}

std::optional<DossierOutboxItem> DossierOutbox::item(std::string_view ref) const {
    return read<DossierOutboxItem>(ref, url(ref), maxFileBytes);
}

bool DossierOutbox::olderFirst(const DossierOutboxItem& a, const DossierOutboxItem& b) {
    if (a.createdAt != b.createdAt)
        return a.createdAt < b.createdAt;
    return a.ref < b.ref;
}

std::vector<DossierOutboxItem> DossierOutbox::items() const {
    return listing().items;
}

DossierOutbox::Listing DossierOutbox::listing() const {
    Listing listing;
    std::error_code error;
    const std::vector<std::string> names = folderNames(directory, &error);
    if (error) {
        listing.unread.push_back({directory.string(), error});
        return listing;
    }
    for (const std::string& name : names) {
        const auto ref = refInFileName(name);
        if (!ref)
            continue;
        auto read =
            Foundation::readRegularFile(directory / name, maxFileBytes, Foundation::Links::Refuse);
        if (read.data) {
            auto item = JSONCoding::decode<DossierOutboxItem>(*read.data);
            if (item && item->ref == *ref)
                listing.items.push_back(std::move(*item));
        } else if (read.failure == Foundation::ReadFailure::TooLarge) {
            listing.unread.push_back({name, std::make_error_code(std::errc::file_too_large)});
        } else if (read.failure == Foundation::ReadFailure::Unreadable) {
            listing.unread.push_back({name, read.error});
        }
    }
    std::stable_sort(listing.items.begin(), listing.items.end(), olderFirst);
    return listing;
}

std::vector<DossierOutbox::ItemChange> DossierOutbox::changes(ItemCache& cache) const {
    auto& entries = cache.m_entries;
    std::vector<ItemChange> changes;
    // Takes an entry out of the cache, reporting its item as gone.
    const auto drop = [&](auto entry) {
        if (entry->second.item)
            changes.push_back({entry->first, nullptr});
        return entries.erase(entry);
    };
    // Looks at one item file through the open folder: a file unchanged since it was last read
    // keeps what that read gave, item or none; a changed one is read again, and a file gone or
    // not regular leaves the cache.
    const auto look = [&](int folder, std::string_view ref, const char* name) {
        const auto file = identity(folder, name);
        auto known = entries.find(ref);
        if (!file) {
            if (known != entries.end())
                drop(known);
            return;
        }
        if (known != entries.end() && known->second.identity == *file)
            return;
        auto item = this->item(ref);
        auto shared = item ? std::make_shared<const DossierOutboxItem>(std::move(*item)) : nullptr;
        if (known == entries.end())
            known = entries.emplace(std::string(ref), ItemCache::Entry{}).first;
        if (shared || known->second.item)
            changes.push_back({known->first, shared});
        known->second = {*file, std::move(shared)};
    };

    if (cache.m_changes && cache.m_changes->broken())
        cache.m_changes.reset();
    // The record starts before the folder is read, so nothing changed during the reading is
    // missed; what it reports from then is looked at again next time.
    if (!cache.m_changes) {
        cache.m_changes = Foundation::FolderChanges::watch(directory);
        cache.m_whole = true;
    }
    const auto changed = cache.m_changes ? cache.m_changes->changed() : std::nullopt;
    const bool whole = cache.m_whole || !changed;
    cache.m_whole = !cache.m_changes;

    if (whole) {
        DIR* folder = ::opendir(directory.c_str());
        std::set<std::string, std::less<>> present;
        while (const dirent* entry = folder ? ::readdir(folder) : nullptr) {
            if (const auto ref = refInFileName(entry->d_name)) {
                look(::dirfd(folder), *ref, entry->d_name);
                present.emplace(*ref);
            }
        }
        if (folder)
            ::closedir(folder);
        for (auto entry = entries.begin(); entry != entries.end();)
            entry = present.contains(entry->first) ? std::next(entry) : drop(entry);
    } else {
        std::set<std::string, std::less<>> refs;
        for (const std::string& name : *changed) {
            if (const auto ref = refInFileName(name))
                refs.emplace(*ref);
        }
        const Foundation::FileDescriptor folder(
            refs.empty() ? -1 : ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        for (const std::string& ref : refs)
            look(folder.get(), ref, fileName(ref).c_str());
    }
    return changes;
}

std::optional<DossierShareAnswer> DossierOutbox::answer(std::string_view ref) const {
    return read<DossierShareAnswer>(ref, answerURL(ref), maxAnswerBytes);
}

void DossierOutbox::remove(std::string_view ref) const {
    if (isValidRef(ref))
        ::unlink(url(ref).c_str());
}

void DossierOutbox::removeAnswer(std::string_view ref) const {
    if (isValidRef(ref))
        ::unlink(answerURL(ref).c_str());
}

void DossierOutbox::sweepAnswers(double now, double age) const {
    const std::vector<std::string> names = folderNames(directory);
    std::set<std::string_view> live;
    for (const std::string& name : names) {
        if (const auto ref = refInFileName(name))
            live.insert(*ref);
    }
    for (const std::string& name : names) {
        const auto ref = refFromAnswerName(name);
        if (!ref)
            continue;
        // A broken, mismatched or unreadable answer reads as absent: it goes too.
        const auto answer = this->answer(*ref);
        const bool stale = !answer || now - answer->at > age ||
                           (!live.contains(*ref) && now - answer->at > orphanAnswerAge);
        if (stale)
            ::unlink(answerURL(*ref).c_str());
    }
}
