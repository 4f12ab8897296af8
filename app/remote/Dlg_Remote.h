#pragma once
// The remote control window: four pages over a one-line status bar. "&Remote"
// opens and closes the remote process and takes single pictures, also at
// another program's request through the request file; "&Webcam" keeps one
// file with the latest picture; "&Timing" takes pictures on a schedule;
// "&Parameters" shows and sets the camera's shooting parameters and zoom.
// The camera work is TRemoteSession's, the schedule TTimedCapture's, the
// parameter tables ParameterTable's; the window starts, stops and shows.

#include "Clock.h"
#include "ParameterTable.h"
#include "RemoteSession.h"
#include "RequestFile.h"
#include "TimedCapture.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QGroupBox;
class TAppServices;
class TCameraSession;
class TWindowLocaliser;

class TForm_Remote : public QDialog {
    Q_OBJECT
  public:
    // FormCreate: the settings into the controls, the request poll and the
    // alarm examinations started.
    TForm_Remote(TAppServices& services, TCameraSession& session, QWidget* parent = nullptr);
    // FormDestroy: the window's size and settings stored.
    ~TForm_Remote() override;

    // Start the remote process by itself at the next show ("/remote").
    void setAutoStart(bool on) { autoStart_ = on; }

    // "Start ViewFinder" sets the viewfinder-open flag and calls this, which
    // shows the viewfinder window without waiting.
    std::function<void()> startViewFinder;
    // Called to close the viewfinder window when the remote process stops or
    // this window closes.
    std::function<void()> closeViewFinder;
    // The viewfinder window clears the flag when it closes; while it is set,
    // a zoom change pauses the viewfinder around the zoom command.
    void setViewFinderOpen(bool open) { viewFinderOpen_ = open; }
    bool viewFinderOpen() const { return viewFinderOpen_; }

    // Handlers, named after their controls.
    void FormShow();
    void Button_StartRemoteProcessClick();
    void Button_TakePicClick();
    void ButtonViewFinderClick();
    void DirectoryEditExit();
    void CheckBox_ShowHintClick();
    void Button_StartAutoTrfClick();
    void ButtonGetCamSetClick();
    void ButtonSetCameraSettingsClick();
    void TrackBarZoomChange(int position);
    // One look for the request file; the 250 ms poll calls it.
    void TimerRequestTimer();
    // FormClose: every way of closing the window ends here.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Building the pages.
    void buildControls();
    QWidget* remotePage();
    QWidget* webcamPage();
    QWidget* timingPage();
    QWidget* parametersPage();
    void readSettings();
    void writeSettings();
    QString text(const char* key, const char* def) const;
    void localiseLists();
    void SetStatus(const QString& status);
    void SetHint(bool on);
    void EnableButtoms(bool on);

    // The remote process and one release.
    void StartReleasePic();
    void StopReleasePic();
    void Initvar();
    void TakePicture();
    void PictureTaken();
    void takeAndTransfer();
    TShot shot() const;
    void showPreview(const QString& thumbnail);
    void handleRequest(const QString& path);

    // The Parameters page.
    void fillBoxes();
    void showRecord(const tsRemoteReleaseParameters& record);
    tsRemoteReleaseParameters collectRecord() const;
    void logRecord(const tsRemoteReleaseParameters& record) const;
    void readCameraParameters();
    void readZoom();
    void hideZoom();
    bool rawSelected() const;

    // The Timing page.
    void startTimedRun();
    void examineAlarms();
    void StartIntAlarm();
    void StopAlarm();
    void countdownTick();
    void setCountdown(bool on);
    TTimedPlan plan() const;
    void timingDatesToToday();

    TAppServices& services_;
    TCameraSession& camera_;
    TRemoteSession remote_;
    TTimedCapture timed_;
    TParameterTexts parameterTexts_;
    tsRemoteAvailArrayReleaseParameters available_;
    std::unique_ptr<TWindowLocaliser> texts_;
    TTimerHandle requestPoll_;
    TTimerHandle alarmClock_;
    TTimerHandle countdown_;

    bool releaseEnd_ = false; // mReleaseEnd: end the run after this picture
    bool autoStart_ = false;
    bool firstShow_ = true;
    bool zoomSupported_ = false;
    bool viewFinderOpen_ = false;
    bool handlingRequest_ = false;
    QString requestedName_;
    bool convertToBmp_ = false;
    std::optional<TRequestStamp> undeletedRequest_; // taken, but still there
    QString startProcessText_, stopProcessText_, startTakingText_, stopTakingText_;

    QTabWidget* PageControl;
    QLabel* StatusBar; // wraps a long status rather than cutting it at the window's edge
    // "&Remote"
    QComboBox* ComboBox_TransMode;
    QCheckBox* CheckBox_ShowHintRemote;
    QCheckBox* CheckBoxShutDown;
    QCheckBox* CheckBoxEnableParameters;
    QLabel* Image;
    QPushButton* Button_StartRemoteProcess;
    QPushButton* Button_TakePic;
    QPushButton* ButtonViewFinder;
    QLineEdit* DirectoryEdit;
    QProgressBar* ProgressBar;
    QPushButton* BitBtn_Close;
    // "&Webcam"
    QCheckBox* CheckBox_DeleteCamPic;
    QLineEdit* Edit_Webcamname;
    QSpinBox* SpinEdit_Compression;
    QComboBox* ComboBox_Resize;
    // "&Timing"
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
    // "&Parameters"
    std::array<QComboBox*, ParameterBoxCount> boxes_{};
    QCheckBox* CheckBoxBeep;
    QLabel* LabelZoom;
    QSlider* TrackBarZoom;
    QLabel* LabelZoomPos;
    QPushButton* ButtonGetCamSet;
    QPushButton* ButtonSetCameraSettings;
};
