#include "menubar/tests/MenuApp.h"

#include <gmock/gmock.h>

using namespace AppKit;
using JSONCoding::JSON;
using SampleBridge::Reply;
using testing::Contains;

namespace {

JSON conversation(const std::string& id, const std::string& title, const std::string& state,
                  bool agent, std::optional<double> memory = std::nullopt,
                  std::string project = "garden") {
    JSON object{{"session_id", id},   {"short_id", id.substr(0, 4)},
                {"project", project}, {"cwd", "/code/" + project},
                {"title", title},     {"last_active", (1718452800.0 - 600) * 1000},
                {"state", state},     {"pinned", false},
                {"agent", agent}};
    if (memory)
        object["memory_mb"] = *memory;
    return object;
}

const JSON dormant = conversation("aaaa-1", "Tidy the prompt", "dormant", true);
const JSON working = conversation("bbbb-2", "Fix the schedule", "working", true, 412.5);
const JSON helper = conversation("cccc-3", "Answer a question", "working", false, 80);
const JSON idle = conversation("dddd-4", "Frost warnings", "idle", true, 186.25, "weather");
const JSON open = conversation("eeee-5", "Hero images", "open", false);
const JSON sleeper = conversation("ffff-6", "Sleepy", "dormant", true);

class ConversationsMenu : public MenuApp {
protected:
    void list(std::vector<JSON> pinned, std::vector<JSON> recent) {
        server().state().setConversations(JSON(std::move(pinned)), JSON(std::move(recent)));
    }

    // Opens and closes the menu, and waits for the list it asked for to show.
    void reopen(const std::function<bool()>& shows) {
        menu().open();
        menu().close();
        EXPECT_TRUE(eventually(shows));
    }

    std::vector<std::string> pinnedSection() {
        std::vector<std::string> titles;
        for (int i = menu().indexOf(*item("Pinned")) + 1;
             i < menu().indexOf(*item("Pin a Conversation")); ++i)
            titles.push_back(menu().itemAt(i)->title());
        return titles;
    }
    Menu& pinMenu() { return *item("Pin a Conversation")->submenu(); }

    std::shared_ptr<MenuItem> pinned(const std::string& title) { return item(title); }
    std::shared_ptr<MenuItem> subitem(const std::string& row, const std::string& title) {
        return itemIn(*item(row)->submenu(), title);
    }

    // Chooses `title` in the submenu of pinned `row` while the menu stays open, waits until the
    // reply has been handled, and gives the alerts shown once the menu has closed.
    std::vector<ShownAlert> failing(const std::string& row, const std::string& title) {
        const std::size_t opened = server().requests().size();
        menu().open();
        // The action's reply asks for the list again. Requests for the list still on their way
        // merge into one, so what shows the reply was handled is a request after the action's;
        // the one opening asks for is waited for first, lest it come after the action's.
        EXPECT_TRUE(whileTracking([&] { return listAskedFor(opened); }));
        const std::size_t before = server().requests().size();
        EXPECT_TRUE(subitem(row, title)->performAction());
        EXPECT_TRUE(whileTracking([&] { return listAskedForAfterAnAction(before); }));
        EXPECT_TRUE(alerts.empty()) << "an alert showed under the open menu";
        menu().close();
        eventually([&] { return !alerts.empty(); });
        return std::exchange(alerts, {});
    }

    // Whether a request for the list came since request `since`.
    bool listAskedFor(std::size_t since) { return firstSince(since, isListRequest).has_value(); }
    // Whether an action was posted since request `since`, and the list asked for after it.
    bool listAskedForAfterAnAction(std::size_t since) {
        const auto acted = firstSince(since, [](const SampleBridge::Request& request) {
            return request.method == "POST" && request.route().starts_with("/conversations/");
        });
        return acted && listAskedFor(*acted + 1);
    }
    static bool isListRequest(const SampleBridge::Request& request) {
        return request.method == "GET" && request.route() == "/conversations";
    }
    // The place of the first request since request `since` that `matches`.
    std::optional<std::size_t>
    firstSince(std::size_t since,
               const std::function<bool(const SampleBridge::Request&)>& matches) {
        const auto requests = server().requests();
        for (std::size_t i = since; i < requests.size(); ++i) {
            if (matches(requests[i]))
                return i;
        }
        return std::nullopt;
    }

