#include "sample-bridge/Dossier.h"

#include "sample-bridge/Routes.h"

#include <Foundation/Unicode.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace SampleBridge {

namespace {

Dossier::Answer refusal(int status, std::string_view reason, std::string_view msg) {
    return {status, {{"ok", false}, {"reason", reason}, {"msg", msg}}};
}

// A key that is absent or null, or a text.
bool optionalText(const JSON& body, const char* key) {
    const auto found = body.find(key);
    return found == body.end() || found->is_null() || found->is_string();
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::int64_t words(std::string_view text) {
    std::int64_t count = 0;
    bool inWord = false;
    for (const char c : text) {
        if (isSpace(c)) {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++count;
        }
    }
    return count;
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

double systemNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

void Dossier::setClock(std::function<double()> now) {
    std::lock_guard lock(m_mutex);
    m_now = std::move(now);
}

void Dossier::setLimits(DossierLimits limits) {
    std::lock_guard lock(m_mutex);
    m_limits = limits;
}

void Dossier::setMode(DossierMode mode) {
    std::lock_guard lock(m_mutex);
    m_mode = mode;
}

void Dossier::refuseEvery(std::optional<DossierRefusal> refusal) {
    std::lock_guard lock(m_mutex);
    m_refusal = std::move(refusal);
}

Dossier::Answer Dossier::post(const JSON& body) {
    std::lock_guard lock(m_mutex);
    const bool object = body.is_object();
    const auto title = object ? textField(body, "title") : std::nullopt;
    const auto itemText = object ? textField(body, "text") : std::nullopt;
    if (!title || !itemText || !optionalText(body, "tag") || !optionalText(body, "source"))
        return refusal(400, "bad_request", "The request isn't a Dossier item.");
    if (m_refusal)
        return refusal(m_refusal->status, m_refusal->reason, m_refusal->msg);
    if (trimmed(*itemText).empty())
        return refusal(400, "empty", "There's no text to add.");
    const auto chars = static_cast<std::int64_t>(Foundation::Unicode::utf16Length(*itemText));
    if (chars > m_limits.itemChars)
        return refusal(413, "too_large", "It's longer than a Dossier item may be.");
    const auto size = static_cast<double>(itemText->size());
    const auto count = static_cast<std::int64_t>(m_items.size());
    if ((m_limits.maxItems && count >= *m_limits.maxItems) ||
        (m_limits.totalBytes && m_usedBytes + size > *m_limits.totalBytes))
        return refusal(409, "full", "Your Dossier is full.");

    char id[24];
    std::snprintf(id, sizeof id, "d%06lld", static_cast<long long>(m_nextId++));
    const std::int64_t minutes = std::max<std::int64_t>(1, std::llround(words(*itemText) / 160.0));
    const std::string tag = trimmed(textField(body, "tag").value_or(""));
    JSON item{{"id", std::string(id)},
              {"title", *title},
              {"tag", tag.empty() ? JSON() : JSON(tag)},
              {"source", textField(body, "source").value_or("")},
              {"chars", chars},
              {"minutes", minutes},
              {"added_at", std::llround((m_now ? m_now() : systemNow()) * 1000)}};
    m_itemTexts.push_back(item.dump(-1, ' ', false, JSON::error_handler_t::replace));
    m_items.push_back(std::move(item));
    m_usedBytes += size;
    ++m_revision;
    JSON answer{{"ok", true},
                {"id", std::string(id)},
                {"msg", "Added to the Dossier."},
                {"minutes", minutes}};
    if (!tag.empty())
        answer["tag"] = tag;
    return {201, std::move(answer)};
}

JSON Dossier::items() const {
    std::lock_guard lock(m_mutex);
    return newestFirst();
}

JSON Dossier::index() const {
    std::lock_guard lock(m_mutex);
    JSON index = JSON::object();
    index["items"] = newestFirst();
    index["limits"] = limits();
    return index;
}

JSON Dossier::limits() const {
    JSON limits = JSON::object();
    limits["item_chars"] = m_limits.itemChars;
    limits["items"] = m_items.size();
    limits["used_bytes"] = m_usedBytes;
    if (m_limits.maxItems)
        limits["max_items"] = *m_limits.maxItems;
    if (m_limits.totalBytes)
        limits["total_bytes"] = *m_limits.totalBytes;
    return limits;
}

std::string Dossier::indexText() const {
    std::lock_guard lock(m_mutex);
    std::string text = "{\"items\":[";
    for (auto item = m_itemTexts.rbegin(); item != m_itemTexts.rend(); ++item) {
        if (item != m_itemTexts.rbegin())
            text += ',';
        text += *item;
    }
    text += "],\"limits\":" + limits().dump() + "}";
    return text;
}

JSON Dossier::newestFirst() const {
    JSON items = JSON::array();
    for (auto item = m_items.rbegin(); item != m_items.rend(); ++item)
        items.push_back(*item);
    return items;
}

void Dossier::clear() {
    std::lock_guard lock(m_mutex);
    m_items = JSON::array();
    m_itemTexts.clear();
    m_usedBytes = 0;
    ++m_revision;
}

JSON Dossier::saved() const {
    std::lock_guard lock(m_mutex);
    return {{"items", m_items}, {"next_id", m_nextId}, {"used_bytes", m_usedBytes}};
}

bool Dossier::restore(const JSON& saved) {
    const auto items = saved.find("items");
    const auto nextId = saved.find("next_id");
    const auto usedBytes = saved.find("used_bytes");
    if (!saved.is_object() || items == saved.end() || !items->is_array() || nextId == saved.end() ||
        !nextId->is_number_integer() || nextId->get<std::int64_t>() < 1 ||
        usedBytes == saved.end() || !usedBytes->is_number() || usedBytes->get<double>() < 0 ||
        !std::ranges::all_of(*items, [](const JSON& item) { return item.is_object(); }))
        return false;
    std::vector<std::string> texts;
    for (const JSON& item : *items)
        texts.push_back(item.dump(-1, ' ', false, JSON::error_handler_t::replace));
    std::lock_guard lock(m_mutex);
    m_items = *items;
    m_itemTexts = std::move(texts);
    m_nextId = nextId->get<std::int64_t>();
    m_usedBytes = usedBytes->get<double>();
    ++m_revision;
    return true;
}

std::uint64_t Dossier::revision() const {
    std::lock_guard lock(m_mutex);
    return m_revision;
}

Reply Dossier::answer(const Request& request) {
    DossierMode mode;
    {
        std::lock_guard lock(m_mutex);
        mode = m_mode;
    }
    if (mode == DossierMode::missing)
        return message(404, "Not found");
    if (mode == DossierMode::holding)
        return Reply::never();
    if (request.method == "GET")
        return Reply::json(200, indexText());
    const Answer answer = post(JSON::parse(request.body, nullptr, false));
    return jsonReply(answer.status, answer.body);
}

} // namespace SampleBridge
