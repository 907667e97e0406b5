#include "Bundle.h"

#include <atomic>
#include <mutex>

namespace Foundation {

namespace {

std::mutex mainLock;
std::optional<std::filesystem::path> chosenMainPath;
// Never destroyed: background threads may read it while the process exits.
std::atomic<Bundle*> mainBundle{nullptr};

bool hasBundleExtension(const std::filesystem::path& path) {
    const auto extension = path.extension();
    return extension == ".app" || extension == ".appex";
}

} // namespace

Bundle::Bundle(std::filesystem::path path) : m_path(std::move(path)) {
    if (auto plist = readPropertyList(m_path / "Contents" / "Info.plist")) {
        if (const auto* entries = plist->dictionary())
            m_info = *entries;
    }
}

const Bundle& Bundle::main() {
    if (const Bundle* bundle = mainBundle.load(std::memory_order_acquire))
        return *bundle;
    std::lock_guard guard(mainLock);
    if (const Bundle* bundle = mainBundle.load(std::memory_order_relaxed))
        return *bundle;
    auto* bundle = new Bundle(chosenMainPath ? *chosenMainPath : enclosingBundle(executablePath()));
    mainBundle.store(bundle, std::memory_order_release);
    return *bundle;
}

void Bundle::setMainInfo(const std::string& key, std::optional<PropertyList> value) {
    main();
    Bundle& bundle = *mainBundle.load(std::memory_order_acquire);
    if (value)
        bundle.m_info.insert_or_assign(key, std::move(*value));
    else
        bundle.m_info.erase(key);
}

bool Bundle::setMain(std::filesystem::path path) {
    std::lock_guard guard(mainLock);
    if (mainBundle.load(std::memory_order_relaxed))
        return false;
    chosenMainPath = std::move(path);
    return true;
}

std::filesystem::path Bundle::executablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : path;
}

std::filesystem::path Bundle::enclosingBundle(const std::filesystem::path& executable) {
    const auto folder = executable.parent_path();
    const auto contents = folder.parent_path();
    if (folder.filename() == "MacOS" && contents.filename() == "Contents" &&
        hasBundleExtension(contents.parent_path()))
        return contents.parent_path();
    return folder;
}

const PropertyList* Bundle::object(std::string_view key) const {
    const auto found = m_info.find(key);
    return found == m_info.end() ? nullptr : &found->second;
}

std::optional<std::string> Bundle::identifier() const {
    if (const PropertyList* value = object("CFBundleIdentifier"); value && value->text())
        return *value->text();
    return std::nullopt;
}

std::optional<std::string> Bundle::version() const {
    if (const PropertyList* value = object("CFBundleVersion"); value && value->text())
        return *value->text();
    return std::nullopt;
}

} // namespace Foundation
