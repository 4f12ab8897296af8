#include "Destination.h"

#include "CameraClient.h"
#include "Dates.h"
#include "ExifTextFile.h"
#include "Log.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool hasExtension(const QString& path, const char* extension) {
    return path.endsWith(extension, Qt::CaseInsensitive);
}

QString withSuffix(const QString& path, const QString& suffix) {
    const QFileInfo info(path);
    return info.path() + "/" + info.completeBaseName() + "." + suffix;
}

QString expanded(const QString& pattern, const TPatternSource& source,
                 const std::function<QString()>& userText) {
    LogLine("Enters TForm_filemanager.CreateName, parameter = " + pattern);
    return ExpandPattern(pattern, source, userText);
}

} // namespace

QDebug operator<<(QDebug debug, const TDestination& destination) {
    const QDebugStateSaver saver(debug);
    debug.nospace() << "TDestination(" << destination.path << ", disc " << destination.discDirectory
                    << ", free " << destination.freePath << ")";
    return debug;
}

namespace {

template <class TProperties> TPatternSource commonSource(const TProperties& properties) {
    TPatternSource source;
    source.date = ToQDateTime(SecondsToDateTime(properties.shootingTime));
    source.folderNumber = properties.directoryNumber;
    source.fileNumber = properties.fileNumber;
    source.name = tesselink::TextOf(properties.fileName);
    return source;
}

} // namespace

TPatternSource PatternSourceOf(const tsMovieProperties& movie) {
    TPatternSource source = commonSource(movie);
    source.movie = true;
    return source;
}

TPatternSource PatternSourceOf(const tsPictureProperties& p) {
    TPatternSource source = commonSource(p);
    source.iso = p.isoSpeed;
    source.tvNumerator = p.shutterSpeedNumerator;
    source.tvDenominator = p.shutterSpeedDenominator;
    source.avNumerator = p.apertureNumerator;
    source.avDenominator = p.apertureDenominator;
    source.width = p.width;
    source.height = p.height;
    source.model = tesselink::TextOf(p.modelName);
    source.owner = tesselink::TextOf(p.ownerName);
    source.focal = p.focalLength;
    source.teleFocal = p.teleFocalLength;
    source.wideFocal = p.wideFocalLength;
    return source;
}

QStringList CompanionsOf(const QString& path, bool exifText) {
    if (hasExtension(path, ".avi") || hasExtension(path, ".crw"))
        return {withSuffix(path, "thm")};
    // From a camera the note is named path + ".wav", from a folder its
    // extension is replaced.
    QStringList companions{path + ".wav", withSuffix(path, "wav")};
    if (exifText)
        companions << ExifTextFilePath(path);
    return companions;
}

TDestination DestinationOf(const TCameraItem& item, const TNamePatterns& patterns,
                           const TDestinationFolders& folders, const TNameTaken& taken,
                           const std::function<QString()>& userText, bool exifText) {
    if (!item.transferable())
        return {};
    const TPatternSource source =
        item.isMovie() ? PatternSourceOf(item.movie) : PatternSourceOf(item.picture);
    const QString suffix = QFileInfo(source.name).suffix().toLower();
    const QString below = SafeRelativePath(expanded(patterns.subDirectory, source, userText) +
                                           expanded(patterns.fileName, source, userText) +
                                           (suffix.isEmpty() ? QString() : "." + suffix));
    TDestination destination;
    const QString planned = QDir::cleanPath(folders.target + "/" + below);
    destination.discDirectory =
        "/" + QDir(folders.target).relativeFilePath(QFileInfo(planned).path());
    // Movies may have a directory of their own; without one chosen they stay
    // in the target directory.
    destination.path = !folders.movies.isEmpty() && hasExtension(planned, ".avi")
                           ? QDir::cleanPath(folders.movies + "/" + below)
                           : planned;
    destination.freePath = FreeName(
        destination.path,
        [exifText](const QString& candidate) { return CompanionsOf(candidate, exifText); }, taken,
        [](const QString&) {});
    return destination;
}
