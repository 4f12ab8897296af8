#include "Log.h"
#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

QString writeFileOfSize(const QString& name, qint64 size) {
    const QString path = testenv::newFolder("log") + "/" + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(size, 'x'));
    return path;
}

QList<QByteArray> lines(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    QList<QByteArray> result = f.readAll().split('\n');
    result.removeLast(); // after the last line end
    return result;
}

struct LogGuard {
    ~LogGuard() { TDebugLog::instance().close(); }
};

} // namespace

TEST(DebugLog, SizeBoundAtOpen) {
    struct Case {
        qint64 size;
        qint64 keptBytes;
    };
    for (const Case c : {Case{65001, 0}, Case{65000, 65000}}) {
        LogGuard guard;
        const QString path = writeFileOfSize("log.txt", c.size);
        TDebugLog::instance().open(path);
        LogLine("after");
        TDebugLog::instance().close();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray all = f.readAll();
        EXPECT_EQ(all.left(c.keptBytes), QByteArray(c.keptBytes, 'x')) << c.size;
        EXPECT_TRUE(all.mid(c.keptBytes).endsWith(":after\r\n")) << c.size;
    }
}

TEST(DebugLog, ClosedLogWritesNothing) {
    LogGuard guard;
    const QString path = testenv::newFolder("closed") + "/log.txt";
    LogLine("nothing");
    EXPECT_FALSE(QFile::exists(path));
    TDebugLog::instance().create(path);
    TDebugLog::instance().close();
    LogLine("nothing either");
    EXPECT_EQ(QFile(path).size(), 0);
}

// Lines are bounded in bytes; a long message goes on over further lines, and no
// cut falls inside a character, whatever the length of its UTF-8 sequence.
// After a pause (the error report sends the closed log), a log larger than the
// bound at open keeps its lines and the new ones follow them.
TEST(DebugLog, ReopenedLogAppendsWhateverItsSize) {
    LogGuard guard;
    const QString path = writeFileOfSize("log.txt", TDebugLog::MaxSizeAtOpen);
    TDebugLog& log = TDebugLog::instance();
    log.open(path);
    log.line("before");
    log.close();
    log.line("while closed");
    log.reopen();
    log.line("after");
    const QList<QByteArray> written = lines(path);
    ASSERT_EQ(written.size(), 2);
    EXPECT_TRUE(written[0].startsWith(QByteArray(TDebugLog::MaxSizeAtOpen, 'x')));
    EXPECT_TRUE(written[0].endsWith(":before\r"));
    EXPECT_TRUE(written[1].endsWith(":after\r"));
}

TEST(DebugLog, LineFormatAndLongMessagesSplit) {
    const QString emoji = QString::fromUtf8("\xf0\x9f\x93\xb7"); // four bytes, two QChars
    for (const QString& message :
         {QString(1200, 'a') + "END", QString(700, QChar(0xf6)), "x" + emoji.repeated(300),
          "xy" + emoji.repeated(300), QString("short")}) {
        LogGuard guard;
        const QString path = testenv::newFolder("long") + "/log.txt";
        TDebugLog::instance().create(path);
        LogLine(message);
        TDebugLog::instance().close();
        const QByteArray prefix = (TDebugLog::timeStamp() + ":").toUtf8();
        QString joined;
        for (const QByteArray& line : lines(path)) {
            ASSERT_TRUE(line.endsWith('\r'));
            EXPECT_LE(line.size() - 1, TDebugLog::MaxLineLength);
            ASSERT_TRUE(line.startsWith(prefix)) << line.left(40).constData();
            const QByteArray body = line.mid(prefix.size(), line.size() - 1 - prefix.size());
            EXPECT_EQ(QString::fromUtf8(body).toUtf8(), body) << "a character was cut";
            joined += QString::fromUtf8(body);
        }
        EXPECT_EQ(joined, message) << message.left(8).toStdString();
    }
}

// A card file name with a line break cannot add a line of its own.
TEST(DebugLog, ControlCharactersAreEscaped) {
    LogGuard guard;
    const QString path = testenv::newFolder("controls") + "/log.txt";
    TDebugLog::instance().create(path);
    LogLine("Filename_on_pc=IMG\r\n" + TDebugLog::timeStamp() + ":Forged\t\x7f" + QChar(0x2028) +
            QChar(0x2029) + QChar(0x85) + "é.jpg");
    TDebugLog::instance().close();
    const QList<QByteArray> written = lines(path);
    ASSERT_EQ(written.size(), 1);
    EXPECT_TRUE(written[0].endsWith(
        ("IMG\\x0d\\x0a" + TDebugLog::timeStamp() + ":Forged\\x09\\x7f\\u2028\\u2029\\x85é.jpg\r")
            .toUtf8()))
        << written[0].constData();
}

TEST(DebugLog, LinesFromTwoThreadsNeverInterleave) {
    LogGuard guard;
    const QString path = testenv::newFolder("threads") + "/log.txt";
    TDebugLog::instance().create(path);
    std::vector<std::thread> writers;
    for (char c : {'a', 'b'})
        writers.emplace_back([c] {
            for (int i = 0; i < 500; ++i)
                LogLine(QString(300, QChar(c)));
        });
    for (auto& w : writers)
        w.join();
    TDebugLog::instance().close();
    const QList<QByteArray> all = lines(path);
    ASSERT_EQ(all.size(), 1000);
    for (const QByteArray& line : all) {
        const QByteArray body = line.mid(line.lastIndexOf(':') + 1).chopped(1);
        EXPECT_TRUE(body == QByteArray(300, 'a') || body == QByteArray(300, 'b'));
    }
}
