// The remote control window's answers to its "&Timing" page: the timed run's
// toggle, the two alarms and the countdown.

#include "Dlg_Remote.h"

#include "AppException.h"
#include "AppServices.h"
#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "RemoteKeys.h"
#include "TimingPage.h"

#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr int CountdownMs = 1000;

} // namespace

void TForm_Remote::Button_StartAutoTrfClick() {
    const bool starting = !timed_.active();
    try {
        if (starting) {
            startTimedRun();
            return;
        }
        LogLine("Button stop remote process clicked");
        SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
        timingPage_->Button_StartAutoTrf->setText(startTakingText_);
        Initvar();
    } catch (const ELumvikError& error) {
        LogLine("Button_StartAutoTrfClick. Exception=" + error.message());
        Initvar();
        SetStatus(starting ? text("statusbar_remote_proc_problem",
                                  "Remote process not started due to error")
                           : text("statusbar_remote_not_able_to_stop",
                                  "Remote process was not able to be stopped"));
        throw;
    }
}

void TForm_Remote::startTimedRun() {
    LogLine("Button start remote process clicked");
    Initvar();
    timed_.resetCounter();
    const int h = timingPage_->SpinEdit_IntHour->value(), m = timingPage_->SpinEdit_IntMin->value(),
              s = timingPage_->SpinEdit_IntSec->value();
    if (IntervalSeconds(h, m, s) == 0)
        throw ERangeError(
            text("errormsg_interval", "You have to select interval value other than 0"));
    if (IntervalNeedsWarning(h, m, s) &&
        MessageDlg(text("errormsg_interval_lower_ten_sec",
                        "You have selected an interval lower than 10 seconds. Many cameras "
                        "need longer to store and send a picture, and the run then stops with "
                        "an error. Are you sure you want to carry on?"),
                   mtWarning, mbYes | mbCancel) != mrYes)
        return;
    LogLine(QString("Remote process intervall: hour=%1, min=%2, sec=%3").arg(h).arg(m).arg(s));
    const TTimedPlan run = timingPage_->plan();
    // A start already passed (the page offers today at 00:00) means now,
    // not the same time tomorrow.
    if (run.useStart && run.start > Now()) {
        timed_.waitForStart(run, Now());
        setCountdown(true);
    } else {
        timed_.startNow(run, Now());
        setCountdown(true);
        SetStatus(services_.language().readFormatted(remotekey::Section, "statusbar_picture_taken",
                                                     "Picture %s taken",
                                                     {QString::number(timed_.counter())}));
        takeAndTransfer();
    }
    if (run.useStop)
        timed_.armStop(Now());
    SetStatus(text("statusbar_remote_process_started", "Remote process started"));
    timingPage_->Button_StartAutoTrf->setText(stopTakingText_);
}

void TForm_Remote::examineAlarms() {
    const QDateTime now = Now();
    timingPage_->showClock(now);
    const TTimedCapture::Fired fired = timed_.examine(now);
    if (fired.start)
        RunGuarded([this] { StartIntAlarm(); });
    if (fired.stop)
        RunGuarded([this] { StopAlarm(); });
}

void TForm_Remote::StartIntAlarm() {
    try {
        timed_.setPlan(timingPage_->plan());
        switch (timed_.startAlarmFired(Now(), remote_.busy())) {
        case TTimedCapture::Busy:
            throw ERangeError(text("errormsg_more_intervaltime",
                                   "You have to increase the interval value. The current value is "
                                   "too low, and the camera needs more time between pictures"));
        case TTimedCapture::LimitReached: {
            Initvar();
            const QString done = text("infomsg_nr_limit_reached",
                                      "Remote process succeeded. The maximum pictures were taken.");
            MessageDlg(done, mtInformation, mbOK);
            SetStatus(done);
            releaseEnd_ = true;
            return;
        }
        case TTimedCapture::Shoot:
            SetStatus(services_.language().readFormatted(
                remotekey::Section, "statusbar_picture_taken", "Picture %s taken",
                {QString::number(timed_.counter())}));
            takeAndTransfer();
            return;
        case TTimedCapture::Wait:
            return;
        }
    } catch (const ELumvikError& error) {
        LogLine("RxClock_StartIntAlarm. Exception=" + error.message());
        Initvar();
        SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
        throw;
    }
}

void TForm_Remote::StopAlarm() {
    timed_.setPlan(timingPage_->plan());
    if (!timed_.stopAlarmFired(Now()))
        return;
    LogLine("RxClock_StopAlarm. Remote process has stopped due to stop timer");
    Initvar();
    const QString stopped =
        text("infomsg_stop_timer_reached", "Remote process has stopped due to stop timer");
    SetStatus(stopped);
    MessageDlg(stopped, mtInformation, mbOK);
    releaseEnd_ = true;
}

void TForm_Remote::setCountdown(bool on) {
    if (!on) {
        countdown_.reset();
        return;
    }
    countdown_ = TClock::current().periodic(CountdownMs, [this] { countdownTick(); });
}

void TForm_Remote::countdownTick() {
    SetStatus(services_.language().readFormatted(remotekey::Section, "statusbar_remote_next_shot",
                                                 "Time left to next shot is %s",
                                                 {timed_.timeLeft(Now())}));
}
