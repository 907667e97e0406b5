#include "sample-bridge/CheckIns.h"

#include "sample-bridge/ClaudeFiles.h"

#include <Foundation/Home.h>

namespace SampleBridge::CheckIns {

namespace {

using ClaudeFiles::Document;

std::optional<double> number(const Document& entry, const char* key) {
    const auto found = entry.find(key);
    if (found == entry.end() || !found->is_number())
        return std::nullopt;
    return found->get<double>();
}

} // namespace

std::filesystem::path file() {
    return Foundation::homeDirectory() / ".kestrelhaven" / "sample-check-ins.json";
}

bool plan(const std::string& name, const Plan& plan, std::string& error) {
    auto read = ClaudeFiles::readObject(file());
    Document plans = read.document ? std::move(*read.document) : Document::object();
    Document entry = Document::object();
    if (plan.refusedAfter)
        entry["refused_after"] = *plan.refusedAfter;
    if (plan.checkedAfter)
        entry["checked_after"] = *plan.checkedAfter;
    plans[name] = std::move(entry);
    return ClaudeFiles::writeObject(file(), plans, error);
}

void begin(const std::string& name, double now) {
    auto read = ClaudeFiles::readObject(file());
    if (!read.document)
        return;
    Document& plans = *read.document;
    const auto planFor = [&](const std::string& key) {
        const auto found = plans.find(key);
        return found != plans.end() && found->is_object() ? &*found : nullptr;
    };
    const Document* planned = planFor(name) ? planFor(name) : planFor(everyContainer);
    if (!planned)
        return;
    Document entry = *planned;
    for (const auto& [after, at] :
         {std::pair{"refused_after", "refused_at"}, std::pair{"checked_after", "checked_at"}}) {
        if (const auto delay = number(entry, after))
            entry[at] = now + *delay;
    }
    plans[name] = std::move(entry);
    std::string error;
    ClaudeFiles::writeObject(file(), plans, error);
}

Moments seen(const std::string& name, double now) {
    const auto read = ClaudeFiles::readObject(file());
    if (!read.document || !read.document->contains(name))
        return {};
    const Document& entry = (*read.document)[name];
    if (!entry.is_object())
        return {};
    const auto come = [&](const char* key) -> std::optional<double> {
        const auto at = number(entry, key);
        return at && *at <= now ? at : std::nullopt;
    };
    return {come("refused_at"), come("checked_at")};
}

} // namespace SampleBridge::CheckIns
