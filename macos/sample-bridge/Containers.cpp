#include "sample-bridge/Containers.h"

#include "sample-bridge/CheckIns.h"
#include "sample-bridge/ClaudeFiles.h"
#include "sample-bridge/Environments.h"

#include <Foundation/FileIO.h>
#include <Foundation/Home.h>
#include <Foundation/SystemTime.h>
#include <random>

namespace SampleBridge {

namespace {

namespace fs = std::filesystem;
using ClaudeFiles::Document;

// Where a container on this Mac reaches the bridge.
constexpr const char* bridgeURL = "http://host.docker.internal:7878";

int fail(std::ostream& output, const std::string& message) {
    output << Document{{"ok", false}, {"msg", message}}.dump(-1, ' ', false,
                                                             Document::error_handler_t::replace)
           << "\n";
    return 1;
}

std::string newToken() {
    std::random_device source;
    std::uniform_int_distribution<int> digit(0, 15);
    std::string token;
    for (int i = 0; i < 40; ++i)
        token += "0123456789abcdef"[digit(source)];
    return token;
}

fs::path envFile(const std::string& name) {
    return Foundation::homeDirectory() / ".kestrelhaven" / "containers" / (name + ".env");
}

// Writes the container's settings file and prints its setup; gives the exit status.
int printSetup(const Environment& container, std::ostream& output) {
    const fs::path file = envFile(container.name);
    std::error_code folderError;
    std::string reason;
    if (!Foundation::createFolder(file.parent_path(), &folderError))
        return fail(output, "Couldn't make " + ClaudeFiles::shown(file.parent_path()) + ": " +
                                folderError.message() + ".");
    const std::string settings = std::string("KESTRELHAVEN_URL=") + bridgeURL +
                                 "\nKESTRELHAVEN_TOKEN=" + *container.token +
                                 "\nKESTRELHAVEN_ENV=" + container.name + "\n";
    if (!Foundation::writeFileAtomically(file, Foundation::dataFrom(settings), 0600, &reason))
        return fail(output, "Couldn't write " + ClaudeFiles::shown(file) + ": " + reason + ".");
    CheckIns::begin(container.name, Foundation::SystemTime::now() * 1000);

    const std::string path = file.string();
    const std::string setup = "curl -fsSL \"$KESTRELHAVEN_URL/container/setup.sh\" | sh";
    const Document snippets = {
        {"name", container.name},
        {"label", container.label},
        {"env_file", path},
        {"url", bridgeURL},
        {"docker_run", "docker run --env-file \"" + path +
                           "\" --add-host host.docker.internal:host-gateway <your image>"},
        {"compose", "    env_file: \"" + path +
                        "\"\n    extra_hosts:\n      - \"host.docker.internal:host-gateway\""},
        {"devcontainer", "\"runArgs\": [\"--env-file\", \"" + path +
                             "\", \"--add-host\", \"host.docker.internal:host-gateway\"]"},
        {"in_container", setup},
        {"entrypoint", "#!/bin/sh\n" + setup + "\nexec \"$@\""},
        {"network_note", "The container reaches this Mac at host.docker.internal. On another "
                         "computer, set KESTRELHAVEN_URL to this Mac's tailnet name instead."},
        {"limits_note", "Its sessions can be followed and answered from your phone; they can't "
                        "be resumed from this Mac's menu."},
        {"safety_note",
         "Whoever can read the settings file can report sessions as " + container.label + "."},
    };
    output << snippets.dump(-1, ' ', false, Document::error_handler_t::replace) << "\n";
    return 0;
}

} // namespace

int addContainer(const std::vector<std::string>& arguments, std::ostream& output,
                 std::ostream& errors) {
    if (arguments.size() != 4 || arguments[2] != "--container" || arguments[3] != "--json") {
        errors << "usage: env add <name> <label> --container --json\n";
        return 1;
    }
    const std::string& name = arguments[0];
    const std::string& label = arguments[1];
    if (!validEnvironmentName(name))
        return fail(output, "“" + name + "” can't name an environment.");
    if (label.empty() || label.front() == '-')
        return fail(output, "A container needs a label.");
    const Environment container{name, label, std::nullopt, newToken()};
    if (std::string error; !addToEnvironments(container, error))
        return fail(output, "Couldn't add " + label + ": " + error + ".");
    return printSetup(container, output);
}

int describeContainer(const std::vector<std::string>& arguments, std::ostream& output,
                      std::ostream& errors) {
    if (arguments.size() != 2 || arguments[1] != "--json") {
        errors << "usage: env snippet <name> --json\n";
        return 1;
    }
    const auto environment = findEnvironment(arguments[0]);
    if (!environment)
        return fail(output, "No environment is named “" + arguments[0] + "”.");
    if (!environment->token)
        return fail(output, environment->label + " is Claude Code on this Mac, not a container.");
    return printSetup(*environment, output);
}

} // namespace SampleBridge
