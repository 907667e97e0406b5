// The records of the bridge's pairing replies.
//
// Keys equal the field names; unknown keys are ignored, optional ones may be
// absent or null, and a wrong type or a missing required key makes the whole
// reply unreadable. Times are milliseconds since 1970.
#pragma once

#include <JSONCoding/JSONCoding.h>
#include <optional>
#include <string>

// The reply of POST /pair/arm.
struct PairArmReply {
    std::optional<std::string> code;
    std::optional<std::string> uri;
    std::optional<std::string> message;
    std::optional<std::string> host;
    std::optional<bool> tailscale_only;

    static PairArmReply decode(const JSONCoding::Decoder& d) {
        return {d.optional<std::string>("code"), d.optional<std::string>("uri"),
                d.optional<std::string>("message"), d.optional<std::string>("host"),
                d.optional<bool>("tailscale_only")};
    }
};

// The reply of GET /pair/status.
struct PairStatus {
    struct Paired {
        std::string device_id;
        double at = 0;

        static Paired decode(const JSONCoding::Decoder& d) {
            return {d.required<std::string>("device_id"), d.required<double>("at")};
        }
    };

    bool armed = false;
    std::optional<std::string> code;
    std::optional<std::string> uri;
    std::optional<bool> knocked;
    std::optional<std::string> device_id;
    std::optional<Paired> paired;

    static PairStatus decode(const JSONCoding::Decoder& d) {
        return {d.required<bool>("armed"),
                d.optional<std::string>("code"),
                d.optional<std::string>("uri"),
                d.optional<bool>("knocked"),
                d.optional<std::string>("device_id"),
                d.optional<Paired>("paired")};
    }
};
