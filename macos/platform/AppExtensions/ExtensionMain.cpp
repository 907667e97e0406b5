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
#include <csignal>
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

// While the host waits for its extension, the signals that end a process with its terminal
// (hang-up, interrupt, quit, terminate) are held and passed on to the extension, so that the host
// outlives it and removes its request; once the host lets them go, the last one ends it as it
// would have.
class HeldEndingSignals {
public:
    HeldEndingSignals() {
        ::sigemptyset(&m_ending);
        for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
            ::sigaddset(&m_ending, signal);
        sigset_t held = m_ending;
        ::sigaddset(&held, SIGCHLD);
        ::pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    }
    ~HeldEndingSignals() {
        ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
        if (m_received != 0)
            ::raise(m_received);
    }
    HeldEndingSignals(const HeldEndingSignals&) = delete;
    HeldEndingSignals& operator=(const HeldEndingSignals&) = delete;

    // The mask the extension starts with: the host's own before it held any.
    const sigset_t& previous() const { return m_previous; }

    // Waits for `child` to end, passing on each ending signal; its wait status, or -1.
    int wait(pid_t child) {
        sigset_t awaited = m_ending;
        ::sigaddset(&awaited, SIGCHLD);
        for (;;) {
            int status = 0;
            const pid_t waited = ::waitpid(child, &status, WNOHANG);
            if (waited == child)
                return status;
            if (waited < 0 && errno != EINTR)
                return -1;
            const int signal = ::sigwaitinfo(&awaited, nullptr);
            if (signal > 0 && signal != SIGCHLD) {
                m_received = signal;
                ::kill(child, signal);
            }
        }
    }

private:
    sigset_t m_ending;
    sigset_t m_previous;
    int m_received = 0;
};

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
    // Held until the request is removed: a host whose terminal goes away ends after that.
    HeldEndingSignals held;
    if (Foundation::writeFileAtomically(request, Foundation::dataFrom(json), 0600, &why)) {
        const std::string programText = program.string(), requestText = request.string();
        char* arguments[] = {const_cast<char*>(programText.c_str()), const_cast<char*>("--request"),
                             const_cast<char*>(requestText.c_str()), nullptr};
        // The extension takes those signals as it would on its own.
        posix_spawnattr_t attributes;
        ::posix_spawnattr_init(&attributes);
        ::posix_spawnattr_setsigmask(&attributes, &held.previous());
        ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
        pid_t child = 0;
        const int spawned =
            ::posix_spawn(&child, programText.c_str(), nullptr, &attributes, arguments, environ);
        ::posix_spawnattr_destroy(&attributes);
        const int wait = spawned == 0 ? held.wait(child) : -1;
        if (spawned != 0) {
            why = programText + " could not be started.";
        } else if (wait != -1 && WIFEXITED(wait)) {
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
