#include "AutostartFlows.h"
#include "CameraConnection.h"
#include "CameraLayerLog.h"
#include "Dlg_Properties.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "MailFlows.h"
#include "Program.h"
#include "RemoteFlows.h"
#include "RemoteGroup.h"
#include "UpdateFlows.h"
#include "UploadFlows.h"

int main(int argc, char** argv) {
    LogCameraLayer();
    const auto mail = std::make_shared<TMailWindows>();
    const auto proxy = [mail](TAppServices& services) {
        return mail->properties(services).proxy();
    };
    TMainFlows flows = WithCameraConnection(TMainFlows{});
    flows = WithFileManagerFlows(flows, FileManagerGroupWithMail(mail));
    flows = WithRemoteFlows(flows, JoinViewFinder);
    flows = WithUploadFlows(flows);
    flows = WithMailFlows(flows, mail);
    flows = WithAutostartFlows(flows);
    flows = WithUpdateFlows(flows, proxy);
    return RunProgram(argc, argv, flows);
}
