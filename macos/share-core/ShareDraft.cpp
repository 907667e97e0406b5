#include "ShareDraft.h"

#include "DossierShare.h"
#include "Overloaded.h"

#include <Foundation/Unicode.h>

namespace {

constexpr std::size_t previewCharacters = 400;
constexpr std::size_t previewLines = 6;

} // namespace

std::string ShareDraft::preview() const {
    using namespace Foundation::Unicode;
    // The first characters, split at line breaks with empty pieces left out.
    std::vector<std::string> pieces;
    std::string piece;
    std::size_t taken = 0;
    forEachCharacter(text, [&](std::string_view character) {
        if (isNewline(firstScalar(character))) {
            if (!piece.empty())
                pieces.push_back(std::move(piece));
            piece.clear();
        } else {
            piece.append(character);
        }
        return ++taken < previewCharacters;
    });
    if (!piece.empty())
        pieces.push_back(std::move(piece));
    if (pieces.size() > previewLines)
        pieces.resize(previewLines);
    std::string line;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string& whole = pieces[i];
        const std::size_t marks = std::min(whole.find_first_not_of('#'), whole.size());
        if (i > 0)
            line += ' ';
        line += trimmed(std::string_view(whole).substr(marks), isWhitespace);
    }
    return line;
}

std::string ShareDraft::previewLine() const {
    return DossierShare::previewLine(text);
}

std::string ShareDraft::sourceLine() const {
    return std::visit(Overloaded{
                          [](const Link& link) { return "Link · " + link.host; },
                          [](const File& file) { return file.name; },
                          [](const Text&) { return std::string("Text"); },
                      },
                      kind);
}

std::string ShareDraft::kindName() const {
    return std::visit(Overloaded{
                          [](const Link&) { return "link"; },
                          [](const File&) { return "file"; },
                          [](const Text&) { return "text"; },
                      },
                      kind);
}
