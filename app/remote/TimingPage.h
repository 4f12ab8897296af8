#pragma once
// The "&Timing" page of the remote control window: the clock, and the
// schedule of a timed run (start, interval, stop, number of pictures) with
// the button that starts and stops it. The window answers the button.

#include "TimedCapture.h"

#include <QWidget>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class TWindowLocaliser;

class TTimingPage : public QWidget {
  public:
    // Builds the controls with their design texts and enters their keys in
    // the window's texts. Each "Use" box enables the fields it governs.
    TTimingPage(QWidget* parent, TWindowLocaliser& texts);

    // The schedule as the page shows it.
    TTimedPlan plan() const;
    // The start and stop dates to now's day, and the clock to now.
    void showToday(const QDateTime& now);
    void showClock(const QDateTime& now);

    QLabel* RxClock_StartInt;
    QGroupBox* GroupBox_Auto;
    QCheckBox* CheckBox_Start;
    QDateEdit* DateEdit_Start;
    QSpinBox *SpinEdit_StartHour, *SpinEdit_StartMin, *SpinEdit_StartSec;
    QSpinBox *SpinEdit_IntHour, *SpinEdit_IntMin, *SpinEdit_IntSec;
    QCheckBox* CheckBox_Stop;
    QDateEdit* DateEdit_Stop;
    QSpinBox *SpinEdit_StopHour, *SpinEdit_StopMin, *SpinEdit_StopSec;
    QCheckBox* CheckBox_NrOfPic;
    QSpinBox* SpinEdit_NrOfPic;
    QPushButton* Button_StartAutoTrf;

  private:
    void layOut(TWindowLocaliser& texts);
};
