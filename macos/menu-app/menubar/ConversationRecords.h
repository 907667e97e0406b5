// The records of the bridge's conversation replies and what the menu shows of
// a conversation.
//
// Keys equal the field names, as the bridge sends them; a missing required
// key or a value of the wrong type makes the whole reply unreadable. Times
// are milliseconds since 1970. The shown values are computed on each read:
// the short title (white space collapsed, at most 40 characters with "…"),
// the time of last activity (the time for today, month and day for this
// year, with the year before that), the memory ("412 MB", "1.5 GB"), the
// state's colour and the tool tip.
#pragma once

#include <AppKit/Color.h>
#include <JSONCoding/JSONCoding.h>
#include <optional>
#include <string>
#include <vector>

struct Conversation {
    std::string session_id;
    std::string short_id;
    std::string project;
    std::string cwd;
    std::string title;
    double last_active = 0;
    std::string state;
    std::optional<double> memory_mb;
    bool pinned = false;
    bool agent = false;

    static Conversation decode(const JSONCoding::Decoder& d) {
        return {d.required<std::string>("session_id"),
                d.required<std::string>("short_id"),
                d.required<std::string>("project"),
                d.required<std::string>("cwd"),
                d.required<std::string>("title"),
                d.required<double>("last_active"),
                d.required<std::string>("state"),
                d.optional<double>("memory_mb"),
                d.required<bool>("pinned"),
                d.required<bool>("agent")};
    }

    std::string shortTitle() const;
    std::string when() const;
    std::optional<std::string> memory() const;
    AppKit::Color stateColor() const;
    std::string detail() const;
};

// The reply of GET /conversations.
struct ConversationList {
    std::vector<Conversation> pinned;
    std::vector<Conversation> recent;

    static ConversationList decode(const JSONCoding::Decoder& d) {
        return {d.required<std::vector<Conversation>>("pinned"),
                d.required<std::vector<Conversation>>("recent")};
    }
};

// The reply of the conversation actions.
struct ActionResult {
    bool ok = false;
    std::string msg;

    static ActionResult decode(const JSONCoding::Decoder& d) {
        return {d.required<bool>("ok"), d.required<std::string>("msg")};
    }
};
