#include "updates/appcast.h"

#include <gtest/gtest.h>

namespace tintwell::updates {
namespace {

std::vector<AppcastItem> items(const QByteArray& xml) {
    auto parsed = parseAppcast(xml);
    if (const auto* error = std::get_if<AppcastError>(&parsed))
        ADD_FAILURE() << error->reason.toStdString();
    return std::get_if<std::vector<AppcastItem>>(&parsed) ? std::get<std::vector<AppcastItem>>(parsed)
                                                          : std::vector<AppcastItem>{};
}

QString error(const QByteArray& xml) {
    const auto parsed = parseAppcast(xml);
    const auto* e = std::get_if<AppcastError>(&parsed);
    return e ? e->reason : QString();
}

TEST(AppcastTest, ReadsARealisticFeedWhateverTheUpdatePrefix) {
    const auto list = items(R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"
     xmlns:u="http://www.andymatuschak.org/xml-namespaces/sparkle" xmlns:atom="http://www.w3.org/2005/Atom">
  <channel>
    <title>Tintwell</title>
    <link>https://tintwell.example/</link>
    <item>
      <title>Version 1.2</title>
      <link>https://tintwell.example/download</link>
      <atom:link href="https://elsewhere.example/"/>
      <sparkle:version>120</sparkle:version>
      <sparkle:shortVersionString>1.2</sparkle:shortVersionString>
      <sparkle:releaseNotesLink>https://tintwell.example/notes/1.2.html</sparkle:releaseNotesLink>
      <enclosure url="https://tintwell.example/tintwell-1.2.tar.gz" length="1" type="application/gzip"/>
    </item>
    <item>
      <title>Version 1.3 beta</title>
      <u:channel>beta</u:channel>
      <enclosure url="https://tintwell.example/tintwell-1.3b1.tar.gz" sparkle:version="130"
                 sparkle:shortVersionString="1.3b1"/>
      <u:releaseNotesLink>javascript:alert(1)</u:releaseNotesLink>
    </item>
  </channel>
</rss>)");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0],
              (AppcastItem{"120", "1.2", std::nullopt, "Version 1.2", "https://tintwell.example/download",
                           "https://tintwell.example/notes/1.2.html",
                           "https://tintwell.example/tintwell-1.2.tar.gz"}));
    EXPECT_EQ(list[1].versionString, "130");
    EXPECT_EQ(list[1].displayVersion(), "1.3b1");
    EXPECT_EQ(list[1].channel, "beta");
    EXPECT_EQ(list[1].releaseNotesLink, std::nullopt) << "only web links are ever opened";
    EXPECT_EQ(list[1].downloadLink(), "https://tintwell.example/tintwell-1.3b1.tar.gz");
}

TEST(AppcastTest, HostileFeedsAreRefusedWithAReason) {
    const QByteArray laughs = R"(<?xml version="1.0"?>
<!DOCTYPE rss [
  <!ENTITY a "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa">
  <!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">
  <!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">
  <!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">
  <!ENTITY e "&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;">
  <!ENTITY f "&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;">
  <!ENTITY g "&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;">
]>
<rss><channel><item><title>&g;</title><version>9</version></item></channel></rss>)";
    const struct {
        const char* what;
        QByteArray xml;
        const char* reason;
    } cases[] = {
        {"entity expansion", laughs, "not valid XML"},
        {"malformed", "<rss><channel><item><version>9</item></channel></rss>", "not valid XML"},
        {"empty", "", "empty"},
        {"not RSS", "<html><body>Sign in</body></html>", "not an RSS feed"},
        {"2 MiB unclosed", "<rss><channel><item><title>" + QByteArray(2 << 20, 'x'), "not valid XML"},
        {"60,000 deep", "<rss><channel><item><version>" + QByteArray("<b>").repeated(60000), "64 levels"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(error(c.xml).contains(c.reason)) << c.what << ": " << error(c.xml).toStdString();
}

} // namespace
} // namespace tintwell::updates
