// A container environment's setup, as the bridge's tool prints it for
// "env add … --container --json" and "env snippet … --json".
//
// The environment's name and label, where its token is kept (a file only
// its owner may read, when the tool wrote one), and the ready-made texts the
// Add a Container window shows: the container's configuration in three
// shapes, the command to run inside it and its entrypoint version, and
// notes. Every value is text; `url` is required but not shown. Decoded
// strictly: a missing required key or a value of another type, and there
// are no snippets.
#pragma once

#include <JSONCoding/JSONCoding.h>
#include <optional>
#include <string>

struct ContainerSnippets {
    std::string name;
    std::string label;
    std::optional<std::string> env_file;
    std::string url;
    std::string docker_run;
    std::string compose;
    std::string devcontainer;
    std::string in_container;
    std::string entrypoint;
    std::string network_note;
    std::optional<std::string> remote_note;
    std::string limits_note;
    std::optional<std::string> safety_note;

    static ContainerSnippets decode(const JSONCoding::Decoder& d);
    bool operator==(const ContainerSnippets&) const = default;
};
