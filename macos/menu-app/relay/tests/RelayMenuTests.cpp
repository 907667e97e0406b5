#include "menubar/tests/MenuApp.h"
#include "relay/DossierShares.h"

#include <share-core/DossierOutbox.h>

using SampleBridge::DossierMode;

namespace {

class MenuWithRelay : public MenuApp {
protected:
    static constexpr const char* appGroup = "group.com.tallowmeadows.kestrelhaven";

    void SetUp() override {
        ::setenv("HOME", Testing::useTestHome({{"KHAppGroup", appGroup}}).c_str(), 1);
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

    EXPECT_TRUE(shares->submenu()->itemAt(0)->submenu()->itemAt(2)->performAction());
    ASSERT_TRUE(eventually([&] { return shares->title() == "Dossier: 1 share waiting"; }));
    EXPECT_FALSE(outbox().item(first.ref));
    EXPECT_FALSE(outbox().answer(first.ref));
    EXPECT_TRUE(shares->submenu()->itemAt(0)->submenu()->itemAt(2)->performAction());
    ASSERT_TRUE(eventually([&] { return shares->isHidden(); }));
    EXPECT_FALSE(outbox().item(second.ref));
}
