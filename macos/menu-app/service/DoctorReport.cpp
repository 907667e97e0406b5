#include "service/DoctorReport.h"

#include "service/Bundled.h"
#include "service/ToolOutput.h"

DoctorReport::EnvSpec DoctorReport::EnvSpec::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::string>("name"), d.required<std::string>("label"),
            d.required<std::string>("config_dir")};
}

DoctorReport::Fix DoctorReport::Fix::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::string>("label"), d.optional<std::string>("command"),
            d.optional<std::string>("action"), d.optional<EnvSpec>("env")};
}

DoctorReport::Check DoctorReport::Check::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::string>("id"), d.required<std::string>("status"),
            d.required<std::string>("title"), d.required<std::string>("detail"),
            d.optional<Fix>("fix")};
}

DoctorReport DoctorReport::decode(const JSONCoding::Decoder& d) {
    return {d.required<bool>("ok"), d.required<std::vector<Check>>("checks")};
}

std::optional<DoctorReport> DoctorReport::run() {
    // A tool that finds problems may end with a non-zero status and still print its report.
    return fromOutput(Bundled::cli({"doctor", "--json"}, timeout).output);
}

std::optional<DoctorReport> DoctorReport::fromOutput(std::string_view output) {
    const auto line = ToolOutput::jsonLine(output);
    if (!line)
        return std::nullopt;
    return JSONCoding::decode<DoctorReport>(Foundation::dataFrom(*line));
}

const DoctorReport::Check* DoctorReport::check(std::string_view id) const {
    for (const Check& candidate : checks)
        if (candidate.id == id)
            return &candidate;
    return nullptr;
}

std::vector<DoctorReport::Check> DoctorReport::environments() const {
    std::vector<Check> found;
    for (const Check& candidate : checks)
        if (candidate.id.starts_with("env:") || candidate.id.starts_with("config_dir:"))
            found.push_back(candidate);
    return found;
}
