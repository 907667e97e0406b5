// The records of the bridge's health and device replies.
//
// Keys equal the field names, as the bridge sends them. Time stamps are
// milliseconds since 1970.
#pragma once

#include <JSONCoding/JSONCoding.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The reply of GET /healthz.
struct Health {
    bool ok = false;
    std::optional<std::string> version;
    std::optional<bool> device;
    std::optional<std::string> config_error;

    static Health decode(const JSONCoding::Decoder& d) {
        return {d.required<bool>("ok"), d.optional<std::string>("version"),
                d.optional<bool>("device"), d.optional<std::string>("config_error")};
    }
};

// What a phone reports about its app.
struct DeviceApp {
    std::optional<std::string> version;
    std::optional<std::string> build;
    std::optional<std::string> distribution;

    bool operator==(const DeviceApp&) const = default;

    static DeviceApp decode(const JSONCoding::Decoder& d) {
        return {d.optional<std::string>("version"), d.optional<std::string>("build"),
                d.optional<std::string>("distribution")};
    }
};

// One paired phone.
struct DeviceRow {
    std::optional<std::string> device_id;
    std::optional<bool> connected;
    std::optional<double> connected_at;
    std::optional<double> last_seen;
    std::optional<std::string> auth;
    std::optional<bool> encrypted;
    std::optional<double> paired_at;
    std::optional<double> rotated_at;
    std::optional<DeviceApp> app;

    bool operator==(const DeviceRow&) const = default;

    static DeviceRow decode(const JSONCoding::Decoder& d) {
        return {d.optional<std::string>("device_id"), d.optional<bool>("connected"),
                d.optional<double>("connected_at"),   d.optional<double>("last_seen"),
                d.optional<std::string>("auth"),      d.optional<bool>("encrypted"),
                d.optional<double>("paired_at"),      d.optional<double>("rotated_at"),
                d.optional<DeviceApp>("app")};
    }
};

// The reply of GET /devices: lists of rows by key; callers read "devices".
using DeviceLists = std::map<std::string, std::vector<DeviceRow>>;
