#include "ShareLoader.h"

#include <AppExtensions/FileURL.h>
#include <Foundation/FileIO.h>
#include <Foundation/PathText.h>
#include <Foundation/Unicode.h>
#include <UniformTypeIdentifiers/UTType.h>
#include <algorithm>
#include <array>
#include <limits>
#include <share-core/RichText.h>
#include <share-core/ShareInput.h>
#include <share-core/ShareText.h>
#include <sys/stat.h>

namespace ShareLoader {

namespace {

using AppExtensions::SecurityScope::startAccessing;
using AppExtensions::SecurityScope::stopAccessing;
using Dispatch::Continuation;
using Dispatch::withContinuation;
using UniformTypeIdentifiers::UTType;

constexpr std::string_view fileURLType = "public.file-url";
constexpr std::string_view webURLType = "public.url";
constexpr std::string_view markdownType = "net.daringfireball.markdown";
constexpr std::string_view rtfType = "public.rtf";
constexpr std::string_view rtfdType = "com.apple.rtfd";
constexpr std::string_view flatRTFDType = "com.apple.flat-rtfd";
constexpr std::array<std::string_view, 4> plainTextTypes = {
    "public.plain-text", "public.utf8-plain-text", "public.utf16-plain-text",
    "public.utf16-external-plain-text"};

FileRead text(std::string text) {
    return {FileRead::Text{std::move(text)}};
}
const FileRead tooBig{FileRead::TooBig{}};
const FileRead unreadable{FileRead::Unreadable{}};

// Holds a file's security scope open for as long as it lives, when it could be opened.
class ScopedAccess {
public:
    explicit ScopedAccess(std::filesystem::path path)
        : m_path(std::move(path)), m_open(startAccessing(m_path)) {}
    ~ScopedAccess() {
        if (m_open) {
            stopAccessing(m_path);
        }
    }
    ScopedAccess(const ScopedAccess&) = delete;
    ScopedAccess& operator=(const ScopedAccess&) = delete;

private:
    std::filesystem::path m_path;
    bool m_open;
};

bool contains(const std::vector<std::string>& ids, std::string_view type) {
    return std::find(ids.begin(), ids.end(), type) != ids.end();
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b
               ? std::numeric_limits<std::uint64_t>::max()
               : a + b;
}

// The sizes of the regular files inside a package folder, links neither followed nor counted.
std::uint64_t packageSize(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(folder, error);
    std::uint64_t size = 0;
    for (const std::filesystem::recursive_directory_iterator end; !error && walk != end;
         walk.increment(error)) {
        struct stat info {};
        if (::lstat(walk->path().c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            size = saturatingAdd(size, static_cast<std::uint64_t>(info.st_size));
        }
    }
    return size;
}

void file(ShareContents& contents, const std::string& name, const FileRead& read) {
    if (auto* got = std::get_if<FileRead::Text>(&read.value)) {
        contents.files.push_back({name, got->text});
    } else if (std::holds_alternative<FileRead::TooBig>(read.value)) {
        contents.oversizedFiles.push_back(name);
    } else {
        contents.unreadableFiles.push_back(name);
    }
}

// The provider's calls as awaitable values. Coroutines await them by name: GCC 12 can destroy a
// closure made inside an awaited expression twice.
Dispatch::ContinuationAwaiter<std::string> stringOf(Provider provider) {
    return withContinuation<std::string>([provider](Continuation<std::string> done) {
        provider->loadString([done](std::optional<std::string> value) { done.resume(value); });
    });
}

Dispatch::ContinuationAwaiter<Foundation::Data> dataOf(Provider provider, std::string type) {
    return withContinuation<Foundation::Data>(
        [provider, type](Continuation<Foundation::Data> done) {
            provider->loadDataRepresentation(
                type, [done](std::optional<Foundation::Data> value) { done.resume(value); });
        });
}

Dispatch::ContinuationAwaiter<Foundation::URL> urlOf(Provider provider) {
    return withContinuation<Foundation::URL>([provider](Continuation<Foundation::URL> done) {
        provider->loadURL([done](std::optional<Foundation::URL> value) { done.resume(value); });
    });
}

} // namespace

Dispatch::Async<ShareContents> load(std::vector<AppExtensions::ExtensionItem> items,
                                    std::int64_t itemChars) {
    ShareContents contents;
    for (const auto& item : items) {
        if (!contents.pageTitle && item.attributedTitle &&
            !ShareText::isBlank(item.attributedTitle->string())) {
            contents.pageTitle = item.attributedTitle->string();
        }
        if (item.attributedContentText &&
            !ShareText::isBlank(item.attributedContentText->string())) {
            contents.texts.push_back(RichText::plainText(*item.attributedContentText));
        }
        for (const auto& attachment : item.attachments) {
            auto loading = load(attachment, contents, itemChars);
            co_await loading;
        }
    }
    co_return contents;
}

Dispatch::Async<void> load(Provider provider, ShareContents& contents, std::int64_t itemChars) {
    const std::vector<std::string> ids = provider->registeredTypeIdentifiers();
    const UTType markdown = *UTType::make(markdownType);
    const bool noMarkdown = std::none_of(ids.begin(), ids.end(), [&](const std::string& id) {
        auto type = UTType::make(id);
        return type && type->conforms(markdown);
    });
    std::optional<std::string> textType;
    for (const auto& id : ids) {
        if (std::find(plainTextTypes.begin(), plainTextTypes.end(), id) != plainTextTypes.end()) {
            textType = id;
            break;
        }
    }
    const bool rich =
        contains(ids, rtfType) || contains(ids, rtfdType) || contains(ids, flatRTFDType);

    if (contains(ids, fileURLType)) {
        auto loading = loadURL(provider);
        const auto url = co_await loading;
        const auto path = url ? AppExtensions::filePath(*url) : std::nullopt;
        if (!path) {
            co_return;
        }
        const std::string name = Foundation::PathText::lastPathComponent(path->string());
        if (rich) {
            file(contents, name, readRichFile(*path));
        } else if (!textType && noMarkdown && !ShareInput::acceptsFile(name)) {
            contents.otherFiles.push_back(name);
        } else if (ShareInput::isRichFile(name)) {
            file(contents, name, readRichFile(*path));
        } else {
            file(contents, name, readTextFile(*path, itemChars));
        }
    } else if (textType) {
        auto loading = loadText(provider, *textType, ShareInput::maxFileBytes(itemChars));
        const FileRead read = co_await loading;
        if (auto* got = std::get_if<FileRead::Text>(&read.value)) {
            contents.texts.push_back(got->text);
        } else if (std::holds_alternative<FileRead::TooBig>(read.value)) {
            contents.oversizedFiles.emplace_back(sharedTextName);
        }
    } else if (rich) {
        const std::string type(contains(ids, rtfType) ? rtfType : flatRTFDType);
        auto loading = loadData(provider, type);
        if (const auto data = co_await loading) {
            if (auto converted = RichText::plainText(
                    *data, type == rtfType ? RichText::Format::rtf : RichText::Format::flatRTFD)) {
                contents.texts.push_back(std::move(*converted));
            }
        }
    } else if (contains(ids, webURLType)) {
        auto loading = loadURL(provider);
        const auto url = co_await loading;
        if (!url) {
            if (provider->suggestedName()) {
                contents.otherFiles.push_back(*provider->suggestedName());
            }
        } else if (url->scheme()) {
            const std::string scheme = Foundation::Unicode::lowercased(*url->scheme());
            if (scheme == "http" || scheme == "https") {
                contents.webURLs.push_back(*url);
            }
        }
    } else if (provider->suggestedName()) {
        contents.otherFiles.push_back(*provider->suggestedName());
    }
}

Dispatch::Async<FileRead> loadText(Provider provider, std::string type, std::int64_t maxBytes) {
    auto asking = stringOf(provider);
    const auto string = co_await asking;
    const auto budget = static_cast<std::uint64_t>(std::max<std::int64_t>(maxBytes, 0));
    if (string) {
        co_return string->size() > budget ? tooBig : text(*string);
    }
    auto loading = loadData(provider, type);
    const auto data = co_await loading;
    if (!data) {
        co_return unreadable;
    }
    if (data->size() > budget) {
        co_return tooBig;
    }
    auto decoded = ShareText::decode(*data);
    co_return decoded ? text(std::move(*decoded)) : unreadable;
}

Dispatch::Async<std::optional<Foundation::Data>> loadData(Provider provider, std::string type) {
    auto asking = dataOf(std::move(provider), std::move(type));
    auto data = co_await asking;
    co_return data;
}

Dispatch::Async<std::optional<Foundation::URL>> loadURL(Provider provider) {
    auto asking = urlOf(std::move(provider));
    auto url = co_await asking;
    co_return url;
}

FileRead readTextFile(const std::filesystem::path& path, std::int64_t itemChars) {
    const ScopedAccess access(path);
    const auto budget =
        static_cast<std::uint64_t>(std::max<std::int64_t>(ShareInput::maxFileBytes(itemChars), 0));
    const std::size_t limit = static_cast<std::size_t>(
        std::min<std::uint64_t>(budget, std::numeric_limits<std::size_t>::max() - 1));
    auto read = Foundation::readRegularFile(path, limit);
    if (!read.data) {
        return read.failure == Foundation::ReadFailure::TooLarge ? tooBig : unreadable;
    }
    auto decoded = ShareText::decode(*read.data);
    return decoded ? text(std::move(*decoded)) : unreadable;
}

FileRead readRichFile(const std::filesystem::path& path) {
    const ScopedAccess access(path);
    std::error_code error;
    std::uint64_t size = 0;
    if (std::filesystem::is_directory(path, error)) {
        size = packageSize(path);
    } else {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            return unreadable;
        }
        size = static_cast<std::uint64_t>(info.st_size);
    }
    if (size > ShareInput::maxRichFileBytes) {
        return tooBig;
    }
    auto converted = RichText::plainText(path);
    return converted ? text(std::move(*converted)) : unreadable;
}

} // namespace ShareLoader
