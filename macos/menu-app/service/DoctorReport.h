// The bridge tool's report on the whole installation ("doctor --json").
//
// The tool decides every check's status, title, detail and remedy; this side
// only reads them, looks checks up by identifier, and offers the remedies.
// Status words: "ok", "warn", "fail", "info" (and "todo"); any other word
// means pending. The report decodes strictly and whole: a required key
// missing, a wrong type or a null where a value belongs, anywhere, and there
// is no report. `run` blocks for up to 45 seconds (plus the runner's drain
// wait); a report is an immutable value that may cross threads.
#pragma once

#include <JSONCoding/JSONCoding.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct DoctorReport {
    // A Claude Code setup (an environment) that a fix refers to.
    struct EnvSpec {
        std::string name;
        std::string label;
        std::string config_dir;

        static EnvSpec decode(const JSONCoding::Decoder& d);
        bool operator==(const EnvSpec&) const = default;
    };

    // The remedy the tool proposes for a check.
    struct Fix {
        // The title of the button that offers it.
        std::string label;
        // A shell command line for the user.
        std::optional<std::string> command;
        // An action the application carries out.
        std::optional<std::string> action;
        std::optional<EnvSpec> env;

        static Fix decode(const JSONCoding::Decoder& d);
        bool operator==(const Fix&) const = default;
    };

    struct Check {
        std::string id;
        std::string status;
        std::string title;
        std::string detail;
        std::optional<Fix> fix;

        static Check decode(const JSONCoding::Decoder& d);
        bool operator==(const Check&) const = default;
    };

    bool ok = false;
    std::vector<Check> checks;

    static DoctorReport decode(const JSONCoding::Decoder& d);
    bool operator==(const DoctorReport&) const = default;

    static constexpr double timeout = 45;

    // Runs the tool's "doctor --json"; none when it gave no readable report.
    static std::optional<DoctorReport> run();
    // The report in a run's standard output: its last line that begins with "{".
    static std::optional<DoctorReport> fromOutput(std::string_view output);

    // The first check with this identifier.
    const Check* check(std::string_view id) const;
    // The checks of environments ("env:…" and "config_dir:…"), in report order.
    std::vector<Check> environments() const;
};
