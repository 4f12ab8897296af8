#include "Clock.h"
#include "FakeClock.h"

#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Each firing as "name@milliseconds since the clock's start".
struct Firings {
    explicit Firings(TFakeClock& c) : clock(c), start(c.now()) {}
    TFakeClock& clock;
    QDateTime start;
    QStringList seen;
    std::function<void()> record(const QString& name) {
        return [this, name] { seen << name + "@" + QString::number(start.msecsTo(clock.now())); };
    }
};

} // namespace

TEST(FakeClock, FiresDueTimersInOrderAtTheirDueTime) {
    TFakeClock clock;
    Firings f(clock);
    const TTimerHandle alarms = clock.periodic(450, f.record("alarm"));
    const TTimerHandle countdown = clock.periodic(1000, f.record("second"));
    const TTimerHandle poll = clock.singleShot(250, f.record("poll"));
    const TTimerHandle tie = clock.singleShot(900, f.record("tie"));
    clock.advance(200);
    EXPECT_TRUE(f.seen.isEmpty()) << "nothing is due yet";
    clock.advance(1800);
    EXPECT_EQ(f.seen, QStringList({"poll@250", "alarm@450", "alarm@900", "tie@900", "second@1000",
                                   "alarm@1350", "alarm@1800", "second@2000"}));
    EXPECT_EQ(f.start.msecsTo(clock.now()), 2000);
    EXPECT_EQ(clock.activeTimers(), 2) << "the single shots are spent";
}

TEST(FakeClock, AGoneHandleStopsItsTimerAndTimeoutsMayStartAndStopTimers) {
    TFakeClock clock;
    Firings f(clock);
    TTimerHandle slot = clock.periodic(40, f.record("frame"));
    TTimerHandle later;
    const TTimerHandle stopper = clock.singleShot(100, [&] {
        slot.reset();
        later = clock.singleShot(30, f.record("later"));
    });
    clock.sleep(500);
    EXPECT_TRUE(f.seen.isEmpty()) << "sleeping moves time without firing";
    clock.advance(0);
    EXPECT_EQ(f.seen, QStringList({"frame@500"})) << "overdue timers fire once, late";
    f.seen.clear();
    clock.advance(1000);
    EXPECT_EQ(f.seen, QStringList({"later@530"}));
    EXPECT_EQ(clock.activeTimers(), 0);
}

TEST(SystemClock, TimersRunOnTheEventLoop) {
    int single = 0, periodic = 0;
    const TTimerHandle once = TClock::current().singleShot(1, [&] { ++single; });
    const TTimerHandle every = TClock::current().periodic(1, [&] { ++periodic; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return periodic >= 3; }));
    EXPECT_EQ(single, 1);
}
