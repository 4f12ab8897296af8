#pragma once
// A clock for tests: time moves only when someone sleeps on it, so a poll of a
// second takes no real second. Installed while it exists.

#include "Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

class TFakeClock : public TClock {
  public:
    explicit TFakeClock(QDateTime start = QDateTime(QDate(2024, 5, 17), QTime(9, 30)))
        : start_(start) {
        TClock::install(this);
    }
    ~TFakeClock() override { TClock::install(nullptr); }

    QDateTime now() override { return start_.addMSecs(elapsed_); }
    void sleep(int milliseconds) override {
        elapsed_ += milliseconds;
        // Let other threads run without burning the processor.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void advance(int milliseconds) { elapsed_ += milliseconds; }

  private:
    const QDateTime start_;
    std::atomic<qint64> elapsed_{0};
};
