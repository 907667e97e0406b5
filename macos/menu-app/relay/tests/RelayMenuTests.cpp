#include "menubar/tests/MenuApp.h"
#include "relay/DossierShares.h"

#include <share-core/DossierOutbox.h>
#include <share-core/ShareState.h>

using SampleBridge::DossierMode;
using SampleBridge::Reply;

namespace {

class MenuWithRelay : public MenuApp {
protected:
    static constexpr const char* appGroup = "group.com.tallowmeadows.kestrelhaven";

    void SetUp() override {
        Testing::useTestHome({{"KHAppGroup", appGroup}});
        MenuApp::SetUp();
    }

    static DossierOutbox outbox() { return *DossierOutbox::shared(appGroup); }
    DossierOutboxItem share(std::string title) {
        // Each share a millisecond after the one before, so the rows keep their order.
        DossierOutboxItem item{DossierOutbox::newRef(),
                               std::move(title),
                               "Some text.",
                               {},
                               {},
                               now * 1000 + static_cast<double>(m_made++)};
        EXPECT_EQ(outbox().add(item), std::nullopt);
        return item;
    }

private:
    int m_made = 0;
};

} // namespace

TEST_F(MenuWithRelay, TheSharesSubmenuFollowsTheRelaysRowsAndItsRemoveRemoves) {
    server().state().dossier().setMode(DossierMode::missing);
    launch();
    const auto shares = menu().itemAt(menu().indexOf(*item("Pin a Conversation")) + 1);
    EXPECT_TRUE(shares->isHidden());

    const auto first = share("Notes from the\nstand-up   meeting");
    ASSERT_TRUE(eventually([&] { return !shares->isHidden(); }));
    EXPECT_EQ(shares->title(), "Dossier: 1 share waiting");
    shares->submenu()->open();
    const std::string held = "Not added yet: This bridge has no Dossier: update Kestrelhaven.";
    ASSERT_TRUE(eventually([&] { return shares->submenu()->itemAt(0)->toolTip() == held; }));
    const auto row = shares->submenu()->itemAt(0);
    EXPECT_EQ(row->title(), "Notes from the stand-up meeting");
    EXPECT_EQ(shown(*row->submenu()), (std::vector<std::string>{held, "---", "Remove"}));

    const auto second = share(std::string(70, 'x'));
    ASSERT_TRUE(eventually([&] { return shares->title() == "Dossier: 2 shares waiting"; }));
    EXPECT_EQ(shares->submenu()->itemAt(1)->title(), std::string(60, 'x'));
    // The open submenu changes only the rows of shares that changed.
    ASSERT_TRUE(eventually([&] { return shares->submenu()->itemAt(1)->toolTip() == held; }));
    EXPECT_EQ(shares->submenu()->itemAt(0), row);

    // A Remove whose represented object is no ref text does nothing: once the next Remove is
    // done, the first share still waits.
    const auto removeFirst = shares->submenu()->itemAt(0)->submenu()->itemAt(2);
    removeFirst->setRepresentedObject(first);
    EXPECT_TRUE(removeFirst->performAction());
    removeFirst->setRepresentedObject(first.ref);
    EXPECT_TRUE(shares->submenu()->itemAt(1)->submenu()->itemAt(2)->performAction());
    ASSERT_TRUE(eventually([&] { return shares->title() == "Dossier: 1 share waiting"; }));
    EXPECT_TRUE(outbox().item(first.ref));
    EXPECT_FALSE(outbox().item(second.ref));
    EXPECT_FALSE(outbox().answer(second.ref));

    EXPECT_TRUE(shares->submenu()->itemAt(0)->submenu()->itemAt(2)->performAction());
    ASSERT_TRUE(eventually([&] { return shares->isHidden(); }));
    EXPECT_FALSE(outbox().item(first.ref));
}

TEST_F(MenuWithRelay, EachHealthReplyTellsTheRelayWhetherTheBridgeIsUp) {
    launch();
    const auto bridgeUp = [] {
        const auto mac = ShareStateStore::shared(appGroup)->mac();
        return mac && mac->bridgeUp;
    };
    ASSERT_TRUE(eventually(bridgeUp));
    // The bridge answers, though not as running: the relay goes by the menu's reading.
    server().script("/healthz", Reply::json(200, R"({"ok": false})"));
    menu().open();
    menu().close();
    EXPECT_TRUE(eventually([&] { return !bridgeUp(); }));
    menu().open();
    menu().close();
    EXPECT_TRUE(eventually(bridgeUp));
}
