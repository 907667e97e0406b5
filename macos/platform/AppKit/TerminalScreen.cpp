#include "TerminalScreen.h"

#include "TerminalOutput.h"

#include <Dispatch/Clock.h>
#include <Dispatch/RunLoop.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace AppKit::TerminalScreen {

namespace {

// The alternate screen, the cursor hidden, no wrapping at the right edge (the last column of
// the last row is written too), bracketed paste; and the way back.
constexpr std::string_view enterScreen = "\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[?2004h";
constexpr std::string_view leaveScreen = "\x1b[?2004l\x1b[?7h\x1b[0m\x1b[?25h\x1b[?1049l";

constexpr char resized = 'r';
constexpr char continued = 'c';
// The clock moved: a paste may have timed out.
constexpr char clockMoved = 't';

// Shared with the signal handlers: set once by `take`, then only read, or atomic.
termios savedTerminal{};
termios rawTerminal{};
int wakeRead = -1;
int wakeWrite = -1;
std::atomic<bool> taken{false};
// From asking for a redraw of the whole screen until that redraw starts.
std::atomic<bool> redrawAsked{false};
// What the signals that end the process did before `take`, by signal number.
struct sigaction endingBefore[NSIG];

struct Presentation {
    Events events;
    TerminalOutput::Frames frames{Graphics::CellStyling::Plain};
};

Presentation& presentation() {
    static auto* shared = new Presentation;
    return *shared;
}

void writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
}

// What follows runs in signal handlers too: only calls that are safe there.
void giveBack() {
    if (!taken.exchange(false))
        return;
    ::tcsetattr(STDIN_FILENO, TCSANOW, &savedTerminal);
    writeAll(leaveScreen);
}

void takeAgain() {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &rawTerminal);
    writeAll(enterScreen);
    taken = true;
}

