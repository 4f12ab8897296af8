#pragma once
// The program's one connection to the camera, held by the main window: the
// camera SDK started with the window and finished last at exit, connecting
// and disconnecting with their status texts, and the camera's events turned
// into messages of the message thread.

#include "MainDlg.h"

#include <cstdint>

// The flows with the camera start, stop, connect and disconnect hooks filled.
TMainFlows WithCameraConnection(TMainFlows flows);

// The camera event callback handed to the bridge. It may run on any thread:
// there it only writes the log line and hands the event to the main window's
// thread, which reads the texts, posts the message and talks to the camera.
void CameraEventCallback(int32_t event, int32_t reason);
