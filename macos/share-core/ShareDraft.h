// What the extension received for one share, and the item made from it.
//
// `ShareContents` gathers the shared texts, web links, files read as text,
// and the names of files that were refused, unreadable or too big, each list
// in arrival order. `ShareDraft` is the one item shown in the sheet and, on
// Add, written to the outbox: its kind, body, suggested title and source.
#pragma once

#include <Foundation/URL.h>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct ShareFile {
    std::string name;
    std::string text;

    bool operator==(const ShareFile&) const = default;
};

struct ShareContents {
    std::vector<std::string> texts;
    std::vector<Foundation::URL> webURLs;
    std::vector<ShareFile> files;
    std::vector<std::string> otherFiles;
    std::vector<std::string> unreadableFiles;
    std::vector<std::string> oversizedFiles;
    std::optional<std::string> pageTitle;

    bool operator==(const ShareContents&) const = default;
};

struct ShareDraft {
    // A shared web link, by its host as found.
    struct Link {
        std::string host;
        bool operator==(const Link&) const = default;
    };
    // A shared file, by its name as shared.
    struct File {
        std::string name;
        bool operator==(const File&) const = default;
    };
    struct Text {
        bool operator==(const Text&) const = default;
    };
    using Kind = std::variant<Link, File, Text>;

    Kind kind = Text{};
    std::string text;
    std::string title;
    std::optional<std::string> source;

    // One line from at most six lines of the first 400 characters, heading marks removed.
    std::string preview() const;
    // The body's word count and reading time.
    std::string previewLine() const;
    // "Link · host", the file's name, or "Text".
    std::string sourceLine() const;
    // "link", "file" or "text".
    std::string kindName() const;

    bool operator==(const ShareDraft&) const = default;
};
