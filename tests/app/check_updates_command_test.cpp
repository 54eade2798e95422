#include "support/event_loop.h"
#include "support/local_http_server.h"
#include "support/tintwell_process.h"

#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

const QByteArray kFeed = R"(<rss xmlns:s="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><s:version>0.0.9</s:version></item>
<item><s:version>9.1</s:version><s:channel>beta</s:channel><link>https://tintwell.example/9.1</link></item>
<item><s:version>9.0</s:version><s:shortVersionString>9.0 "Dusk"</s:shortVersionString>
  <link>https://tintwell.example/9.0</link></item>
</channel></rss>)";

/// Runs the program while this process keeps serving: its event loop turns until the child ends.
test::Outcome runServed(const QStringList& arguments, const QString& feed, const QString& configHome) {
    QProcess p;
    test::launch(p, arguments,
                 test::environmentWith({{"TINTWELL_UPDATE_FEED", feed}, {"XDG_CONFIG_HOME", configHome}}));
    EXPECT_TRUE(test::spinUntil([&] { return p.state() == QProcess::NotRunning; }, 30s));
    return test::outcomeOf(p);
}

TEST(CheckUpdatesCommandTest, PicksTheNewestItem) {
    test::LocalHttpServer server;
    server.serve("/appcast.xml", {.body = kFeed});
    QTemporaryDir config;
    const QString feed = server.url("/appcast.xml");

    test::Outcome r = runServed({"--check-updates", "--json"}, feed, config.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"status": "available", "version": "9.0",
        "shortVersion": "9.0 \"Dusk\"", "link": "https://tintwell.example/9.0", "releaseNotes": null})"));

    r = runServed({"--check-updates"}, feed, config.path());
    EXPECT_EQ(
        r.out,
        "Tintwell 9.0 \"Dusk\" is available — you have 0.1.0.\nDownload: https://tintwell.example/9.0\n");
}

TEST(CheckUpdatesCommandTest, AFeedWithAnUntrustedCertificateIsRefused) {
    test::application(); // before the server, whose sockets need the event dispatcher
    QTemporaryDir dir;
    const QString key = dir.filePath("key.pem"), cert = dir.filePath("cert.pem");
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                   "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    ASSERT_TRUE(openssl.waitForFinished(60000) && openssl.exitCode() == 0)
        << openssl.readAllStandardError().data();
    QFile keyFile(key), certFile(cert);
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly) && certFile.open(QIODevice::ReadOnly));

    auto tls = std::make_unique<QSslServer>();
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(&certFile));
    configuration.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
    tls->setSslConfiguration(configuration);
    ASSERT_TRUE(tls->listen(QHostAddress::LocalHost));
    test::LocalHttpServer server(std::move(tls));
    server.serve("/appcast.xml", {.body = kFeed});

    const test::Outcome r =
        runServed({"--check-updates", "--json"}, server.url("/appcast.xml", "https"), dir.path());
    EXPECT_EQ(r.status, 1);
    const json answer = json::parse(r.out);
    EXPECT_EQ(answer["status"], "error");
    EXPECT_EQ(answer["error"], "the server's certificate is not trusted (The certificate is self-signed, and "
                               "untrusted)")
        << r.out;
    EXPECT_EQ(server.requestCount(), 0);
}

} // namespace
} // namespace tintwell::app
