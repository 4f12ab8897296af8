#include "TimedCapture.h"

#include <gtest/gtest.h>

namespace {

const QDate Today(2024, 5, 17);
const QDateTime Now(Today, QTime(9, 30));

QDateTime at(int dayOffset, int h, int m, int s = 0, int ms = 0) {
    return QDateTime(Today.addDays(dayOffset), QTime(h, m, s, ms));
}

struct Step {
    QTime now;
    bool fires;
};

struct AlarmCase {
    const char* name;
    QTime alarm;
    QTime armedAt;
    std::vector<Step> steps;
};

class ClockAlarmTest : public ::testing::TestWithParam<AlarmCase> {};

TEST_P(ClockAlarmTest, FiresOncePerDayAtItsTime) {
    const AlarmCase& c = GetParam();
    TClockAlarm alarm;
    alarm.arm(QDateTime(Today.addDays(5), c.alarm), c.armedAt);
    alarm.setEnabled(true);
    for (const Step& step : c.steps)
        EXPECT_EQ(alarm.examine(step.now), step.fires) << step.now.toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockAlarmTest,
    ::testing::Values(
        AlarmCase{"AheadToday",
                  QTime(9, 30, 10),
                  QTime(9, 30),
                  {{QTime(9, 30, 5), false},
                   {QTime(9, 30, 10, 200), true},
                   {QTime(9, 30, 10, 650), false},
                   {QTime(9, 30, 59), false},
                   {QTime(12, 0), false},
                   {QTime(0, 0, 1), false},
                   {QTime(9, 30, 10, 100), true}}},
        AlarmCase{"PassedTodayFiresTomorrow",
                  QTime(9, 0),
                  QTime(9, 30),
                  {{QTime(9, 30, 1), false},
                   {QTime(23, 59, 59), false},
                   {QTime(0, 0, 0, 300), false},
                   {QTime(9, 0, 0, 100), true}}},
        AlarmCase{"ArmedInsideItsMinuteAfterItsSecond",
                  QTime(9, 30, 0),
                  QTime(9, 30, 0, 500),
                  {{QTime(9, 30, 1), false}, {QTime(9, 31), false}}},
        AlarmCase{"LateInTheSameMinuteStillFires",
                  QTime(9, 30, 10),
                  QTime(9, 29, 50),
                  {{QTime(9, 29, 59), false}, {QTime(9, 30, 45), true}}},
        AlarmCase{"MinuteWithoutExaminationIsLost",
                  QTime(9, 30, 10),
                  QTime(9, 29, 50),
                  {{QTime(9, 29, 59), false}, {QTime(9, 31, 0), false}, {QTime(9, 32), false}}},
        AlarmCase{"MidnightIsAlwaysAhead",
                  QTime(0, 0),
                  QTime(9, 30),
                  {{QTime(23, 59, 59), false}, {QTime(0, 0, 0, 200), true}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClockAlarmTest, DisabledNeverFires) {
    TClockAlarm alarm;
    alarm.arm(at(0, 9, 30, 10), QTime(9, 30));
    EXPECT_FALSE(alarm.examine(QTime(9, 30, 10)));
}

TEST(IntervalTest, ZeroAndTheTenSecondWarning) {
    EXPECT_EQ(IntervalSeconds(1, 2, 3), 3723);
    EXPECT_TRUE(IntervalNeedsWarning(0, 0, 5));
    EXPECT_TRUE(IntervalNeedsWarning(0, 0, 9));
    EXPECT_FALSE(IntervalNeedsWarning(0, 0, 10));
    EXPECT_FALSE(IntervalNeedsWarning(0, 1, 0));
    EXPECT_FALSE(IntervalNeedsWarning(1, 0, 0));
}

TTimedPlan planOf(int interval, bool useStart, int maxCount) {
    TTimedPlan plan;
    plan.intervalSeconds = interval;
    plan.useStart = useStart;
    plan.start = at(1, 18, 0);
    plan.useStop = true;
    plan.stop = at(2, 12, 0);
    plan.maxCount = maxCount;
    return plan;
}

TEST(TimedCaptureTest, RunWithoutStartCountsToItsMaximum) {
    TTimedCapture run;
    run.startNow(planOf(10, false, 3), Now);
    EXPECT_TRUE(run.running());
    EXPECT_EQ(run.counter(), 1);
    EXPECT_EQ(run.nextShot(), Now.addSecs(10));
    EXPECT_FALSE(run.examine(Now.addSecs(9)).start);
    EXPECT_TRUE(run.examine(Now.addSecs(10)).start);
    EXPECT_EQ(run.startAlarmFired(Now.addSecs(10), false), TTimedCapture::Shoot);
    EXPECT_EQ(run.nextShot(), Now.addSecs(20));
    EXPECT_EQ(run.startAlarmFired(Now.addSecs(20), false), TTimedCapture::Shoot);
    EXPECT_EQ(run.counter(), 3);
    EXPECT_EQ(run.startAlarmFired(Now.addSecs(30), false), TTimedCapture::LimitReached);
    EXPECT_EQ(run.counter(), 3);
}

TEST(TimedCaptureTest, BusyWinsOverEverything) {
    TTimedCapture run;
    run.startNow(planOf(10, false, 0), Now);
    EXPECT_EQ(run.startAlarmFired(Now.addSecs(10), true), TTimedCapture::Busy);
}

TEST(TimedCaptureTest, StartWaitsForItsDate) {
    TTimedCapture run;
    run.waitForStart(planOf(60, true, 100), Now);
    EXPECT_TRUE(run.active());
    EXPECT_FALSE(run.running());
    EXPECT_EQ(run.nextShot(), at(1, 18, 0));
    // The alarm holds a time of day: today at 18:00 it fires, but the date is not yet due.
    EXPECT_TRUE(run.examine(at(0, 18, 0, 0, 200)).start);
    EXPECT_EQ(run.startAlarmFired(at(0, 18, 0, 0, 200), false), TTimedCapture::Wait);
    EXPECT_EQ(run.counter(), 0);
    EXPECT_FALSE(run.examine(at(0, 18, 0, 0, 650)).start);
    EXPECT_FALSE(run.examine(at(1, 0, 0, 1)).start);
    EXPECT_TRUE(run.examine(at(1, 18, 0, 0, 100)).start);
    EXPECT_EQ(run.startAlarmFired(at(1, 18, 0, 0, 100), false), TTimedCapture::Shoot);
    EXPECT_TRUE(run.running());
    EXPECT_EQ(run.counter(), 1);
}

TEST(TimedCaptureTest, MaximumZeroEndsAtTheFirstAlarm) {
    TTimedCapture run;
    run.waitForStart(planOf(60, true, 0), Now);
    EXPECT_EQ(run.startAlarmFired(at(1, 18, 0), false), TTimedCapture::LimitReached);
    EXPECT_EQ(run.counter(), 0);
}

TEST(TimedCaptureTest, StopAlarmEndsTheRunOnlyFromItsDate) {
    TTimedCapture run;
    run.startNow(planOf(60, false, 100), Now);
    run.armStop(Now);
    EXPECT_TRUE(run.examine(at(0, 12, 0, 0, 100)).stop);
    EXPECT_FALSE(run.stopAlarmFired(at(0, 12, 0)));
    EXPECT_TRUE(run.stopAlarmFired(at(2, 12, 0)));
    run.stop();
    EXPECT_FALSE(run.active());
    EXPECT_FALSE(run.running());
    EXPECT_FALSE(run.examine(at(2, 12, 0, 0, 100)).stop);
}

TEST(TimedCaptureTest, TimeLeftCountsDownToTheNextShot) {
    TTimedCapture run;
    run.waitForStart(planOf(60, true, 100), Now);
    EXPECT_EQ(run.timeLeft(at(1, 17, 0)), "1:00:00");
    EXPECT_EQ(run.timeLeft(Now), "32:30:00") << "a start days away counts its hours";
    EXPECT_EQ(run.timeLeft(at(1, 17, 59, 55)), "0:00:05");
    EXPECT_EQ(run.timeLeft(at(1, 18, 0, 5)), "0:00:00") << "a shot due shows no time left";
}

} // namespace
