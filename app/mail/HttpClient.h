#pragma once
// HTTP GET over libcurl through the user's proxy settings, for the
// connection test and the web update.

#include <QByteArray>
#include <QString>
#include <QUrl>

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
