#include "LoopbackServers.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>

namespace loopback {
namespace {

constexpr int StartTimeoutMs = 15000;

QString script(const QString& name) {
    return QStringLiteral(LUMVIK_MAIL_SERVERS "/") + name;
}

QString uniqueFolder(const QString& prefix) {
    static int count = 0;
    return testenv::newFolder(prefix + QString::number(++count));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

QUrl loopbackUrl(int port, const QString& path) {
    return QUrl(QString("http://127.0.0.1:%1%2").arg(port).arg(path));
}

bool portAccepts(int port) {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", quint16(port));
    return socket.waitForConnected(200);
}

} // namespace

TServerProcess::~TServerProcess() {
    if (process_) {
        process_->kill();
        process_->waitForFinished();
    }
}

int TServerProcess::startAndReadPort(const QString& program, const QStringList& arguments,
                                     const QString& pattern) {
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(program, arguments);
    const QRegularExpression portLine(pattern);
    QByteArray output;
    while (process_->waitForReadyRead(StartTimeoutMs)) {
        output += process_->readAllStandardOutput();
        const QRegularExpressionMatch match = portLine.match(QString::fromUtf8(output));
        if (match.hasMatch())
            return match.captured(1).toInt();
    }
    ADD_FAILURE() << program.toStdString() << " did not start: " << output.toStdString();
    return 0;
}

bool TServerProcess::startOnPort(const QString& program, const QStringList& arguments, int port) {
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::ForwardedChannels);
    process_->start(program, arguments);
    if (!process_->waitForStarted())
        return false;
    // A server without a way to announce itself: ask its port until it
    // accepts, or until the process gives up (the port was taken meanwhile).
    for (int waited = 0; waited < StartTimeoutMs; waited += 20) {
        if (portAccepts(port))
            return true;
        if (process_->waitForFinished(20))
            return false;
    }
    return false;
}

TTestCertificate::TTestCertificate() {
    const QString folder = uniqueFolder("certificate");
    cert = folder + "/cert.pem";
    key = folder + "/key.pem";
    const int result =
        QProcess::execute(LUMVIK_OPENSSL, {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                                           "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key,
                                           "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1",
                                           "-addext", "subjectAltName=IP:127.0.0.1", "-batch"});
    EXPECT_EQ(result, 0) << "openssl could not make a certificate";
    qputenv("SSL_CERT_FILE", cert.toUtf8());
}

TSmtpTestServer::TSmtpTestServer(Security security, const QString& login)
    : folder_(uniqueFolder("smtp")) {
    QStringList arguments{script("smtp_server.py"), folder_};
    if (security != Plain) {
        certificate_ = std::make_unique<TTestCertificate>();
        arguments << "--cert" << certificate_->cert << "--key" << certificate_->key
                  << (security == Tls ? "--tls" : "--starttls");
    }
    if (!login.isEmpty())
        arguments << "--login" << login;
    port_ = process_.startAndReadPort(LUMVIK_TEST_PYTHON, arguments, "PORT (\\d+)");
}

QStringList TSmtpTestServer::messages() const {
    QStringList out;
    // Stored as 1.eml, 2.eml, ...: count up to the first missing number.
    for (int n = 1; QFile::exists(folder_ + QString("/%1.eml").arg(n)); ++n)
        out.append(folder_ + QString("/%1.eml").arg(n));
    return out;
}

QJsonObject TSmtpTestServer::envelope(const QString& message) const {
    QString path = message;
    path.replace(QRegularExpression("\\.eml$"), ".json");
    return QJsonDocument::fromJson(readFile(path)).object();
}

THttpTestServer::THttpTestServer(const QString& folder) {
    port_ = process_.startAndReadPort(
        LUMVIK_TEST_PYTHON,
        {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder},
        "port (\\d+)");
}

QUrl THttpTestServer::url(const QString& path) const {
    return loopbackUrl(port_, path);
}

TProxyTestServer::TProxyTestServer(const QString& user, const QString& password)
    : folder_(uniqueFolder("proxy")) {
    // tinyproxy cannot take port 0 and tell which port it got: try free
    // ports until one stays free long enough for it to listen.
    for (int attempt = 0; attempt < 5 && port_ == 0; ++attempt) {
        const int port = ClosedPort();
        writeFile(folder_ + "/tinyproxy.conf",
                  QString("Port %1\nListen 127.0.0.1\nTimeout 60\nMaxClients 10\n"
                          "LogFile \"%2/tinyproxy.log\"\nLogLevel Info\nBasicAuth %3 %4\n")
                      .arg(port)
                      .arg(folder_, user, password)
                      .toUtf8());
        if (process_.startOnPort(LUMVIK_TINYPROXY, {"-d", "-c", folder_ + "/tinyproxy.conf"}, port))
            port_ = port;
    }
    EXPECT_NE(port_, 0) << "tinyproxy did not start";
}

QString TProxyTestServer::log() const {
    return QString::fromUtf8(readFile(folder_ + "/tinyproxy.log"));
}

TEndlessTestServer::TEndlessTestServer(Protocol protocol, int bytesPerSecond) {
    port_ =
        process_.startAndReadPort(LUMVIK_TEST_PYTHON,
                                  {script("endless_server.py"), protocol == Http ? "http" : "smtp",
                                   "--rate", QString::number(bytesPerSecond)},
                                  "PORT (\\d+)");
}

QUrl TEndlessTestServer::url(const QString& path) const {
    return loopbackUrl(port_, path);
}

TNetworkLimitsForTest::TNetworkLimitsForTest(long totalMs) : saved_(NetworkLimits()) {
    for (TNetworkLimits* limits :
         {&NetworkLimits().page, &NetworkLimits().package, &NetworkLimits().mail})
        limits->totalMs = totalMs;
}

TNetworkLimitsForTest::~TNetworkLimitsForTest() {
    NetworkLimits() = saved_;
}

int ClosedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

QStringList TParsedMail::header(const QString& name) const {
    QStringList out;
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            out.append(value);
    return out;
}

TParsedMail ParseMail(const QString& path) {
    const QString outFolder = uniqueFolder("parsed");
    QProcess parser;
    parser.start(LUMVIK_TEST_PYTHON, {script("parse_mail.py"), path, outFolder});
    parser.waitForFinished(StartTimeoutMs);
    EXPECT_EQ(parser.exitCode(), 0) << parser.readAllStandardError().toStdString();
    const QJsonObject json = QJsonDocument::fromJson(parser.readAllStandardOutput()).object();
    TParsedMail mail;
    for (const QJsonValue& header : json["headers"].toArray())
        mail.headers.append({header[0].toString(), header[1].toString()});
    for (const QJsonValue& defect : json["defects"].toArray())
        mail.defects.append(defect.toString());
    const auto mailboxes = [&](const char* name) {
        QList<TParsedMail::Mailbox> out;
        for (const QJsonValue& box : json["addresses"][name].toArray())
            out.append({box[0].toString(), box[1].toString()});
        return out;
    };
    mail.from = mailboxes("From");
    mail.to = mailboxes("To");
    mail.body = json["body"].toString();
    const QJsonArray attachments = json["attachments"].toArray();
    for (int i = 0; i < attachments.size(); ++i)
        mail.attachments.append({attachments[i]["filename"].toString(),
                                 attachments[i]["type"].toString(),
                                 readFile(outFolder + "/" + QString::number(i))});
    return mail;
}

} // namespace loopback
