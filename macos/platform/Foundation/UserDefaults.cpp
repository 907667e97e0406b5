#include "UserDefaults.h"

#include "Bundle.h"
#include "FileIO.h"
#include "Home.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>

namespace Foundation::UserDefaults {

namespace {

// Defaults hold a handful of short values; a larger file is not ours.
constexpr std::size_t fileLimit = 1024 * 1024;

struct Store {
    std::mutex lock;
    std::optional<std::filesystem::path> home;
    std::optional<nlohmann::json> values;

    std::filesystem::path path() const {
        const std::string name = Bundle::main().identifier().value_or("defaults") + ".json";
        return home.value_or(homeDirectory()) / "Library" / "Preferences" / name;
    }

    // With the lock held.
    nlohmann::json& loaded() {
        if (!values) {
            values = nlohmann::json::object();
            if (const auto bytes = readFile(path(), fileLimit)) {
                auto parsed = nlohmann::json::parse(bytes->begin(), bytes->end(), nullptr, false);
                if (parsed.is_object())
                    values = std::move(parsed);
            }
        }
        return *values;
    }

    // With the lock held.
    void save() {
        const auto target = path();
        if (!createFolder(target.parent_path()))
            return;
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