    JSON lastBody(std::string_view route) {
        const auto requests = requestsTo(route);
        return requests.empty() ? JSON() : JSON::parse(requests.back().body);
    }
};

} // namespace

TEST_F(ConversationsMenu, RowsShowEachConversationWithItsActions) {
    list({dormant, working, helper}, {idle, open});
    launch();
    EXPECT_EQ(pinnedSection(),
              (std::vector<std::string>{"garden Tidy the prompt", "garden Fix the schedule",
                                        "garden Answer a question"}));
    const auto row = pinned("garden Fix the schedule");
    EXPECT_TRUE(row->isEnabled());
    EXPECT_EQ(row->attributedTitle()->string(), "  ●\u2002garden\tFix the schedule\t12:50\t413 MB");
    EXPECT_EQ(row->toolTip(), "Fix the schedule\n/code/garden\nworking · bbbb · 413 MB");
    EXPECT_EQ(shown(*row->submenu()),
              (std::vector<std::string>{"Already running", "Open in Terminal",
                                        "Sleep (free 413 MB)", "---", "Unpin"}));
    EXPECT_FALSE(subitem("garden Fix the schedule", "Already running")->isEnabled());
    EXPECT_TRUE(subitem("garden Fix the schedule", "Open in Terminal")->isEnabled());
    EXPECT_EQ(std::any_cast<Conversation>(
                  subitem("garden Fix the schedule", "Unpin")->representedObject())
                  .session_id,
              "bbbb-2");

    EXPECT_EQ(shown(*pinned("garden Tidy the prompt")->submenu()),
              (std::vector<std::string>{"Resume", "Open in Terminal", "---", "Unpin"}));
    EXPECT_TRUE(subitem("garden Tidy the prompt", "Resume")->isEnabled());
    EXPECT_EQ(shown(*pinned("garden Answer a question")->submenu()),
              (std::vector<std::string>{"Already running", "Open in Terminal", "---", "Unpin"}));

    EXPECT_EQ(shown(pinMenu()),
              (std::vector<std::string>{"weather Frost warnings", "garden Hero images"}));
    const auto recent = itemIn(pinMenu(), "weather Frost warnings");
    EXPECT_TRUE(recent->isEnabled());
    EXPECT_EQ(recent->attributedTitle()->string(), "●\u2002weather\tFrost warnings\t12:50\t186 MB");
    EXPECT_EQ(std::any_cast<Conversation>(recent->representedObject()).session_id, "dddd-4");
}

TEST_F(ConversationsMenu, RowsAreReusedBySessionAndFollowTheListsOrder) {
    list({dormant, working}, {idle, open});
    launch();
    const auto workingRow = pinned("garden Fix the schedule");
    const auto openItem = itemIn(pinMenu(), "garden Hero images");
    const auto dormantRow = pinned("garden Tidy the prompt");
    std::vector<std::string> moved;
    pinMenu().setItemsObserver([&](const MenuItem& row) { moved.push_back(row.title()); });

    // Frost warnings moves to the pinned list, Tidy the prompt leaves both lists.
    auto renamed = working;
    renamed["title"] = "Fix the schedule for good";
    renamed.erase("memory_mb");
    list({idle, renamed}, {open});
    reopen([&] { return menu().itemWithTitle("garden Fix the schedule for good") != nullptr; });
    EXPECT_EQ(pinnedSection(), (std::vector<std::string>{"weather Frost warnings",
                                                         "garden Fix the schedule for good"}));
    EXPECT_EQ(pinned("garden Fix the schedule for good"), workingRow);
    EXPECT_EQ(
        shown(*workingRow->submenu()),
        (std::vector<std::string>{"Already running", "Open in Terminal", "Sleep", "---", "Unpin"}));
    EXPECT_EQ(shown(pinMenu()), std::vector<std::string>{"garden Hero images"});
    EXPECT_EQ(itemIn(pinMenu(), "garden Hero images"), openItem);
    // Hero images, in its place once Frost warnings has gone, is not moved.
    EXPECT_EQ(moved, std::vector<std::string>{"weather Frost warnings"});
    pinMenu().setItemsObserver({});

    list({dormant}, {});
    reopen([&] { return pinnedSection().size() == 1; });
    EXPECT_NE(pinned("garden Tidy the prompt"), dormantRow);
    EXPECT_EQ(shown(pinMenu()), std::vector<std::string>{"No recent conversations"});
    EXPECT_FALSE(pinMenu().itemAt(0)->isEnabled());
}

