// The Share-menu extension's switch: whether the system offers it, turning it
// on or off, and registering the application so that the system knows it.
//
// The extension ships inside the application (`DossierShares::extensionBundle`)
// and is named to the system by its bundle identifier. Everything here runs a
// system tool through `Run::run` and blocks until it ends or times out, so
// callers keep these off the main thread. Only the plug-in tool's listing is
// read: the first line holding the identifier says on when it begins with
// "+", off otherwise; no such line, a failed run, or a missing bundle or
// identifier says not registered.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ShareExtension {

enum class State { on, off, notRegistered };

// The extension's bundle identifier; none without its bundle or a non-empty identifier.
std::optional<std::string> identifier();

State state();
// The state a plug-in tool's listing gives for the extension named `identifier`.
State listed(std::string_view listing, std::string_view identifier);
// True when the plug-in tool took the change (exit status 0).
bool set(bool on);
// Registers the application bundle, its extensions with it, with Launch Services; the outcome is
// not examined. Named so because `register` is a keyword.
void registerBundle();

// The tools' time-outs, in seconds.
inline constexpr double pluginTimeout = 10;
inline constexpr double registerTimeout = 20;

} // namespace ShareExtension
