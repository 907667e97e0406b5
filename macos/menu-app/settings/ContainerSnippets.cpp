#include "settings/ContainerSnippets.h"

ContainerSnippets ContainerSnippets::decode(const JSONCoding::Decoder& d) {
    return {d.required<std::string>("name"),         d.required<std::string>("label"),
            d.optional<std::string>("env_file"),     d.required<std::string>("url"),
            d.required<std::string>("docker_run"),   d.required<std::string>("compose"),
            d.required<std::string>("devcontainer"), d.required<std::string>("in_container"),
            d.required<std::string>("entrypoint"),   d.required<std::string>("network_note"),
            d.optional<std::string>("remote_note"),  d.required<std::string>("limits_note"),
            d.optional<std::string>("safety_note")};
}
