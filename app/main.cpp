#include "CameraConnection.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "MailFlows.h"
#include "Program.h"
#include "UploadFlows.h"

int main(int argc, char** argv) {
    // The remote, upload, autostart and web update flows join the main
    // window here as they arrive.
    const auto mail = std::make_shared<TMailWindows>();
    return RunProgram(
        argc, argv,
        WithMailFlows(WithFileManagerFlows(WithUploadFlows(WithCameraConnection(TMainFlows{})),
                                           FileManagerGroupWithMail(mail)),
                      mail));
}
