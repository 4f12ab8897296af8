#pragma once
// The way the main window opens the remote control window: Pictures ▸ Take
// picture remote, and the command-line start "/remote", which also opens the
// remote process at once. The window is created for the flow and destroyed
// after it.

#include "MainFlows.h"

#include <functional>

class TForm_Remote;

// Called with every new remote control window before it is shown, so that
// the viewfinder window can join it.
using TRemoteSetup = std::function<void(TForm_Remote&, const TMainContext&)>;

// Flow C: connects, warns about a camera without remote release, shows the
// window modally and disconnects. A failure is logged, shown in the status
// bar and raised again.
void TakePictureRemote(const TMainContext& main, const TRemoteSetup& setup, bool autoStart);

// The flows with the remote hook and the "/remote" start filled.
TMainFlows WithRemoteFlows(TMainFlows flows, TRemoteSetup setup = {});
