// The user's Launch Services registry: the application bundles registered
// with it, the app extensions (plug-ins) they carry, and the user's election
// of each extension.
//
// It is kept in .standins/launchservices under a home folder, one property
// list per application (applications/<identifier>.plist) and per plug-in
// (plugins/<identifier>.plist), so every process of the user sees the same
// registry; the lsregister and pluginkit stand-ins work on it. Registering a
// bundle records its identifier and path; registering it recursively also
// records each extension in its Contents/PlugIns (a bundle ending in
// ".appex" whose Info.plist names an NSExtension point) with its version and
// the application that carries it. Registering again replaces those records.
//
// Elections are the user's, kept apart (elections/<identifier>.plist), so
// registering never changes one: an extension is used, ignored, or, when
// never elected, neither. Each file is replaced atomically, and no file holds
// data of the two tools both, so neither tool needs a lock.
#pragma once

#include <Foundation/Error.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace LaunchServices {

enum class Election { none, use, ignore };

struct PlugIn {
    std::string identifier;
    std::string version;
    std::filesystem::path path;
    // The extension point, NSExtension's NSExtensionPointIdentifier.
    std::string point;
    // The identifier of the application that carries it.
    std::string parent;
    Election election = Election::none;

    bool operator==(const PlugIn&) const = default;
};

class Registry {
public:
    // The registry kept under `home`.
    explicit Registry(std::filesystem::path home);
    // The registry kept under this process's home directory ($HOME).
    static Registry current();

    // Registers the application bundle at `bundle`, and with `recursive` its extensions.
    std::optional<Foundation::Error> registerBundle(const std::filesystem::path& bundle,
                                                    bool recursive, bool trusted) const;
    // The registered path of an application, if it is registered.
    std::optional<std::filesystem::path> application(std::string_view identifier) const;

    // The registered extensions whose bundle is still where it was registered, by identifier.
    std::vector<PlugIn> plugIns() const;
    // Sets the user's election of a registered extension; an error when none has that identifier.
    std::optional<Foundation::Error> elect(std::string_view identifier, Election election) const;

private:
    std::optional<Foundation::Error> registerPlugIn(const std::filesystem::path& bundle,
                                                    const std::string& parent) const;
    Election election(std::string_view identifier) const;

    std::filesystem::path m_folder;
};

} // namespace LaunchServices
