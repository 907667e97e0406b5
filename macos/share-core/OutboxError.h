// Why a share file was not written.
//
// `OutboxError` is the outbox's own failure: a file that could not be put in
// place (`Write`, whose text names the file, with the system's reason after
// ": " when there is one), a record with an invalid ref (`BadRef`), or a
// record that cannot be encoded as JSON (`Encode`). A folder the file goes in
// that cannot be made is the file system's error, a `Foundation::Error`.
// Writers report either as a `ShareWriteError`; its description is a whole
// sentence for the user.
#pragma once

#include <Foundation/Error.h>
#include <filesystem>
#include <string>
#include <variant>

class OutboxError {
public:
    struct Write {
        std::string text;
        bool operator==(const Write&) const = default;
    };
    struct BadRef {
        bool operator==(const BadRef&) const = default;
    };
    struct Encode {
        bool operator==(const Encode&) const = default;
    };
    using Value = std::variant<Write, BadRef, Encode>;

    OutboxError(Value value) : value(std::move(value)) {}
    static OutboxError write(std::string text) { return OutboxError(Write{std::move(text)}); }
    static OutboxError badRef() { return OutboxError(BadRef{}); }
    static OutboxError encode() { return OutboxError(Encode{}); }

    std::string description() const;

    bool operator==(const OutboxError&) const = default;

    Value value;
};

using ShareWriteError = std::variant<OutboxError, Foundation::Error>;

// The file system's error for a folder that could not be made.
Foundation::Error makingFolder(const std::filesystem::path& folder, std::error_code error);

std::string description(const ShareWriteError& error);
