#include "ItemProvider.h"

#include "FileURL.h"

#include <Dispatch/DispatchQueue.h>
#include <UniformTypeIdentifiers/UTType.h>
#include <map>
#include <mutex>

namespace AppExtensions {

namespace {

using UniformTypeIdentifiers::UTType;

bool conformsTo(const std::string& identifier, const UTType& type) {
    auto known = UTType::make(identifier);
    return known && known->conforms(type);
}

// Runs `load` on a global queue and hands its value, converted by `convert`, to `done`.
template <typename T, typename Convert>
void deliver(const ItemProvider::Loader* load, std::function<void(std::optional<T>)> done,
             Convert convert) {
    if (!load) {
        Dispatch::DispatchQueue::global().async([done] { done(std::nullopt); });
        return;
    }
    Dispatch::DispatchQueue::global().async([load = *load, done, convert] {
        auto value = load();
        done(value ? convert(*value) : std::nullopt);
    });
}

struct Scopes {
    std::mutex lock;
    std::map<std::filesystem::path, int> open;
};

Scopes& scopes() {
    static Scopes instance;
    return instance;
}

} // namespace

void ItemProvider::registerItem(std::string type, Loader load) {
    m_types.push_back(std::move(type));
    m_loaders.push_back(std::move(load));
}

void ItemProvider::registerItem(std::string type, Representation value) {
    registerItem(std::move(type), [value] { return std::optional<Representation>(value); });
}

void ItemProvider::registerFile(const std::filesystem::path& path) {
    SecurityScope::grant(path);
    registerItem(UTType::fileURL().identifier(), Representation(fileURL(path)));
}

const ItemProvider::Loader*
ItemProvider::find(const std::function<bool(const std::string&)>& fits) const {
    for (std::size_t i = 0; i < m_types.size(); ++i) {
        if (fits(m_types[i])) {
            return &m_loaders[i];
        }
    }
    return nullptr;
}

void ItemProvider::loadString(std::function<void(std::optional<std::string>)> done) const {
    auto load = find([](const std::string& type) { return conformsTo(type, UTType::plainText()); });
    deliver<std::string>(load, std::move(done),
                         [](const Representation& value) -> std::optional<std::string> {
                             if (auto* text = std::get_if<std::string>(&value)) {
                                 return *text;
                             }
                             if (auto* data = std::get_if<Foundation::Data>(&value)) {
                                 std::string text(data->begin(), data->end());
                                 if (Foundation::isValidUTF8(text)) {
                                     return text;
                                 }
                             }
                             return std::nullopt;
                         });
}

void ItemProvider::loadURL(std::function<void(std::optional<Foundation::URL>)> done) const {
    auto load = find([](const std::string& type) { return conformsTo(type, UTType::url()); });
    deliver<Foundation::URL>(load, std::move(done),
                             [](const Representation& value) -> std::optional<Foundation::URL> {
                                 if (auto* url = std::get_if<Foundation::URL>(&value)) {
                                     return *url;
                                 }
                                 if (auto* text = std::get_if<std::string>(&value)) {
                                     return Foundation::URL::parse(*text);
                                 }
                                 return std::nullopt;
                             });
}

void ItemProvider::loadDataRepresentation(
    std::string_view type, std::function<void(std::optional<Foundation::Data>)> done) const {
    auto load = find([type](const std::string& registered) { return registered == type; });
    deliver<Foundation::Data>(
        load, std::move(done), [](const Representation& value) -> std::optional<Foundation::Data> {
            if (auto* data = std::get_if<Foundation::Data>(&value)) {
                return *data;
            }
            const std::string& text = std::holds_alternative<std::string>(value)
                                          ? std::get<std::string>(value)
                                          : std::get<Foundation::URL>(value).absoluteString();
            return Foundation::Data(text.begin(), text.end());
        });
}

namespace SecurityScope {

void grant(const std::filesystem::path& path) {
    std::lock_guard guard(scopes().lock);
    scopes().open.try_emplace(path, 0);
}

bool startAccessing(const std::filesystem::path& path) {
    std::lock_guard guard(scopes().lock);
    auto found = scopes().open.find(path);
    if (found == scopes().open.end()) {
        return false;
    }
    ++found->second;
    return true;
}

void stopAccessing(const std::filesystem::path& path) {
    std::lock_guard guard(scopes().lock);
    auto found = scopes().open.find(path);
    if (found != scopes().open.end() && found->second > 0) {
        --found->second;
    }
}

int accessCount(const std::filesystem::path& path) {
    std::lock_guard guard(scopes().lock);
    auto found = scopes().open.find(path);
    return found == scopes().open.end() ? 0 : found->second;
}

} // namespace SecurityScope

} // namespace AppExtensions
