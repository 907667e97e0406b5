#include <Foundation/URL.h>
#include <gtest/gtest.h>

using Foundation::URL;

TEST(URL, SplitsSchemeAndHost) {
    const auto url = URL::parse("HTTPS://user:pw@Example.COM:8443/a/b?q=1#top");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "HTTPS");
    EXPECT_EQ(url->host(), "Example.COM");
    EXPECT_EQ(url->absoluteString(), "HTTPS://user:pw@Example.COM:8443/a/b?q=1#top");

    EXPECT_EQ(URL::parse("http://[::1]:80/")->host(), "::1");
    // No authority, an empty one, or no scheme: no host.
    EXPECT_FALSE(URL::parse("mailto:a@b.test")->host());
    EXPECT_FALSE(URL::parse("file:///tmp/x")->host());
    EXPECT_FALSE(URL::parse("example.com/path")->scheme());
    EXPECT_EQ(URL::parse("//cdn.test/x")->host(), "cdn.test");
}

TEST(URL, PercentEncodesWhatMayNotStandInAURL) {
    EXPECT_EQ(URL::parse("https://x.test/a b<c>\"d\"{e}|^`")->absoluteString(),
              "https://x.test/a%20b%3Cc%3E%22d%22%7Be%7D%7C%5E%60");
    EXPECT_EQ(URL::parse("https://x.test/100%/%41#a#b")->absoluteString(),
              "https://x.test/100%25/%41#a%23b");
    EXPECT_EQ(URL::parse("https://bücher.test/ü")->absoluteString(),
              "https://b%C3%BCcher.test/%C3%BC");
    EXPECT_EQ(URL::parse("https://bücher.test/")->host(), "b%C3%BCcher.test");
}

TEST(URL, RefusesBrokenAuthorities) {
    EXPECT_FALSE(URL::parse(""));
    EXPECT_FALSE(URL::parse("http://exa mple.test/"));
    EXPECT_FALSE(URL::parse("http://x.test:80a/"));
    EXPECT_FALSE(URL::parse("http://[::1/"));
    EXPECT_FALSE(URL::parse("http://<x>/"));
}
