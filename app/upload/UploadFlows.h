#pragma once
// Flow D, Pictures > Upload pictures: connects to the camera, opens its first
// volume, shows the upload window modally and disconnects after it closes.

#include "MainFlows.h"

// A camera that does not take uploads gets a message instead of the window.
// A failure to connect or to open the volume reaches the caller.
void UploadPictures(const TMainContext& main);

// The flows with the upload hook filled.
TMainFlows WithUploadFlows(TMainFlows flows);
