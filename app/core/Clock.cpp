#include "Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
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

// The window thread goes on painting and answering while it waits.
void TClock::sleep(int milliseconds) {
    const QCoreApplication* application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
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
