// The records of the bridge's settings and environment replies.
//
// `SettingsReply` answers GET and POST /settings; its `values` use the
// settings' own lowerCamelCase names as keys, the rest of the bridge's keys
// are snake_case. `EnvironmentRow` is one row of GET /environments (another
// Claude Code setup that reports to this bridge) with the two phrases the
// Settings window shows for it. Decoding is strict: a missing or mistyped
// required key anywhere makes the whole reply count as no reply.
#pragma once

#include <JSONCoding/JSONCoding.h>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct SettingsReply {
    // The bridge's settings.
    struct Values {
        std::string connectionMode;
        std::string wakeScope;
        bool remoteControlOnResume = false;
        std::string pushDetail;
        bool pttReplies = false;
        std::string voiceLevel;
        std::string speakMode;
        bool speakCompletions = false;
        bool speakFullResponse = false;
        std::optional<bool> legacyPhones;
        std::optional<bool> allowSessionRestart;
        std::optional<std::int64_t> lockScreenApprovalsAfterIdleMin;

        bool operator==(const Values&) const = default;
        static Values decode(const JSONCoding::Decoder& d);
    };

    std::optional<Values> values;
    std::optional<std::string> tailnet;
    std::optional<std::string> config_error;
    // The bridge's sentence when a change was refused.
    std::optional<std::string> msg;

    static SettingsReply decode(const JSONCoding::Decoder& d);
};

struct EnvironmentRow {
    // The identity of the row.
    std::string name;
    std::string label;
    // It reports with a token of its own (a container).
    bool token = false;
    std::optional<std::string> config_dir;
    std::int64_t sessions = 0;
    std::optional<std::int64_t> listening;
    // Milliseconds since 1970.
    std::optional<double> heard_at;
    std::optional<double> checked_at;

    // How it reports: "token", "config dir ~/…", both joined by " + ", or "".
    std::string kind() const;
    // Its live sessions, listeners, and when a token-only row was last heard from.
    std::string live() const;

    bool operator==(const EnvironmentRow&) const = default;
    static EnvironmentRow decode(const JSONCoding::Decoder& d);
};

// The reply of GET /environments: lists of rows by key; the model reads "environments".
using EnvironmentLists = std::map<std::string, std::vector<EnvironmentRow>>;
