#pragma once
// A clock for tests: time moves only when a test advances it or someone
// sleeps on it, so a poll of a second takes no real second. Its timers fire
// only in advance(), in the order they fall due, at their due time. Installed
// while it exists.

#include "Clock.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TFakeClock : public TClock {
  public:
    explicit TFakeClock(QDateTime start = QDateTime(QDate(2024, 5, 17), QTime(9, 30)));
    ~TFakeClock() override;

    QDateTime now() override;
    // Moves time without firing timers: any thread may sleep, and timers
    // belong to the test's thread.
    void sleep(int milliseconds) override;
    TTimerHandle singleShot(int milliseconds, std::function<void()> onTimeout) override;
    TTimerHandle periodic(int milliseconds, std::function<void()> onTimeout) override;

    // Moves time on by `milliseconds`, firing every timer that falls due on
    // the way, in due order (timers due together in the order they started);
    // a periodic timer fires once per period passed. Timers that fell due
    // during a sleep fire first, late, once each.
    void advance(int milliseconds);
    // The timers started and not yet stopped or fired for good.
    int activeTimers() const;

    struct Timer;

  private:
    TTimerHandle start(int milliseconds, bool periodic, std::function<void()> onTimeout);
    std::shared_ptr<Timer> nextDue(qint64 until);

    const QDateTime start_;
    std::atomic<qint64> elapsed_{0};
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<Timer>> timers_;
    quint64 started_ = 0;
};
