#pragma once
// The remote control window: four pages over a one-line status bar. "&Remote"
// opens and closes the remote process and takes single pictures, also at
// another program's request through the request file; "&Webcam" keeps one
// file with the latest picture; "&Timing" takes pictures on a schedule;
// "&Parameters" shows and sets the camera's shooting parameters and zoom.
// Each page is a class of its own that builds and reads its controls; the
// camera work is TRemoteSession's, the schedule TTimedCapture's, the
// parameter tables ParameterTable's; the window answers the controls, starts,
// stops and shows.

#include "Clock.h"
#include "RemoteSession.h"
#include "RequestFile.h"
#include "TimedCapture.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QTabWidget;
class TAppServices;
class TCameraSession;
class TParametersPage;
class TRemotePage;
class TTimingPage;
class TWebcamPage;
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
    // The pages and their answers.
    void buildControls();
    void connectRemotePage();
    void connectParametersPage();
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
    void handleRequest(const QString& path);

    // The Parameters page.
    void logRecord(const tsRemoteReleaseParameters& record) const;
    void readCameraParameters();
    void readZoom();

    // The Timing page.
    void startTimedRun();
    void examineAlarms();
    void StartIntAlarm();
    void StopAlarm();
    void countdownTick();
    void setCountdown(bool on);

    TAppServices& services_;
    TCameraSession& camera_;
    TRemoteSession remote_;
    TTimedCapture timed_;
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
    QLabel* StatusBar;        // wraps a long status rather than cutting it at the window's edge
    TRemotePage* remotePage_; // "&Remote"
    TWebcamPage* webcamPage_; // "&Webcam"
    TTimingPage* timingPage_; // "&Timing"
    TParametersPage* parametersPage_; // "&Parameters"
};