TEST_F(ConversationsMenu, ASessionListedTwiceShowsOnceAsFirstListed) {
    auto again = working;
    again["title"] = "Second copy";
    list({working, again, dormant}, {idle, idle});
    launch();
    EXPECT_EQ(pinnedSection(),
              (std::vector<std::string>{"garden Fix the schedule", "garden Tidy the prompt"}));
    EXPECT_EQ(shown(pinMenu()), std::vector<std::string>{"weather Frost warnings"});
}

TEST_F(ConversationsMenu, NotesStandInForRowsWhenThereIsNoList) {
    list({working}, {idle});
    launch();
    const std::pair<Reply, std::string> failures[] = {
        {Reply::json(403, "{}"), "Bridge not reachable"},
        {Reply::json(500, R"({"pinned": [], "recent": []})"),
         "Conversations unavailable (HTTP 500)"},
        {Reply::json(200, R"({"pinned": []})"), "Couldn't read the conversation list"},
        {Reply::raw(""), "Bridge not reachable"}};
    for (const auto& [reply, note] : failures) {
        server().script("/conversations", reply);
        reopen([&] { return pinnedSection() == std::vector<std::string>{"  " + note}; });
        EXPECT_EQ(shown(pinMenu()), std::vector<std::string>{note});
        // A list that comes back brings the rows back.
        reopen(
            [&] { return pinnedSection() == std::vector<std::string>{"garden Fix the schedule"}; });
    }

    list({}, {idle});
    reopen([&] { return pinnedSection() == std::vector<std::string>{"  (none pinned)"}; });
}

TEST_F(ConversationsMenu, OnlyOneListRequestIsInFlightAndAskingMeanwhileAsksOnceMore) {
    server().script("/conversations",
                    Reply{Reply::json(200, R"({"pinned": [], "recent": []})").bytes, 0.3});
    list({working}, {});
    delegate = std::make_shared<AppDelegate>();
    delegate->applicationDidFinishLaunching();
    statusItem = StatusBar::system().items().back();
    EXPECT_EQ(pinnedNote(), "  Loading…");
    for (int i = 0; i < 3; ++i) {
        menu().open();
        menu().close();
    }
    EXPECT_TRUE(eventually([&] { return pinnedNote() == "garden Fix the schedule"; }));
    Dispatch::RunLoop::main().runFor(0.1);
    EXPECT_EQ(count("/conversations"), 2u);
}

