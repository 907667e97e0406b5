#include "settings/SettingsRecords.h"

#include "settings/SettingsView.h"

#include <Foundation/Home.h>
#include <algorithm>

SettingsReply::Values SettingsReply::Values::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::string>("connectionMode"),
            d.required<std::string>("wakeScope"),
            d.required<bool>("remoteControlOnResume"),
            d.required<std::string>("pushDetail"),
            d.required<bool>("pttReplies"),
            d.required<std::string>("voiceLevel"),
            d.required<std::string>("speakMode"),
            d.required<bool>("speakCompletions"),
            d.required<bool>("speakFullResponse"),
            d.optional<bool>("legacyPhones"),
            d.optional<bool>("allowSessionRestart"),
            d.optional<std::int64_t>("lockScreenApprovalsAfterIdleMin")};
}

SettingsReply SettingsReply::decode(const JSONCoding::Decoder& d) {
    return {d.optional<Values>("values"), d.optional<std::string>("tailnet"),
            d.optional<std::string>("config_error"), d.optional<std::string>("msg")};
}

EnvironmentRow EnvironmentRow::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::string>("name"),
            d.required<std::string>("label"),
            d.required<bool>("token"),
            d.optional<std::string>("config_dir"),
            d.required<std::int64_t>("sessions"),
            d.optional<std::int64_t>("listening"),
            d.optional<double>("heard_at"),
            d.optional<double>("checked_at")};
}

std::string EnvironmentRow::kind() const {
    std::string text = token ? "token" : "";
    if (config_dir)
        text += (text.empty() ? "" : " + ") +
                ("config dir " + Foundation::abbreviatingWithTildeInPath(*config_dir));
    return text;
}

std::string EnvironmentRow::live() const {
    std::string text = sessions == 0   ? "no live sessions"
                       : sessions == 1 ? "1 live session"
                                       : std::to_string(sessions) + " live sessions";
    if (listening && *listening > 0)
        text += ", " + std::to_string(*listening) + " listening";
    if (token && !config_dir) {
        std::optional<double> heard = heard_at;
        if (checked_at)
            heard = std::max(heard.value_or(*checked_at), *checked_at);
        text += heard ? ", last heard " + SettingsView::relative(*heard)
                      : ", not heard from since the bridge started";
    }
    return text;
}
