// The menu-bar executable's command line: the switches that make it a tool.
//
// The program entry calls `runIfAsked` first, with the arguments after the
// program's name. Only the first argument is looked at as a switch, compared
// exactly, in this order: "--setup-check", "--service [word]", "--hooks
// install", "--uninstall [--delete-data] [--yes]", "--dossier-outbox
// [seconds]", "--share-menu [word]", and in test builds (an Info.plist with
// "KHHome") "--snapshot-share folder" and "--snapshot folder [--container
// name]". When one matches, its command runs on
// the main thread, writes its text to standard output (usage texts to
// standard error) and ends the process with its exit status: 0 success, 1 a
// failed action or missing prerequisite, 2 a wrong action word. Anything
// else, "--hooks" without "install" included, starts the application. The
// switches work beside a running copy of the application.
//
// Texts from outside (the bridge's replies, files and the paths in them, tool
// output) are written with their control characters shown as U+FFFD
// (`Foundation::printable`), so none reaches the terminal as an escape
// sequence; a tool's output passed through keeps its line feeds and tabs.
//
// The process ends once everything written is flushed, without running the
// exit-time destructors of statics, which the relay's and other background
// threads may still be using. The commands block while their tools run.
#pragma once

#include "service/BackgroundService.h"

#include <SwiftUI/HostingController.h>
#include <SwiftUI/View.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SetupCommandLine {

// Returns only when the arguments ask for no command.
void runIfAsked(const std::vector<std::string>& arguments);

// The installation report: bundle, service, bridge, hooks, Claude Code, updates, the Share
// relay, then the doctor's checks.
void check();
// "status", "register", "unregister" or "switch" (turn the service on).
int service(const std::string& action);
// The bridge tool's "install-hooks", its output passed through.
int installHooks();
// Without `confirmed`, lists what an uninstall would remove and changes nothing; with it, removes
// everything and reports each step.
int uninstall(bool deleteData, bool confirmed);
// Drains the Share outbox in the foreground for `seconds` (at least 3), printing each answer,
// then what still waits. Gives 1, having said so in one line, when another relay holds the
// outbox (naming it: the running application, a stopped one, another such run), and 1 when what
// it finds at the end could not all be read.
int dossierOutbox(double seconds);
// "status", "on", "off" or "register" the Share-menu extension.
int shareMenu(const std::string& action);

// Renders the Setup window, the Settings window (1900 points high) and the container window's
// naming step into `folder`, and with a `container` name, that container's setup steps and its
// check-in; prints a line for the Setup window and one for the container. Each wait turns the
// main run loop, bounded by its clock. Gives 1 when an image that was rendered was not written.
int snapshot(const std::filesystem::path& folder, const std::optional<std::string>& container);
// Renders the share sheet in five sample states into `folder`, a line for each.
int snapshotShare(const std::filesystem::path& folder);
// Draws `view` as its window would show it, at its fitting size on the window background, into
// the PNG `file`; false when it was not written. The view is on screen meanwhile, so what it does
// on appearing runs; with `settled`, the picture waits (up to 10 seconds) until that holds of its
// host.
bool render(SwiftUI::View view, const std::filesystem::path& file,
            const std::function<bool(SwiftUI::HostingController&)>& settled = {});

// The seconds "--dossier-outbox" waits for this second argument: at least 3; a missing argument,
// one that is not wholly a number, and NaN count as 0; a huge one is infinity, which waits until
// the process is ended.
double outboxWait(const std::optional<std::string>& argument);
// `text` padded with spaces on the right, or cut, to exactly `width` characters.
std::string column(std::string_view text, std::size_t width);

} // namespace SetupCommandLine
