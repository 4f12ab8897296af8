#include "SmtpClient.h"

#include "CurlTransfer.h"
#include "Errors.h"
#include "MimeStream.h"

#include <QUrl>

namespace {

struct TUpload {
    TMimeStream stream;
    TCurlTransfer& transfer;
};

size_t readMessage(char* buffer, size_t size, size_t count, void* data) {
    auto* upload = static_cast<TUpload*>(data);
    try {
        return size_t(upload->stream.read(buffer, qint64(size * count)));
    } catch (const ELumvikError& e) {
        upload->transfer.abortReason = e.message();
        return CURL_READFUNC_ABORT;
    }
}

QString serverUrl(const TSmtpServer& server) {
    QUrl url;
    url.setScheme(server.security == TSmtpSecurity::Tls ? "smtps" : "smtp");
    url.setHost(server.host);
    url.setPort(server.port);
    return url.toString();
}

QString angled(const QString& address) {
    return "<" + address + ">";
}

} // namespace

void SendMail(const TSmtpServer& server, const TMailMessage& message, const TCancelFlag* cancel) {
    TCurlTransfer transfer;
    TUpload upload{TMimeStream(message), transfer};
    transfer.limit(NetworkLimits().mail, cancel, server.host);
    transfer.set(CURLOPT_URL, serverUrl(server));
    transfer.set(CURLOPT_USE_SSL,
                 long(server.security == TSmtpSecurity::None ? CURLUSESSL_NONE : CURLUSESSL_ALL));
    if (server.login) {
        transfer.set(CURLOPT_USERNAME, server.user);
        transfer.set(CURLOPT_PASSWORD, server.password);
    }
    transfer.set(CURLOPT_MAIL_FROM, angled(message.fromAddress));
    QStringList recipients;
    for (const QString& address : message.to)
        recipients.append(angled(address));
    transfer.setList(CURLOPT_MAIL_RCPT, recipients);
    transfer.set(CURLOPT_UPLOAD, 1L);
    transfer.set(CURLOPT_READFUNCTION, &readMessage);
    transfer.set(CURLOPT_READDATA, &upload);
    transfer.perform();
}
