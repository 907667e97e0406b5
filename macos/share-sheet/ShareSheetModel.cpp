#include "ShareSheetModel.h"

#include <Dispatch/Clock.h>
#include <Foundation/Unicode.h>
#include <share-core/DossierShare.h>
#include <share-core/ShareClock.h>
#include <share-core/ShareText.h>

namespace {

constexpr std::string_view noGroupMessage = "This copy of Kestrelhaven can't save shares: it isn't "
                                            "signed for its App Group (macos/README.md).";

const Foundation::Logger& logger() {
    static const Foundation::Logger shared("com.tallowmeadows.kestrelhaven", "share");
    return shared;
}

std::string chars(std::string_view text) {
    return std::to_string(Foundation::Unicode::utf16Length(text));
}

} // namespace

const ShareDraft* ShareSheetModel::Phase::draft() const {
    if (auto* ready = std::get_if<Ready>(&value)) {
        return &ready->draft;
    }
    if (auto* saving = std::get_if<Saving>(&value)) {
        return &saving->draft;
    }
    if (auto* done = std::get_if<Done>(&value)) {
        return &done->draft;
    }
    return nullptr;
}

ShareSheetModel::ShareSheetModel(ShareTags initialTags, std::optional<DossierOutbox> outbox,
                                 std::optional<ShareStateStore> store)
    : m_outbox(std::move(outbox)), m_store(std::move(store)) {
    tag = initialTags.last;
    tags = std::move(initialTags);
}

std::shared_ptr<ShareSheetModel> ShareSheetModel::make(const std::optional<std::string>& group) {
    std::optional<ShareStateStore> store = group ? ShareStateStore::shared(*group) : std::nullopt;
    std::optional<MacShareState> mac = store ? store->mac() : std::nullopt;
    ExtensionShareState ext = store ? store->ext() : ExtensionShareState{};
    return make(ShareTags(mac, ext), group ? DossierOutbox::shared(*group) : std::nullopt,
                std::move(store));
}

std::shared_ptr<ShareSheetModel> ShareSheetModel::make(ShareTags tags,
                                                       std::optional<DossierOutbox> outbox,
                                                       std::optional<ShareStateStore> store) {
    return std::make_shared<ShareSheetModel>(std::move(tags), std::move(outbox), std::move(store));
}

std::shared_ptr<ShareSheetModel> ShareSheetModel::demo(Phase phase, ShareTags tags,
                                                       std::optional<std::string> tag) {
    auto model = make(std::move(tags), std::nullopt, std::nullopt);
    model->phase = phase;
    model->tag = std::move(tag);
    if (const ShareDraft* draft = phase.draft()) {
        model->title = draft->title;
    }
    return model;
}

std::vector<std::string> ShareSheetModel::chips() const {
    auto list = tags->chips();
    if (*tag && !ShareTags::holds(list, **tag)) {
        list.insert(list.begin(), **tag);
    }
    return list;
}

bool ShareSheetModel::canAdd() const {
    return std::holds_alternative<Phase::Ready>(phase->value);
}

void ShareSheetModel::show(const DraftResult& result) {
    if (auto* problem = std::get_if<ShareProblem>(&result)) {
        phase = Phase{Phase::Problem{*problem}};
        logger().info("share refused: " + problem->code());
        return;
    }
    const auto& draft = std::get<ShareDraft>(result);
    title = draft.title;
    phase = Phase{Phase::Ready{draft}};
    logger().info("share ready: " + draft.kindName() + ", " + chars(draft.text) + " chars");
}

void ShareSheetModel::choose(const std::string& chosen) {
    if (*tag && ShareTags::sameTag(**tag, chosen)) {
        tag = std::nullopt;
    } else {
        tag = chosen;
    }
}

void ShareSheetModel::commitNewTag() {
    std::string typed = ShareText::oneLine(*newTag, ShareTags::tagLimit);
    if (!typed.empty()) {
        tag = std::move(typed);
    }
    newTag = "";
    addingTag = false;
}

