#include "DossierPost.h"

#include "DossierShare.h"
#include "Overloaded.h"
#include "ShareTags.h"
#include "ShareText.h"

#include <Foundation/Unicode.h>
#include <JSONCoding/JSONCoding.h>

namespace DossierShareRequest {

std::map<std::string, std::string> body(const DossierOutboxItem& item) {
    std::map<std::string, std::string> body;
    const std::string title = ShareText::oneLine(item.title, DossierShare::titleLimit);
    body["title"] = title.empty() ? std::string(DossierShare::fallbackTitle) : title;
    body["text"] = item.text;
    if (item.tag) {
        if (std::string tag = ShareTags::cleanTag(*item.tag); !tag.empty())
            body["tag"] = std::move(tag);
    }
    const std::string source =
        item.source ? ShareText::oneLine(*item.source, DossierShare::sourceLimit) : "";
    body["source"] = source.empty() ? std::string(defaultSource) : source;
    return body;
}

} // namespace DossierShareRequest

namespace {

// The keys of the reply that could be read, each of the right type or absent.
struct Reply {
    std::optional<bool> ok;
    std::optional<std::string> id;
    std::optional<std::string> reason;
    std::optional<std::string> msg;
    std::optional<std::int64_t> minutes;
    std::optional<std::string> tag;
};

template <class T> std::optional<T> lenient(const JSONCoding::Decoder& d, std::string_view key) {
    try {
        return d.optional<T>(key);
    } catch (const JSONCoding::DecodingError&) {
        return std::nullopt;
    }
}

std::optional<Reply> readReply(std::optional<Foundation::Bytes> body) {
    if (!body)
        return std::nullopt;
    const auto document = JSONCoding::parse(*body);
    if (!document || !document->is_object())
        return std::nullopt;
    const JSONCoding::Decoder d(*document);
    return Reply{lenient<bool>(d, "ok"),
                 lenient<std::string>(d, "id"),
                 lenient<std::string>(d, "reason"),
                 lenient<std::string>(d, "msg"),
                 lenient<std::int64_t>(d, "minutes"),
                 lenient<std::string>(d, "tag")};
}

} // namespace

const std::set<std::string, std::less<>>& DossierPostOutcome::permanent() {
    static const std::set<std::string, std::less<>> reasons = {"bad_request", "empty", "too_large",
                                                               "path"};
    return reasons;
}

DossierPostOutcome DossierPostOutcome::from(int status, std::optional<Foundation::Bytes> body) {
    if (status == 0)
        return held("bridge", "The bridge isn't running.");
    const auto reply = readReply(body);
    if (status == 201 && reply && reply->ok == true && reply->id)
        return added(*reply->id, reply->msg.value_or("Added to the Dossier."), reply->minutes,
                     reply->tag);
    if (reply && reply->ok == false && reply->reason) {
        const std::string& reason = *reply->reason;
        std::string msg = reply->msg.value_or("The bridge refused it (" + reason + ").");
        if (permanent().contains(reason))
            return refused(reason, std::move(msg));
        return held(reason, std::move(msg));
    }
    if (status == 404)
        return held("old_bridge", "This bridge has no Dossier: update Kestrelhaven.");
    return held("http", "The bridge answered HTTP " + std::to_string(status) + ".");
}

DossierShareAnswer DossierPostOutcome::answer(const DossierOutboxItem& item, double now) const {
    using State = DossierShareAnswer::State;
    return std::visit(
        Overloaded{
            [&](const Added& added) {
                return DossierShareAnswer{item.ref,
                                          State::added,
                                          added.msg,
                                          std::nullopt,
                                          added.minutes ? added.minutes : item.minutes(),
                                          added.tag,
                                          now};
            },
            [&](const Held& held) {
                return DossierShareAnswer{item.ref,     State::held,  held.msg, held.reason,
                                          std::nullopt, std::nullopt, now};
            },
            [&](const Refused& refused) {
                return DossierShareAnswer{item.ref,     State::refused, refused.msg, refused.reason,
                                          std::nullopt, std::nullopt,   now};
            },
        },
        value);
}
