// The SMTP client against a real SMTP server on loopback.

#include "SmtpClient.h"
#include "InternetError.h"
#include "LoopbackServers.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

using loopback::ParseMail;
using loopback::TSmtpTestServer;

TMailMessage mail(const QStringList& to = {"bob@example.org"}) {
    return {"Anna", "anna@example.com", to, "Subject", "Body", {}, QDateTime::currentDateTime()};
}

TSmtpServer on(const TSmtpTestServer& server) {
    TSmtpServer s;
    s.host = "127.0.0.1";
    s.port = server.port();
    return s;
}

TSmtpServer withLogin(TSmtpServer s, TSmtpSecurity security, const QString& password) {
    s.security = security;
    s.login = true;
    s.user = "anna";
    s.password = password;
    return s;
}

// The error's text, for checking that it carries the server's own answer.
QString failureOf(const TSmtpServer& server, const TMailMessage& message) {
    try {
        SendMail(server, message);
    } catch (const EInternetError& e) {
        return e.message();
    }
    ADD_FAILURE() << "the mail was sent";
    return {};
}

QStringList envelopeRecipients(const TSmtpTestServer& server, const QString& message) {
    QStringList out;
    for (const QJsonValue& to : server.envelope(message)["to"].toArray())
        out.append(to.toString());
    return out;
}

TEST(SmtpClientTest, DeliversTheMailWithItsAttachmentsToEveryRecipient) {
    TSmtpTestServer server;
    const QString picture = testenv::newFolder("smtp-files") + "/IMG_0001.JPG";
    QFile file(picture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes = QByteArray("\xFF\xD8\xFF\xE1", 4) + QByteArray(100001, '\x7F');
    file.write(bytes);
    file.close();
    TMailMessage m = mail({"bob@example.org", "carl@example.net"});
    m.attachments = {picture};
    SendMail(on(server), m);

    ASSERT_EQ(server.messages().size(), 1);
    const QString stored = server.messages().front();
    EXPECT_EQ(server.envelope(stored)["from"].toString(), "anna@example.com");
    EXPECT_EQ(envelopeRecipients(server, stored),
              QStringList({"bob@example.org", "carl@example.net"}));
    const loopback::TParsedMail parsed = ParseMail(stored);
    ASSERT_EQ(parsed.attachments.size(), 1);
    EXPECT_EQ(parsed.attachments[0].fileName, "IMG_0001.JPG");
    EXPECT_TRUE(parsed.attachments[0].bytes == bytes);
}

// The server's dot handling must not end or change the mail at a line of dots.
TEST(SmtpClientTest, LinesOfDotsArriveUnchanged) {
    TSmtpTestServer server;
    TMailMessage m = mail();
    m.body = ".\n..\n.leading\nlast";
    SendMail(on(server), m);
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_EQ(ParseMail(server.messages().front()).body, m.body + "\n");
}

TEST(SmtpClientTest, ALineBreakInTheSubjectAddsNoRecipient) {
    TSmtpTestServer server;
    TMailMessage m = mail();
    m.subject = "Hello\r\nBcc: x@y";
    SendMail(on(server), m);
    ASSERT_EQ(server.messages().size(), 1);
    EXPECT_EQ(envelopeRecipients(server, server.messages().front()),
              QStringList{"bob@example.org"});
    EXPECT_TRUE(ParseMail(server.messages().front()).header("Bcc").isEmpty());
}

TEST(SmtpClientTest, ARefusedRecipientRefusesTheWholeMailWithTheServersAnswer) {
    TSmtpTestServer server;
    const QString error = failureOf(on(server), mail({"bob@example.org", "reject@example.org"}));
    EXPECT_TRUE(error.contains("550 5.1.1 <reject@example.org>: Recipient address rejected"))
        << error.toStdString();
    EXPECT_TRUE(server.messages().isEmpty());
}

TEST(SmtpClientTest, AnUnreachableServerIsAnError) {
    TSmtpServer server;
    server.host = "127.0.0.1";
    server.port = loopback::ClosedPort();
    EXPECT_TRUE(failureOf(server, mail()).contains("connect", Qt::CaseInsensitive));
}

TEST(SmtpClientTest, AnAttachmentGoneBeforeSendingSendsNothing) {
    TSmtpTestServer server;
    TMailMessage m = mail();
    m.attachments = {testenv::newFolder("gone") + "/IMG_0002.JPG"};
    EXPECT_TRUE(failureOf(on(server), m).contains("IMG_0002.JPG"));
    EXPECT_TRUE(server.messages().isEmpty());
}

struct SecureCase {
    const char* what;
    TSmtpTestServer::Security server;
    TSmtpSecurity client;
};

class SmtpLoginTest : public testing::TestWithParam<SecureCase> {};

TEST_P(SmtpLoginTest, LogsInOverAnEncryptedConnection) {
    TSmtpTestServer server(GetParam().server, "anna:s3cret");
    SendMail(withLogin(on(server), GetParam().client, "s3cret"), mail());
    EXPECT_EQ(server.messages().size(), 1);
}

TEST_P(SmtpLoginTest, AWrongPasswordGivesTheServersAnswer) {
    TSmtpTestServer server(GetParam().server, "anna:s3cret");
    const QString error = failureOf(withLogin(on(server), GetParam().client, "wrong"), mail());
    EXPECT_TRUE(error.contains("535")) << error.toStdString();
    EXPECT_TRUE(server.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Security, SmtpLoginTest,
    testing::Values(SecureCase{"StartTls", TSmtpTestServer::StartTls, TSmtpSecurity::StartTls},
                    SecureCase{"Tls", TSmtpTestServer::Tls, TSmtpSecurity::Tls}),
    [](const testing::TestParamInfo<SecureCase>& info) { return std::string(info.param.what); });

TEST(SmtpSecurityTest, AServerThatRequiresStartTlsRefusesAPlainMail) {
    TSmtpTestServer server(TSmtpTestServer::StartTls);
    const QString error = failureOf(on(server), mail());
    EXPECT_TRUE(error.contains("530")) << error.toStdString();
}

TEST(SmtpSecurityTest, AnUntrustedCertificateIsRefused) {
    TSmtpTestServer server(TSmtpTestServer::Tls, "anna:s3cret");
    qunsetenv("SSL_CERT_FILE");
    failureOf(withLogin(on(server), TSmtpSecurity::Tls, "s3cret"), mail());
    EXPECT_TRUE(server.messages().isEmpty());
}

} // namespace
