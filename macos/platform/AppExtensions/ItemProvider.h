// Item providers, extension items and the security scope of shared files.
//
// An item provider offers one shared thing in one or more representations,
// each under a type identifier, in the order they were registered (the
// order a host prefers them). A representation is a text, a URL or bytes,
// made when it is asked for; every load answers once, on a queue other than
// the main one, with nothing when the provider has no fitting representation
// or making it failed. Loading a text takes the first representation whose
// type conforms to plain text; loading a URL the first that conforms to a
// URL; loading data the one registered under exactly the type asked for.
//
// A file the host hands over as a file URL is readable inside its security
// scope: `startAccessing` gives true for such a file and must be paired with
// `stopAccessing`; `accessCount` tells tests how many pairs are open.
#pragma once

#include <Foundation/AttributedString.h>
#include <Foundation/Data.h>
#include <Foundation/URL.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace AppExtensions {

using Representation = std::variant<std::string, Foundation::URL, Foundation::Data>;

class ItemProvider {
public:
    using Loader = std::function<std::optional<Representation>()>;

    // Offers `type`, made by `load` when asked for (on a global queue).
    void registerItem(std::string type, Loader load);
    void registerItem(std::string type, Representation value);
    // Offers a file by its URL, and grants the file's security scope.
    void registerFile(const std::filesystem::path& path);

    const std::vector<std::string>& registeredTypeIdentifiers() const { return m_types; }
    const std::optional<std::string>& suggestedName() const { return m_suggestedName; }
    void setSuggestedName(std::optional<std::string> name) { m_suggestedName = std::move(name); }

    void loadString(std::function<void(std::optional<std::string>)> done) const;
    void loadURL(std::function<void(std::optional<Foundation::URL>)> done) const;
    void loadDataRepresentation(std::string_view type,
                                std::function<void(std::optional<Foundation::Data>)> done) const;

private:
    // The first registered loader whose type `fits`.
    const Loader* find(const std::function<bool(const std::string&)>& fits) const;

    std::vector<std::string> m_types;
    std::vector<Loader> m_loaders;
    std::optional<std::string> m_suggestedName;
};

// One item of a request: an optional title and content text, and its attachments.
struct ExtensionItem {
    std::optional<Foundation::AttributedString> attributedTitle;
    std::optional<Foundation::AttributedString> attributedContentText;
    std::vector<std::shared_ptr<ItemProvider>> attachments;
};

namespace SecurityScope {
void grant(const std::filesystem::path& path);
// True, and one more open access, for a granted file.
bool startAccessing(const std::filesystem::path& path);
void stopAccessing(const std::filesystem::path& path);
int accessCount(const std::filesystem::path& path);
} // namespace SecurityScope

} // namespace AppExtensions
