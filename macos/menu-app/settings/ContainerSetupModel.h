// The Add a Container window's model: naming a container environment,
// asking the bridge's tool for its setup, and waiting for it to check in.
//
// `add` has the tool create a container environment for the typed label
// ("env add <name> <label> --container --json"); `show` has it describe an
// existing one ("env snippet <name> --json"). Either runs on the model's
// serial queue "kestrelhaven.container" and ends with the setup shown or a
// sentence saying why not. Once a setup shows, the model asks the bridge
// for its environments every 1.5 seconds (first 1.5 seconds after the setup
// arrived; a tick while the last check still waits is skipped) until this
// environment checks in; a refusal by Tailscale is shown and the poll goes
// on, since a later check-in still counts. Only check-ins and refusals at or
// after the moment the add or show began count.
//
// Each add, show and reset starts a new round: a tool run or a check of an
// earlier round is dropped when it comes back. `stopPolling` (the window
// closing) stops the poll, and a result that arrives afterwards does not
// start it again; a model that is never told so (one with no window) polls
// as long as it exists. Published state changes only on the main thread,
// where every operation is called. Made with std::make_shared.
#pragma once

#include "service/Run.h"
#include "settings/ContainerSnippets.h"

#include <Dispatch/DispatchQueue.h>
#include <Dispatch/RunLoop.h>
#include <Foundation/Data.h>
#include <SwiftUI/ObservableObject.h>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ContainerSetupModel : public SwiftUI::ObservableObject {
public:
    template <class T> using Published = SwiftUI::Published<T>;

    // Naming a new container, waiting for the tool, showing a setup, or failed with a sentence.
    struct Phase {
        enum class Kind { showing, failed, naming, working };

        static Phase showing(ContainerSnippets snippets) {
            return {Kind::showing, std::move(snippets), {}};
        }
        static Phase failed(std::string message) {
            return {Kind::failed, std::nullopt, std::move(message)};
        }
        static Phase naming() { return {Kind::naming, std::nullopt, {}}; }
        static Phase working() { return {Kind::working, std::nullopt, {}}; }

        Kind kind = Kind::naming;
        // Only while showing.
        std::optional<ContainerSnippets> snippets;
        // Only when failed.
        std::string message;

        // "naming", "working", "showing <name>" or "failed: <message>".
        std::string description() const;
        bool operator==(const Phase&) const = default;
    };

    // Whether the container checked in (with the bridge's time of it), has not yet, or reached
    // the Mac and was refused.
    struct Connection {
        enum class Kind { connected, waiting, refused };

        static Connection connected(double checkedAt) { return {Kind::connected, checkedAt}; }
        static Connection waiting() { return {Kind::waiting, 0}; }
        static Connection refused() { return {Kind::refused, 0}; }

        Kind kind = Kind::waiting;
        // Milliseconds since 1970; only when connected.
        double checkedAt = 0;

        // "waiting", "refused" or "connected at <milliseconds>".
        std::string description() const;
        bool operator==(const Connection&) const = default;
    };

    // The shapes of the container's configuration, in the window's order.
    enum class Shape { dockerRun, compose, devcontainer };
    static constexpr std::array<Shape, 3> allShapes{Shape::dockerRun, Shape::compose,
                                                    Shape::devcontainer};
    // "docker run", "Compose" or "Dev container".
    static std::string_view rawValue(Shape shape);

    ContainerSetupModel();
    // Stops the poll, whose timer would otherwise go on firing for nothing.
    ~ContainerSetupModel() override;

    Published<std::string> label{this, "Docker"};
    Published<Phase> phase{this, Phase::naming()};
    Published<Connection> connection{this, Connection::waiting()};
    // Kept across openings of the window.
    Published<Shape> shape{this, Shape::dockerRun};
    // The snippet copied last: "token", "line" or "entrypoint".
    Published<std::optional<std::string>> copied{this};

    // Trimmed of spaces and tabs, the label is 1 to 40 characters, does not begin with "-" (the
    // tool would read it as an option) and holds no control characters, line or paragraph
    // separators, or bidirectional formatting characters.
    bool labelIsValid() const;
    // A fresh naming form: label "Docker", no copy, waiting; the poll stops.
    void reset();
    // Creates a container environment for the label (trimmed), named `slug(label)`; nothing
    // while the label is not valid.
    void add();
    // Asks for the setup of the existing environment `name`.
    void show(const std::string& name);
    // Puts `text` on the general pasteboard and remembers which snippet it was.
    void copy(const std::string& text, std::string snippet);
    // Stops the poll until the next add, show or reset.
    void stopPolling();
    bool isPolling() const { return m_timer.isValid(); }

    // The label without spaces and tabs at either end, as the tool and the phone get it.
    static std::string trimmedLabel(std::string_view label);
    // The environment name for a label: ASCII letters and digits, lower-cased, every run of
    // anything else one "-", none at either end, at most 32 characters; "container" if empty.
    static std::string slug(std::string_view label);
    // The phase one run of the tool leads to.
    static Phase parse(const Run::Result& result);
    // What an environments reply says of the environment `name`, counting only moments at or
    // after `since`: connected, refused, or nothing to change.
    static std::optional<Connection> checkIn(Foundation::Bytes reply, std::string_view name,
                                             double since);

    static constexpr double toolTimeout = 20;
    static constexpr double pollInterval = 1.5;
    static constexpr double checkTimeout = 2.0;
    static constexpr std::size_t maximumLabelLength = 40;
    static constexpr std::size_t maximumNameLength = 32;

private:
    std::shared_ptr<ContainerSetupModel> self();
    // Starts a new round: the poll stops and results of earlier rounds will be dropped.
    void beginRound();
    void runTool(std::vector<std::string> arguments);
    void poll();
    void check();

    Dispatch::DispatchQueue m_work;
    Dispatch::Timer m_timer;
    // Milliseconds since 1970 at which the last add or show began.
    double m_since = 0;
    std::uint64_t m_round = 0;
    bool m_pollAllowed = true;
    // A check is queued or waiting for the bridge; ticks meanwhile are skipped.
    bool m_checking = false;
};
