// Application bundles and their Info.plist.
//
// A bundle is a folder with `Contents/Info.plist`. The main bundle is the one
// the running program lives in, found from its own resolved executable path
// (`X.app/Contents/MacOS/program` belongs to `X.app`; a program outside any
// bundle has its own folder as bundle, with an empty Info.plist). The main
// bundle is fixed at first use for the life of the process; a test may choose
// it with `setMain` before that, and change its Info.plist values in memory
// with `setMainInfo` (as an update of the application would on disk).
#pragma once

#include <Foundation/PropertyList.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace Foundation {

class Bundle {
public:
    explicit Bundle(std::filesystem::path path);

    static const Bundle& main();
    // Makes the bundle at `path` the main bundle. Returns false when the main bundle was
    // already fixed by an earlier use.
    static bool setMain(std::filesystem::path path);
    // For tests: sets the main bundle's Info.plist value under `key`, or removes it when none.
    // Main thread, while no other thread reads the bundle.
    static void setMainInfo(const std::string& key, std::optional<PropertyList> value);
    // The running program's executable, links resolved.
    static std::filesystem::path executablePath();
    // The bundle that holds `executable`, by the rule above.
    static std::filesystem::path enclosingBundle(const std::filesystem::path& executable);

    const std::filesystem::path& path() const { return m_path; }
    const PropertyList::Dictionary& info() const { return m_info; }
    // The Info.plist value under `key`, or null.
    const PropertyList* object(std::string_view key) const;
    std::optional<std::string> identifier() const;
    // "CFBundleVersion" when it is text.
    std::optional<std::string> version() const;

private:
    std::filesystem::path m_path;
    PropertyList::Dictionary m_info;
};

} // namespace Foundation
