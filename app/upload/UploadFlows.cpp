#include "UploadFlows.h"

#include "CameraClient.h"
#include "CameraSession.h"
#include "Dialogs.h"
#include "Dlg_Upload.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"

namespace {

void showStatus(TAppServices& services, const char* key, const char* def) {
    services.SetStatusText(services.language().read(TAppServices::MainSection, key, def));
}

// Whether the camera takes uploads. A camera that does not even know the
// question fails it: that is a no as well, not an error to show.
bool cameraTakesUploads() {
    try {
        return tesselink::DoSupportUppload();
    } catch (const ECameraError& error) {
        LogLine("Uploadpictures1Click. Exception=" + error.message());
        return false;
    }
}

} // namespace

void UploadPictures(const TMainContext& main) {
    TFormUpload window(main.services, main.session, main.parent);
    LogLine("Upload pictures menu selected");
    showStatus(main.services, "statusbar_connects_to_cam", "Connects to camera");
    main.session.Connect_to_tessel();
    tesselink::GetVolume(1);
    TPicCollection collection(TS_SOURCE_CAMERA_ALL, "", {});
    if (cameraTakesUploads())
        ExecModal(window);
    else
        MessageDlg(
            main.services.language().read(TFormUpload::Section, "infomsg_camera_takes_no_uploads",
                                          "This camera does not take pictures from the computer"),
            mtInformation, mbOK);
    collection.close();
    showStatus(main.services, "statusbar_cam_connection_closed", "Camera connection closed");
    main.session.Disconnect_from_tessel();
}

TMainFlows WithUploadFlows(TMainFlows flows) {
    flows.uploadPictures = UploadPictures;
    return flows;
}