TEST_F(ConversationsMenu, ActionsPostTheirWordAndBodyAndRefreshTheList) {
    list({dormant, working, sleeper}, {idle});
    launch();
    const auto choose = [&](const std::shared_ptr<MenuItem>& chosen) {
        const std::size_t before = count("/conversations");
        EXPECT_TRUE(chosen->performAction());
        EXPECT_TRUE(eventually([&] { return count("/conversations") == before + 1; }));
    };

    choose(subitem("garden Tidy the prompt", "Resume"));
    EXPECT_EQ(lastBody("/conversations/resume"),
              (JSON{{"session_id", "aaaa-1"}, {"mode", "background"}}));
    choose(subitem("garden Sleepy", "Open in Terminal"));
    EXPECT_EQ(lastBody("/conversations/resume"),
              (JSON{{"session_id", "ffff-6"}, {"mode", "terminal"}}));
    choose(subitem("garden Fix the schedule", "Sleep (free 413 MB)"));
    EXPECT_EQ(lastBody("/conversations/sleep"), (JSON{{"session_id", "bbbb-2"}}));
    choose(subitem("garden Fix the schedule", "Unpin"));
    EXPECT_EQ(lastBody("/conversations/pin"), (JSON{{"session_id", "bbbb-2"}, {"pinned", false}}));
    choose(itemIn(pinMenu(), "weather Frost warnings"));
    EXPECT_EQ(lastBody("/conversations/pin"), (JSON{{"session_id", "dddd-4"}, {"pinned", true}}));
    EXPECT_EQ(alerts, std::vector<ShownAlert>{});

    // The refreshed list shows the outcome: Frost warnings is pinned now.
    EXPECT_TRUE(
        eventually([&] { return menu().itemWithTitle("weather Frost warnings") != nullptr; }));

    // An item whose represented object is no conversation does nothing.
    const std::size_t before = server().requests().size();
    const auto terminal = subitem("garden Tidy the prompt", "Open in Terminal");
    terminal->setRepresentedObject(std::string("aaaa-1"));
    EXPECT_TRUE(terminal->performAction());
    Dispatch::RunLoop::main().runFor(0.05);
    EXPECT_EQ(server().requests().size(), before);
}

TEST_F(ConversationsMenu, AnActionWaits75SecondsAndTheListItAsksFor20) {
    list({working}, {});
    launch();
    auto acted = scriptHeld("/conversations/sleep", Reply::json(200, R"({"ok": true, "msg": ""})"));
    auto listed = scriptHeld("/conversations", Reply::json(200, R"({"pinned": [], "recent": []})"));
    EXPECT_TRUE(subitem("garden Fix the schedule", "Sleep (free 413 MB)")->performAction());
    ASSERT_TRUE(eventually([&] { return acted.reached(); }));
    EXPECT_THAT(timeOutsWaiting(), Contains(75.0));
    acted.open();
    ASSERT_TRUE(eventually([&] { return listed.reached(); }));
    EXPECT_THAT(timeOutsWaiting(), Contains(20.0));
    listed.open();
    EXPECT_TRUE(eventually([&] { return pinnedNote() == "  (none pinned)"; }));
}

TEST_F(ConversationsMenu, AFailedActionIsToldInAnAlertOnlyAfterTheMenuHasClosed) {
    list({dormant, working}, {});
    launch();
    const std::string row = "garden Fix the schedule";
    const std::string lead = "garden — Fix the schedule\n\n";

    server().script("/conversations/sleep", Reply::json(200, R"({"ok": false, "msg": "Busy."})"));
    EXPECT_EQ(failing(row, "Sleep (free 413 MB)"),
              (std::vector<ShownAlert>{{"Couldn't sleep", lead + "Busy."}}));
    EXPECT_TRUE(Application::shared().isActive());

    server().script("/conversations/resume",
                    Reply::json(500, R"({"ok": false, "msg": "Jammed."})"));
    EXPECT_EQ(failing(row, "Open in Terminal"),
              (std::vector<ShownAlert>{{"Couldn't open in Terminal", lead + "Jammed."}}));

    server().script("/conversations/pin", Reply::json(500, ""));
    EXPECT_EQ(
        failing(row, "Unpin"),
        (std::vector<ShownAlert>{{"Couldn't unpin", lead + "The bridge answered HTTP 500."}}));

    // A result without its message is no result.
    server().script("/conversations/pin", Reply::json(200, R"({"ok": false})"));
    EXPECT_EQ(
        failing(row, "Unpin"),
        (std::vector<ShownAlert>{{"Couldn't unpin", lead + "The bridge answered HTTP 200."}}));

    for (auto reply : {Reply::json(403, ""), Reply::raw("")}) {
        server().script("/conversations/resume", reply);
        EXPECT_EQ(failing("garden Tidy the prompt", "Resume"),
                  (std::vector<ShownAlert>{
                      {"Couldn't resume", "garden — Tidy the prompt\n\nBridge not reachable"}}));
    }
}
