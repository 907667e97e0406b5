#include "ShareProblem.h"

#include "DossierFormat.h"
#include "Overloaded.h"

namespace {

std::string quoted(const std::string& name) {
    return "“" + name + "”";
}

} // namespace

std::string ShareProblem::code() const {
    return std::visit(Overloaded{
                          [](const OtherFile&) { return "other_file"; },
                          [](const Unreadable&) { return "unreadable"; },
                          [](const FileTooBig&) { return "file_too_big"; },
                          [](const TooLong&) { return "too_long"; },
                          [](const Nothing&) { return "nothing"; },
                      },
                      value);
}

std::string ShareProblem::message() const {
    using DossierFormat::thousands;
    return std::visit(
        Overloaded{
            [](const OtherFile& file) {
                return quoted(file.name) +
                       " isn't a text, Markdown or RTF file. The Dossier takes text, web links, "
                       "and .txt, .md or .rtf files.";
            },
            [](const Unreadable& file) {
                return quoted(file.name) +
                       " isn't text the Dossier can read (UTF-8 or UTF-16 text, or RTF).";
            },
            [](const FileTooBig& file) {
                return quoted(file.name) + " is too long for one Dossier item: it takes up to " +
                       thousands(file.limit) + " characters.";
            },
            [](const TooLong& draft) {
                return "This is " + thousands(draft.chars) +
                       " characters; a Dossier item takes up to " + thousands(draft.limit) +
                       ". Share a shorter part.";
            },
            [](const Nothing&) { return std::string("There's no text in what you shared."); },
        },
        value);
}
