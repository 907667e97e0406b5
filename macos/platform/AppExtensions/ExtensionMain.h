// The program entry of an app extension, and the host side that starts one.
//
// An extension's executable calls `extensionMain` from its `main`. It is
// started by a host as `<executable> --request FILE` (see ExtensionRequest.h):
// it makes the principal class its Info.plist names under
// NSExtension/NSExtensionPrincipalClass (registered beforehand with
// `registerPrincipalClass`), gives it the request's context, loads its view,
// shows the view in a window titled with the bundle's name, and runs the
// main run loop until the request ends; closing the window cancels it. On a
// terminal the window is shown by the application's terminal presentation,
// its controls answering keys; otherwise it is presented on standard output
// as text, its controls and text fields listed with keys that lines on
// standard input use (see ExtensionConsole.h). The exit status is the
// outcome: 0 completed, 1 cancelled, 2 not started (a bad request or no
// principal class).
//
// `runExtension` is the host's side: it writes the request beside nothing
// else (a private temporary file), starts the extension bundle's executable
// with the terminal it was given, waits for it, and gives its exit status.
#pragma once

#include "ExtensionRequest.h"

#include <AppKit/ViewController.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace AppExtensions {

enum ExtensionExit { Completed = 0, Cancelled = 1, NotStarted = 2 };

using PrincipalClassFactory = std::function<std::shared_ptr<AppKit::ViewController>()>;

void registerPrincipalClass(std::string name, PrincipalClassFactory make);
int extensionMain(int argc, char** argv);

// Starts the extension at `appex` (its bundle folder) with `items`; its exit status, or
// NotStarted (with `error` set) when it could not be started or ended by a signal.
int runExtension(const std::filesystem::path& appex, const std::vector<SharedItem>& items,
                 std::string* error = nullptr);

} // namespace AppExtensions
