// The user's defaults: small named values that outlive the process.
//
// One store per user and application, kept as a JSON object in
// <home>/Library/Preferences/<bundle identifier>.json, read once on first
// use and written atomically (mode 0600) on every change. The product tells
// the store at start-up which folder is its home; until then it is
// `homeDirectory()`. Each reader asks for the type it expects: a value of
// another type reads as absent, as a missing file does. A file is never
// written over unless its values were read: one that can't be read (not a
// regular file, no permission) stays as it is, and changes live in memory
// until the store is pointed at a home again; one that was read but holds no
// values (not a JSON object, or over 1 MB) is moved aside to
// "<name>.unusable-<UTC time>" beside it, never over another file, before the
// first write. Both are logged. Safe to use from any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation::UserDefaults {

// Points the store at `home`; values are read from there anew.
void setHome(std::filesystem::path home);
std::filesystem::path file();

std::optional<bool> boolean(std::string_view key);
std::optional<std::string> string(std::string_view key);
// A list of texts; a list holding anything else reads as absent too.
std::optional<std::vector<std::string>> stringList(std::string_view key);

// A write that fails keeps the value for this process only.
void setBool(std::string_view key, bool value);
void setString(std::string_view key, std::string value);
void setStringList(std::string_view key, std::vector<std::string> value);
void remove(std::string_view key);

} // namespace Foundation::UserDefaults