void ShareSheetModel::add() {
    auto* ready = std::get_if<Phase::Ready>(&phase->value);
    if (!ready) {
        return;
    }
    const ShareDraft draft = ready->draft;
    if (*addingTag) {
        commitNewTag();
    }
    if (!m_outbox) {
        phase = Phase{Phase::SaveFailed{std::string(noGroupMessage)}};
        return;
    }
    std::string itemTitle = ShareText::oneLine(*title, DossierShare::titleLimit);
    if (itemTitle.empty()) {
        itemTitle = draft.title;
    }
    const DossierOutboxItem item{
        DossierOutbox::newRef(), std::move(itemTitle), draft.text, *tag, draft.source,
        ShareClock::now()};
    if (auto failure = m_outbox->add(item)) {
        const std::string why = description(*failure);
        logger().error("share not saved: " + why);
        phase = Phase{Phase::SaveFailed{"It couldn't be saved for Kestrelhaven: " + why}};
        return;
    }
    if (m_store) {
        // The item is saved either way; only next time's preselected tag is lost.
        (void)m_store->writeExt(ExtensionShareState{*tag});
    }
    logger().info("share saved to the outbox (" + chars(item.text) + " chars)");
    phase = Phase{Phase::Saving{draft}};
    Dispatch::startTask(awaitAnswer(std::static_pointer_cast<ShareSheetModel>(shared_from_this()),
                                    item.ref, draft));
}

Dispatch::Async<void> ShareSheetModel::awaitAnswer(std::shared_ptr<ShareSheetModel> self,
                                                   std::string ref, ShareDraft draft) {
    std::optional<DossierShareAnswer> answer;
    std::optional<MacShareState> state = self->m_store ? self->m_store->mac() : std::nullopt;
    if (state && state->menuRunning(ShareClock::now())) {
        const double deadline = Dispatch::Clock::now() + ShareTiming::answerWait;
        while (!answer && Dispatch::Clock::now() < deadline) {
            co_await Dispatch::sleep(answerPoll);
            answer = self->m_outbox ? self->m_outbox->answer(ref) : std::nullopt;
        }
    }
    if (self->m_store) {
        if (auto again = self->m_store->mac()) {
            state = std::move(again);
        }
    }
    ShareResult result = ShareResult::from(answer, state, ShareClock::now());
    if (self->m_outbox) {
        if (std::holds_alternative<ShareResult::Added>(result.value)) {
            self->m_outbox->removeAnswer(ref);
        } else if (std::holds_alternative<ShareResult::Refused>(result.value)) {
            self->m_outbox->remove(ref);
            self->m_outbox->removeAnswer(ref);
        }
    }
    logger().info("share answer: " +
                  (answer ? std::string(DossierShareAnswer::word(answer->state)) : "none"));
    self->phase = Phase{Phase::Done{std::move(draft), result}};
    if (std::holds_alternative<ShareResult::Added>(result.value)) {
        Dispatch::startTask(closeAfter(self, closeAfterAdded, true));
    } else if (std::holds_alternative<ShareResult::Waiting>(result.value)) {
        Dispatch::startTask(closeAfter(self, closeAfterWaiting, true));
    }
}

Dispatch::Async<void> ShareSheetModel::closeAfter(std::shared_ptr<ShareSheetModel> self,
                                                  double seconds, bool shared) {
    co_await Dispatch::sleep(seconds);
    self->end(shared);
}

void ShareSheetModel::dismiss() {
    auto* done = std::get_if<Phase::Done>(&phase->value);
    end(!(done && std::holds_alternative<ShareResult::Refused>(done->result.value)));
}

void ShareSheetModel::cancel() {
    end(false);
}

void ShareSheetModel::end(bool shared) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    if (finish) {
        finish(shared);
    }
}
