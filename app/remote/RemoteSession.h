#pragma once
// The camera's side of the remote control window: release control (the
// remote process), one release with its parameters, and the transfer of what
// it gave into files on the computer. It shows nothing; the window shows
// states, texts and the preview.

#include "ReleaseParameters.h"
#include "WebcamPicture.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class TAppServices;
class TCameraOperation;
class TCameraSession;

// The transfer modes, in the order of the window's list; the index is what
// the bridge takes as the destination.
enum TTransferMode { OnlyToPC = 0, ToPCAndCamera = 1, ToCameraOnly = 2 };

// How the pictures of a release are named and what goes with them.
struct TShot {
    int mode = OnlyToPC;
    QString directory;
    QString requestedName; // from the request file; empty: "Pic_" names
    bool convertToBmp = false;
    bool raw = false; // the Quality box shows RAW
    int counter = 0;
    TWebcamOptions webcam;
};

// What release control offers, asked when it is entered.
struct TRemoteFaculties {
    bool zoom = false;
    bool viewFinder = false;
};

class TRemoteSession {
  public:
    // The release and the fetches of a shot run through the camera session,
    // with the shot's progress reported to onProgress.
    TRemoteSession(TAppServices& services, TCameraSession& camera);
    ~TRemoteSession();

    std::function<void(int percent)> onProgress;
    // Stops the shot's fetch under way at once (the window closes).
    void CancelShot();

    bool processActive() const { return processActive_; }
    bool releaseEntered() const { return releaseEntered_; }
    bool busy() const { return busy_; }
    void setBusy(bool busy) { busy_ = busy; }

    // Opens the remote process in the mode. The directory must exist unless
    // the mode keeps pictures on the camera only (range error otherwise).
    // No zoom for a camera whose model begins with "EOS".
    TRemoteFaculties StartReleasePic(int mode, const QString& directory);
    // Closes the remote process if one is open.
    void StopReleasePic();
    // Leaves release control for the pause between timed shots; the next
    // TakePicture enters it again.
    void LeaveBetweenShots();

    // Sends the parameters, stores them (with the zoom when it is offered)
    // and releases the shutter.
    void TakePicture(int mode, const tsRemoteReleaseParameters& parameters, bool zoomSupported,
                     int zoom, int maxZoom);
    // Fetches the thumbnail (handed to showThumbnail, which may raise) and
    // the picture of the last release and writes the files shot asks for.
    // Returns the picture's path, empty in the mode "To camera only".
    QString TransferPicture(const TShot& shot,
                            const std::function<void(const QString&)>& showThumbnail);

    // Seconds since the last release request, for the log's timing lines.
    QString elapsed() const;

  private:
    void logTime(const QString& what) const;
    QString picturePath(const TShot& shot) const;
    void fetchPicture(const QString& path, bool replace);
    void fetchFurtherFiles(const QString& path);
    void writeCompanions(const TShot& shot, const QString& path, const QString& thumbnail);
    // Runs a camera step of the shot while the window keeps answering.
    void perform(const std::function<void()>& step);

    TAppServices& services_;
    TCameraSession& camera_;
    std::unique_ptr<TCameraOperation> shot_; // of the last release
    bool processActive_ = false;
    bool releaseEntered_ = false;
    bool busy_ = false;
    QDateTime timingReference_;
};
