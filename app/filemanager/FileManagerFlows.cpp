#include "FileManagerFlows.h"

#include "CameraClient.h"
#include "CameraSession.h"
#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "Dlg_FilenameSel.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "Settings.h"

#include <QFileInfo>

namespace {

// The windows created and destroyed with each flow.
struct TFileManagerGroup {
    explicit TFileManagerGroup(const TMainContext& main, const TFileManagerSetup& setup)
        : nameSelect(main.services, main.parent),
          fileManager(main.services, main.session, nameSelect, main.parent) {
        if (setup)
            setup(fileManager);
    }
    TFormNameSelect nameSelect;
    TForm_filemanager fileManager;
};

void showStatus(TAppServices& services, const char* key, const char* def) {
    services.SetStatusText(services.language().read(TAppServices::MainSection, key, def));
}

} // namespace

void GetPicturesFromCamera(const TMainContext& main, const TFileManagerSetup& setup,
                           const QString& autoTransferDirectory) {
    try {
        TFileManagerGroup group(main, setup);
        TForm_filemanager& fileManager = group.fileManager;
        LogLine("Get pictures menu selected");
        showStatus(main.services, "statusbar_connects_to_cam", "Connects to camera");
        main.session.Connect_to_tessel();
        showStatus(main.services, "statusbar_opens_picture_collection", "Opens picture collection");
        fileManager.setVolumeCount(tesselink::TotalVolumes());
        tesselink::GetVolume(1);
        TPicCollection collection(TS_SOURCE_CAMERA_IMAGES, "", {});
        fileManager.setComputerDirectory(false);
        if (!autoTransferDirectory.isEmpty()) {
            fileManager.setTargetDirectory(autoTransferDirectory);
            fileManager.autoTransfer = true;
        }
        ExecModal(fileManager);
        collection.close();
        showStatus(main.services, "statusbar_cam_connection_closed", "Camera connection closed");
        main.session.Disconnect_from_tessel();
    } catch (const ELumvikError& error) {
        LogLine("Getpictures1Click. Exception=" + error.message());
        showStatus(main.services, "statusbar_connection_required",
                   "Get pictures dialog requires a connection to camera");
        throw EInOutError(main.services.language().read(
            TAppServices::MainSection, "errormsg_problems_contacting_cam",
            "Error communicating with camera. Is it connected to computer? Try restart camera "
            "and restart Lumvik utilities"));
    }
}

void GetPicturesFromComputer(const TMainContext& main, const TFileManagerSetup& setup) {
    // The search pattern is appended to the folder, so an empty field would
    // search the whole file system from its root.
    if (main.sourceDirectory.trimmed().isEmpty() || !QFileInfo(main.sourceDirectory).isDir()) {
        MessageDlg(main.services.language().read(
                       TAppServices::MainSection, "errormsg_choose_source_directory",
                       "Choose the folder that holds your pictures first: type it in the "
                       "source directory field or pick it with the folder button beside it."),
                   mtError, mbOK);
        return;
    }
    TFileManagerGroup group(main, setup);
    TForm_filemanager& fileManager = group.fileManager;
    fileManager.setComputerDirectory(true);
    LogLine("Get pictures menu from computer selected");
    TSettings& settings = main.services.settings();
    if (settings.readBool(TSettings::Section, "infomsg_filename_format", true)) {
        const QString text = main.services.language().read(
            TAppServices::MainSection, "infomsg_filename_format",
            "To see pictures in the file list, must the files on your PC have the same filename "
            "format as your camera. For a s10 is the filenames for a jpeg picture IMG_XXXX.JPG "
            "where the XXXX is a number. To see the filenames for your camera open the Lumvik "
            "filebrowser to your camera and see the filenames in the files list. Do you want to "
            "repeat this message in the future?");
        if (MessageDlg(text, mtInformation, mbYes | mbNo) == mrNo)
            settings.writeBool(TSettings::Section, "infomsg_filename_format", false);
    }
    showStatus(main.services, "statusbar_connects_to_cam", "Connects to camera");
    fileManager.setSearchFolder(main.sourceDirectory);
    ExecModal(fileManager);
    fileManager.closeFolderCollection();
    LogLine("ClosePictureCollection");
    showStatus(main.services, "statusbar_cam_connection_closed", "Camera connection closed");
}

TMainFlows WithFileManagerFlows(TMainFlows flows, TFileManagerSetup setup) {
    flows.getPicturesFromCamera = [setup](const TMainContext& main) {
        GetPicturesFromCamera(main, setup);
    };
    flows.getPicturesFromComputer = [setup](const TMainContext& main) {
        GetPicturesFromComputer(main, setup);
    };
    flows.transferAtStart = [setup](const TMainContext& main, const QString& directory) {
        GetPicturesFromCamera(main, setup, directory);
    };
    return flows;
}
