#include "AutostartFlows.h"
#include "CameraConnection.h"
#include "Dlg_Properties.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "MailFlows.h"
#include "Program.h"
#include "UpdateFlows.h"

int main(int argc, char** argv) {
    // The remote and upload flows join the main window here as they arrive.
    const auto mail = std::make_shared<TMailWindows>();
    const auto proxy = [mail](TAppServices& services) {
        return mail->properties(services).proxy();
    };
    return RunProgram(argc, argv,
                      WithUpdateFlows(WithAutostartFlows(WithMailFlows(
                                          WithFileManagerFlows(WithCameraConnection(TMainFlows{}),
                                                               FileManagerGroupWithMail(mail)),
                                          mail)),
                                      proxy));
}
