#pragma once
// The two ways the main window opens the file manager: on the camera's card
// (flow A, also for a directory on the command line) and on a computer folder
// laid out like a card (flow B). Each flow creates the file-manager group,
// shows the file manager modally and destroys the group afterwards.

#include "MainFlows.h"

#include <functional>

class TForm_filemanager;

// Called with every new file manager before it is shown, so that the windows
// of the rest of the group (preview, transfer) can join it.
using TFileManagerSetup = std::function<void(TForm_filemanager&)>;

// Flow A. A target directory that is not empty starts an automatic transfer
// of every file into it. Every failure becomes the input/output error
// "Error communicating with camera...".
void GetPicturesFromCamera(const TMainContext& main, const TFileManagerSetup& setup,
                           const QString& autoTransferDirectory = {});
// Flow B: the folder of the main window's source directory field; no camera.
void GetPicturesFromComputer(const TMainContext& main, const TFileManagerSetup& setup);

// The flows with the two Pictures menu hooks and the command-line transfer filled.
TMainFlows WithFileManagerFlows(TMainFlows flows, TFileManagerSetup setup = {});
