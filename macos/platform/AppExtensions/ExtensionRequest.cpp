#include "ExtensionRequest.h"

#include <Foundation/FileIO.h>
#include <UniformTypeIdentifiers/UTType.h>
#include <nlohmann/json.hpp>

namespace AppExtensions {

namespace {

using nlohmann::json;
using UniformTypeIdentifiers::UTType;

// The largest file whose bytes a provider hands over as data.
constexpr std::size_t maxFileData = 64 * 1024 * 1024;

std::optional<std::string> optionalText(const json& object, const char* key, bool& valid) {
    auto found = object.find(key);
    if (found == object.end()) {
        return std::nullopt;
    }
    if (!found->is_string()) {
        valid = false;
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::optional<SharedAttachment> attachment(const json& object) {
    if (!object.is_object() || object.size() != 1) {
        return std::nullopt;
    }
    const auto entry = object.begin();
    const std::string& key = entry.key();
    const json& value = entry.value();
    if (!value.is_string()) {
        return std::nullopt;
    }
    std::string text = value.get<std::string>();
    if (key == "text") {
        return SharedAttachment{SharedAttachment::Kind::Text, std::move(text)};
    }
    if (key == "url") {
        return SharedAttachment{SharedAttachment::Kind::Link, std::move(text)};
    }
    if (key == "file" && text.starts_with('/') && text.find('\0') == std::string::npos) {
        return SharedAttachment{SharedAttachment::Kind::File, std::move(text)};
    }
    return std::nullopt;
}

std::shared_ptr<ItemProvider> provider(const SharedAttachment& attachment) {
    auto provider = std::make_shared<ItemProvider>();
    switch (attachment.kind) {
    case SharedAttachment::Kind::Text:
        provider->registerItem(UTType::plainText().identifier(), Representation(attachment.value));
        break;
    case SharedAttachment::Kind::Link:
        if (auto url = Foundation::URL::parse(attachment.value)) {
            provider->registerItem(UTType::url().identifier(), Representation(*url));
        }
        break;
    case SharedAttachment::Kind::File: {
        const std::filesystem::path path = attachment.value;
        const std::string name = path.filename().string();
        provider->registerFile(path);
        provider->registerItem(UTType::forFileName(name).identifier(),
                               [path]() -> std::optional<Representation> {
                                   if (auto data = Foundation::readFile(path, maxFileData)) {
                                       return Representation(std::move(*data));
                                   }
                                   return std::nullopt;
                               });
        provider->setSuggestedName(name);
        break;
    }
    }
    return provider;
}

} // namespace

std::string encodeRequest(const std::vector<SharedItem>& items) {
    json list = json::array();
    for (const SharedItem& item : items) {
        json object = json::object();
        if (item.title) {
            object["title"] = *item.title;
        }
        if (item.text) {
            object["text"] = *item.text;
        }
        json attachments = json::array();
        for (const SharedAttachment& attachment : item.attachments) {
            const char* key = attachment.kind == SharedAttachment::Kind::Text   ? "text"
                              : attachment.kind == SharedAttachment::Kind::Link ? "url"
                                                                                : "file";
            attachments.push_back({{key, attachment.value}});
        }
        object["attachments"] = std::move(attachments);
        list.push_back(std::move(object));
    }
    return json{{"items", std::move(list)}}.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<std::vector<SharedItem>> decodeRequest(Foundation::Bytes bytes) {
    const json document = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (!document.is_object() || !document.contains("items") || !document["items"].is_array()) {
        return std::nullopt;
    }
    std::vector<SharedItem> items;
    for (const json& object : document["items"]) {
        if (!object.is_object()) {
            return std::nullopt;
        }
        bool valid = true;
        SharedItem item{
            optionalText(object, "title", valid), optionalText(object, "text", valid), {}};
        if (auto found = object.find("attachments"); found != object.end()) {
            if (!found->is_array()) {
                return std::nullopt;
            }
            for (const json& entry : *found) {
                auto shared = attachment(entry);
                if (!shared) {
                    return std::nullopt;
                }
                item.attachments.push_back(std::move(*shared));
            }
        }
        if (!valid) {
            return std::nullopt;
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<ExtensionItem> extensionItems(const std::vector<SharedItem>& items) {
    std::vector<ExtensionItem> result;
    for (const SharedItem& item : items) {
        ExtensionItem extensionItem;
        if (item.title) {
            extensionItem.attributedTitle = Foundation::AttributedString(*item.title);
        }
        if (item.text) {
            extensionItem.attributedContentText = Foundation::AttributedString(*item.text);
        }
        for (const SharedAttachment& attachment : item.attachments) {
            extensionItem.attachments.push_back(provider(attachment));
        }
        result.push_back(std::move(extensionItem));
    }
    return result;
}

} // namespace AppExtensions
