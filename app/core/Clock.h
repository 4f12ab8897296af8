#pragma once
// The one place the program reads the time of day and waits. Tests install a
// clock of their own so that polls and alarms run without real waiting.

#include <QDateTime>

class TClock {
  public:
    virtual ~TClock() = default;
    virtual QDateTime now();
    virtual void sleep(int milliseconds);

    // The clock in use: the system clock unless a test installed another.
    static TClock& current();
    // Installs `clock` (nullptr: the system clock again); the caller keeps it alive.
    static void install(TClock* clock);
};

inline QDateTime Now() {
    return TClock::current().now();
}

inline void Sleep(int milliseconds) {
    TClock::current().sleep(milliseconds);
}
