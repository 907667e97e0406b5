#include "Markdown.h"

namespace SwiftUI::Markdown {

namespace {

std::size_t runLength(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && text[end] == '`') {
        ++end;
    }
    return end - at;
}

// Where the run of exactly `length` backticks that closes a span begins, or npos.
std::size_t closing(std::string_view text, std::size_t from, std::size_t length) {
    for (std::size_t at = from; at < text.size();) {
        if (text[at] != '`') {
            ++at;
            continue;
        }
        std::size_t run = runLength(text, at);
        if (run == length) {
            return at;
        }
        at += run;
    }
    return std::string_view::npos;
}

std::string codeText(std::string_view content) {
    std::string text(content);
    for (char& c : text) {
        if (c == '\n') {
            c = ' ';
        }
    }
    if (text.size() >= 2 && text.front() == ' ' && text.back() == ' ' &&
        text.find_first_not_of(' ') != std::string::npos) {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

} // namespace

std::vector<Span> parse(std::string_view text) {
    std::vector<Span> spans;
    std::string plain;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] != '`') {
            plain += text[at++];
            continue;
        }
        std::size_t length = runLength(text, at);
        std::size_t end = closing(text, at + length, length);
        if (end == std::string_view::npos) {
            plain.append(length, '`');
            at += length;
            continue;
        }
        if (!plain.empty()) {
            spans.push_back({plain, false});
            plain.clear();
        }
        spans.push_back({codeText(text.substr(at + length, end - at - length)), true});
        at = end + length;
    }
    if (!plain.empty() || spans.empty()) {
        spans.push_back({plain, false});
    }
    return spans;
}

} // namespace SwiftUI::Markdown
