#pragma once
// A mail in MIME form, read piece by piece as the SMTP client sends it: the
// header, the body as a quoted-printable text part and every attachment as a
// base64 part carrying its file name. Attachments are read from disk only as
// they are sent, so a large set never sits in memory whole.

#include "MailMessage.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <memory>

class TMimeStream {
  public:
    explicit TMimeStream(const TMailMessage& message);
    ~TMimeStream();

    // Copies the next bytes into `data` (at most `max`); 0 at the end.
    // Throws EInOutError when an attachment cannot be read.
    qint64 read(char* data, qint64 max);

    // The whole message at once, for tests and small mails.
    QByteArray readAll();

  private:
    // Literal text, or a file sent as base64 lines.
    struct Segment {
        QByteArray text;
        QString file;
    };
    void refill();

    QList<Segment> segments_;
    int next_ = 0;
    std::unique_ptr<QFile> file_;
    QByteArray pending_;
};
