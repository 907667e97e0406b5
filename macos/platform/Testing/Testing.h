// Helpers shared by the test programs: temporary folders and test bundles.
//
// A test bundle is an application bundle laid out in a temporary folder with
// the Info.plist a test chooses; making it the main bundle fixes it, and the
// home its "KHHome" names, for the rest of the process.
#pragma once

#include <Foundation/PropertyList.h>
#include <filesystem>
#include <string>

namespace Testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Lays out `<folder>/<name>/Contents/Info.plist` and returns the bundle's path.
std::filesystem::path makeBundle(const std::filesystem::path& folder,
                                 const Foundation::PropertyList::Dictionary& info,
                                 const std::string& name = "Kestrelhaven.app");

// For the whole test program: a bundle in a temporary folder whose "KHHome" is a home folder
// beside it, made the main bundle on first call, with the user defaults kept in that home and
// $HOME set to it. Later calls return the same home.
const std::filesystem::path& useTestHome(Foundation::PropertyList::Dictionary info = {});

// Makes the test folders made after it, the test home's among them, inside a folder named
// "AppTranslocation", where macOS runs an application that was never moved out of its download.
// Call before useTestHome.
void translocateTestHome();

// A fixture whose test home lies in such a folder.
template <class Fixture> class Translocated : public Fixture {
protected:
    void SetUp() override {
        translocateTestHome();
        Fixture::SetUp();
    }
};

// Writes `text` to `path`, making parent folders.
void writeText(const std::filesystem::path& path, const std::string& text);
std::string readText(const std::filesystem::path& path);

// Sets the file's modification time, in seconds since 1970.
void setModificationTime(const std::filesystem::path& path, double secondsSince1970);

} // namespace Testing
