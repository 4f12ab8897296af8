#pragma once
// HTTP GET over libcurl through the user's proxy settings, for the
// connection test and the web update.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

// The four proxy fields as the user typed them.
struct TProxySettings {
    QString server;
    QString port;
    QString user;
    QString password;

    bool operator==(const TProxySettings&) const = default;
};

// The proxy port: the port field as a decimal number, 80 when it is not a
// number or no port at all.
int ProxyPort(const QString& text);

// The body of `url`. The request goes through the proxy when its server field
// is not empty (with basic proxy authentication when a user is given), and
// directly otherwise, whatever the environment says. Throws EInternetError
// when the server cannot be reached or answers with an error status.
QByteArray HttpGet(const QUrl& url, const TProxySettings& proxy);

// Told the bytes received so far and the size the server announced (0 when
// it announced none), after every piece of a body.
using THttpProgress = std::function<void(qint64 received, qint64 total)>;

// The same, reporting progress, and failing with EInternetError as soon as
// the body grows past `limit` bytes, so that no server can fill the disk.
QByteArray HttpGet(const QUrl& url, const TProxySettings& proxy, const THttpProgress& progress,
                   qint64 limit);
