#include "TimedCapture.h"

#include "Dates.h"
#include "Log.h"

#include <algorithm>

namespace {

QTime wholeSeconds(const QTime& time) {
    return QTime(time.hour(), time.minute(), time.second());
}

} // namespace

void TClockAlarm::arm(const QDateTime& moment, const QTime& now) {
    time_ = wholeSeconds(moment.time());
    recompute(now);
}

void TClockAlarm::recompute(const QTime& now) {
    waiting_ = now < time_ || time_ == QTime(0, 0);
}

bool TClockAlarm::examine(const QTime& now) {
    if (enabled_ && now.hour() == time_.hour() && now.minute() == time_.minute() &&
        now.second() >= time_.second()) {
        const bool fires = waiting_;
        waiting_ = false;
        return fires;
    }
    recompute(now);
    return false;
}

int IntervalSeconds(int hours, int minutes, int seconds) {
    return hours * 3600 + minutes * 60 + seconds;
}

bool IntervalNeedsWarning(int hours, int minutes, int seconds) {
    return hours == 0 && minutes == 0 && seconds < 10;
}

void TTimedCapture::waitForStart(const TTimedPlan& plan, const QDateTime& now) {
    plan_ = plan;
    startAlarm_.arm(plan.start, now.time());
    nextShot_ = plan.start;
    LogLine("Start alarm set: Date=" + DateTimeText(plan.start));
    startAlarm_.setEnabled(true);
    countdown_ = true;
}

void TTimedCapture::startNow(const TTimedPlan& plan, const QDateTime& now) {
    plan_ = plan;
    running_ = true;
    shoot(now);
    startAlarm_.setEnabled(true);
    countdown_ = true;
}

void TTimedCapture::armStop(const QDateTime& now) {
    stopAlarm_.arm(plan_.stop, now.time());
    LogLine("Stop alarm set: Date=" + DateTimeText(plan_.stop));
    stopAlarm_.setEnabled(true);
}

void TTimedCapture::stop() {
    stopAlarm_.setEnabled(false);
    countdown_ = false;
    startAlarm_.setEnabled(false);
    running_ = false;
}

TTimedCapture::Fired TTimedCapture::examine(const QDateTime& now) {
    return {startAlarm_.examine(now.time()), stopAlarm_.examine(now.time())};
}

TTimedCapture::Action TTimedCapture::startAlarmFired(const QDateTime& now, bool busy) {
    LogLine("Enter RxClock_StartIntAlarm");
    if (busy)
        return Busy;
    if (plan_.useMaxCount && counter_ >= plan_.maxCount) {
        LogLine("Remote process stopped cause of nr of pictures");
        return LimitReached;
    }
    if (!running_ && plan_.useStart) {
        if (now.date() < plan_.start.date())
            return Wait;
        LogLine("Remote process is started");
        running_ = true;
        shoot(now);
        return Shoot;
    }
    if (!running_)
        return Wait;
    LogLine("Remote process continues. Takes a picture");
    shoot(now);
    return Shoot;
}

bool TTimedCapture::stopAlarmFired(const QDateTime& now) const {
    LogLine("Enter RxClock_StopAlarm");
    return plan_.useStop && now.date() >= plan_.stop.date();
}

QString TTimedCapture::timeLeft(const QDateTime& now) const {
    const qint64 seconds = std::max<qint64>(now.secsTo(nextShot_), 0);
    return QString("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'));
}

void TTimedCapture::shoot(const QDateTime& now) {
    const QDateTime next = now.addSecs(plan_.intervalSeconds);
    LogLine("Next stop time=" + DateTimeText(next));
    startAlarm_.arm(next, now.time());
    nextShot_ = next;
    ++counter_;
}
