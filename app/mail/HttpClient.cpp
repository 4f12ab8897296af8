#include "HttpClient.h"

#include "CurlTransfer.h"
#include "IniFile.h"

namespace {

// What the classic program's HTTP client sent; some servers still look at it.
constexpr const char* Accept = "Accept: text/html, */*";
constexpr const char* UserAgent = "Mozilla/3.0 (compatible; Indy Library)";

struct TBody {
    TCurlTransfer& transfer;
    const THttpProgress& progress;
    qint64 limit;
    QByteArray bytes;
};

size_t collect(char* data, size_t size, size_t count, void* target) {
    auto& body = *static_cast<TBody*>(target);
    if (body.bytes.size() + qint64(size * count) > body.limit) {
        body.transfer.abortReason = QStringLiteral("More than %1 bytes").arg(body.limit);
        return 0;
    }
    body.bytes.append(data, qsizetype(size * count));
    if (body.progress) {
        curl_off_t total = 0;
        curl_easy_getinfo(body.transfer.handle(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
        body.progress(body.bytes.size(), qMax<qint64>(total, 0));
    }
    return size * count;
}

} // namespace

int ProxyPort(const QString& text) {
    const int port = StrToIntDef(text, 80);
    return port >= 1 && port <= 65535 ? port : 80;
}

QByteArray HttpGet(const QUrl& url, const TProxySettings& proxy, const THttpOptions& options) {
    TCurlTransfer transfer;
    TBody body{transfer, options.progress, options.sizeLimit, {}};
    transfer.limit(options.limits, options.cancel, url.host());
    transfer.set(CURLOPT_URL, url.toString(QUrl::FullyEncoded));
    // Only web addresses: the update INI could otherwise point anywhere.
    transfer.set(CURLOPT_PROTOCOLS_STR, "http,https");
    if (!proxy.server.isEmpty()) {
        transfer.set(CURLOPT_PROXY, proxy.server);
        transfer.set(CURLOPT_PROXYPORT, long(ProxyPort(proxy.port)));
        transfer.set(CURLOPT_PROXYTYPE, long(CURLPROXY_HTTP));
    }
    if (!proxy.server.isEmpty() && !proxy.user.isEmpty()) {
        transfer.set(CURLOPT_PROXYUSERNAME, proxy.user);
        transfer.set(CURLOPT_PROXYPASSWORD, proxy.password);
        transfer.set(CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
    }
    transfer.setList(CURLOPT_HTTPHEADER, {Accept});
    transfer.set(CURLOPT_USERAGENT, UserAgent);
    transfer.set(CURLOPT_FAILONERROR, 1L);
    transfer.set(CURLOPT_WRITEFUNCTION, &collect);
    transfer.set(CURLOPT_WRITEDATA, &body);
    transfer.perform();
    return body.bytes;
}
