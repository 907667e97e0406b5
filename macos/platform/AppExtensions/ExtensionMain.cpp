#include "ExtensionMain.h"

#include "ExtensionConsole.h"
#include "ExtensionContext.h"

#include <AppKit/TerminalPresentation.h>
#include <AppKit/Window.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Bundle.h>
#include <Foundation/FileIO.h>
#include <SwiftUI/HostingView.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace AppExtensions {

namespace {

constexpr std::size_t maxRequestBytes = 16 * 1024 * 1024;

std::map<std::string, PrincipalClassFactory>& principalClasses() {
    static std::map<std::string, PrincipalClassFactory> classes;
    return classes;
}

std::optional<std::string> principalClassName(const Foundation::Bundle& bundle) {
    const auto* extension = bundle.object("NSExtension");
    const auto* name = extension ? extension->find("NSExtensionPrincipalClass") : nullptr;
    if (!name || !name->text()) {
        return std::nullopt;
    }
    return *name->text();
}

// The name a host shows the extension by.
std::string bundleName(const Foundation::Bundle& bundle) {
    const auto* name = bundle.object("CFBundleName");
    return name && name->text() ? *name->text() : std::string();
}

int notStarted(const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return NotStarted;
}

} // namespace

void registerPrincipalClass(std::string name, PrincipalClassFactory make) {
    principalClasses()[std::move(name)] = std::move(make);
}

int extensionMain(int argc, char** argv) {
    if (argc != 3 || std::string_view(argv[1]) != "--request") {
        return notStarted("This is an app extension: a host starts it with --request FILE.");
    }
    const auto bytes = Foundation::readFile(argv[2], maxRequestBytes);
    const auto shared = bytes ? decodeRequest(*bytes) : std::nullopt;
    if (!shared) {
        return notStarted(std::string("The request ") + argv[2] + " can't be read.");
    }
    const auto name = principalClassName(Foundation::Bundle::main());
    const auto factory = name ? principalClasses().find(*name) : principalClasses().end();
    if (factory == principalClasses().end()) {
        return notStarted("The extension's Info.plist names no principal class it has.");
    }

    auto context = std::make_shared<ExtensionContext>(extensionItems(*shared));
    auto controller = factory->second();
    controller->setExtensionContext(context);
    auto view = controller->view();
    auto* hosting = dynamic_cast<SwiftUI::HostingView*>(view.get());
    if (!hosting) {
        return notStarted("The extension's view is not a hosted view.");
    }
    auto window = AppKit::Window::make(controller->preferredContentSize(),
                                       AppKit::WindowStyle::titled | AppKit::WindowStyle::closable);
    window->setTitle(bundleName(Foundation::Bundle::main()));
    window->setContentView(view);
    hosting->controller().setFrameSize(controller->preferredContentSize());
    // Closing the sheet is how a user leaves it without sharing.
    window->addWillCloseObserver([context](AppKit::Window&) {
        if (!context->outcome())
            context->cancelRequest(userCancelled);
    });
    std::optional<ExtensionConsole> console;
    if (!AppKit::TerminalPresentation::install())
        console.emplace(hosting->controller(), stdout, STDIN_FILENO);
    window->makeKeyAndOrderFront();
    if (console)
        console->show();
    Dispatch::RunLoop::main().runUntil([&] { return context->outcome().has_value(); },
                                       std::numeric_limits<double>::infinity());
    return context->outcome()->completed ? Completed : Cancelled;
}

int runExtension(const std::filesystem::path& appex, const std::vector<SharedItem>& items,
                 std::string* error) {
    auto fail = [error](std::string why) {
        if (error) {
            *error = std::move(why);
        }
        return NotStarted;
    };
    const Foundation::Bundle bundle(appex);
    const auto* executable = bundle.object("CFBundleExecutable");
    if (!executable || !executable->text()) {
        return fail(appex.string() + " is not an extension bundle.");
    }
    const auto program = appex / "Contents" / "MacOS" / *executable->text();

    std::error_code temporaryError;
    std::string folderTemplate =
        (std::filesystem::temp_directory_path(temporaryError) / "kh-share-request-XXXXXX").string();
    if (temporaryError || !::mkdtemp(folderTemplate.data())) {
        return fail("No folder for the request could be made.");
    }
    const std::filesystem::path folder = folderTemplate;
    const auto request = folder / "request.json";
    const std::string json = encodeRequest(items);
    std::string why;
    int status = NotStarted;
    if (Foundation::writeFileAtomically(request, Foundation::dataFrom(json), 0600, &why)) {
        const std::string programText = program.string(), requestText = request.string();
        char* arguments[] = {const_cast<char*>(programText.c_str()), const_cast<char*>("--request"),
                             const_cast<char*>(requestText.c_str()), nullptr};
        pid_t child = 0;
        const int spawned =
            ::posix_spawn(&child, programText.c_str(), nullptr, nullptr, arguments, environ);
        int wait = 0;
        pid_t waited = -1;
        while (spawned == 0 && (waited = ::waitpid(child, &wait, 0)) < 0 && errno == EINTR) {
        }
        if (spawned != 0) {
            why = programText + " could not be started.";
        } else if (waited == child && WIFEXITED(wait)) {
            status = WEXITSTATUS(wait);
        } else {
            why = "The extension ended abnormally.";
        }
    }
    std::error_code ignored;
    std::filesystem::remove(request, ignored);
    std::filesystem::remove(folder, ignored);
    if (!why.empty()) {
        return fail(why);
    }
    return status;
}

} // namespace AppExtensions
