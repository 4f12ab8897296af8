#pragma once
// One libcurl transfer as the mail and web clients use it: the handle, its
// error text and the server's refusal, and perform() that turns any failure
// into EInternetError. Private to app/mail.

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

    // Runs the transfer; throws EInternetError with curl's text and the
    // server's last refusal, or with `abortReason` when a callback stopped it.
    void perform();
    // Set by a read or write callback before it stops the transfer.
    QString abortReason;

  private:
    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* self);

    CURL* curl_;
    char error_[CURL_ERROR_SIZE] = {};
    QByteArray refusal_;
    std::vector<curl_slist*> lists_;
};
