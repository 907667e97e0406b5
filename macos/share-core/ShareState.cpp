#include "ShareState.h"

#include "RecordFile.h"
#include "ShareGroup.h"

#include <Foundation/FileIO.h>

using JSONCoding::OrderedJSON;

namespace {

constexpr std::string_view macName = "mac.json";
constexpr std::string_view extensionName = "extension.json";

std::optional<ShareWriteError> writeState(const std::filesystem::path& folder,
                                          std::string_view name, const OrderedJSON& record) {
    std::error_code error;
    if (!Foundation::createFolder(folder, &error))
        return makingFolder(folder, error);
    if (auto failure = RecordFile::write(record, folder / name, ShareStateStore::maxFileBytes))
        return *failure;
    return std::nullopt;
}

} // namespace

bool MacShareState::menuRunning(double now) const {
    return menuAt > 0 && now - menuAt < runningAge;
}

MacShareState MacShareState::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::vector<std::string>>("recent_tags"),
            d.required<std::int64_t>("item_chars"), d.required<bool>("full"),
            d.required<bool>("bridge_up"), d.required<double>("menu_at")};
}

OrderedJSON MacShareState::json() const {
    return {{"full", full},
            {"recent_tags", recentTags},
            {"item_chars", itemChars},
            {"bridge_up", bridgeUp},
            {"menu_at", menuAt}};
}

ExtensionShareState ExtensionShareState::decode(const JSONCoding::Decoder& d) {
    return {d.optional<std::string>("last_tag")};
}

OrderedJSON ExtensionShareState::json() const {
    OrderedJSON object = OrderedJSON::object();
    if (lastTag)
        object["last_tag"] = *lastTag;
    return object;
}

std::optional<ShareStateStore> ShareStateStore::shared(std::string_view group) {
    const auto container = ShareGroup::container(group);
    if (!container)
        return std::nullopt;
    return ShareStateStore{*container / folderName};
}

std::optional<MacShareState> ShareStateStore::mac() const {
    return RecordFile::read<MacShareState>(directory / macName, maxFileBytes);
}

std::optional<ShareWriteError> ShareStateStore::writeMac(const MacShareState& state) const {
    return writeState(directory, macName, state.json());
}

ExtensionShareState ShareStateStore::ext() const {
    return RecordFile::read<ExtensionShareState>(directory / extensionName, maxFileBytes)
        .value_or(ExtensionShareState{});
}

std::optional<ShareWriteError> ShareStateStore::writeExt(const ExtensionShareState& state) const {
    return writeState(directory, extensionName, state.json());
}
