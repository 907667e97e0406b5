#include "BridgeConfig.h"

#include "ConfigFile.h"

#include <Foundation/FileIO.h>
#include <JSONCoding/JSONCoding.h>
#include <algorithm>

BridgeConfig BridgeConfig::read(const std::filesystem::path& url) {
    BridgeConfig config;
    const auto bytes = Foundation::readFile(url, ConfigFile::maximumSize);
    const auto document = bytes ? JSONCoding::parse(*bytes) : std::nullopt;
    if (!document || !document->is_object())
        return config;
    if (const auto port = document->find("port"); port != document->end()) {
        if (const auto value = JSONCoding::decodeJSON<std::int64_t>(*port))
            config.port = *value;
    }
    const auto environments = document->find("environments");
    // One element that is not an object discards the whole list.
    if (environments == document->end() || !environments->is_array() ||
        !std::all_of(environments->begin(), environments->end(),
                     [](const JSONCoding::JSON& environment) { return environment.is_object(); }))
        return config;
    for (const JSONCoding::JSON& environment : *environments) {
        const auto dir = environment.find("configDir");
        if (dir != environment.end() && dir->is_string()) {
            const std::string& path = dir->get_ref<const std::string&>();
            if (path.starts_with('/'))
                config.configDirs.push_back(path);
        }
    }
    return config;
}
