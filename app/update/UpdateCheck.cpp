#include "UpdateCheck.h"

#include "AppServices.h"
#include "AtomicFile.h"
#include "Dialogs.h"
#include "Errors.h"
#include "IniFile.h"
#include "LanguageFile.h"
#include "ProgramFolder.h"
#include "Version.h"

#include <QCoreApplication>
#include <QFile>
#include <cmath>

namespace {

constexpr const char* IniName = "upgrade_lumvik.ini";
// A Debian package, so that the desktop hands it to its package installer;
// a name the desktop would run as a program would defeat the signature.
constexpr const char* PackageName = "lumvik_upgrade.deb";
// Far more than an update INI needs, far less than would hurt.
constexpr qint64 IniLimit = 64 * 1024;

namespace key {
constexpr const char* Section = "VERSION";
constexpr const char* Version = "Lumvik_version";
constexpr const char* FileSize = "Lumvik_filesize";
constexpr const char* Archive = "Lumvik_archive";
constexpr const char* Signature = "Lumvik_signature";
} // namespace key

QString text(const TAppServices& services, const char* key, const char* def,
             const QStringList& args) {
    return services.language().readFormatted(UpdateSection, key, def, args);
}

bool downloadWanted(const TAppServices& services, const TUpdateOffer& offer) {
    return MessageBox(
               text(services, "infomsg_question_download",
                    "Lumvik has detected that an upgrade is available. Current version is %s and "
                    "the Lumvik available for download is of version %s. New drivers is "
                    "downloaded if required. The file is of size %s bytes. Do you want to "
                    "download?",
                    {VersionText(), offer.version, QString::number(offer.fileSize)}),
               "Information", MB_YESNO | MB_ICONINFORMATION) == mrYes;
}

// The download's progress in the status bar, the user interface kept alive.
// Input waits, so that no menu action runs in the middle of the check.
THttpProgress statusProgress(TAppServices& services) {
    return [&services](qint64 received, qint64 total) {
        if (total == 0)
            return;
        // Halves to even, as the default rounding mode does.
        const double percent = std::nearbyint(double(received) * 100.0 / double(total));
        services.SetStatusText(text(
            services, "statusbar_receiving_data", "Receiving data. Received %s of %s. %s percent",
            {QString::number(received), QString::number(total), QString::number(qint64(percent))}));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

QByteArray download(TAppServices& services, const TProxySettings& proxy, const TUpdateOffer& offer) {
    try {
        return HttpGet(QUrl(offer.archive), proxy, statusProgress(services), offer.fileSize);
    } catch (const ELumvikError& e) {
        throw ELumvikError(text(services, "infomsg_problems_receiving_file",
                                "Lumvik automatic webupdate could not receive %s. Error=%s.",
                                {offer.archive, e.message()}));
    }
}

} // namespace

TUpdateOffer ReadUpdateOffer(const QString& path) {
    const TIniFile ini(path);
    return {ini.readString(key::Section, key::Version, ""),
            ini.readInteger(key::Section, key::FileSize, 0),
            ini.readString(key::Section, key::Archive, ""),
            ini.readString(key::Section, key::Signature, "")};
}

QString CheckForUpdate(TAppServices& services, const TProxySettings& proxy,
                       const TUpdateSource& source) {
    struct TClearStatus {
        TAppServices& services;
        ~TClearStatus() { services.SetStatusText(""); }
    } clearStatus{services};
    const QString iniPath = ProgramFile(IniName);
    try {
        WriteFileAtomically(iniPath, HttpGet(source.iniAddress, proxy, {}, IniLimit));
    } catch (const ELumvikError&) {
        QFile::remove(iniPath);
        return {};
    }
    const TUpdateOffer offer = ReadUpdateOffer(iniPath);
    if (offer.version == VersionText() || !downloadWanted(services, offer))
        return {};
    const QByteArray package = download(services, proxy, offer);
    // Held in memory until verified: an unverified file never has a name.
    if (package.size() != offer.fileSize ||
        !PackageSignatureValid(package, offer.signature, source.publicKey))
        throw ELumvikError(text(
            services, "errormsg_upgrade_not_verified",
            "The upgrade received from %s is not the one signed by the makers of Lumvik, so it "
            "may have been changed on its way. It has been deleted and will not be installed.",
            {offer.archive}));
    const QString packagePath = ProgramFile(PackageName);
    WriteFileAtomically(packagePath, package);
    MessageBox(text(services, "infomsg_execute_download",
                    "Lumvik has downloaded the upgrade. It is available at %s. Lumvik will now "
                    "exit to execute the upgrade file",
                    {packagePath}),
               "Information", MB_OK | MB_ICONINFORMATION);
    return packagePath;
}
