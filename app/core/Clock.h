#pragma once
// The one place the program reads the time of day, waits and starts timers.
// Tests install a clock of their own so that polls, alarms, countdowns and
// frame slots run without real waiting.

#include <QDateTime>
#include <functional>
#include <memory>

// A running timer of a clock; destroying it stops it.
class TClockTimer {
  public:
    virtual ~TClockTimer() = default;
};
using TTimerHandle = std::unique_ptr<TClockTimer>;

class TClock {
  public:
    virtual ~TClock() = default;
    virtual QDateTime now();
    // On the window thread its event loop runs meanwhile, so windows answer.
    virtual void sleep(int milliseconds);

    // Timers of the calling thread's event loop: onTimeout runs once after
    // `milliseconds`, or every `milliseconds` until the handle goes.
    [[nodiscard]] virtual TTimerHandle singleShot(int milliseconds,
                                                  std::function<void()> onTimeout);
    [[nodiscard]] virtual TTimerHandle periodic(int milliseconds, std::function<void()> onTimeout);

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
