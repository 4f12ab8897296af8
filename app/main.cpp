#include "CameraConnection.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "Program.h"

int main(int argc, char** argv) {
    // The remote, upload, mail, autostart, web update and properties flows
    // join the main window here as they arrive.
    return RunProgram(
        argc, argv, WithFileManagerFlows(WithCameraConnection(TMainFlows{}), JoinFileManagerGroup));
}
