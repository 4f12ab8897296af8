#include "CurlTransfer.h"

#include "InternetError.h"

#include <QStringList>
#include <algorithm>
#include <mutex>

namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A refusal from the server: an SMTP reply ("550 5.1.1 ...") or an HTTP
// status line ("HTTP/1.1 407 ...") with a 4xx or 5xx code. The answers to the
// QUIT that follows a refusal are no refusals, so they do not hide it.
bool isRefusal(const QByteArray& line) {
    const QByteArray code = line.startsWith("HTTP/") ? line.split(' ').value(1) : line.left(3);
    return code.size() == 3 && (code[0] == '4' || code[0] == '5');
}

} // namespace

TNetworkLimitSet& NetworkLimits() {
    static TNetworkLimitSet limits;
    return limits;
}

TCurlTransfer::TCurlTransfer() {
    initialiseCurlOnce();
    curl_ = curl_easy_init();
    set(CURLOPT_ERRORBUFFER, error_);
    set(CURLOPT_NOSIGNAL, 1L);
    // The debug callback is how the server's own answers reach an error
    // message; only incoming lines are kept, so a login never is.
    set(CURLOPT_VERBOSE, 1L);
    set(CURLOPT_DEBUGFUNCTION, &TCurlTransfer::debug);
    set(CURLOPT_DEBUGDATA, this);
    // Proxies come from the program's settings only, never from the environment.
    set(CURLOPT_PROXY, "");
    limit(TNetworkLimits{}, nullptr, {});
    // OpenSSL's own variable for extra trust, which libcurl's built-in bundle
    // would otherwise override.
    const QByteArray caFile = qgetenv("SSL_CERT_FILE");
    if (!caFile.isEmpty())
        set(CURLOPT_CAINFO, caFile.constData());
}

TCurlTransfer::~TCurlTransfer() {
    curl_easy_cleanup(curl_);
    for (curl_slist* list : lists_)
        curl_slist_free_all(list);
}

void TCurlTransfer::set(CURLoption option, const QString& value) {
    // libcurl copies string options.
    curl_easy_setopt(curl_, option, value.toUtf8().constData());
}

void TCurlTransfer::setList(CURLoption option, const QStringList& values) {
    curl_slist* list = nullptr;
    for (const QString& value : values)
        list = curl_slist_append(list, value.toUtf8().constData());
    lists_.push_back(list);
    set(option, list);
}

void TCurlTransfer::limit(const TNetworkLimits& limits, const TCancelFlag* cancel,
                          const QString& server) {
    set(CURLOPT_CONNECTTIMEOUT_MS, limits.connectMs);
    set(CURLOPT_TIMEOUT_MS, limits.totalMs);
    // A server that trickles or stops answering ends the transfer instead of hanging it.
    set(CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
    set(CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    // SMTP waits for each answer on its own clock; no longer than the whole.
    set(CURLOPT_SERVER_RESPONSE_TIMEOUT, std::max(1L, limits.totalMs / 1000));
    cancel_ = cancel;
    server_ = server;
    set(CURLOPT_NOPROGRESS, cancel ? 0L : 1L);
    set(CURLOPT_XFERINFOFUNCTION, &TCurlTransfer::progress);
    set(CURLOPT_XFERINFODATA, this);
}

void TCurlTransfer::perform() {
    const CURLcode code = curl_easy_perform(curl_);
    if (code == CURLE_OK)
        return;
    if (cancel_ && *cancel_)
        throw EInternetError("Cancelled", EInternetError::TKind::Cancelled, server_);
    QString message = abortReason;
    if (message.isEmpty())
        message =
            error_[0] ? QString::fromUtf8(error_) : QString::fromUtf8(curl_easy_strerror(code));
    if (!refusal_.isEmpty())
        message += ". Server answer: " + QString::fromUtf8(refusal_);
    if (code == CURLE_OPERATION_TIMEDOUT) {
        curl_off_t elapsedUs = 0;
        curl_easy_getinfo(curl_, CURLINFO_TOTAL_TIME_T, &elapsedUs);
        throw EInternetError(message, EInternetError::TKind::TimedOut, server_,
                             long(elapsedUs / 1000));
    }
    throw EInternetError(message);
}

// libcurl calls this at least once a second, also while nothing arrives.
int TCurlTransfer::progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const TCancelFlag* cancel = static_cast<TCurlTransfer*>(self)->cancel_;
    return cancel && *cancel ? 1 : 0;
}

int TCurlTransfer::debug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    if (type != CURLINFO_HEADER_IN)
        return 0;
    const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
    if (isRefusal(line))
        static_cast<TCurlTransfer*>(self)->refusal_ = line;
    return 0;
}
