#include "UpdateChannels.h"

#include <gtest/gtest.h>
#include <ostream>

using Choice = UpdateChannelChoice;
using Phones = std::vector<std::string>;
using Channels = std::set<std::string>;

void PrintTo(const UpdateChannelChoice& choice, std::ostream* out) {
    *out << choice.rawValue();
}

namespace {

const std::vector<Phones> phoneMixes{
    {},
    {"appstore"},
    {"testflight"},
    {"development"},
    {"testflight", "development"},
    {"development", "appstore", "testflight", "testflight"},
    {"TestFlight", "Development", "internal"},
    {""},
};

} // namespace

TEST(UpdateChannelChoice, ReadsBackOnlyItsExactRawValues) {
    const std::vector<std::pair<Choice, std::string>> table{
        {Choice::automatic, "automatic"},
        {Choice::appStore, "appstore"},
        {Choice::testFlight, "testflight"},
        {Choice::internal, "internal"},
    };
    ASSERT_EQ(Choice::allCases().size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto& [choice, raw] = table[i];
        EXPECT_EQ(Choice::allCases()[i], choice);
        EXPECT_EQ(choice.rawValue(), raw);
        EXPECT_EQ(Choice::fromRawValue(raw), choice);
    }
    for (const char* other : {"", "Automatic", "AppStore", "appStore", "TESTFLIGHT", " internal",
                              "internal ", "development", "app store"})
        EXPECT_EQ(Choice::fromRawValue(other), std::nullopt) << other;

    EXPECT_EQ(Choice(Choice::automatic).title(), "Automatic (match my iPhone)");
    EXPECT_EQ(Choice(Choice::appStore).title(), "App Store");
    EXPECT_EQ(Choice(Choice::testFlight).title(), "TestFlight");
    EXPECT_EQ(Choice(Choice::internal).title(), "Internal");

    const std::hash<Choice> hash;
    EXPECT_NE(hash(Choice::appStore), hash(Choice::testFlight));
}

TEST(UpdateChannels, AFixedChoiceHoldsWhateverThePhonesRun) {
    const std::vector<std::pair<Choice, Channels>> fixed{
        {Choice::appStore, {}},
        {Choice::testFlight, {"testflight"}},
        {Choice::internal, {"internal", "testflight"}},
    };
    for (const auto& [choice, channels] : fixed) {
        const std::string sentence =
            "Fixed on " + std::string(choice.title()) + ", whatever your iPhone runs.";
        for (const Phones& phones : phoneMixes) {
            SCOPED_TRACE(testing::PrintToString(phones));
            EXPECT_EQ(UpdateChannels::effective(choice, phones), choice);
            EXPECT_EQ(UpdateChannels::allowed(choice, phones), channels);
            EXPECT_EQ(UpdateChannels::explanation(choice, phones), sentence);
        }
    }
    EXPECT_EQ(UpdateChannels::explanation(Choice::internal, {}),
              "Fixed on Internal, whatever your iPhone runs.");
}

TEST(UpdateChannels, AutomaticFollowsTheMostAdvancedPhone) {
    struct Case {
        Phones phones;
        Choice effective;
        Channels allowed;
        std::string explanation;
    };
    const std::string appStoreApp =
        "Following your iPhone: the App Store app, so App Store updates.";
    const std::string testFlightBuild =
        "Following your iPhone: a TestFlight build, so TestFlight updates.";
    const std::string developmentBuild =
        "Following your iPhone: a development build, so Internal updates.";
    const std::vector<Case> cases{
        {{},
         Choice::appStore,
         {},
         "No paired iPhone has said which build it runs yet, so App Store updates."},
        {{"appstore"}, Choice::appStore, {}, appStoreApp},
        {{"testflight"}, Choice::testFlight, {"testflight"}, testFlightBuild},
        {{"development"}, Choice::internal, {"internal", "testflight"}, developmentBuild},
        {{"testflight", "development"},
         Choice::internal,
         {"internal", "testflight"},
         developmentBuild},
        {{"development", "appstore", "testflight", "testflight"},
         Choice::internal,
         {"internal", "testflight"},
         developmentBuild},
        {{"appstore", "testflight"}, Choice::testFlight, {"testflight"}, testFlightBuild},
        // Other letter cases, and the channel's own name, are words of no meaning here.
        {{"TestFlight", "Development", "internal"}, Choice::appStore, {}, appStoreApp},
        // A phone that reported an empty word still reported one.
        {{""}, Choice::appStore, {}, appStoreApp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.phones));
        EXPECT_EQ(UpdateChannels::effective(Choice::automatic, c.phones), c.effective);
        EXPECT_EQ(UpdateChannels::allowed(Choice::automatic, c.phones), c.allowed);
        EXPECT_EQ(UpdateChannels::explanation(Choice::automatic, c.phones), c.explanation);
    }
}
