#include "UserDefaults.h"

#include "Bundle.h"
#include "FileIO.h"
#include "Home.h"
#include "Log.h"
#include "SetAside.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>

namespace Foundation::UserDefaults {

namespace {

// Defaults hold a handful of short values; a larger file is not ours.
constexpr std::size_t fileLimit = 1024 * 1024;

// What the last read found at the file's path.
enum class FileState {
    // Nothing, or the values: writing replaces it.
    usable,
    // A file never written over, so the values live in memory only: one that could not be read,
    // or an unusable one that could not be set aside.
    leftAlone,
    // A file that was read but holds no values (not a JSON object, or too large): set aside
    // before the first write.
    unusable,
};

Logger logger() {
    return Logger(Bundle::main().identifier().value_or("defaults"), "defaults");
}

// Moves the file at `target` out of the way; false, logged, when it can't be moved. A file that
// is gone meanwhile needs no moving.
bool setAside(const std::filesystem::path& target, const std::string& why) {
    std::filesystem::path aside;
    const std::error_code moved = Foundation::setAside(target, aside);
    if (!moved) {
        logger().error("The preferences file " + target.string() + " " + why +
                       "; it was moved aside to " + aside.filename().string());
        return true;
    }
    if (moved == std::errc::no_such_file_or_directory)
        return true;
    logger().error("The preferences file " + target.string() + " " + why +
                   " and couldn't be moved aside (" + moved.message() +
                   "); changes are kept until the application quits");
    return false;
}

struct Store {
    std::mutex lock;
    std::optional<std::filesystem::path> home;
    std::optional<nlohmann::json> values;
    FileState fileState = FileState::usable;
    // Why an unusable file holds no values.
    std::string unusableBecause;

    std::filesystem::path path() const {
        const std::string name = Bundle::main().identifier().value_or("defaults") + ".json";
        return home.value_or(homeDirectory()) / "Library" / "Preferences" / name;
    }

    // With the lock held.
    nlohmann::json& loaded() {
        if (values)
            return *values;
        values = nlohmann::json::object();
        fileState = FileState::usable;
        const auto target = path();
        auto read = readRegularFile(target, fileLimit);
        if (read.data) {
            auto parsed =
                nlohmann::json::parse(read.data->begin(), read.data->end(), nullptr, false);
            if (parsed.is_object())
                values = std::move(parsed);
            else
                markUnusable("isn't a JSON object");
        } else if (read.failure == ReadFailure::TooLarge) {
            markUnusable("is larger than " + std::to_string(fileLimit) + " bytes");
        } else if (read.failure != ReadFailure::Missing) {
            fileState = FileState::leftAlone;
            logger().error("The preferences file " + target.string() +
                           " can't be read; it is left as it is, and changes are kept until the "
                           "application quits");
        }
        return *values;
    }

    void markUnusable(std::string why) {
        fileState = FileState::unusable;
        unusableBecause = std::move(why);
    }

    // With the lock held.
    void save() {
        if (fileState == FileState::leftAlone)
            return;
        const auto target = path();
        if (!createFolder(target.parent_path()))
            return;
        if (fileState == FileState::unusable) {
            fileState =
                setAside(target, unusableBecause) ? FileState::usable : FileState::leftAlone;
            if (fileState == FileState::leftAlone)
                return;
        }
        // Text that is not UTF-8 is written with replacement characters rather than lost.
        const std::string text =
            values->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        writeFileAtomically(target, dataFrom(text), 0600);
    }

    // The value under `key` when `is` says it has the type wanted.
    template <class T, class Is> std::optional<T> read(std::string_view key, Is is) {
        std::lock_guard guard(lock);
        const auto& all = loaded();
        const auto found = all.find(key);
        if (found == all.end() || !std::invoke(is, *found))
            return std::nullopt;
        return found->get<T>();
    }

    template <class Change> void change(Change&& apply) {
        std::lock_guard guard(lock);
        apply(loaded());
        save();
    }
};

// Never destroyed: background threads may read defaults while the process exits.
Store& store() {
    static auto* shared = new Store;
    return *shared;
}

} // namespace

void setHome(std::filesystem::path home) {
    Store& shared = store();
    std::lock_guard guard(shared.lock);
    shared.home = std::move(home);
    shared.values.reset();
}

std::filesystem::path file() {
    Store& shared = store();
    std::lock_guard guard(shared.lock);
    return shared.path();
}

std::optional<bool> boolean(std::string_view key) {
    return store().read<bool>(key, &nlohmann::json::is_boolean);
}

std::optional<std::string> string(std::string_view key) {
    return store().read<std::string>(key, &nlohmann::json::is_string);
}

std::optional<std::vector<std::string>> stringList(std::string_view key) {
    return store().read<std::vector<std::string>>(key, [](const nlohmann::json& value) {
        return value.is_array() &&
               std::all_of(value.begin(), value.end(), [](const auto& e) { return e.is_string(); });
    });
}

void setBool(std::string_view key, bool value) {
    store().change([&](nlohmann::json& values) { values[std::string(key)] = value; });
}

void setString(std::string_view key, std::string value) {
    store().change([&](nlohmann::json& values) { values[std::string(key)] = std::move(value); });
}

void setStringList(std::string_view key, std::vector<std::string> value) {
    store().change([&](nlohmann::json& values) { values[std::string(key)] = std::move(value); });
}

void remove(std::string_view key) {
    store().change([&](nlohmann::json& values) { values.erase(std::string(key)); });
}

} // namespace Foundation::UserDefaults
