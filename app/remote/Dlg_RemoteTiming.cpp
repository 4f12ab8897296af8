// The "&Timing" page of the remote control window: the timed run's controls,
// its toggle, the two alarms and the countdown.

#include "Dlg_Remote.h"

#include "AppException.h"
#include "AppServices.h"
#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "RemoteKeys.h"
#include "RemoteWidgets.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>
#include <vector>

namespace {

constexpr int CountdownMs = 1000;

QSpinBox* spin(QWidget* parent, const char* name, int maximum, int value = 0) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, maximum);
    box->setValue(value);
    return box;
}

QDateEdit* dateField(QWidget* parent, const char* name) {
    auto* field = new QDateEdit(parent);
    field->setObjectName(name);
    field->setCalendarPopup(true);
    return field;
}

QDateTime momentOf(const QDate& date, const QSpinBox* hour, const QSpinBox* minute,
                   const QSpinBox* second) {
    return QDateTime(date, QTime(hour->value(), minute->value(), second->value()));
}

} // namespace

QWidget* TForm_Remote::timingPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheetTiming");
    RxClock_StartInt = new QLabel(page);
    RxClock_StartInt->setObjectName("RxClock_StartInt");
    RxClock_StartInt->setAlignment(Qt::AlignCenter);
    QFont clockFont = RxClock_StartInt->font();
    clockFont.setPointSize(clockFont.pointSize() * 2);
    RxClock_StartInt->setFont(clockFont);
    GroupBox_Auto = new QGroupBox("Remote process", page);
    GroupBox_Auto->setObjectName("GroupBox_Auto");
    GroupBox_Auto->setToolTip("Takes pictures on a schedule");
    CheckBox_Start = checkBox(GroupBox_Auto, "CheckBox_Start", "&Use start",
                              "Take the first picture at the start time", true);
    DateEdit_Start = dateField(GroupBox_Auto, "DateEdit_Start");
    SpinEdit_StartHour = spin(GroupBox_Auto, "SpinEdit_StartHour", 23);
    SpinEdit_StartMin = spin(GroupBox_Auto, "SpinEdit_StartMin", 59);
    SpinEdit_StartSec = spin(GroupBox_Auto, "SpinEdit_StartSec", 59);
    SpinEdit_IntHour = spin(GroupBox_Auto, "SpinEdit_IntHour", 23);
    SpinEdit_IntMin = spin(GroupBox_Auto, "SpinEdit_IntMin", 59);
    SpinEdit_IntSec = spin(GroupBox_Auto, "SpinEdit_IntSec", 59);
    CheckBox_Stop = checkBox(GroupBox_Auto, "CheckBox_Stop", "Use &stop",
                             "Stop taking pictures at the stop time", true);
    DateEdit_Stop = dateField(GroupBox_Auto, "DateEdit_Stop");
    SpinEdit_StopHour = spin(GroupBox_Auto, "SpinEdit_StopHour", 23);
    SpinEdit_StopMin = spin(GroupBox_Auto, "SpinEdit_StopMin", 59);
    SpinEdit_StopSec = spin(GroupBox_Auto, "SpinEdit_StopSec", 59);
    CheckBox_NrOfPic = checkBox(GroupBox_Auto, "CheckBox_NrOfPic", "Use &max numbers of pictures",
                                "Stop after this number of pictures", true);
    SpinEdit_NrOfPic =
        spin(GroupBox_Auto, "SpinEdit_NrOfPic", std::numeric_limits<int>::max(), 100);
    SpinEdit_NrOfPic->setMinimum(std::numeric_limits<int>::min());
    Button_StartAutoTrf = new QPushButton("Start taking pictures remote", GroupBox_Auto);
    Button_StartAutoTrf->setObjectName("Button_StartAutoTrf");
    Button_StartAutoTrf->setToolTip("Starts or stops taking pictures on the schedule");

    const auto label = [this](const char* name, const char* caption) {
        return named(new QLabel(caption, GroupBox_Auto), name);
    };
    QLabel* hourLabel = label("Label_Hour", "hour");
    QLabel* minLabel = label("Label_Min", "min");
    QLabel* secLabel = label("Label_Sec", "sec");
    QLabel* startLabel = label("Label_Start", "Start:");
    QLabel* intervalLabel = label("Label_Interval", "Interval:");
    QLabel* stopLabel = label("Label_Stop", "Stop:");

    auto* grid = new QGridLayout(GroupBox_Auto);
    grid->addWidget(CheckBox_Start, 0, 0, 1, 4);
    grid->addWidget(startLabel, 1, 0);
    grid->addWidget(DateEdit_Start, 1, 1, 1, 3);
    grid->addWidget(hourLabel, 2, 1);
    grid->addWidget(minLabel, 2, 2);
    grid->addWidget(secLabel, 2, 3);
    const auto row = [grid](int r, QWidget* label, QSpinBox* h, QSpinBox* m, QSpinBox* s) {
        if (label)
            grid->addWidget(label, r, 0);
        grid->addWidget(h, r, 1);
        grid->addWidget(m, r, 2);
        grid->addWidget(s, r, 3);
    };
    row(3, nullptr, SpinEdit_StartHour, SpinEdit_StartMin, SpinEdit_StartSec);
    row(4, intervalLabel, SpinEdit_IntHour, SpinEdit_IntMin, SpinEdit_IntSec);
    grid->addWidget(CheckBox_Stop, 5, 0, 1, 4);
    grid->addWidget(stopLabel, 6, 0);
    grid->addWidget(DateEdit_Stop, 6, 1, 1, 3);
    row(7, nullptr, SpinEdit_StopHour, SpinEdit_StopMin, SpinEdit_StopSec);
    grid->addWidget(CheckBox_NrOfPic, 8, 0, 1, 3);
    grid->addWidget(SpinEdit_NrOfPic, 8, 3);
    grid->addWidget(Button_StartAutoTrf, 9, 0, 1, 4);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(RxClock_StartInt);
    layout->addWidget(GroupBox_Auto);
    layout->addStretch(1);

    const auto enables = [this](QCheckBox* box, std::vector<QWidget*> fields) {
        connect(box, &QCheckBox::toggled, this, [fields](bool on) {
            for (QWidget* field : fields)
                field->setEnabled(on);
        });
    };
    enables(CheckBox_Start,
            {DateEdit_Start, SpinEdit_StartHour, SpinEdit_StartMin, SpinEdit_StartSec});
    enables(CheckBox_Stop, {DateEdit_Stop, SpinEdit_StopHour, SpinEdit_StopMin, SpinEdit_StopSec});
    enables(CheckBox_NrOfPic, {SpinEdit_NrOfPic});
    connect(Button_StartAutoTrf, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::Button_StartAutoTrfClick));
    texts_->text(GroupBox_Auto, "remote_process_groupbox")
        .text(CheckBox_Start, "use_start_checkbox")
        .text(startLabel, "start_label")
        .text(hourLabel, "hour_label")
        .text(minLabel, "min_label")
        .text(secLabel, "sec_label")
        .text(intervalLabel, "interval_level")
        .text(CheckBox_Stop, "use_stop_checkbox")
        .text(stopLabel, "stop_label")
        .text(CheckBox_NrOfPic, "use_max_nr_of_pics")
        .hint(GroupBox_Auto, "hint_remote_process_groupbox")
        .hint(CheckBox_Start, "hint_use_start")
        .hint(CheckBox_Stop, "hint_use_stop")
        .hint(CheckBox_NrOfPic, "hint_use_max_nr_of_pics")
        .hint(Button_StartAutoTrf, "hint_start_taking_pic_remote");
    return page;
}

