// From what another program put into the Share menu to one `ShareContents`.
//
// Items are read strictly in order, each attachment awaited before the
// next: the first non-blank title becomes the page title (untrimmed), every
// non-blank content text is added as plain text, and each attachment is
// asked for one representation: a file URL first (the file is read), else a
// plain-text type (the first offered of the four), else rich text, else a
// web link (http and https only). Whatever cannot be used is recorded by
// name: kinds the Dossier does not take, unreadable files, and files (or a
// shared text) over budget. Nothing is thrown and nothing shown.
//
// Budgets are checked before anything large is read: a plain text or
// plain-text file may have itemChars × 3 + 4 bytes, a rich-text file or RTFD
// package 32 MiB (its files summed, links not followed). Files are read only
// as regular files, never past their budget, and inside their security scope.
// Runs on the main actor, suspended while providers deliver.
#pragma once

#include <AppExtensions/ItemProvider.h>
#include <Dispatch/Task.h>
#include <Foundation/Data.h>
#include <Foundation/URL.h>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <share-core/ShareDraft.h>
#include <string>
#include <variant>
#include <vector>

namespace ShareLoader {

// The display name of a shared text over its budget.
constexpr std::string_view sharedTextName = "The shared text";

// The outcome of reading one text or file.
struct FileRead {
    struct Text {
        std::string text;
        bool operator==(const Text&) const = default;
    };
    struct TooBig {
        bool operator==(const TooBig&) const = default;
    };
    struct Unreadable {
        bool operator==(const Unreadable&) const = default;
    };
    std::variant<Text, TooBig, Unreadable> value;
    bool operator==(const FileRead&) const = default;
};

using Provider = std::shared_ptr<const AppExtensions::ItemProvider>;

Dispatch::Async<ShareContents> load(std::vector<AppExtensions::ExtensionItem> items,
                                    std::int64_t itemChars);
// Adds what one provider offers to `contents`, which must outlive the wait.
Dispatch::Async<void> load(Provider provider, ShareContents& contents, std::int64_t itemChars);
Dispatch::Async<FileRead> loadText(Provider provider, std::string type, std::int64_t maxBytes);
Dispatch::Async<std::optional<Foundation::Data>> loadData(Provider provider, std::string type);
Dispatch::Async<std::optional<Foundation::URL>> loadURL(Provider provider);

FileRead readTextFile(const std::filesystem::path& path, std::int64_t itemChars);
FileRead readRichFile(const std::filesystem::path& path);

} // namespace ShareLoader
