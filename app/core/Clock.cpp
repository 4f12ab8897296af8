#include "Clock.h"

#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<TClock*> installed{nullptr};

class TQtTimer : public TClockTimer {
  public:
    TQtTimer(int milliseconds, bool singleShot, std::function<void()> onTimeout) {
        timer_.setSingleShot(singleShot);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, std::move(onTimeout));
        timer_.start(milliseconds);
    }

  private:
    QTimer timer_;
};

} // namespace

QDateTime TClock::now() {
    return QDateTime::currentDateTime();
}

void TClock::sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TTimerHandle TClock::singleShot(int milliseconds, std::function<void()> onTimeout) {
    return std::make_unique<TQtTimer>(milliseconds, true, std::move(onTimeout));
}

TTimerHandle TClock::periodic(int milliseconds, std::function<void()> onTimeout) {
    return std::make_unique<TQtTimer>(milliseconds, false, std::move(onTimeout));
}

TClock& TClock::current() {
    static TClock system;
    TClock* clock = installed.load();
    return clock ? *clock : system;
}

void TClock::install(TClock* clock) {
    installed.store(clock);
}
