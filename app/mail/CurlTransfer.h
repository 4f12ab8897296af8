#pragma once
// One libcurl transfer as the mail and web clients use it: the handle, its
// error text and the server's refusal, and perform() that turns any failure
// into EInternetError. Private to app/mail.

#include "NetworkLimits.h"

#include <QByteArray>
#include <QString>
#include <curl/curl.h>
#include <vector>

class TCurlTransfer {
  public:
    TCurlTransfer();
    ~TCurlTransfer();
    TCurlTransfer(const TCurlTransfer&) = delete;
    TCurlTransfer& operator=(const TCurlTransfer&) = delete;

    CURL* handle() const { return curl_; }
    template <typename T> void set(CURLoption option, T value) {
        curl_easy_setopt(curl_, option, value);
    }
    void set(CURLoption option, const QString& value);
    // Keeps the list until the transfer ends.
    void setList(CURLoption option, const QStringList& values);
    // Puts the exchange under `limits`; `cancel`, when given, ends it as soon
    // as it is set. `server` names the other end in a limit's message.
    void limit(const TNetworkLimits& limits, const TCancelFlag* cancel, const QString& server);

    // Runs the transfer; throws EInternetError with curl's text and the
    // server's last refusal, or with `abortReason` when a callback stopped it;
    // a limit reached or a cancel gives the error of that kind.
    void perform();
    // Set by a read or write callback before it stops the transfer.
    QString abortReason;

  private:
    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* self);
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    CURL* curl_;
    char error_[CURL_ERROR_SIZE] = {};
    QByteArray refusal_;
    std::vector<curl_slist*> lists_;
    const TCancelFlag* cancel_ = nullptr;
    QString server_;
};
