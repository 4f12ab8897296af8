#pragma once
// HTTP GET over libcurl through the user's proxy settings, for the
// connection test and the web update.

#include "NetworkLimits.h"

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

// Told the bytes received so far and the size the server announced (0 when
// it announced none), after every piece of a body; on the thread of the request.
using THttpProgress = std::function<void(qint64 received, qint64 total)>;

// What a request may take and who follows it.
struct THttpOptions {
    THttpProgress progress;
    // More bytes than this fail with EInternetError, so no server can fill
    // memory or the disk.
    qint64 sizeLimit = 64 * 1024;
    TNetworkLimits limits = NetworkLimits().page;
    const TCancelFlag* cancel = nullptr;
};

// The body of `url`. The request goes through the proxy when its server field
// is not empty (with basic proxy authentication when a user is given), and
// directly otherwise, whatever the environment says. Throws EInternetError
// when the server cannot be reached, answers with an error status, sends too
// much, is too slow, or the request is cancelled.
QByteArray HttpGet(const QUrl& url, const TProxySettings& proxy, const THttpOptions& options = {});
