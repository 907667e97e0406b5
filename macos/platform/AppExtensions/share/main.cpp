// share: a stand-in for another program's Share menu. It hands an app extension a title and
// texts, web links or files, runs it with this terminal, and exits with the request's outcome.
// The menu offers only an extension the user turned on (`pluginkit -e use`, listed with "+"): one
// turned off, never chosen, or not registered never runs.
#include <AppExtensions/ExtensionMain.h>
#include <Foundation/Bundle.h>
#include <LaunchServices/Registry.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

constexpr const char* usage =
    "usage: share EXTENSION.appex [--title TITLE] [--text TEXT]... [--url URL]... [--file "
    "PATH]...\n"
    "Hands the items to the extension as a Share menu would and runs it. Exit status: 0 when the\n"
    "extension completed the request, 1 when it was cancelled, 2 when it could not run or is\n"
    "not turned on.\n";

int usageError() {
    std::fputs(usage, stderr);
    return AppExtensions::NotStarted;
}

// Whether the user's registry has the extension named `identifier` turned on.
bool turnedOn(const std::string& identifier) {
    const auto plugIns = LaunchServices::Registry::current().plugIns();
    return std::any_of(plugIns.begin(), plugIns.end(), [&](const LaunchServices::PlugIn& plugIn) {
        return plugIn.identifier == identifier && plugIn.election == LaunchServices::Election::use;
    });
}

} // namespace

int main(int argc, char** argv) {
    using AppExtensions::SharedAttachment;
    if (argc < 2 || std::string_view(argv[1]).starts_with("-")) {
        return usageError();
    }
    AppExtensions::SharedItem item;
    for (int i = 2; i < argc; i += 2) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            return usageError();
        }
        const std::string value = argv[i + 1];
        if (option == "--title") {
            item.title = value;
        } else if (option == "--text") {
            item.attachments.push_back({SharedAttachment::Kind::Text, value});
        } else if (option == "--url") {
            item.attachments.push_back({SharedAttachment::Kind::Link, value});
        } else if (option == "--file") {
            std::error_code error;
            const auto path = std::filesystem::absolute(value, error);
            if (error) {
                std::fprintf(stderr, "share: %s: %s\n", value.c_str(), error.message().c_str());
                return AppExtensions::NotStarted;
            }
            item.attachments.push_back({SharedAttachment::Kind::File, path.lexically_normal()});
        } else {
            return usageError();
        }
    }
    const auto identifier = Foundation::Bundle(argv[1]).identifier();
    if (!identifier || !turnedOn(*identifier)) {
        std::fprintf(stderr, "share: %s isn't turned on, so the Share menu doesn't offer it.\n",
                     identifier.value_or(argv[1]).c_str());
        return AppExtensions::NotStarted;
    }
    std::string error;
    const int status = AppExtensions::runExtension(argv[1], {item}, &error);
    switch (status) {
    case AppExtensions::Completed:
        std::puts("share: the extension completed the request.");
        break;
    case AppExtensions::Cancelled:
        std::puts("share: the request was cancelled.");
        break;
    default:
        std::fprintf(stderr, "share: %s\n",
                     error.empty() ? "the extension could not run the request." : error.c_str());
    }
    return status;
}
