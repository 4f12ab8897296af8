#pragma once
// One e-mail as the send-mail window and the test mail hand it on: sender,
// recipients, subject, body and attachment files. The recipients and the
// sender are checked addresses (MailAddress.h).

#include <QDateTime>
#include <QString>
#include <QStringList>

struct TMailMessage {
    QString fromName;
    QString fromAddress;
    QStringList to;
    QString subject;
    QString body;
    QStringList attachments; // full file paths, in order
    QDateTime date;

    bool operator==(const TMailMessage&) const = default;
};

// Together, in bytes, the attachment files that exist.
qint64 AttachmentBytes(const QStringList& paths);
