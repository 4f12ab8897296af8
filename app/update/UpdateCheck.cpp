#include "UpdateCheck.h"

#include "AppServices.h"
#include "AtomicFile.h"
#include "Errors.h"
#include "IniFile.h"
#include "InternetError.h"
#include "LanguageFile.h"
#include "Log.h"
#include "OffThread.h"
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

bool downloadWanted(const TAppServices& services, TUpdateView& view, const TUpdateOffer& offer) {
    return view.confirmDownload(
        text(services, "infomsg_question_download",
             "Lumvik has detected that an upgrade is available. Current version is %s and "
             "the Lumvik available for download is of version %s. New drivers is "
             "downloaded if required. The file is of size %s bytes. Do you want to "
             "download?",
             {VersionText(), offer.version, QString::number(offer.fileSize)}));
}

// The download's progress in the status bar. Told on the fetch's thread, it
// is passed to the window thread, which alone reads the language file.
THttpProgress statusProgress(TAppServices& services) {
    return [&services](qint64 received, qint64 total) {
        if (total == 0)
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [&services, received, total] {
                // Halves to even, as the default rounding mode does.
                const double percent = std::nearbyint(double(received) * 100.0 / double(total));
                services.SetStatusText(text(services, "statusbar_receiving_data",
                                            "Receiving data. Received %s of %s. %s percent",
                                            {QString::number(received), QString::number(total),
                                             QString::number(qint64(percent))}));
            },
            Qt::QueuedConnection);
    };
}

QByteArray fetch(const QUrl& address, const TProxySettings& proxy, THttpOptions options,
                 TCancelFlag& cancel) {
    options.cancel = &cancel;
    QByteArray body;
    RunOffThread([&] { body = HttpGet(address, proxy, options); }, cancel,
                 QEventLoop::ExcludeUserInputEvents);
    return body;
}

QByteArray download(TAppServices& services, const TProxySettings& proxy, const TUpdateOffer& offer,
                    const TUpdateSource& source, TCancelFlag& cancel) {
    THttpOptions options;
    options.progress = statusProgress(services);
    options.sizeLimit = qMin<qint64>(offer.fileSize, source.packageLimit);
    options.limits = NetworkLimits().package;
    try {
        return fetch(QUrl(offer.archive), proxy, options, cancel);
    } catch (const EInternetError& e) {
        if (e.cancelled())
            throw;
        throw ELumvikError(text(services, "infomsg_problems_receiving_file",
                                "Lumvik automatic webupdate could not receive %s. Error=%s.",
                                {offer.archive, e.text(services.language())}));
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

QString CheckForUpdate(TAppServices& services, TUpdateView& view, const TProxySettings& proxy,
                       const TUpdateSource& source, TCancelFlag& cancel) {
    struct TClearStatus {
        TAppServices& services;
        ~TClearStatus() { services.SetStatusText(""); }
    } clearStatus{services};
    const QString iniPath = ProgramFile(IniName);
    try {
        WriteFileAtomically(iniPath, fetch(source.iniAddress, proxy, {}, cancel));
    } catch (const ELumvikError& e) {
        LogLine("TUpdate. No update INI: " + e.message());
        QFile::remove(iniPath);
        return {};
    }
    const TUpdateOffer offer = ReadUpdateOffer(iniPath);
    if (offer.version == VersionText() || !downloadWanted(services, view, offer))
        return {};
    QByteArray package;
    try {
        package = download(services, proxy, offer, source, cancel);
    } catch (const EInternetError& e) { // only a cancel leaves download() as one
        LogLine("TUpdate. Download cancelled: " + e.message());
        return {};
    }
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
    view.announceDownloaded(text(services, "infomsg_execute_download",
                                 "Lumvik has downloaded the upgrade. It is available at %s. "
                                 "Lumvik will now exit to execute the upgrade file",
                                 {packagePath}));
    return packagePath;
}
