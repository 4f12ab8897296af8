#include "MainActions.h"

#include "AppServices.h"
#include "IniFile.h"
#include "LanguageFile.h"
#include "Log.h"
#include "ProgramFolder.h"

#include <QFile>

QString OldDriverUninstaller(const QString& legacyPath) {
    const TIniFile legacy(legacyPath);
    const int version = legacy.readInteger("TesselSDK", "ActiveXVersion", 0);
    if (legacy.readInteger("TesselSDK", "ActiveXDrvInstalled", 0) != 1 || version == 0)
        return {};
    const QString installer =
        ProgramFolder() + "/drivers" + QString::number(version) + "/Install.exe";
    return QFile::exists(installer) ? installer : QString();
}

QString DebugSwitchText(bool on, const TLanguageFile& language) {
    return on ? language.readFormatted(TAppServices::MainSection, "infomsg_debug_enabled",
                                       "Debug is enabled. The logfile (%s) will be created",
                                       {LogPath()})
              : language.readFormatted(TAppServices::MainSection, "infomsg_debug_disabled",
                                       "Debug is disabled. The logfile (%s) will be removed",
                                       {LogPath()});
}

void SwitchDebugLog(bool on) {
    if (on) {
        TDebugLog::instance().create(LogPath());
        return;
    }
    TDebugLog::instance().close();
    QFile::remove(LogPath());
}
