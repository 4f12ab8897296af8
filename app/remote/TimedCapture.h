#pragma once
// The timed capture as plain code: the two clock alarms, which fire at a time
// of day, and the schedule of a run (waiting for the start, one picture per
// interval, the stop date and the maximum count). The window examines the
// alarms on a timer of the clock and takes the pictures the schedule asks for.

#include <QDateTime>
#include <QString>

// An alarm at a time of day (whole seconds, no date). Examined often, it
// fires once when the time of day reaches it within its minute, and again
// each day at that time until it is disabled or armed anew. One that is armed
// for a time already passed today first fires tomorrow.
class TClockAlarm {
  public:
    // Takes the time of day of moment; now decides whether it is still ahead.
    void arm(const QDateTime& moment, const QTime& now);
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    QTime time() const { return time_; }
    // One examination at the time of day now; true when the alarm fires.
    bool examine(const QTime& now);

  private:
    void recompute(const QTime& now);

    QTime time_{0, 0};
    bool enabled_ = false;
    bool waiting_ = false;
};

// What the Timing page asks for.
struct TTimedPlan {
    int intervalSeconds = 0;
    bool useStart = true;
    QDateTime start;
    bool useStop = true;
    QDateTime stop;
    bool useMaxCount = true;
    int maxCount = 100;
};

// The interval of the page's three fields, in seconds.
int IntervalSeconds(int hours, int minutes, int seconds);
// An interval under ten seconds needs the user's consent.
bool IntervalNeedsWarning(int hours, int minutes, int seconds);

class TTimedCapture {
  public:
    // What the start/interval alarm asks of the window.
    enum Action {
        Busy,         // the last picture is still under way: the run ends with an error
        LimitReached, // the maximum count is reached: the run ends
        Shoot,        // take the next picture (the counter is counted up already)
        Wait          // nothing now
    };
    struct Fired {
        bool start = false;
        bool stop = false;
    };

    // Number of the last picture of the run, for the default names.
    int counter() const { return counter_; }
    void resetCounter() { counter_ = 0; }
    // The first picture is taken; later alarms continue the run.
    bool running() const { return running_; }
    // Waiting for the start or running.
    bool active() const { return startAlarm_.enabled(); }
    bool countdownOn() const { return countdown_; }
    QDateTime nextShot() const { return nextShot_; }

    // A run that waits for the plan's start.
    void waitForStart(const TTimedPlan& plan, const QDateTime& now);
    // A run whose first picture is due now: Shoot's bookkeeping done.
    void startNow(const TTimedPlan& plan, const QDateTime& now);
    // Arms the stop alarm at the plan's stop.
    void armStop(const QDateTime& now);
    // Ends the run: alarms and countdown off, the run flag cleared.
    void stop();

    // Examines both alarms at now.
    Fired examine(const QDateTime& now);
    // The start/interval alarm fired at now.
    Action startAlarmFired(const QDateTime& now, bool busy);
    // The stop alarm fired at now: true when the run must end.
    bool stopAlarmFired(const QDateTime& now) const;
    // The time left to the next shot as "H:mm:ss" (hours past 24 when the
    // start is days away); a shot already due shows "0:00:00".
    QString timeLeft(const QDateTime& now) const;
    // The page as it stands when an alarm fires: the maximum count, the
    // interval and the use of start and stop may change during a run.
    void setPlan(const TTimedPlan& plan) { plan_ = plan; }

  private:
    void shoot(const QDateTime& now);

    TTimedPlan plan_;
    TClockAlarm startAlarm_;
    TClockAlarm stopAlarm_;
    bool countdown_ = false;
    bool running_ = false;
    int counter_ = 0;
    QDateTime nextShot_;
};
