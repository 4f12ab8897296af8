#pragma once
// The web update and the About box in the main window: the automatic check of
// the show step, Search for an update, the stop of the exit sequence with the
// hand-over of a downloaded upgrade to the desktop's package installer, and
// the About box with the version.

#include "EchoClient.h"
#include "MainFlows.h"
#include "UpdateCheck.h"

#include <functional>

class TAppServices;

// Where the check goes; the program uses the defaults.
struct TUpdateOptions {
    TUpdateSource source;
    QString pingHost = UpdateServer;
    std::function<bool()> online = SystemOnline;
};

// The user's proxy settings as they stand when a check runs.
using TProxySource = std::function<TProxySettings(TAppServices&)>;

// The flows with the update hooks and the About hook filled. A downloaded
// upgrade ends the program; the exit sequence then opens it with xdg-open,
// so that the user confirms the installation in the package installer.
TMainFlows WithUpdateFlows(TMainFlows flows, TProxySource proxy, TUpdateOptions options = {});

// The About box's text: version and build, rights holder, translator and the
// contact addresses.
QString AboutText(const TLanguageFile& language);