void TForm_Remote::timingDatesToToday() {
    const QDate today = Now().date();
    DateEdit_Start->setDate(today);
    DateEdit_Stop->setDate(today);
    RxClock_StartInt->setText(Now().time().toString("HH:mm:ss"));
}

TTimedPlan TForm_Remote::plan() const {
    TTimedPlan plan;
    plan.intervalSeconds = IntervalSeconds(SpinEdit_IntHour->value(), SpinEdit_IntMin->value(),
                                           SpinEdit_IntSec->value());
    plan.useStart = CheckBox_Start->isChecked();
    plan.start =
        momentOf(DateEdit_Start->date(), SpinEdit_StartHour, SpinEdit_StartMin, SpinEdit_StartSec);
    plan.useStop = CheckBox_Stop->isChecked();
    plan.stop =
        momentOf(DateEdit_Stop->date(), SpinEdit_StopHour, SpinEdit_StopMin, SpinEdit_StopSec);
    plan.useMaxCount = CheckBox_NrOfPic->isChecked();
    plan.maxCount = SpinEdit_NrOfPic->value();
    return plan;
}

void TForm_Remote::Button_StartAutoTrfClick() {
    const bool starting = !timed_.active();
    try {
        if (starting) {
            startTimedRun();
            return;
        }
        LogLine("Button stop remote process clicked");
        SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
        Button_StartAutoTrf->setText(startTakingText_);
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
    const int h = SpinEdit_IntHour->value(), m = SpinEdit_IntMin->value(),
              s = SpinEdit_IntSec->value();
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
    const TTimedPlan run = plan();
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
    Button_StartAutoTrf->setText(stopTakingText_);
}

void TForm_Remote::examineAlarms() {
    const QDateTime now = Now();
    RxClock_StartInt->setText(now.time().toString("HH:mm:ss"));
    const TTimedCapture::Fired fired = timed_.examine(now);
    if (fired.start)
        RunGuarded([this] { StartIntAlarm(); });
    if (fired.stop)
        RunGuarded([this] { StopAlarm(); });
}

void TForm_Remote::StartIntAlarm() {
    try {
        timed_.setPlan(plan());
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
    timed_.setPlan(plan());
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
