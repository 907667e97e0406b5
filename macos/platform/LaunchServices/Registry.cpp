#include "Registry.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <Foundation/PropertyList.h>
#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace LaunchServices {

namespace {

using Foundation::PropertyList;

constexpr std::string_view applicationsFolder = "applications";
constexpr std::string_view plugInsFolder = "plugins";
constexpr std::string_view electionsFolder = "elections";

Foundation::Error failure(int code, const std::string& sentence) {
    return {Foundation::posixErrorDomain, code, sentence};
}

// Identifiers name files in the registry.
bool isValidIdentifier(std::string_view identifier) {
    return !identifier.empty() && identifier.front() != '.' &&
           identifier.find('/') == std::string_view::npos &&
           identifier.find('\0') == std::string_view::npos;
}

const std::string* textAt(const PropertyList& record, std::string_view key) {
    const auto* value = record.find(key);
    return value ? value->text() : nullptr;
}

std::optional<PropertyList> infoOf(const std::filesystem::path& bundle) {
    return Foundation::readPropertyList(bundle / "Contents" / "Info.plist");
}

std::string versionOf(const PropertyList& info) {
    for (const std::string_view key : {"CFBundleShortVersionString", "CFBundleVersion"}) {
        if (const auto* version = textAt(info, key); version && !version->empty())
            return *version;
    }
    return "0";
}

std::optional<Foundation::Error> write(const std::filesystem::path& file,
                                       const PropertyList::Dictionary& record) {
    std::error_code error;
    if (!Foundation::createFolder(file.parent_path(), &error))
        return Foundation::posixError(error, "Couldn't make " + file.parent_path().string());
    std::string sentence;
    if (!Foundation::writeFileAtomically(
            file, Foundation::dataFrom(Foundation::serializePropertyList(record)), 0600, &sentence))
        return failure(EIO, sentence);
    return std::nullopt;
}

std::string_view electionWord(Election election) {
    return election == Election::use ? "use" : "ignore";
}

} // namespace

Registry::Registry(std::filesystem::path home)
    : m_folder(std::move(home) / ".standins" / "launchservices") {}

Registry Registry::current() {
    return Registry(Foundation::homeDirectory());
}

std::optional<Foundation::Error> Registry::registerBundle(const std::filesystem::path& bundle,
                                                          bool recursive, bool trusted) const {
    const auto info = infoOf(bundle);
    const auto* identifier = info ? textAt(*info, "CFBundleIdentifier") : nullptr;
    if (!identifier || !isValidIdentifier(*identifier))
        return failure(EINVAL, "No bundle with a valid identifier at " + bundle.string());
    const auto path = std::filesystem::absolute(bundle).lexically_normal();
    if (auto error = write(m_folder / applicationsFolder / (*identifier + ".plist"),
                           {{"Path", path.string()}, {"Trusted", trusted}}))
        return error;
    if (!recursive)
        return std::nullopt;
    std::error_code error;
    std::filesystem::directory_iterator entries(path / "Contents" / "PlugIns", error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (entries->path().extension() != ".appex")
            continue;
        if (auto failed = registerPlugIn(entries->path(), *identifier))
            return failed;
    }
    return std::nullopt;
}

std::optional<Foundation::Error> Registry::registerPlugIn(const std::filesystem::path& bundle,
                                                          const std::string& parent) const {
    const auto info = infoOf(bundle);
    const auto* identifier = info ? textAt(*info, "CFBundleIdentifier") : nullptr;
    const auto* extension = info ? info->find("NSExtension") : nullptr;
    const auto* point = extension ? textAt(*extension, "NSExtensionPointIdentifier") : nullptr;
    // A bundle that is not an extension is not a plug-in: it is passed over, as the system does.
    if (!identifier || !isValidIdentifier(*identifier) || !point)
        return std::nullopt;
    return write(m_folder / plugInsFolder / (*identifier + ".plist"),
                 {{"Path", bundle.string()},
                  {"Version", versionOf(*info)},
                  {"Point", *point},
                  {"Parent", parent}});
}

std::optional<std::filesystem::path> Registry::application(std::string_view identifier) const {
    if (!isValidIdentifier(identifier))
        return std::nullopt;
    const auto record = Foundation::readPropertyList(m_folder / applicationsFolder /
                                                     (std::string(identifier) + ".plist"));
    const auto* path = record ? textAt(*record, "Path") : nullptr;
    if (!path)
        return std::nullopt;
    return *path;
}

std::vector<PlugIn> Registry::plugIns() const {
    std::vector<PlugIn> found;
    std::error_code error;
    std::filesystem::directory_iterator entries(m_folder / plugInsFolder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string identifier = entries->path().stem().string();
        if (entries->path().extension() != ".plist" || !isValidIdentifier(identifier))
            continue;
        const auto record = Foundation::readPropertyList(entries->path());
        if (!record)
            continue;
        const auto* path = textAt(*record, "Path");
        const auto* version = textAt(*record, "Version");
        const auto* point = textAt(*record, "Point");
        const auto* parent = textAt(*record, "Parent");
        if (!path || !version || !point || !parent ||
            !std::filesystem::exists(std::filesystem::path(*path) / "Contents" / "Info.plist"))
            continue;
        found.push_back({identifier, *version, *path, *point, *parent, election(identifier)});
    }
    std::sort(found.begin(), found.end(),
              [](const PlugIn& a, const PlugIn& b) { return a.identifier < b.identifier; });
    return found;
}

Election Registry::election(std::string_view identifier) const {
    const auto record = Foundation::readPropertyList(m_folder / electionsFolder /
                                                     (std::string(identifier) + ".plist"));
    const auto* word = record ? textAt(*record, "Election") : nullptr;
    if (word && *word == electionWord(Election::use))
        return Election::use;
    if (word && *word == electionWord(Election::ignore))
        return Election::ignore;
    return Election::none;
}

std::optional<Foundation::Error> Registry::elect(std::string_view identifier,
                                                 Election election) const {
    const auto plugIns = this->plugIns();
    if (std::none_of(plugIns.begin(), plugIns.end(),
                     [&](const PlugIn& plugIn) { return plugIn.identifier == identifier; }))
        return failure(ENOENT, "No plug-in with the identifier " + std::string(identifier));
    const auto file = m_folder / electionsFolder / (std::string(identifier) + ".plist");
    if (election == Election::none) {
        if (::unlink(file.c_str()) != 0 && errno != ENOENT)
            return Foundation::posixError(errno, "Couldn't remove " + file.string());
        return std::nullopt;
    }
    return write(file, {{"Election", std::string(electionWord(election))}});
}

} // namespace LaunchServices
