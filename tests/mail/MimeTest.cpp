// Mails built here are read back by Python's e-mail parser, an independent
// reader, so a wrong encoding shows as a wrong decoded value.

#include "Errors.h"
#include "LoopbackServers.h"
#include "MimeStream.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

using loopback::ParseMail;
using loopback::TParsedMail;

QString writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

QByteArray randomBytes(int size) {
    QByteArray bytes(size, 0);
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

TMailMessage message(const QString& subject, const QString& name, const QString& body) {
    return {
        name, "anna@example.com",          {"bob@example.org", "carl@example.net"}, subject, body,
        {},   QDateTime::currentDateTime()};
}

QString stored(const TMailMessage& m) {
    static int count = 0;
    return writeFile(testenv::newFolder("mime") + QString("/%1.eml").arg(++count),
                     TMimeStream(m).readAll());
}

// Every line ends in CRLF and none is longer than SMTP allows.
void expectWellFormedLines(const QByteArray& raw) {
    ASSERT_TRUE(raw.endsWith("\r\n"));
    const QList<QByteArray> lines = raw.chopped(2).split('\n');
    for (const QByteArray& line : lines) {
        EXPECT_TRUE(line.isEmpty() || line.endsWith('\r') || &line == &lines.back()) << line.data();
        EXPECT_FALSE(line.chopped(line.endsWith('\r') ? 1 : 0).contains('\r')) << line.data();
        EXPECT_LE(line.size(), 999) << line.left(60).data();
    }
}

struct TextCase {
    const char* what;
    QString subject;
    QString name;
    QString body;
    QString expectedSubject; // decoded; the subject itself when empty
};

class MimeTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(MimeTextTest, ArrivesAsTyped) {
    const TextCase& c = GetParam();
    const QString path = stored(message(c.subject, c.name, c.body));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    expectWellFormedLines(file.readAll());

    const TParsedMail mail = ParseMail(path);
    EXPECT_TRUE(mail.defects.isEmpty()) << mail.defects.join(" ").toStdString();
    EXPECT_EQ(mail.header("Subject"),
              QStringList{c.expectedSubject.isEmpty() ? c.subject : c.expectedSubject});
    QString name = c.name;
    name.replace('\r', ' ').replace('\n', ' ');
    EXPECT_EQ(mail.from, (QList<TParsedMail::Mailbox>{{name.trimmed(), "anna@example.com"}}));
    EXPECT_EQ(mail.to,
              (QList<TParsedMail::Mailbox>{{"", "bob@example.org"}, {"", "carl@example.net"}}));
    EXPECT_TRUE(mail.header("Bcc").isEmpty());
    EXPECT_TRUE(mail.header("Cc").isEmpty());
    QString body = c.body;
    body.replace("\r\n", "\n");
    EXPECT_EQ(mail.body, body + "\n");
    EXPECT_EQ(mail.header("MIME-Version"), QStringList{"1.0"});
    EXPECT_EQ(mail.header("Date").size(), 1);
    EXPECT_EQ(mail.header("Message-ID").size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MimeTextTest,
    testing::Values(
        TextCase{"Plain", "Holiday pictures", "Anna Smith", "Hello Bob,\nsee attached.", {}},
        TextCase{"Umlauts", "Grüße aus Übersee – 日本", "Jörg Müller", "Grüße,\r\nJörg", {}},
        TextCase{"HeaderInjection", "Hello\r\nBcc: x@y", "Eve\r\nCc: z@y", "Hi", "Hello  Bcc: x@y"},
        TextCase{"LoneLineBreaks", "A\nB\rC", "Anna", "x", "A B C"},
        TextCase{"QuotesInName", "Names", "Anna \"the boss\" \\ Smith", "x", {}},
        TextCase{"LiteralEncodedWord", "=?UTF-8?B?SGk=?=", "=?UTF-8?B?SGk=?=", "x", {}},
        TextCase{"LongUmlautSubject", QString(300, QChar(0xE4)), "Anna", "x", {}},
        TextCase{"LongPlainSubject", QString("word ").repeated(190).trimmed(), "Anna", "x", {}},
        TextCase{"Emoji",
                 "Photo \U0001F4F7 \U0001F4F7 \U0001F4F7 \U0001F4F7 \U0001F4F7 "
                 "\U0001F4F7 \U0001F4F7 \U0001F4F7 \U0001F4F7 \U0001F4F7 \U0001F4F7",
                 "\U0001F600 Anna",
                 "x",
                 {}},
        TextCase{"BodyEdges",
                 "Body",
                 "Anna",
                 ".\n..two dots\nends in blanks   \ntab\tinside\n= sign =3D\n" +
                     QString("x").repeated(200) + "\n\n" + QString(100, QChar(0xFC)) + "\nlast",
                 {}},
        TextCase{"EmptyBody", "Nothing", "", "", {}}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.what); });

TEST(MimeAttachmentTest, EveryAttachmentArrivesByteForByteUnderItsName) {
    const QString folder = testenv::newFolder("attachments");
    // Sizes around the 3-byte groups of base64 and the 57-byte lines.
    const QList<std::pair<QString, int>> files{
        {"IMG_0001.JPG", 0},
        {"b.gif", 1},
        {"c.bmp", 2},
        {"d.jpg", 56},
        {"e.jpg", 57},
        {"f.jpg", 58},
        {"Übersee.jpg", 57 * 1024},
        {"g.jpg", 57 * 1024 + 1},
        {"my \"best\" pic; x=1.jpg", 300000},
        {QString("Sehr langer Name mit Umlauten äöü und noch mehr Text ").repeated(3) + ".jpeg",
         10}};
    TMailMessage m = message("Pictures", "Anna", "See attached.");
    QList<QByteArray> contents;
    for (const auto& [name, size] : files) {
        contents.append(randomBytes(size));
        m.attachments.append(writeFile(folder + "/" + name, contents.back()));
    }
    const TParsedMail mail = ParseMail(stored(m));
    EXPECT_TRUE(mail.defects.isEmpty()) << mail.defects.join(" ").toStdString();
    EXPECT_EQ(mail.body, "See attached.\n");
    ASSERT_EQ(mail.attachments.size(), files.size());
    for (int i = 0; i < files.size(); ++i) {
        EXPECT_EQ(mail.attachments[i].fileName, files[i].first);
        EXPECT_TRUE(mail.attachments[i].bytes == contents[i]) << files[i].first.toStdString();
    }
    EXPECT_EQ(mail.attachments[0].type, "image/jpeg");
    EXPECT_EQ(mail.attachments[1].type, "image/gif");
}

TEST(MimeAttachmentTest, AMissingAttachmentStopsTheStream) {
    TMailMessage m = message("Pictures", "Anna", "x");
    m.attachments.append(testenv::newFolder("missing") + "/gone.jpg");
    TMimeStream stream(m);
    EXPECT_THROW(stream.readAll(), EInOutError);
}

TEST(MimeAttachmentTest, AttachmentBytesCountsTheFiles) {
    const QString folder = testenv::newFolder("sizes");
    EXPECT_EQ(AttachmentBytes({writeFile(folder + "/a", QByteArray(1000, 'a')),
                               writeFile(folder + "/b", QByteArray(24, 'b'))}),
              1024);
}

} // namespace
