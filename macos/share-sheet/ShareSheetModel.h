// The model behind the share sheet.
//
// It holds what the sheet shows (its phase), the editable title, the chosen
// tag and the tag being typed, and the tags offered. On Add it saves the
// draft as one outbox item in the App Group, remembers the chosen tag, and,
// when the menu-bar application wrote its state within the last 150
// seconds, looks for its answer every 0.25 seconds for up to 4 seconds. It
// shows the result, removes the files that are done with (the answer after an
// added result; the item and the answer after a refused one; nothing while
// the item waits), and closes the sheet by itself 1.4 seconds after an added
// result and 2.6 seconds after a waiting one. The request ends exactly once,
// through `finish`, whichever of Cancel, Done or the close timer comes first.
//
// Main thread only; the waits are main-actor tasks on `Dispatch::Clock`.
#pragma once

#include <Dispatch/Task.h>
#include <Foundation/Log.h>
#include <SwiftUI/ObservableObject.h>
#include <functional>
#include <memory>
#include <optional>
#include <share-core/DossierOutbox.h>
#include <share-core/ShareInput.h>
#include <share-core/ShareResult.h>
#include <share-core/ShareState.h>
#include <share-core/ShareTags.h>
#include <string>
#include <variant>
#include <vector>

class ShareSheetModel : public SwiftUI::ObservableObject {
public:
    struct Phase {
        struct Ready {
            ShareDraft draft;
            bool operator==(const Ready&) const = default;
        };
        struct Problem {
            ShareProblem problem;
            bool operator==(const Problem&) const = default;
        };
        struct Saving {
            ShareDraft draft;
            bool operator==(const Saving&) const = default;
        };
        struct Done {
            ShareDraft draft;
            ShareResult result;
            bool operator==(const Done&) const = default;
        };
        struct SaveFailed {
            std::string message;
            bool operator==(const SaveFailed&) const = default;
        };
        struct Loading {
            bool operator==(const Loading&) const = default;
        };
        using Value = std::variant<Ready, Problem, Saving, Done, SaveFailed, Loading>;

        Phase(Value value = Loading{}) : value(std::move(value)) {}
        // The draft of a ready, saving or done phase.
        const ShareDraft* draft() const;
        bool operator==(const Phase&) const = default;
        Value value;
    };

    static constexpr double closeAfterAdded = 1.4;
    static constexpr double closeAfterWaiting = 2.6;
    static constexpr double answerPoll = 0.25;

    SwiftUI::Published<Phase> phase{this};
    SwiftUI::Published<std::string> title{this};
    SwiftUI::Published<std::optional<std::string>> tag{this};
    SwiftUI::Published<std::string> newTag{this};
    SwiftUI::Published<bool> addingTag{this, false};
    SwiftUI::Published<ShareTags> tags{this};
    // Ends the request: true completes it, false cancels it.
    std::function<void(bool shared)> finish;

    static std::shared_ptr<ShareSheetModel> make(const std::optional<std::string>& group);
    static std::shared_ptr<ShareSheetModel>
    make(ShareTags tags, std::optional<DossierOutbox> outbox, std::optional<ShareStateStore> store);
    // A model already in `phase`, with no outbox and no store, for rendering the sheet.
    static std::shared_ptr<ShareSheetModel> demo(Phase phase, ShareTags tags,
                                                 std::optional<std::string> tag);

    // The tag chips: `tags.chips()`, with a chosen tag not among them first. Tags compare as
    // `ShareTags::sameTag` has it, here and in `choose`.
    std::vector<std::string> chips() const;
    bool canAdd() const;

    void show(const DraftResult& result);
    // Chooses `tag`, or clears the choice when it is the chosen tag.
    void choose(const std::string& tag);
    void commitNewTag();
    void add();
    void dismiss();
    void cancel();

    ShareSheetModel(ShareTags tags, std::optional<DossierOutbox> outbox,
                    std::optional<ShareStateStore> store);

private:
    static Dispatch::Async<void> awaitAnswer(std::shared_ptr<ShareSheetModel> self, std::string ref,
                                             ShareDraft draft);
    static Dispatch::Async<void> closeAfter(std::shared_ptr<ShareSheetModel> self, double seconds,
                                            bool shared);
    void end(bool shared);

    std::optional<DossierOutbox> m_outbox;
    std::optional<ShareStateStore> m_store;
    bool m_ended = false;
};
