// What the container window reads from outside: the tool's output for a setup, and the bridge's
// environments reply for a check-in.
#include "settings/ContainerSetupModel.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)ContainerSetupModel::parse({1, text, ""}).description();
    (void)ContainerSetupModel::parse({1, "", text});
    if (const auto found = ContainerSetupModel::checkIn({data, size}, "ci", 0))
        (void)found->description();
    (void)ContainerSetupModel::slug(text);
    return 0;
}
