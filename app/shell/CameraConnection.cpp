#include "CameraConnection.h"

#include "CameraSession.h"
#include "Dialogs.h"
#include "LanguageFile.h"
#include "MainDlg.h"
#include "ThreadMessage.h"

namespace {

QString mainText(const TLanguageFile& language, const char* key, const char* def) {
    return language.read(TForm_main::Section, key, def);
}

// The shutdown text by reason.
QString shutdownText(const TLanguageFile& language, int reason) {
    switch (reason) {
    case 1:
        return mainText(language, "infomsg_battery_critical", "Battery level is critical");
    case 3:
        return mainText(language, "infomsg_pcholder_open", "PC-Card holder open");
    case 4:
        return mainText(language, "infomsg_batteryholder_open", "Battery holder open");
    case 13:
        return mainText(language, "infomsg_USB_disconnected", "USB connection lost");
    default:
        return language.readFormatted(TForm_main::Section, "infomsg_camera_has_disconnect",
                                      "Camera has shut down, reason = %s",
                                      {QString::number(reason)});
    }
}

} // namespace

void PostCameraEvent(TMessageThread& thread, const TLanguageFile& language, int event, int reason) {
    const QString caption = mainText(language, "infomsg_camera_event", "Camera event");
    if (event == 2 && reason == 1)
        thread.post(mainText(language, "infomsg_battery_weak", "Battery level is weak"), caption,
                    MB_ICONWARNING);
    else if (event == 4)
        thread.post(shutdownText(language, reason), caption, MB_ICONERROR);
}

TMainFlows WithCameraConnection(TMainFlows flows) {
    flows.startSDK = [](const TMainContext& c) { c.session.StartSDK(); };
    flows.registerEventCallback = [](const TMainContext& c) { c.session.RegisterEventCallback(); };
    flows.finishSDK = [](const TMainContext& c) { c.session.FinishSDK(); };
    flows.connect = [](const TMainContext& c) { c.session.Connect_to_tessel(); };
    flows.disconnect = [](const TMainContext& c) { c.session.Disconnect_from_tessel(); };
    return flows;
}
