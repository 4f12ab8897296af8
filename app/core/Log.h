#pragma once
// The debug log: one time-stamped line per call while the log is open (the
// Debug menu item is checked), written whole under a lock so lines from the
// camera's threads and the user-interface thread never interleave.

#include <QFile>
#include <QString>
#include <mutex>

class TDebugLog {
  public:
    // Longest line before its line end; longer messages go on continuation lines.
    static constexpr int MaxLineLength = 510;
    // A log found larger than this when opened is emptied.
    static constexpr qint64 MaxSizeAtOpen = 65000;

    static TDebugLog& instance();

    // Opens (or creates) the file and moves to its end; empties a file larger
    // than MaxSizeAtOpen. Throws EInOutError when it cannot be opened.
    void open(const QString& path);
    // Creates the file anew (empty) and holds it open.
    void create(const QString& path);
    void close();
    // Opens the file of the last open() again after close(), at its end and
    // whatever its size, so later lines follow the earlier ones. Never
    // throws: a log that cannot be opened stays closed.
    void reopen();
    bool isOpen() const;

    // Appends "date time:message" lines; does nothing while closed.
    void line(const QString& message);

    // The date-time prefix of every line: the system's short date, a blank,
    // then the time as "HH:mm:ss".
    static QString timeStamp();

  private:
    void openFile(const QString& path, QIODevice::OpenMode mode);

    mutable std::mutex mutex_;
    QFile file_;
};

// The one operation every part of the program logs through.
void LogLine(const QString& message);

// The log file's path: the program folder + "/log.txt".
QString LogPath();
