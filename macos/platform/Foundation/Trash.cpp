#include "Trash.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace Foundation {

namespace {

// How many names are tried before giving up.
constexpr int attempts = 1000;

// The path as a URI path: unreserved characters and "/" as they are, every other byte escaped.
std::string escapedPath(const std::string& path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            escaped += c;
        } else {
            escaped += '%';
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0xF];
        }
    }
    return escaped;
}

std::string localDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::string candidate(const std::string& name, int attempt) {
    return attempt == 0 ? name : name + " " + std::to_string(attempt + 1);
}

Error failure(std::error_code code, const std::filesystem::path& item) {
    return posixError(code, "Couldn't move " + item.filename().string() + " to the Trash");
}

} // namespace

std::filesystem::path trashFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::filesystem::path(data) / "Trash";
    return homeDirectory() / ".local" / "share" / "Trash";
}

std::optional<std::filesystem::path> trashItem(const std::filesystem::path& item, Error* error) {
    auto fail = [&](std::error_code code) -> std::optional<std::filesystem::path> {
        if (error)
            *error = failure(code, item);
        return std::nullopt;
    };
    const std::filesystem::path source = std::filesystem::absolute(item).lexically_normal();
    const std::string name = source.filename().string();
    if (name.empty())
        return fail(std::make_error_code(std::errc::invalid_argument));
    const std::filesystem::path files = trashFolder() / "files", info = trashFolder() / "info";
    std::error_code made;
    if (!createFolder(files, &made) || !createFolder(info, &made))
        return fail(made);

    const std::string record = "[Trash Info]\nPath=" + escapedPath(source.string()) +
                               "\nDeletionDate=" + localDateTime() + "\n";
    const Bytes recordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size());
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const std::string chosen = candidate(name, attempt);
        const std::filesystem::path infoFile = info / (chosen + ".trashinfo");
        // The record claims the name; another program holding it means the name is taken.
        if (const std::error_code claimed = createFile(infoFile, recordBytes, 0600)) {
            if (claimed == std::errc::file_exists)
                continue;
            return fail(claimed);
        }
        const std::error_code moved = moveItem(source, files / chosen);
        if (!moved)
            return files / chosen;
        ::unlink(infoFile.c_str());
        if (moved != std::errc::file_exists)
            return fail(moved);
    }
    return fail(std::make_error_code(std::errc::file_exists));
}

} // namespace Foundation
