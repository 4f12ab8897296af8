#pragma once
// Real servers on 127.0.0.1 for the mail and web tests, each started by the
// test that uses it on a free port and ended with it: an SMTP server that
// stores every message it accepts (plain, STARTTLS or TLS, with or without a
// required login), an HTTP file server, and an HTTP proxy with basic
// authentication that logs every request, and servers whose answer never ends. Stored mails are
// read back with Python's own e-mail parser, so encodings are checked by another program.

#include "NetworkLimits.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace loopback {

// A server process that prints its port or is given one; killed at the end.
class TServerProcess {
  public:
    TServerProcess() = default;
    ~TServerProcess();
    TServerProcess(const TServerProcess&) = delete;
    TServerProcess& operator=(const TServerProcess&) = delete;

    // Starts `program` and waits until its standard output shows a line
    // holding `pattern`'s first capture: the port.
    int startAndReadPort(const QString& program, const QStringList& arguments,
                         const QString& pattern);
    // Starts `program` listening on `port` and waits until that port accepts.
    bool startOnPort(const QString& program, const QStringList& arguments, int port);

  private:
    std::unique_ptr<QProcess> process_;
};

// A certificate for 127.0.0.1 made by openssl, trusted through SSL_CERT_FILE.
struct TTestCertificate {
    TTestCertificate();
    QString cert;
    QString key;
};

class TSmtpTestServer {
  public:
    enum Security { Plain, StartTls, Tls };
    // `login` "user:password" makes the server require that login.
    explicit TSmtpTestServer(Security security = Plain, const QString& login = {});

    int port() const { return port_; }
    // The stored messages in the order received.
    QStringList messages() const;
    // The envelope of a stored message: "from" and the list "to".
    QJsonObject envelope(const QString& message) const;

  private:
    QString folder_;
    std::unique_ptr<TTestCertificate> certificate_;
    TServerProcess process_;
    int port_ = 0;
};

class THttpTestServer {
  public:
    // Serves the files of `folder`.
    explicit THttpTestServer(const QString& folder);
    QUrl url(const QString& path) const;
    int port() const { return port_; }

  private:
    TServerProcess process_;
    int port_ = 0;
};

class TProxyTestServer {
  public:
    TProxyTestServer(const QString& user, const QString& password);
    int port() const { return port_; }
    // What the proxy logged so far.
    QString log() const;

  private:
    QString folder_;
    TServerProcess process_;
    int port_ = 0;
};

// A server whose answer never ends: an HTTP body or an SMTP greeting, sent
// `bytesPerSecond` bytes a second (0: as fast as it can).
class TEndlessTestServer {
  public:
    enum Protocol { Http, Smtp };
    TEndlessTestServer(Protocol protocol, int bytesPerSecond);
    QUrl url(const QString& path) const;
    int port() const { return port_; }

  private:
    TServerProcess process_;
    int port_ = 0;
};

// Every exchange's total time limit set to `totalMs` while it lives, so a
// test meets a limit without waiting for the program's own.
class TNetworkLimitsForTest {
  public:
    explicit TNetworkLimitsForTest(long totalMs);
    ~TNetworkLimitsForTest();

  private:
    TNetworkLimitSet saved_;
};

// A port on 127.0.0.1 that nothing listens on.
int ClosedPort();

// A stored mail as Python's e-mail parser decodes it.
struct TParsedMail {
    struct Attachment {
        QString fileName;
        QString type;
        QByteArray bytes;
    };
    struct Mailbox {
        QString name;
        QString address;
        bool operator==(const Mailbox&) const = default;
    };
    QList<std::pair<QString, QString>> headers; // name, decoded value
    QList<Mailbox> from;
    QList<Mailbox> to;
    QStringList defects;
    QString body;
    QList<Attachment> attachments;

    // Every value of the header `name` (letter case ignored).
    QStringList header(const QString& name) const;
};

TParsedMail ParseMail(const QString& path);

} // namespace loopback
