#pragma once
// The file manager's side of the CD writer: finds a writer at activation,
// mirrors the received files into a disc layout, asks for a disc with room,
// writes the layout as a new session behind the disc's earlier ones and
// reports the write's progress and end. Shows nothing itself: the window
// behind TCDBurnWindow does.

#include "Clock.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class TLanguageFile;
class TMCDBurner;

class TCDBurnWindow {
  public:
    virtual ~TCDBurnWindow() = default;
    // Shows or hides the Burn CD check box.
    virtual void showBurnOption(bool shown) = 0;
    virtual void uncheckBurnOption() = 0;
    virtual void setBurnStatus(const QString& text) = 0;
    // An information box with OK and Cancel; true on OK.
    virtual bool askForMedium(const QString& text) = 0;
    virtual void showBurnError(const QString& text) = 0;
    virtual void showBurnInformation(const QString& text) = 0;
    virtual void bringToFront() = 0;
    // The write has ended: the window is idle again.
    virtual void burnFinished() = 0;
};

class TCDBurnStep {
  public:
    TCDBurnStep(TCDBurnWindow& window, const TLanguageFile& language);
    ~TCDBurnStep();

    // The free 2048-byte blocks of the disc in the writer.
    std::function<qint64()> freeBlocks;

    void detectWriter();
    void newLayout();
    void add(const QString& discDirectory, const QString& path);
    // Waits for a disc with room for `selectedTotal` bytes and starts the
    // write; false when the user cancels at the medium question. A disc that
    // cannot take the session ends the burn as a failed write does, with
    // burnFinished.
    bool burn(qint64 selectedTotal);
    bool writing() const;
    TMCDBurner& engine() { return *engine_; }

  private:
    bool waitForRoom(qint64 selectedTotal);
    void showProgress();
    void finalizingTrack();
    void writeDone(const QString& error);
    QString sessionsWritten(int sessions) const;
    QString text(const char* key, const char* def) const;

    TCDBurnWindow& window_;
    const TLanguageFile& language_;
    std::unique_ptr<TMCDBurner> engine_;
    TTimerHandle progressTimer_; // TimerCDBurn
    int sessionsBefore_ = 0;     // on the disc when the write started
    QObject queue_;              // queued calls to the step arrive here
};
