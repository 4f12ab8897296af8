#pragma once
// The update check that the update thread runs on the user-interface thread:
// fetch the update INI, offer another version, download it and keep it only
// when it is the package its makers signed.

#include "Contacts.h"
#include "HttpClient.h"
#include "PackageSignature.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

class TAppServices;

// Where the offer comes from and whose signature it must carry.
struct TUpdateSource {
    QUrl iniAddress = UpdateIniAddress();
    QByteArray publicKey = BuiltInUpdateKey();
};

// What the update INI offers: its [VERSION] section.
struct TUpdateOffer {
    QString version;  // "Lumvik_version"
    int fileSize = 0; // "Lumvik_filesize", in bytes
    QString archive;  // "Lumvik_archive", the package's address
    QString signature; // "Lumvik_signature", base64
};

// Reads the offer of the update INI at path; missing values are empty or 0.
TUpdateOffer ReadUpdateOffer(const QString& path);

// The language file's section of the web update's texts.
inline constexpr const char* UpdateSection = "TUpdate";

// Fetches the update INI to "upgrade_lumvik.ini" in the program folder (a
// failed fetch leaves none and ends the check silently). When its version
// differs from the program's, asks whether to download it; on Yes downloads
// it, with progress in the status bar, and keeps it as "lumvik_upgrade.deb"
// in the program folder if it has the announced size and signature. Returns
// that path, or empty when there is nothing to install. Throws ELumvikError
// with the user's message when the download fails or is refused, keeping
// nothing of it. The status bar is empty afterwards.
QString CheckForUpdate(TAppServices& services, const TProxySettings& proxy,
                       const TUpdateSource& source);
