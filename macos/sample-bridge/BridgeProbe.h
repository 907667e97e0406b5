// How the sample bridge's tool asks a running bridge something: one GET over
// the bridge's socket, the reply read to the end of the connection.
//
// Bounded in time (the whole exchange within its time-out) and in size;
// anything but a 200 reply with a JSON body counts as no answer.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace SampleBridge {

std::optional<nlohmann::json> probe(const std::filesystem::path& socket, const std::string& path,
                                    double timeout);

} // namespace SampleBridge
