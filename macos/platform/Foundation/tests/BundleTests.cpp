#include <Foundation/Bundle.h>
#include <Testing/Testing.h>
#include <gtest/gtest.h>

using Foundation::Bundle;

TEST(Bundle, AProgramInsideContentsMacOSBelongsToItsBundle) {
    EXPECT_EQ(Bundle::enclosingBundle("/A/Kestrelhaven.app/Contents/MacOS/KestrelhavenMenu"),
              "/A/Kestrelhaven.app");
    EXPECT_EQ(Bundle::enclosingBundle(
                  "/A/K.app/Contents/PlugIns/Share.appex/Contents/MacOS/KestrelhavenShare"),
              "/A/K.app/Contents/PlugIns/Share.appex");
    EXPECT_EQ(Bundle::enclosingBundle("/usr/local/bin/tool"), "/usr/local/bin");
    EXPECT_EQ(Bundle::enclosingBundle("/A/Plain/Contents/MacOS/tool"), "/A/Plain/Contents/MacOS");
}

TEST(Bundle, ReadsItsInfoPlist) {
    Testing::TemporaryFolder folder;
    const auto path = Testing::makeBundle(
        folder.path(), {{"CFBundleIdentifier", "com.example.test"}, {"KHHome", "/tmp/x"}});
    const Bundle bundle(path);
    EXPECT_EQ(bundle.identifier(), "com.example.test");
    EXPECT_EQ(*bundle.object("KHHome")->text(), "/tmp/x");
    EXPECT_EQ(bundle.object("absent"), nullptr);

    Testing::writeText(path / "Contents" / "Info.plist", "not a property list");
    EXPECT_TRUE(Bundle(path).info().empty());
}

TEST(Bundle, TheMainBundleIsFixedAtFirstUse) {
    Testing::TemporaryFolder folder;
    const auto path = Testing::makeBundle(folder.path(), {{"CFBundleIdentifier", "com.a"}});
    ASSERT_TRUE(Bundle::setMain(path));
    EXPECT_EQ(Bundle::main().path(), path);
    EXPECT_FALSE(Bundle::setMain(folder.path()));
    EXPECT_EQ(Bundle::main().identifier(), "com.a");
    EXPECT_EQ(Bundle::main().version(), std::nullopt);

    // Tests change the main bundle's values as an update would.
    Bundle::setMainInfo("CFBundleVersion", Foundation::PropertyList("42"));
    EXPECT_EQ(Bundle::main().version(), "42");
    Bundle::setMainInfo("CFBundleVersion", Foundation::PropertyList(42));
    EXPECT_EQ(Bundle::main().version(), std::nullopt);
    EXPECT_TRUE(Bundle::main().object("CFBundleVersion"));
    Bundle::setMainInfo("CFBundleVersion", std::nullopt);
    EXPECT_FALSE(Bundle::main().object("CFBundleVersion"));
}
