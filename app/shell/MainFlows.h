#pragma once
// What the main window hands to the work other parts of the program bring to
// it, without the main window itself: the flows' headers include this, so a
// window folder needs no QMainWindow to say what its flow takes.

#include "AppServices.h"

#include <QString>
#include <functional>

class QWidget;
class TCameraSession;

// What a hook gets from the main window: the services, the camera session,
// the window as the parent of the windows a flow opens, and the source
// directory field as it stands.
struct TMainContext {
    TAppServices& services;
    TCameraSession& session;
    QWidget* parent;
    QString sourceDirectory;
};

// The work that other parts of the program bring to the main window: the camera
// start and stop, the four camera flows, mail, autostart, web update, About and
// Properties. A hook left empty does nothing.
struct TMainFlows {
    using Hook = std::function<void(const TMainContext&)>;
    Hook startSDK;              // create step: camera SDK start
    Hook registerEventCallback; // create step: camera event callback
    Hook finishSDK;             // exit sequence, last step
    Hook connect;               // Connect_to_tessel
    Hook disconnect;            // Disconnect_from_tessel
    Hook addUSBAutostart;       // also the first start's offer
    Hook deleteUSBAutostart;
    Hook getPicturesFromCamera;   // flow A
    Hook getPicturesFromComputer; // flow B
    Hook takePictureRemote;       // flow C
    Hook uploadPictures;          // flow D
    Hook remoteAtStart;           // "/remote" on the command line
    std::function<void(const TMainContext&, const QString&)> transferAtStart; // a directory
    Hook emailPictures;
    Hook requestOfFunction;
    Hook errorReport;
    Hook question;
    Hook automaticUpdateCheck; // show step, when Automatic web updates is checked
    Hook searchForUpdate;
    Hook stopUpdateThread; // exit sequence; also hands over an upgrade waiting to be installed
    Hook properties;
    Hook about;
    // No update server: the system's package manager updates the program, and
    // the update menu items say so instead of searching.
    bool updatesByPackageManager = false;
};
