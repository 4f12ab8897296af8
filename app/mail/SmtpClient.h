#pragma once
// Sends one mail to an SMTP server over libcurl. By default as the classic
// program did: port 25, no encryption, no login. Port, STARTTLS or TLS from
// the first byte, and a login are there for servers that require them.

#include "MailMessage.h"
#include "NetworkLimits.h"

#include <QString>

enum class TSmtpSecurity { None, StartTls, Tls };

struct TSmtpServer {
    static constexpr int DefaultPort = 25;

    QString host;
    int port = DefaultPort;
    TSmtpSecurity security = TSmtpSecurity::None;
    bool login = false;
    QString user;
    QString password; // used only with login; never stored or logged

    bool operator==(const TSmtpServer&) const = default;
};

// Connects, sends `message` to every recipient and disconnects. Throws
// EInternetError with the library's text and the server's last answer when the
// server cannot be reached or refuses any step; a refused recipient refuses
// the whole mail, so it reaches either every recipient or none. Runs under
// NetworkLimits().mail; `cancel`, when given, ends it once set.
void SendMail(const TSmtpServer& server, const TMailMessage& message,
              const TCancelFlag* cancel = nullptr);
