#include "Launchctl.h"

#include "Domain.h"

#include <optional>

namespace Launchd {

namespace {

constexpr int usageStatus = 64;

int usage(std::ostream& errors) {
    errors << "usage: launchctl print <target> | bootout <target> | kickstart [-k] <target> | "
              "bootstrap <domain> <plist>...\n";
    return usageStatus;
}

int report(const std::optional<Foundation::Error>& error, std::ostream& errors) {
    if (!error)
        return 0;
    errors << "launchctl: " << error->description << "\n";
    return error->code > 0 && error->code < 256 ? static_cast<int>(error->code) : 1;
}

// The label of a target in this user's domain; nothing for any other text.
std::optional<std::string> labelOf(const std::string& target) {
    const std::string prefix = Domain::name() + "/";
    if (!target.starts_with(prefix) || target.size() == prefix.size())
        return std::nullopt;
    return target.substr(prefix.size());
}

int print(const Domain& domain, const std::string& label, std::ostream& output,
          std::ostream& errors) {
    const auto job = domain.job(label);
    if (!job) {
        errors << "launchctl: no service " << label << " in " << Domain::name() << "\n";
        return 113;
    }
    output << Domain::target(label) << " = {\n";
    output << "\tpath = " << job->plist.string() << "\n";
    output << "\tprogram = " << job->arguments.front() << "\n";
    output << "\targuments = {\n";
    for (const std::string& argument : job->arguments)
        output << "\t\t" << argument << "\n";
    output << "\t}\n";
    if (job->isRunning())
        output << "\tstate = running\n\tpid = " << job->instance->pid << "\n";
    else
        output << "\tstate = not running\n";
    output << "}\n";
    return 0;
}

} // namespace

int launchctl(const std::vector<std::string>& arguments, std::ostream& output,
              std::ostream& errors) {
    if (arguments.empty())
        return usage(errors);
    const std::string& verb = arguments[0];
    Domain domain = Domain::current();
    if (verb == "bootstrap") {
        if (arguments.size() < 3 || arguments[1] != Domain::name())
            return usage(errors);
        for (std::size_t index = 2; index < arguments.size(); ++index) {
            if (const int status = report(domain.bootstrap(arguments[index]), errors))
                return status;
        }
        return 0;
    }
    const bool killRunning = verb == "kickstart" && arguments.size() == 3 && arguments[1] == "-k";
    if (arguments.size() != (killRunning ? 3u : 2u))
        return usage(errors);
    const auto label = labelOf(arguments.back());
    if (!label)
        return usage(errors);
    if (verb == "print")
        return print(domain, *label, output, errors);
    if (verb == "bootout")
        return report(domain.bootout(*label), errors);
    if (verb == "kickstart")
        return report(domain.kickstart(*label, killRunning), errors);
    return usage(errors);
}

} // namespace Launchd
