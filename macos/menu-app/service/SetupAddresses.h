// The outside addresses that Setup offers: Claude Code's installer and its
// setup documentation, and Tailscale's download page for the Mac.
#pragma once

#include <string>

namespace SetupAddresses {

inline constexpr const char* claudeInstaller = "https://claude.ai/install.sh";
// The installer command a missing Claude Code is offered when the doctor proposes none.
inline std::string claudeInstallCommand() {
    return std::string("curl -fsSL ") + claudeInstaller + " | bash";
}
inline constexpr const char* claudeSetupDocumentation =
    "https://docs.anthropic.com/en/docs/claude-code/setup";
inline constexpr const char* tailscaleDownload = "https://tailscale.com/download/mac";

} // namespace SetupAddresses
