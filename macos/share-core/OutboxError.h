// Why a share file was not written.
//
// `OutboxError` is the outbox's own failure: a file that could not be put in
// place (`Write`, whose text names the file, with the system's reason after
// ": " when there is one), a record with an invalid ref (`BadRef`), or a
// record that cannot be encoded as JSON (`Encode`). `FolderError` is the file
// system's failure to make the folder the file goes in. Writers report either
// as a `ShareWriteError`; its description is a whole sentence for the user.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
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

struct FolderError {
    std::filesystem::path folder;
    std::error_code code;

    std::string description() const;

    bool operator==(const FolderError&) const = default;
};

using ShareWriteError = std::variant<OutboxError, FolderError>;

std::string description(const ShareWriteError& error);
