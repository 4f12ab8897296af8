#include "CameraSession.h"

#include "AppServices.h"
#include "CameraClient.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"

#include <QCoreApplication>

#include <mutex>
#include <optional>

namespace {

// A one-slot mailbox from the camera's threads to the caller thread: a value
// put while the previous one still waits replaces it, and only the put that
// finds the slot empty queues a delivery, so the caller thread never has
// more than one delivery of a watch waiting.
template <class T> class THandOver : public TCallbackWatch {
  public:
    struct Slot {
        std::mutex mutex;
        THandOver* watch = nullptr;
        // On a camera thread.
        void hand(T value) {
            const std::lock_guard lock(mutex);
            if (watch)
                watch->put(std::move(value));
        }
    };

    THandOver(Slot& slot, std::function<void(const T&)> deliver)
        : slot_(slot), deliver_(std::move(deliver)) {
        const std::lock_guard lock(slot_.mutex);
        slot_.watch = this;
    }
    ~THandOver() override {
        const std::lock_guard lock(slot_.mutex);
        if (slot_.watch == this)
            slot_.watch = nullptr;
    }

  private:
    void put(T value) {
        const std::lock_guard lock(mutex_);
        const bool queue = !waiting_;
        waiting_ = std::move(value);
        // Queued calls to the context die with it, so none outlives the watch.
        if (queue)
            QMetaObject::invokeMethod(
                &context_, [this] { deliverWaiting(); }, Qt::QueuedConnection);
    }
    void deliverWaiting() {
        std::optional<T> value;
        {
            const std::lock_guard lock(mutex_);
            value.swap(waiting_);
        }
        if (value)
            deliver_(*value);
    }

    Slot& slot_;
    std::function<void(const T&)> deliver_;
    QObject context_; // on the caller thread, which made the watch
    std::mutex mutex_;
    std::optional<T> waiting_;
};

THandOver<int>::Slot progressSlot;
THandOver<QByteArray>::Slot frameSlot;

void progressCallback(int32_t progress) {
    progressSlot.hand(progress);
}

// The camera's buffer is valid only during the call.
void frameCallback(const uint8_t* frame, int32_t length) {
    frameSlot.hand(QByteArray(reinterpret_cast<const char*>(frame), length));
}

// The session that receives the camera's events, from the event callback's
// registration until the camera SDK finishes.
std::mutex eventTargetMutex;
TCameraSession* eventTarget = nullptr;

void setEventTarget(TCameraSession* session) {
    const std::lock_guard lock(eventTargetMutex);
    eventTarget = session;
}

} // namespace

TCameraSession::TCameraSession(TAppServices& services) : services_(services) {}

TCameraSession::~TCameraSession() {
    const std::lock_guard lock(eventTargetMutex);
    if (eventTarget == this)
        eventTarget = nullptr;
}

QString TCameraSession::text(const char* key, const char* def) const {
    return services_.language().read(TAppServices::MainSection, key, def);
}

void TCameraSession::StartSDK() {
    tesselink::StartSDK();
}

void TCameraSession::RegisterEventCallback() {
    setEventTarget(this);
    tsRegisterEventCallbackFunction(eventCallback);
}

void TCameraSession::FinishSDK() {
    setEventTarget(nullptr);
    tesselink::FinishSDK();
}

// On the camera's event thread: only the log line, then the hand-over.
void TCameraSession::eventCallback(int32_t event, int32_t reason) {
    LogLine("Callback Event=" + QString::number(event) + "Reason =" + QString::number(reason));
    const std::lock_guard lock(eventTargetMutex);
    if (TCameraSession* session = eventTarget)
        QMetaObject::invokeMethod(
            session, [session, event, reason] { session->handleEvent(event, reason); },
            Qt::QueuedConnection);
}

void TCameraSession::handleEvent(int event, int reason) {
    if (event == 2 && reason == 5) {
        // Only read: the owner name has changed on the camera.
        try {
            tesselink::GetOwnerName();
        } catch (const ELumvikError& error) {
            LogLine("CameraEventCallback. Exception=" + error.message());
        }
    }
    emit cameraEvent(event, reason);
}

