#include "RemoteFlows.h"

#include "CameraClient.h"
#include "CameraSession.h"
#include "Dialogs.h"
#include "Dlg_Remote.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"

namespace {

QString mainText(TAppServices& services, const char* key, const char* def) {
    return services.language().read(TAppServices::MainSection, key, def);
}

void warnWithoutRemoteRelease(TAppServices& services) {
    const QString model = tesselink::GetModel();
    if (tesselink::ReleaseDoSupportRemote())
        return;
    const QString text = services.language().readFormatted(
        TAppServices::MainSection, "errormsg_remote_wrong_cam",
        "You have a %s, and its not able to take remote pictures.%sThe following cameras do "
        "not support this feature Tessel A5/A5 Zoom/A50/Pro70/S10/S20",
        {model, "\n"});
    MessageDlg(text, mtError, mbYes);
    LogLine(text);
}

} // namespace

void TakePictureRemote(const TMainContext& main, const TRemoteSetup& setup, bool autoStart) {
    try {
        TForm_Remote window(main.services, main.session, main.parent);
        if (setup)
            setup(window, main);
        window.setAutoStart(autoStart);
        main.services.SetStatusText(
            mainText(main.services, "statusbar_connects_to_cam", "Connects to camera"));
        main.session.Connect_to_tessel();
        warnWithoutRemoteRelease(main.services);
        ExecModal(window);
        main.session.Disconnect_from_tessel();
    } catch (const ELumvikError& error) {
        LogLine("Takepictureremote1Click. Exception=" + error.message());
        main.services.SetStatusText(
            mainText(main.services, "statusbar_remote_req_connection",
                     "Remote control dialog requires a connection to camera"));
        throw;
    }
}

TMainFlows WithRemoteFlows(TMainFlows flows, TRemoteSetup setup) {
    flows.takePictureRemote = [setup](const TMainContext& main) {
        TakePictureRemote(main, setup, false);
    };
    flows.remoteAtStart = [setup](const TMainContext& main) {
        TakePictureRemote(main, setup, true);
    };
    return flows;
}
