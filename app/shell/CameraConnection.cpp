#include "CameraConnection.h"

#include "CameraClient.h"
#include "Dialogs.h"
#include "Errors.h"
#include "Log.h"
#include "ThreadMessage.h"

#include <mutex>

namespace {

// The window that receives the camera's events, from the event callback's
// registration until the camera SDK finishes.
std::mutex eventTargetMutex;
TForm_main* eventTarget = nullptr;

void setEventTarget(TForm_main* window) {
    const std::lock_guard lock(eventTargetMutex);
    eventTarget = window;
}

QString mainText(const TForm_main& window, const char* key, const char* def) {
    return window.language().read(TForm_main::Section, key, def);
}

// The shutdown text by reason.
QString shutdownText(const TForm_main& window, int32_t reason) {
    switch (reason) {
    case 1:
        return mainText(window, "infomsg_battery_critical", "Battery level is critical");
    case 3:
        return mainText(window, "infomsg_pcholder_open", "PC-Card holder open");
    case 4:
        return mainText(window, "infomsg_batteryholder_open", "Battery holder open");
    case 13:
        return mainText(window, "infomsg_USB_disconnected", "USB connection lost");
    default:
        return window.language().readFormatted(TForm_main::Section, "infomsg_camera_has_disconnect",
                                               "Camera has shut down, reason = %s",
                                               {QString::number(reason)});
    }
}

// The event on the window's thread, where the bridge may be called.
void handleCameraEvent(TForm_main& window, int32_t event, int32_t reason) {
    const QString caption = mainText(window, "infomsg_camera_event", "Camera event");
    const auto post = [&window, &caption](const QString& text, quint32 flags) {
        if (TMessageThread* thread = window.messageThread())
            thread->post(text, caption, flags);
    };
    if (event == 2 && reason == 1) {
        post(mainText(window, "infomsg_battery_weak", "Battery level is weak"), MB_ICONWARNING);
    } else if (event == 2 && reason == 5) {
        // Only read: the owner name has changed on the camera.
        try {
            tesselink::GetOwnerName();
        } catch (const ELumvikError& error) {
            LogLine("CameraEventCallback. Exception=" + error.message());
        }
    } else if (event == 4) {
        post(shutdownText(window, reason), MB_ICONERROR);
    }
}

} // namespace

void CameraEventCallback(int32_t event, int32_t reason) {
    LogLine("Callback Event=" + QString::number(event) + "Reason =" + QString::number(reason));
    const std::lock_guard lock(eventTargetMutex);
    if (TForm_main* window = eventTarget)
        QMetaObject::invokeMethod(
            window, [window, event, reason] { handleCameraEvent(*window, event, reason); },
            Qt::QueuedConnection);
}

TMainFlows WithCameraConnection(TMainFlows flows) {
    flows.startSDK = [](TForm_main&) { tesselink::StartSDK(); };
    flows.registerEventCallback = [](TForm_main& window) {
        setEventTarget(&window);
        tsRegisterEventCallbackFunction(CameraEventCallback);
    };
    flows.finishSDK = [](TForm_main&) {
        setEventTarget(nullptr);
        tesselink::FinishSDK();
    };
    flows.connect = [](TForm_main& window) { window.Connect_to_tessel(); };
    flows.disconnect = [](TForm_main& window) { window.Disconnect_from_tessel(); };
    return flows;
}

void TForm_main::Connect_to_tessel() {
    if (connected)
        return;
    try {
        tesselink::Connect();
        SetStatusText(mainText(*this, "statusbar_connected", "Camera is connected"));
        connected = true;
        cameraModel = tesselink::GetModel();
        LogLine("Camera model=" + cameraModel);
        LogLine("Camera transfermode=" + tesselink::GetPort());
        LogLine("Camera name=" + tesselink::GetOwnerName());
        LogLine("Camera connected");
    } catch (const ELumvikError& error) {
        LogLine("Connect_to_tessel. Exception=" + error.message());
        SetStatusText(
            mainText(*this, "statusbar_connection_failed", "Connection to camera failed"));
        connected = false;
        throw EInOutError(mainText(*this, "errormsg_problems_contacting_cam",
                                   "Error communicating with camera. Is it connected to computer? "
                                   "Try restart camera and restart Lumvik utilities"));
    }
}

void TForm_main::Disconnect_from_tessel() {
    if (!connected) {
        SetStatusText(
            mainText(*this, "statusbar_cam_already_disconnected", "Camera already disconnected"));
        return;
    }
    connected = false;
    try {
        tesselink::Disconnect();
        SetStatusText(mainText(*this, "statusbar_disconnected", "Camera is disconnected"));
        LogLine("Camera is disconnected");
    } catch (const ELumvikError& error) {
        LogLine("Disconnect_from_tessel. Exception=" + error.message());
        SetStatusText(mainText(*this, "statusbar_comm_error", "Camera communication error"));
        throw;
    }
}
