// What the bridge's tool prints, read as a doctor report and as an MCP result.
#include "service/DoctorReport.h"
#include "service/SetupModel.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string output(reinterpret_cast<const char*>(data), size);
    if (const auto report = DoctorReport::fromOutput(output)) {
        (void)report->environments();
        (void)report->check("bridge");
    }
    (void)SetupModel::mcpOutcome({0, output, ""}, true);
    return 0;
}
