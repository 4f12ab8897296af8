#include "Program.h"

int main(int argc, char** argv) {
    // The camera, file manager, remote, upload, mail, autostart, web update and
    // properties flows join the main window here as they arrive.
    return RunProgram(argc, argv, TMainFlows{});
}
