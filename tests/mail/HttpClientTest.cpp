// The web client against a real HTTP server and a real proxy on loopback.

#include "HttpClient.h"
#include "InternetError.h"
#include "LoopbackServers.h"
#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using loopback::THttpTestServer;
using loopback::TProxyTestServer;

class HttpClientTest : public testing::Test {
  protected:
    HttpClientTest() {
        QFile file(folder + "/upgrade_lumvik.ini");
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QString folder = testenv::newFolder("web");
    const QByteArray content = "[VERSION]\r\nLumvik_version=5.0.1 Build:3\r\n";
    THttpTestServer web{folder};

    TProxySettings proxy(const TProxyTestServer& server, const QString& password) const {
        return {"127.0.0.1", QString::number(server.port()), "alice", password};
    }
};

TEST_F(HttpClientTest, FetchesAFileDirectly) {
    EXPECT_EQ(HttpGet(web.url("/upgrade_lumvik.ini"), {}), content);
}

TEST_F(HttpClientTest, AMissingFileIsAnErrorWithTheServersAnswer) {
    try {
        HttpGet(web.url("/missing.ini"), {});
        ADD_FAILURE() << "no error";
    } catch (const EInternetError& e) {
        EXPECT_TRUE(e.message().contains("404")) << e.message().toStdString();
    }
}

TEST_F(HttpClientTest, GoesThroughTheProxyWithItsLogin) {
    TProxyTestServer proxyServer("alice", "s3cret");
    EXPECT_EQ(HttpGet(web.url("/upgrade_lumvik.ini"), proxy(proxyServer, "s3cret")), content);
    EXPECT_TRUE(proxyServer.log().contains(
        QString("GET http://127.0.0.1:%1/upgrade_lumvik.ini").arg(web.port())))
        << proxyServer.log().toStdString();
}

TEST_F(HttpClientTest, AProxyRefusingTheLoginIsAnError) {
    TProxyTestServer proxyServer("alice", "s3cret");
    EXPECT_THROW(HttpGet(web.url("/upgrade_lumvik.ini"), proxy(proxyServer, "wrong")),
                 EInternetError);
}

// An empty proxy server means no proxy, even when the environment names one.
TEST_F(HttpClientTest, AnEmptyProxyServerGoesDirectly) {
    const QString dead = QString("http://127.0.0.1:%1").arg(loopback::ClosedPort());
    qputenv("http_proxy", dead.toUtf8());
    qputenv("HTTP_PROXY", dead.toUtf8());
    EXPECT_EQ(HttpGet(web.url("/upgrade_lumvik.ini"), {"", "3128", "alice", "x"}), content);
}

// A trickle ends at whichever limit it meets first: the total time or the
// lowest speed kept up for a while. Both are a limit reached, not a failure.
TEST(HttpLimitsTest, ATricklingServerEndsAtTheTimeOrTheSpeedLimit) {
    loopback::TEndlessTestServer trickle(loopback::TEndlessTestServer::Http, 10);
    const struct {
        TNetworkLimits limits;
        const char* curlText;
    } cases[] = {{{.totalMs = 1000}, "timed out"},
                 {{.totalMs = 60000, .lowSpeedBytes = 100, .lowSpeedSeconds = 1}, "too slow"}};
    for (const auto& c : cases) {
        THttpOptions options;
        options.limits = c.limits;
        try {
            HttpGet(trickle.url("/upgrade_lumvik.ini"), {}, options);
            ADD_FAILURE() << "no error";
        } catch (const EInternetError& e) {
            EXPECT_EQ(e.kind(), EInternetError::TKind::TimedOut) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(c.curlText)) << e.message().toStdString();
        }
    }
}

struct PortCase {
    const char* text;
    int port;
};

class ProxyPortTest : public testing::TestWithParam<PortCase> {};

TEST_P(ProxyPortTest, IsTheNumberOr80) {
    EXPECT_EQ(ProxyPort(GetParam().text), GetParam().port) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Ports, ProxyPortTest,
                         testing::Values(PortCase{"3128", 3128}, PortCase{" 8080 ", 8080},
                                         PortCase{"", 80}, PortCase{"abc", 80}, PortCase{"80a", 80},
                                         PortCase{"0", 80}, PortCase{"-1", 80},
                                         PortCase{"65535", 65535}, PortCase{"65536", 80}));

} // namespace
