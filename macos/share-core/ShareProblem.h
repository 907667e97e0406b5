// Why what was shared cannot become a Dossier item.
//
// Each case has a fixed code word ("other_file", "unreadable",
// "file_too_big", "too_long", "nothing") for the log, and a sentence for the
// user that names the file and writes numbers with thousands separators.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

class ShareProblem {
public:
    // A file of a kind the Dossier does not take.
    struct OtherFile {
        std::string name;
        bool operator==(const OtherFile&) const = default;
    };
    // An accepted kind of file whose content is not readable text.
    struct Unreadable {
        std::string name;
        bool operator==(const Unreadable&) const = default;
    };
    // A file over the byte budget; `limit` is the item limit in UTF-16 units.
    struct FileTooBig {
        std::string name;
        std::int64_t limit = 0;
        bool operator==(const FileTooBig&) const = default;
    };
    // A draft of `chars` UTF-16 units, over the item limit.
    struct TooLong {
        std::int64_t chars = 0;
        std::int64_t limit = 0;
        bool operator==(const TooLong&) const = default;
    };
    struct Nothing {
        bool operator==(const Nothing&) const = default;
    };
    using Value = std::variant<OtherFile, Unreadable, FileTooBig, TooLong, Nothing>;

    ShareProblem(Value value) : value(std::move(value)) {}
    static ShareProblem otherFile(std::string name) {
        return ShareProblem(OtherFile{std::move(name)});
    }
    static ShareProblem unreadable(std::string name) {
        return ShareProblem(Unreadable{std::move(name)});
    }
    static ShareProblem fileTooBig(std::string name, std::int64_t limit) {
        return ShareProblem(FileTooBig{std::move(name), limit});
    }
    static ShareProblem tooLong(std::int64_t chars, std::int64_t limit) {
        return ShareProblem(TooLong{chars, limit});
    }
    static ShareProblem nothing() { return ShareProblem(Nothing{}); }

    std::string code() const;
    std::string message() const;

    bool operator==(const ShareProblem&) const = default;

    Value value;
};
