// The bridge's conversation lists and what a client may do to them.
//
// Conversations are JSON objects as the bridge sends them, kept verbatim in
// two ordered lists, pinned and recent, so tests may also plant odd ones. An
// action finds a conversation by its session_id in either list. Resuming
// wakes a dormant conversation, opened in the background or working in a
// terminal; sleeping makes a running agent conversation dormant and drops its
// memory figure; pinning moves one between the lists, a newly pinned one last
// among the pinned, an unpinned one into recent by its last activity. Not
// thread-safe: the state that owns it guards it.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace SampleBridge {

using JSON = nlohmann::json;

struct Outcome {
    enum class Kind { Done, Refused, Unknown };
    Kind kind;
    std::string message;
};

enum class ResumeMode { Background, Terminal };

class Conversations {
public:
    Conversations() = default;
    Conversations(JSON pinned, JSON recent);

    // {"pinned": [...], "recent": [...]}
    JSON lists() const;

    Outcome resume(std::string_view sessionId, ResumeMode mode, std::int64_t nowMilliseconds);
    Outcome sleep(std::string_view sessionId);
    Outcome pin(std::string_view sessionId, bool pinned);

private:
    struct Found {
        JSON* list;
        std::size_t index;
    };
    Found find(std::string_view sessionId);

    JSON m_pinned = JSON::array();
    JSON m_recent = JSON::array();
};

} // namespace SampleBridge
