#include "PluginKit.h"

#include "Registry.h"

#include <optional>

namespace LaunchServices {

namespace {

int usage(std::ostream& errors) {
    errors << "usage: pluginkit -m [-v] [-i <identifier>] [-p <extension point>] | "
              "pluginkit -e use|ignore|default -i <identifier>\n";
    return 64;
}

struct Options {
    bool match = false;
    bool verbose = false;
    std::optional<std::string> election;
    std::optional<std::string> identifier;
    std::optional<std::string> point;
};

// Nothing for a wrong use.
std::optional<Options> parse(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        const bool valued = argument == "-e" || argument == "-i" || argument == "-p";
        if (valued && index + 1 == arguments.size())
            return std::nullopt;
        if (argument == "-m")
            options.match = true;
        else if (argument == "-v")
            options.verbose = true;
        else if (argument == "-e")
            options.election = arguments[++index];
        else if (argument == "-i")
            options.identifier = arguments[++index];
        else if (argument == "-p")
            options.point = arguments[++index];
        else
            return std::nullopt;
    }
    if (options.match == options.election.has_value())
        return std::nullopt;
    if (options.election && !options.identifier)
        return std::nullopt;
    return options;
}

char mark(Election election) {
    switch (election) {
    case Election::use:
        return '+';
    case Election::ignore:
        return '-';
    case Election::none:
        break;
    }
    return ' ';
}

int list(const Options& options, std::ostream& output) {
    for (const PlugIn& plugIn : Registry::current().plugIns()) {
        if ((options.identifier && plugIn.identifier != *options.identifier) ||
            (options.point && plugIn.point != *options.point))
            continue;
        output << mark(plugIn.election) << "    " << plugIn.identifier << "(" << plugIn.version
               << ")";
        if (options.verbose)
            output << "\t" << plugIn.path.string();
        output << "\n";
    }
    return 0;
}

int elect(const Options& options, std::ostream& errors) {
    std::optional<Election> election;
    if (*options.election == "use")
        election = Election::use;
    else if (*options.election == "ignore")
        election = Election::ignore;
    else if (*options.election == "default")
        election = Election::none;
    else
        return usage(errors);
    if (const auto error = Registry::current().elect(*options.identifier, *election)) {
        errors << "pluginkit: " << error->description << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int pluginkit(const std::vector<std::string>& arguments, std::ostream& output,
              std::ostream& errors) {
    const auto options = parse(arguments);
    if (!options)
        return usage(errors);
    return options->match ? list(*options, output) : elect(*options, errors);
}

} // namespace LaunchServices
