#include "Lsregister.h"

#include "Registry.h"

namespace LaunchServices {

namespace {

int usage(std::ostream& errors) {
    errors << "usage: lsregister [-f] [-R] [-trusted] <bundle>...\n";
    return 64;
}

} // namespace

int lsregister(const std::vector<std::string>& arguments, std::ostream&, std::ostream& errors) {
    bool recursive = false;
    bool trusted = false;
    std::vector<std::string> bundles;
    for (const std::string& argument : arguments) {
        if (argument == "-R")
            recursive = true;
        else if (argument == "-trusted")
            trusted = true;
        else if (argument == "-f")
            continue;
        else if (argument.starts_with("-"))
            return usage(errors);
        else
            bundles.push_back(argument);
    }
    if (bundles.empty())
        return usage(errors);
    int status = 0;
    const Registry registry = Registry::current();
    for (const std::string& bundle : bundles) {
        if (const auto error = registry.registerBundle(bundle, recursive, trusted)) {
            errors << "lsregister: " << error->description << "\n";
            status = 1;
        }
    }
    return status;
}

} // namespace LaunchServices
