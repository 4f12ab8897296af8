#include "FakeClock.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <tuple>

struct TFakeClock::Timer {
    qint64 due;
    qint64 interval; // 0: single shot
    quint64 order;
    std::function<void()> onTimeout;
    std::atomic<bool> active{true};
};

namespace {

class THandle : public TClockTimer {
  public:
    explicit THandle(std::shared_ptr<TFakeClock::Timer> timer) : timer_(std::move(timer)) {}
    ~THandle() override { timer_->active = false; }

  private:
    std::shared_ptr<TFakeClock::Timer> timer_;
};

} // namespace

TFakeClock::TFakeClock(QDateTime start) : start_(std::move(start)) {
    TClock::install(this);
}

TFakeClock::~TFakeClock() {
    TClock::install(nullptr);
}

QDateTime TFakeClock::now() {
    return start_.addMSecs(elapsed_);
}

void TFakeClock::sleep(int milliseconds) {
    elapsed_ += milliseconds;
    // Let other threads run without burning the processor.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TTimerHandle TFakeClock::singleShot(int milliseconds, std::function<void()> onTimeout) {
    return start(milliseconds, false, std::move(onTimeout));
}

TTimerHandle TFakeClock::periodic(int milliseconds, std::function<void()> onTimeout) {
    return start(milliseconds, true, std::move(onTimeout));
}

TTimerHandle TFakeClock::start(int milliseconds, bool periodic, std::function<void()> onTimeout) {
    // A period of 0 would fire forever within one advance(); the program's
    // periods are far longer.
    const qint64 interval = periodic ? std::max(milliseconds, 1) : 0;
    auto timer = std::make_shared<Timer>();
    timer->due = elapsed_ + std::max(milliseconds, 0);
    timer->interval = interval;
    timer->onTimeout = std::move(onTimeout);
    const std::lock_guard lock(mutex_);
    timer->order = started_++;
    timers_.push_back(timer);
    return std::make_unique<THandle>(timer);
}

std::shared_ptr<TFakeClock::Timer> TFakeClock::nextDue(qint64 until) {
    const std::lock_guard lock(mutex_);
    std::erase_if(timers_, [](const auto& t) { return !t->active; });
    std::shared_ptr<Timer> next;
    for (const auto& t : timers_)
        if (t->due <= until &&
            (!next || std::tie(t->due, t->order) < std::tie(next->due, next->order)))
            next = t;
    return next;
}

void TFakeClock::advance(int milliseconds) {
    const qint64 until = elapsed_ + milliseconds;
    while (const std::shared_ptr<Timer> timer = nextDue(until)) {
        // A timer overdue after a sleep fires late, once, like a blocked event loop's.
        elapsed_ = std::max<qint64>(elapsed_, timer->due);
        if (timer->interval > 0)
            timer->due = elapsed_ + timer->interval;
        else
            timer->active = false;
        // Called without the lock: a timeout may start and stop timers.
        timer->onTimeout();
    }
    // A timeout that advanced the clock itself (a test answering a box) has
    // moved time past until already; time never goes back.
    elapsed_ = std::max<qint64>(elapsed_, until);
}

int TFakeClock::activeTimers() const {
    const std::lock_guard lock(mutex_);
    return int(std::count_if(timers_.begin(), timers_.end(),
                             [](const auto& t) { return t->active.load(); }));
}
