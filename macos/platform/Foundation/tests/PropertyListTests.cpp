#include <Foundation/PropertyList.h>
#include <gtest/gtest.h>

using Foundation::parsePropertyList;
using Foundation::PropertyList;

namespace {

std::optional<PropertyList> parseBody(const std::string& body) {
    return parsePropertyList("<?xml version=\"1.0\"?><plist version=\"1.0\">" + body + "</plist>");
}

} // namespace

TEST(PropertyList, ReadsEveryValueType) {
    const auto plist = parseBody(R"(<dict>
        <key>text</key><string>  spaced &amp; “quoted” </string>
        <key>empty</key><string/>
        <key>integer</key><integer>-42</integer>
        <key>real</key><real>2.5</real>
        <key>yes</key><true/>
        <key>no</key><false/>
        <key>when</key><date>2026-01-02T03:04:05Z</date>
        <key>bytes</key><data>aGk=</data>
        <key>list</key><array><string>a</string><string>b</string></array>
        <key>nested</key><dict><key>x</key><integer>1</integer></dict>
    </dict>)");
    ASSERT_TRUE(plist);
    EXPECT_EQ(*plist->find("text")->text(), "  spaced & “quoted” ");
    EXPECT_EQ(*plist->find("empty")->text(), "");
    EXPECT_EQ(plist->find("integer")->integer(), -42);
    EXPECT_EQ(plist->find("integer")->number(), -42.0);
    EXPECT_EQ(plist->find("real")->number(), 2.5);
    EXPECT_FALSE(plist->find("real")->integer());
    EXPECT_EQ(plist->find("yes")->boolean(), true);
    EXPECT_EQ(plist->find("no")->boolean(), false);
    EXPECT_EQ(plist->find("when")->date()->secondsSince1970, 1767323045.0);
    EXPECT_EQ(*plist->find("bytes")->data(), Foundation::dataFrom("hi"));
    EXPECT_EQ(plist->find("list")->textList(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(plist->find("nested")->find("x")->integer(), 1);
    EXPECT_EQ(plist->find("missing"), nullptr);
}

TEST(PropertyList, AValueOfAnotherTypeReadsAsAbsent) {
    const auto plist = parseBody("<dict><key>n</key><integer>7</integer>"
                                 "<key>mixed</key><array><string>a</string><true/></array></dict>");
    ASSERT_TRUE(plist);
    EXPECT_EQ(plist->find("n")->text(), nullptr);
    EXPECT_FALSE(plist->find("n")->boolean());
    EXPECT_FALSE(plist->find("mixed")->textList());
    EXPECT_EQ(plist->find("n")->find("anything"), nullptr);
}

TEST(PropertyList, RefusesMalformedDocuments) {
    EXPECT_FALSE(parsePropertyList(""));
    EXPECT_FALSE(parsePropertyList("<plist><dict>"));
    EXPECT_FALSE(parsePropertyList("<notplist><dict/></notplist>"));
    EXPECT_FALSE(parseBody(""));
    EXPECT_FALSE(parseBody("<dict/><dict/>"));
    EXPECT_FALSE(parseBody("<dict><key>dangling</key></dict>"));
    EXPECT_FALSE(parseBody("<dict><string>no key</string></dict>"));
    EXPECT_FALSE(parseBody("<integer>12abc</integer>"));
    EXPECT_FALSE(parseBody("<integer>99999999999999999999</integer>"));
    EXPECT_FALSE(parseBody("<date>yesterday</date>"));
    EXPECT_FALSE(parseBody("<data>!!</data>"));
    EXPECT_FALSE(parseBody("<unknown/>"));
    std::string deep;
    for (int i = 0; i < 1000; ++i)
        deep += "<array>";
    for (int i = 0; i < 1000; ++i)
        deep += "</array>";
    EXPECT_FALSE(parseBody(deep));
}

TEST(PropertyList, SerializedFormReadsBackTheSame) {
    PropertyList::Dictionary entries{
        {"text", "a <b> & c"},
        {"integer", 12},
        {"real", 0.25},
        {"flag", true},
        {"when", PropertyList::Date{86400}},
        {"bytes", Foundation::dataFrom("abcd")},
        {"list", PropertyList::Array{"x", 3, false}},
        {"empty", PropertyList::Dictionary{}},
    };
    const PropertyList original(entries);
    EXPECT_EQ(parsePropertyList(Foundation::serializePropertyList(original)), original);
    // A year before 1000 keeps its four digits.
    const auto early = parseBody("<date>0968-01-02T03:04:05Z</date>");
    ASSERT_TRUE(early);
    EXPECT_EQ(parsePropertyList(Foundation::serializePropertyList(*early)), early);
}
