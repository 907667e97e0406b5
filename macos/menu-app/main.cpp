// KestrelhavenMenu: the menu-bar application, or a command-line tool when started with a switch.
#include "menubar/AppDelegate.h"
#include "service/Bundled.h"
#include "service/SetupCommandLine.h"

#include <AppKit/Application.h>
#include <AppKit/RunningApplication.h>
#include <AppKit/TerminalPresentation.h>
#include <Foundation/Bundle.h>
#include <Foundation/UserDefaults.h>
#include <iostream>

namespace {

// The application holds its delegate only weakly; this keeps it for the life of the process.
AppKit::Application* app = nullptr;
std::shared_ptr<AppDelegate> delegate;

} // namespace

int main(int argc, char** argv) {
    Foundation::UserDefaults::setHome(Bundled::home());
    SetupCommandLine::runIfAsked(std::vector<std::string>(argv + 1, argv + argc));
    // One copy runs for a user; the command-line switches above work beside it.
    if (!AppKit::RunningApplication::launch(Foundation::Bundle::main().identifier().value_or(""))) {
        std::cout << "Kestrelhaven is already running." << std::endl;
        return 0;
    }
    app = &AppKit::Application::shared();
    app->setActivationPolicy(AppKit::ActivationPolicy::Accessory);
    delegate = std::make_shared<AppDelegate>();
    app->setDelegate(delegate);
    AppKit::TerminalPresentation::install();
    app->run();
    return 0;
}
