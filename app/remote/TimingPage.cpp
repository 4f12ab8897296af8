#include "TimingPage.h"

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

// Enables the fields while the box is ticked.
void enables(QCheckBox* box, std::vector<QWidget*> fields) {
    QObject::connect(box, &QCheckBox::toggled, box, [fields](bool on) {
        for (QWidget* field : fields)
            field->setEnabled(on);
    });
}

} // namespace

TTimingPage::TTimingPage(QWidget* parent, TWindowLocaliser& texts) : QWidget(parent) {
    setObjectName("TabSheetTiming");
    RxClock_StartInt = new QLabel(this);
    RxClock_StartInt->setObjectName("RxClock_StartInt");
    RxClock_StartInt->setAlignment(Qt::AlignCenter);
    QFont clockFont = RxClock_StartInt->font();
    clockFont.setPointSize(clockFont.pointSize() * 2);
    RxClock_StartInt->setFont(clockFont);
    GroupBox_Auto = new QGroupBox("Remote process", this);
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
    layOut(texts);
    enables(CheckBox_Start,
            {DateEdit_Start, SpinEdit_StartHour, SpinEdit_StartMin, SpinEdit_StartSec});
    enables(CheckBox_Stop, {DateEdit_Stop, SpinEdit_StopHour, SpinEdit_StopMin, SpinEdit_StopSec});
    enables(CheckBox_NrOfPic, {SpinEdit_NrOfPic});
    texts.hint(GroupBox_Auto, "hint_remote_process_groupbox")
        .hint(CheckBox_Start, "hint_use_start")
        .hint(CheckBox_Stop, "hint_use_stop")
        .hint(CheckBox_NrOfPic, "hint_use_max_nr_of_pics")
        .hint(Button_StartAutoTrf, "hint_start_taking_pic_remote");
}

// The group's grid with its labels, and the clock above it.
void TTimingPage::layOut(TWindowLocaliser& texts) {
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
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(RxClock_StartInt);
    layout->addWidget(GroupBox_Auto);
    layout->addStretch(1);
    texts.text(GroupBox_Auto, "remote_process_groupbox")
        .text(CheckBox_Start, "use_start_checkbox")
        .text(startLabel, "start_label")
        .text(hourLabel, "hour_label")
        .text(minLabel, "min_label")
        .text(secLabel, "sec_label")
        .text(intervalLabel, "interval_level")
        .text(CheckBox_Stop, "use_stop_checkbox")
        .text(stopLabel, "stop_label")
        .text(CheckBox_NrOfPic, "use_max_nr_of_pics");
}

TTimedPlan TTimingPage::plan() const {
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

void TTimingPage::showToday(const QDateTime& now) {
    DateEdit_Start->setDate(now.date());
    DateEdit_Stop->setDate(now.date());
    showClock(now);
}

void TTimingPage::showClock(const QDateTime& now) {
    RxClock_StartInt->setText(now.time().toString("HH:mm:ss"));
}
