#include "menubar/PinnedRow.h"

using AppKit::MenuItem;
using AppKit::targetAction;

PinnedRow::PinnedRow(const std::shared_ptr<ConversationActions>& target)
    : item(MenuItem::make()),
      resume(MenuItem::make("Resume", targetAction(target, &ConversationActions::resumeClicked))),
      terminal(MenuItem::make("Open in Terminal",
                              targetAction(target, &ConversationActions::terminalClicked))),
      sleep(MenuItem::make("Sleep", targetAction(target, &ConversationActions::sleepClicked))),
      unpin(MenuItem::make("Unpin", targetAction(target, &ConversationActions::unpinClicked))) {
    const auto submenu = AppKit::Menu::make();
    submenu->setAutoenablesItems(false);
    submenu->addItem(resume);
    submenu->addItem(terminal);
    submenu->addItem(sleep);
    submenu->addItem(MenuItem::separator());
    submenu->addItem(unpin);
    item->setSubmenu(submenu);
}

void PinnedRow::show(const Conversation& conversation,
                     std::function<AppKit::AttributedString()> title) {
    item->setTitle(conversation.project + " " + conversation.shortTitle());
    item->setAttributedTitle(std::move(title));
    item->setToolTip(conversation.detail());

    const bool dormant = conversation.state == "dormant";
    resume->setTitle(dormant ? "Resume" : "Already running");
    resume->setEnabled(dormant);

    sleep->setHidden(!(conversation.agent && !dormant));
    const auto memory = conversation.memory();
    sleep->setTitle(memory ? "Sleep (free " + *memory + ")" : "Sleep");

    terminal->setEnabled(true);
    terminal->setHidden(false);
    unpin->setEnabled(true);
    unpin->setHidden(false);

    for (const auto& acting : {resume, terminal, sleep, unpin})
        acting->setRepresentedObject(conversation);
}