void TCameraSession::Connect_to_tessel() {
    if (connected_)
        return;
    try {
        tesselink::Connect();
        services_.SetStatusText(text("statusbar_connected", "Camera is connected"));
        connected_ = true;
        model_ = tesselink::GetModel();
        LogLine("Camera model=" + model_);
        LogLine("Camera transfermode=" + tesselink::GetPort());
        LogLine("Camera name=" + tesselink::GetOwnerName());
        LogLine("Camera connected");
    } catch (const ELumvikError& error) {
        LogLine("Connect_to_tessel. Exception=" + error.message());
        services_.SetStatusText(text("statusbar_connection_failed", "Connection to camera failed"));
        connected_ = false;
        throw EInOutError(text("errormsg_problems_contacting_cam",
                               "Error communicating with camera. Is it connected to computer? "
                               "Try restart camera and restart Lumvik utilities"));
    }
}

void TCameraSession::Disconnect_from_tessel() {
    if (!connected_) {
        services_.SetStatusText(
            text("statusbar_cam_already_disconnected", "Camera already disconnected"));
        return;
    }
    connected_ = false;
    try {
        tesselink::Disconnect();
        services_.SetStatusText(text("statusbar_disconnected", "Camera is disconnected"));
        LogLine("Camera is disconnected");
    } catch (const ELumvikError& error) {
        LogLine("Disconnect_from_tessel. Exception=" + error.message());
        services_.SetStatusText(text("statusbar_comm_error", "Camera communication error"));
        throw;
    }
}

// The bridge's stop request is raised only while a step of this operation
// runs and cleared at its end, so it never reaches another operation.
void TCameraOperation::cancel() {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (stepRunning_)
        tsCancel();
}

bool TCameraOperation::cancelled() const {
    const std::lock_guard lock(mutex_);
    return cancelled_;
}

bool TCameraOperation::beginStep() {
    const std::lock_guard lock(mutex_);
    tsClearCancel();
    stepRunning_ = !cancelled_;
    return stepRunning_;
}

void TCameraOperation::endStep() {
    const std::lock_guard lock(mutex_);
    stepRunning_ = false;
    tsClearCancel();
}

void TCameraSession::runStep(TCameraOperation& operation, const std::function<void()>& step) {
    try {
        if (!operation.beginStep())
            throw ECameraCancelled("Stopped");
        step();
    } catch (...) {
        operation.endStep();
        throw;
    }
    operation.endStep();
}

void TCameraSession::perform(TCameraOperation& operation, const std::function<void()>& step) {
    const TWatchHandle watch = operation.onProgress ? watchProgress(operation.onProgress) : nullptr;
    cameraThread::Call([&] { runStep(operation, step); });
}

void TCameraSession::queue(std::shared_ptr<TCameraOperation> operation, std::function<void()> step,
                           std::function<void(std::exception_ptr failure)> done) {
    cameraThread::Post([operation = std::move(operation), step = std::move(step),
                        done = std::move(done)] {
        std::exception_ptr failure;
        try {
            runStep(*operation, step);
        } catch (...) {
            failure = std::current_exception();
        }
        // The application outlives every window: the answer has a receiver
        // however soon its asker goes.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done, failure] { done(failure); }, Qt::QueuedConnection);
    });
}

TWatchHandle TCameraSession::watchProgress(std::function<void(int percent)> onProgress) {
    auto watch = std::make_unique<THandOver<int>>(progressSlot, std::move(onProgress));
    tsRegisterProgressCallbackFunction(progressCallback);
    return watch;
}

TWatchHandle TCameraSession::watchFrames(std::function<void(const QByteArray& jpeg)> onFrame) {
    auto watch = std::make_unique<THandOver<QByteArray>>(frameSlot, std::move(onFrame));
    tsRegisterViewfinderCallbackFunction(frameCallback);
    return watch;
}
