#pragma once
// The main window's use of its camera session: the camera SDK started with
// the window and finished last at exit, connecting and disconnecting from the
// Camera menu, and the camera's events turned into messages of the message
// thread.

#include "MainFlows.h"

class TLanguageFile;
class TMessageThread;

// The flows with the camera start, stop, connect and disconnect hooks filled.
TMainFlows WithCameraConnection(TMainFlows flows);

// Posts the message a camera event shows, if any, to the message thread.
void PostCameraEvent(TMessageThread& thread, const TLanguageFile& language, int event, int reason);
