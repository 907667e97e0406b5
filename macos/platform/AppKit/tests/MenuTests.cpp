#include <AppKit/Menu.h>
#include <Dispatch/DispatchQueue.h>
#include <Dispatch/RunLoop.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace AppKit;
using Dispatch::RunLoop;

namespace {

std::vector<std::string> titles(const Menu& menu) {
    std::vector<std::string> shown;
    for (const auto& item : menu.items())
        shown.push_back(item->isSeparatorItem() ? "---" : item->title());
    return shown;
}

struct Recorder : MenuDelegate {
    std::vector<std::string> calls;
    void menuWillOpen(Menu&) override { calls.push_back("open"); }
    void menuDidClose(Menu&) override { calls.push_back("close"); }
};

struct Target {
    int clicks = 0;
    MenuItem* sender = nullptr;
    void clicked(MenuItem& item) {
        ++clicks;
        sender = &item;
    }
};

} // namespace

TEST(Menu, InsertsRemovesAndFindsItems) {
    auto menu = Menu::make();
    const auto a = MenuItem::make("A"), b = MenuItem::make("B"), c = MenuItem::make("C");
    menu->addItem(a);
    menu->addItem(MenuItem::separator());
    menu->insertItem(b, 0);
    menu->insertItem(c, 99);
    EXPECT_EQ(titles(*menu), (std::vector<std::string>{"B", "A", "---", "C"}));
    EXPECT_EQ(menu->indexOf(*c), 3);
    EXPECT_EQ(menu->itemWithTitle("A"), a);
    EXPECT_FALSE(menu->itemWithTitle("D"));
    EXPECT_EQ(a->menu(), menu.get());

    menu->removeItem(*a);
    menu->removeItemAt(7);
    menu->removeItem(*a);
    EXPECT_EQ(titles(*menu), (std::vector<std::string>{"B", "---", "C"}));
    EXPECT_EQ(menu->indexOf(*a), -1);
    EXPECT_EQ(a->menu(), nullptr);
    EXPECT_FALSE(menu->itemAt(-1));

    menu->removeAllItems();
    EXPECT_EQ(menu->numberOfItems(), 0);
    EXPECT_EQ(b->menu(), nullptr);
}

TEST(Menu, AnAttributedTitleMadeLaterIsMadeOnceWhenFirstRead) {
    const auto item = MenuItem::make("Row");
    int made = 0;
    item->setAttributedTitle([&made] {
        ++made;
        AttributedString title;
        title.append("Row\t1", {});
        return title;
    });
    EXPECT_EQ(made, 0);
    EXPECT_EQ(item->attributedTitle()->string(), "Row\t1");
    EXPECT_EQ(item->attributedTitle()->string(), "Row\t1");
    EXPECT_EQ(made, 1);
    item->setAttributedTitle(std::nullopt);
    EXPECT_EQ(item->attributedTitle(), std::nullopt);
}

TEST(Menu, AnItemStandsInOneMenuAtATime) {
    auto first = Menu::make(), second = Menu::make();
    const auto item = MenuItem::make("Only once");
    first->addItem(item);
    EXPECT_THROW(first->addItem(item), std::logic_error);
    EXPECT_THROW(second->addItem(item), std::logic_error);
    first->removeItem(*item);
    second->addItem(item);
    EXPECT_EQ(item->menu(), second.get());

    // An item outlives its menu and may then go elsewhere.
    second.reset();
    EXPECT_EQ(item->menu(), nullptr);
    first->addItem(item);
}

TEST(Menu, AutomaticEnablingFollowsActionsAndSubmenus) {
    auto menu = Menu::make();
    const auto plain = MenuItem::make("No action");
    const auto acting = MenuItem::make("Action", [](MenuItem&) {});
    const auto opening = MenuItem::make("Submenu");
    opening->setSubmenu(Menu::make());
    for (const auto& item : {plain, acting, opening})
        menu->addItem(item);
    plain->setEnabled(true);
    acting->setEnabled(false);
    EXPECT_FALSE(plain->isEnabled());
    EXPECT_TRUE(acting->isEnabled());
    EXPECT_TRUE(opening->isEnabled());

    menu->setAutoenablesItems(false);
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_FALSE(acting->isEnabled());
    EXPECT_FALSE(MenuItem::separator()->isEnabled());
}

TEST(Menu, ActionsReachALiveTargetOnlyAndOnlyWhenEnabled) {
    auto target = std::make_shared<Target>();
    auto menu = Menu::make();
    menu->setAutoenablesItems(false);
    const auto item = MenuItem::make("Go", targetAction(target, &Target::clicked), "g");
    menu->addItem(item);
    EXPECT_EQ(item->keyEquivalent(), "g");
    EXPECT_EQ(item->keyEquivalentModifiers(), KeyModifier::command);

    EXPECT_TRUE(item->performAction());
    EXPECT_EQ(target->clicks, 1);
    EXPECT_EQ(target->sender, item.get());
    item->setEnabled(false);
    EXPECT_FALSE(item->performAction());
    item->setEnabled(true);
    target.reset();
    EXPECT_TRUE(item->performAction());

    // An action may drop the item that sent it.
    menu->removeAllItems();
    std::shared_ptr<MenuItem> held = MenuItem::make("Self-removing");
    held->setAction([&](MenuItem& sender) {
        held.reset();
        sender.setTitle("still here");
    });
    held->performAction();
    EXPECT_FALSE(held);
}

TEST(Menu, TellsItsDelegateOnceForEachOpenAndClose) {
    auto menu = Menu::make();
    auto recorder = std::make_shared<Recorder>();
    menu->setDelegate(recorder);
    menu->open();
    menu->open();
    EXPECT_TRUE(menu->isOpen());
    menu->close();
    menu->close();
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"open", "close"}));

    // The delegate is held weakly.
    recorder.reset();
    menu->open();
    menu->close();
}

TEST(Menu, AnOpenMenuKeepsDefaultModeWorkWaitingButNotTheMainQueue) {
    auto menu = Menu::make();
    int delayed = 0, queued = 0;
    RunLoop::main().perform(0, [&] { ++delayed; });
    Dispatch::DispatchQueue::main().async([&] { ++queued; });

    menu->open();
    EXPECT_TRUE(menu->track([&] { return queued == 1; }, 5));
    EXPECT_TRUE(menu->track({}, 0.05));
    EXPECT_EQ(delayed, 0);

    // Work that runs meanwhile may close the menu, which ends the tracking.
    Dispatch::DispatchQueue::main().async([&] { menu->close(); });
    EXPECT_FALSE(menu->track());
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return delayed == 1; }, 5));
}

TEST(Menu, PopUpTracksUntilTheMenuCloses) {
    auto menu = Menu::make();
    auto recorder = std::make_shared<Recorder>();
    menu->setDelegate(recorder);
    const auto choice = MenuItem::make("Choice", [&](MenuItem&) { menu->close(); });
    menu->addItem(choice);
    Dispatch::DispatchQueue::main().async([&] {
        EXPECT_TRUE(menu->isOpen());
        choice->performAction();
    });
    menu->popUp();
    EXPECT_FALSE(menu->isOpen());
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"open", "close"}));
}
