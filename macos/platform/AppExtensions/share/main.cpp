// share: a stand-in for another program's Share menu. It hands an app extension a title and
// texts, web links or files, runs it with this terminal, and exits with the request's outcome.
#include <AppExtensions/ExtensionMain.h>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace {

constexpr const char* usage =
    "usage: share EXTENSION.appex [--title TITLE] [--text TEXT]... [--url URL]... [--file "
    "PATH]...\n"
    "Hands the items to the extension as a Share menu would and runs it. Exit status: 0 when the\n"
    "extension completed the request, 1 when it was cancelled, 2 when it could not run.\n";

int usageError() {
    std::fputs(usage, stderr);
    return AppExtensions::NotStarted;
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
