// A share request as a host hands it to an extension's process: a JSON file
// of items, each with an optional title and content text and its
// attachments, each attachment a text, a web link or a file.
//
//     {"items": [{"title": "Trip notes", "text": "…",
//                 "attachments": [{"text": "…"}, {"url": "https://…"}, {"file": "/abs/path"}]}]}
//
// Reading makes the extension items the extension sees: a text is offered as
// "public.plain-text", a link as "public.url", a file as "public.file-url"
// (inside its security scope) followed by the type a file manager gives it by
// name, with the file's name as the suggested name. A file that is not an
// absolute path, or a document that breaks these rules, reads as nothing.
#pragma once

#include "ItemProvider.h"

#include <Foundation/Data.h>
#include <optional>
#include <string>
#include <vector>

namespace AppExtensions {

struct SharedAttachment {
    enum class Kind { Text, Link, File };
    Kind kind = Kind::Text;
    // The text, the link as written, or the file's absolute path.
    std::string value;
};

struct SharedItem {
    std::optional<std::string> title;
    std::optional<std::string> text;
    std::vector<SharedAttachment> attachments;
};

std::string encodeRequest(const std::vector<SharedItem>& items);
std::optional<std::vector<SharedItem>> decodeRequest(Foundation::Bytes json);
std::vector<ExtensionItem> extensionItems(const std::vector<SharedItem>& items);

} // namespace AppExtensions
