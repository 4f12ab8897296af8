#pragma once
// The program's one session with the camera, owned by the main window: the
// camera SDK's start and finish, the connection with its status texts and log
// lines, the long operations and the hand-over of the bridge's callbacks. The
// camera thread (CameraThread.h) is the bridge's one caller; the window
// thread waits for an operation in a local event loop, so the windows keep
// painting and answering meanwhile. Callbacks arrive on the camera's threads,
// and the session hands them to the window thread: events and progress by
// queued call, viewfinder frames through a one-slot mailbox.
// It shows nothing itself: what the user must see, its owner shows.

#include "tesselink.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

class TAppServices;

// A callback watch (progress, frames); destroying it ends the watch.
class TCallbackWatch {
  public:
    virtual ~TCallbackWatch() = default;
};
using TWatchHandle = std::unique_ptr<TCallbackWatch>;

// One long operation on the camera: what it reports and whether it was asked
// to stop. Its owner keeps it alive while the operation runs.
class TCameraOperation {
  public:
    // The progress in percent, on the window thread, while the operation
    // runs; a report that arrives while an earlier one still waits replaces it.
    std::function<void(int percent)> onProgress;

    // From any thread: the transfer under way ends at its next step (within
    // 50 ms or so) with ECameraCancelled, and so does every later step of the
    // operation; a step that has not begun does not begin.
    void cancel();
    bool cancelled() const;

  private:
    friend class TCameraSession;
    // On the camera thread, around each step: false when it must not begin.
    bool beginStep();
    void endStep();

    mutable std::mutex mutex_;
    bool cancelled_ = false;
    bool stepRunning_ = false;
};

class TCameraSession : public QObject {
    Q_OBJECT
  public:
    // Texts come from the main window's section of the services' language
    // file; status texts go to the services' status bar.
    explicit TCameraSession(TAppServices& services);
    // Stops the callbacks that still reach the session.
    ~TCameraSession() override;

    void StartSDK();
    // Camera events reach cameraEvent() from now until FinishSDK().
    void RegisterEventCallback();
    void FinishSDK();

    // True between a successful Connect_to_tessel and the next Disconnect_from_tessel.
    bool connected() const { return connected_; }
    QString model() const { return model_; }
    // Both raise their failures; connecting twice or disconnecting twice is harmless.
    void Connect_to_tessel();
    void Disconnect_from_tessel();

    // Runs step on the camera thread while the window thread waits in a local
    // event loop, and raises what the step raised. Steps of operations run
    // one at a time in the order asked. A step of a cancelled operation does
    // not begin: it raises ECameraCancelled.
    void perform(TCameraOperation& operation, const std::function<void()>& step);
    // Queues step for the camera thread and returns at once; steps run one at
    // a time in the order asked, between those of perform. When it has run,
    // done gets what it raised (null for nothing) on the window thread; a
    // step of a cancelled operation does not begin and raises ECameraCancelled.
    void queue(std::shared_ptr<TCameraOperation> operation, std::function<void()> step,
               std::function<void(std::exception_ptr failure)> done);

    // While the handle lives, the bridge's progress reports reach onProgress
    // on the caller thread. A report that arrives while an earlier one still
    // waits there replaces it, so a busy caller thread sees only the newest.
    // One watch at a time: a new one ends the previous.
    [[nodiscard]] TWatchHandle watchProgress(std::function<void(int percent)> onProgress);
    // The same for viewfinder frames: each a copy of the camera's buffer; a
    // frame that arrives while the previous one still waits replaces it.
    [[nodiscard]] TWatchHandle watchFrames(std::function<void(const QByteArray& jpeg)> onFrame);

  signals:
    // A camera event, on the caller thread. The owner-name change (event 2,
    // reason 5) has already been read from the camera.
    void cameraEvent(int event, int reason);

  private:
    // On the camera thread: the step between its operation's step brackets.
    static void runStep(TCameraOperation& operation, const std::function<void()>& step);
    QString text(const char* key, const char* def) const;
    void handleEvent(int event, int reason);
    static void eventCallback(int32_t event, int32_t reason);

    TAppServices& services_;
    bool connected_ = false;
    QString model_;
};