void wake(char why) {
    const ssize_t ignored = ::write(wakeWrite, &why, 1);
    (void)ignored;
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

bool isFault(int signal) {
    return signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE;
}

// The terminal is given back, and the signal then does what it did before: a fault comes again
// as its instruction runs again; any other signal is raised again. An uncaught exception ends
// here too, through abort's SIGABRT.
void onEndingSignal(int signal, siginfo_t* info, void*) {
    giveBack();
    ::sigaction(signal, &endingBefore[signal], nullptr);
    if (!isFault(signal) || info->si_code <= 0)
        ::raise(signal);
}

void handleEnding(int signal) {
    struct sigaction action {};
    action.sa_sigaction = onEndingSignal;
    sigemptyset(&action.sa_mask);
    // On the alternate stack when there is one, so that a stack overflow still reaches it.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    ::sigaction(signal, &action, &endingBefore[signal]);
}

void onStop(int) {
    const int saved = errno;
    giveBack();
    // Stops once this handler returns, which unblocks the signal.
    handle(SIGTSTP, SIG_DFL);
    ::raise(SIGTSTP);
    errno = saved;
}

void onContinue(int) {
    const int saved = errno;
    handle(SIGTSTP, onStop);
    // Continued in the background, the terminal is not ours until `fg` continues us again.
    if (::tcgetpgrp(STDIN_FILENO) == ::getpgrp()) {
        takeAgain();
        wake(continued);
    }
    errno = saved;
}

// A burst of resizes asks for one redraw: the first wakes the reader, the others find the redraw
// asked for until it starts.
void onResize(int) {
    const int saved = errno;
    if (!redrawAsked.exchange(true))
        wake(resized);
    errno = saved;
}

void onMain(std::function<void()> block) {
    Dispatch::RunLoop::main().perform(std::move(block), Dispatch::RunLoopModes::common());
}

void redrawAll() {
    onMain([] {
        redrawAsked = false;
        auto& shown = presentation();
        shown.frames.invalidate();
        if (shown.events.redraw)
            shown.events.redraw();
    });
}

// The signal a control key raises where the terminal's own signal keys are on; 0 for none.
int signalOf(const KeyPress& press) {
    if (press.key != KeyPress::Key::Control)
        return 0;
    if (press.text == "c")
        return SIGINT;
    if (press.text == "z")
        return SIGTSTP;
    if (press.text == "\\")
        return SIGQUIT;
    return 0;
}

void deliver(std::vector<KeyPress> presses) {
    for (auto& press : presses) {
        // As the terminal would: the foreground process group, which is ours while we read, is
        // signalled, and the input not yet taken is dropped.
        if (const int signal = signalOf(press)) {
            ::tcflush(STDIN_FILENO, TCIFLUSH);
            ::kill(0, signal);
            return;
        }
        onMain([press = std::move(press)] {
            if (const auto& key = presentation().events.key)
                key(press);
        });
    }
}

// Milliseconds until `deadline` on the clock, for poll; -1, waiting for ever, without one.
int pollTimeout(std::optional<double> deadline) {
    if (!deadline)
        return -1;
    const double left = std::ceil((*deadline - Dispatch::Clock::now()) * 1000);
    return static_cast<int>(std::clamp(left, 0.0, 60000.0));
}

// Reads keys while the terminal is ours, and the handlers' wake-ups.
void readTerminal() {
    KeyDecoder decoder;
    bool input = true;
    char bytes[4096];
    for (;;) {
        pollfd watched[2] = {{wakeRead, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const nfds_t count = input && taken ? 2 : 1;
        if (::poll(watched, count, pollTimeout(decoder.deadline())) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[0].revents & POLLIN) {
            char why[256];
            bool redraw = false;
            for (ssize_t woken; (woken = ::read(wakeRead, why, sizeof why)) > 0;)
                redraw = redraw || std::any_of(why, why + woken,
                                               [](char reason) { return reason != clockMoved; });
            if (redraw)
                redrawAll();
        }
        // Bytes waiting to be read came in time, however late this thread got to them.
        if (count < 2 || !(watched[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            deliver(decoder.expire(Dispatch::Clock::now()));
            continue;
        }
        const ssize_t read = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (read < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (read <= 0) {
            input = false;
            continue;
        }
        deliver(decoder.feed({bytes, static_cast<std::size_t>(read)}, Dispatch::Clock::now()));
    }
}

} // namespace

bool take(Events events, Graphics::CellStyling styling) {
    if (taken || !::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO))
        return false;
    if (::tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return false;
    rawTerminal = savedTerminal;
    // Keys one at a time, unechoed. Without ISIG, pasted text may hold the bytes of Ctrl-C,
    // Ctrl-\ and Ctrl-Z; typed, the reader raises their signals. Without IXON and IEXTEN, Ctrl-S,
    // Ctrl-Q and Ctrl-V reach the application as keys.
    rawTerminal.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN | ISIG);
    rawTerminal.c_iflag &= ~static_cast<tcflag_t>(IXON);
    rawTerminal.c_cc[VMIN] = 1;
    rawTerminal.c_cc[VTIME] = 0;
    int wakeFds[2];
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    if (::tcsetattr(STDIN_FILENO, TCSANOW, &rawTerminal) != 0) {
        ::close(wakeFds[0]);
        ::close(wakeFds[1]);
        return false;
    }
    wakeRead = wakeFds[0];
    wakeWrite = wakeFds[1];
    auto& shown = presentation();
    shown.events = std::move(events);
    shown.frames = TerminalOutput::Frames(styling);
    writeAll(enterScreen);
    taken = true;
    std::atexit(giveBack);
    for (const int signal :
         {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE})
        handleEnding(signal);
    handle(SIGTSTP, onStop);
    handle(SIGCONT, onContinue);
    handle(SIGWINCH, onResize);
    Dispatch::Clock::onAdvance([] { wake(clockMoved); });
    std::thread(readTerminal).detach();
    return true;
}

Size size() {
    winsize window{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &window) != 0 || window.ws_col == 0 ||
        window.ws_row == 0)
        return {};
    return {window.ws_col, window.ws_row};
}

void show(const Graphics::CellCanvas& canvas, std::optional<Graphics::CellPoint> cursor) {
    auto& shown = presentation();
    if (!taken) {
        shown.frames.invalidate();
        return;
    }
    writeAll(shown.frames.update(canvas, cursor));
}

void copyToClipboard(std::string_view text) {
    if (taken)
        writeAll(TerminalOutput::clipboardSequence(text));
}

} // namespace AppKit::TerminalScreen
