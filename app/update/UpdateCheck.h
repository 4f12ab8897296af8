#pragma once
// The update check that the update thread runs on the user-interface thread:
// fetch the update INI, offer another version, download it and keep it only
// when it is the package its makers signed. The fetches run off that thread
// under the network limits.

#include "Contacts.h"
#include "HttpClient.h"
#include "PackageSignature.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

class TAppServices;

// The largest package the program takes, whatever the update INI announces.
inline constexpr qint64 MaxUpdatePackageBytes = 512LL * 1024 * 1024;

// Where the offer comes from, whose signature it must carry, and how large
// the package may be at most.
struct TUpdateSource {
    QUrl iniAddress = UpdateIniAddress();
    QByteArray publicKey = BuiltInUpdateKey();
    qint64 packageLimit = MaxUpdatePackageBytes;
};

// What the update INI offers: its [VERSION] section.
struct TUpdateOffer {
    QString version;   // "Lumvik_version"
    int fileSize = 0;  // "Lumvik_filesize", in bytes
    QString archive;   // "Lumvik_archive", the package's address
    QString signature; // "Lumvik_signature", base64
};

// Reads the offer of the update INI at path; missing values are empty or 0.
TUpdateOffer ReadUpdateOffer(const QString& path);

// What the check asks and tells the user; the windows answer.
class TUpdateView {
  public:
    virtual ~TUpdateView() = default;
    // The offer of another version; true when the user wants it downloaded.
    virtual bool confirmDownload(const QString& question) = 0;
    // The upgrade has been downloaded and kept, and will be installed.
    virtual void announceDownloaded(const QString& text) = 0;
};

// The language file's section of the web update's texts.
inline constexpr const char* UpdateSection = "TUpdate";

// Fetches the update INI to "upgrade_lumvik.ini" in the program folder (a
// failed fetch leaves none and ends the check silently). When its version
// differs from the program's, asks the view whether to download it; on Yes downloads
// it, with progress in the status bar, and keeps it as "lumvik_upgrade.deb"
// in the program folder if it has the announced size and signature. Returns
// that path, or empty when there is nothing to install or `cancel` was set.
// Throws ELumvikError with the user's message when the download fails or is
// refused, keeping nothing of it. The status bar is empty afterwards. While
// the fetches run, the program's windows paint and can be closed, but other
// input waits, so that no menu action runs in the middle of the check.
QString CheckForUpdate(TAppServices& services, TUpdateView& view, const TProxySettings& proxy,
                       const TUpdateSource& source, TCancelFlag& cancel);
