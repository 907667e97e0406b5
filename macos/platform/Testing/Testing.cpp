#include "Testing.h"

#include <Foundation/Bundle.h>
#include <Foundation/UserDefaults.h>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace Testing {

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kh-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = std::filesystem::canonical(pattern);
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path makeBundle(const std::filesystem::path& folder,
                                 const Foundation::PropertyList::Dictionary& info,
                                 const std::string& name) {
    const auto bundle = folder / name;
    std::filesystem::create_directories(bundle / "Contents" / "MacOS");
    writeText(bundle / "Contents" / "Info.plist",
              Foundation::serializePropertyList(Foundation::PropertyList(info)));
    return bundle;
}

namespace {

struct TestHome {
    TemporaryFolder folder;
    std::filesystem::path home = folder.path() / "home";

    explicit TestHome(Foundation::PropertyList::Dictionary info) {
        std::filesystem::create_directories(home);
        info.insert_or_assign("KHHome", Foundation::PropertyList(home.string()));
        info.try_emplace("CFBundleIdentifier", "com.tallowmeadows.kestrelhaven.menu");
        if (!Foundation::Bundle::setMain(makeBundle(folder.path(), info)))
            throw std::logic_error("the main bundle was fixed before the test home was made");
        Foundation::UserDefaults::setHome(home);
        // Nothing a test runs may write to the real user's home.
        ::setenv("HOME", home.c_str(), 1);
    }
};

} // namespace

const std::filesystem::path& useTestHome(Foundation::PropertyList::Dictionary info) {
    // One per process, removed at exit: the main bundle and its home are fixed once.
    static const TestHome testHome(std::move(info));
    return testHome.home;
}

void translocateTestHome() {
    // Made before the test home, so removed after it at exit.
    static const TemporaryFolder outer;
    const auto folder = outer.path() / "AppTranslocation";
    std::filesystem::create_directories(folder);
    ::setenv("TMPDIR", folder.c_str(), 1);
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("couldn't write " + path.string());
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void setModificationTime(const std::filesystem::path& path, double secondsSince1970) {
    const double whole = std::floor(secondsSince1970);
    const timespec times[2] = {
        {0, UTIME_OMIT},
        {static_cast<time_t>(whole), static_cast<long>((secondsSince1970 - whole) * 1e9)}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        throw std::runtime_error("couldn't set the time of " + path.string());
}

} // namespace Testing

// Fontconfig keeps its configuration and font patterns for the life of the process, and Pango's
// font map holds on to them; the leak checker of the sanitizer build is told so.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
