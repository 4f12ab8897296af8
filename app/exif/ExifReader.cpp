#include "ExifReader.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <exiv2/exiv2.hpp>
#include <memory>

namespace {

const QString NoExifError = "No EXIF data found";

// Exiv2 reports oddities of a file on stderr; the reader reports failures itself.
void muteLibraryMessages() {
    static const bool muted = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        return true;
    }();
    (void)muted;
}

// One line per tag, so a value never breaks a line; a long run of bytes that
// Exiv2 does not interpret says how long it is instead.
QString valueText(const Exiv2::Exifdatum& datum, const Exiv2::ExifData& exif) {
    const std::string printed = datum.print(&exif);
    if (datum.typeId() == Exiv2::undefined && datum.count() > 64 &&
        printed == datum.value().toString())
        return QString("(%1 bytes binary data)").arg(datum.count());
    QString text = QString::fromStdString(printed);
    text.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
    return text;
}

ExifTag tagOf(const Exiv2::Exifdatum& datum, const Exiv2::ExifData& exif) {
    QString label = QString::fromStdString(datum.tagLabel());
    if (label.isEmpty())
        label = QString::fromStdString(datum.tagName());
    return {label, valueText(datum, exif)};
}

// The maker's notes are their own groups (Canon, CanonCs, ...) together with
// where Exiv2 found them.
bool isMakerNote(const Exiv2::Exifdatum& datum) {
    return Exiv2::ExifTags::isMakerGroup(datum.groupName()) || datum.groupName() == "MakerNote";
}

const Exiv2::Exifdatum* find(const Exiv2::ExifData& exif, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        const auto it = exif.findKey(Exiv2::ExifKey(key));
        if (it != exif.end())
            return &*it;
    }
    return nullptr;
}

QString text(const Exiv2::ExifData& exif, std::initializer_list<const char*> keys) {
    const Exiv2::Exifdatum* datum = find(exif, keys);
    return datum ? QString::fromStdString(datum->toString()).trimmed() : QString();
}

std::optional<QString> printed(const Exiv2::ExifData& exif,
                               std::initializer_list<const char*> keys) {
    const Exiv2::Exifdatum* datum = find(exif, keys);
    if (!datum)
        return std::nullopt;
    return valueText(*datum, exif);
}

int number(const Exiv2::ExifData& exif, const char* key, long fallback) {
    const Exiv2::Exifdatum* datum = find(exif, {key});
    return int(datum && datum->count() > 0 ? datum->toLong() : fallback);
}

void summarise(ExifSummary& s, const Exiv2::Image& image, const Exiv2::ExifData& exif) {
    s.photoDate = text(exif, {"Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized",
                              "Exif.Image.DateTime"});
    s.make = text(exif, {"Exif.Image.Make"});
    s.model = text(exif, {"Exif.Image.Model"});
    s.width = number(exif, "Exif.Photo.PixelXDimension", image.pixelWidth());
    s.height = number(exif, "Exif.Photo.PixelYDimension", image.pixelHeight());
    s.exposureTime = printed(exif, {"Exif.Photo.ExposureTime", "Exif.Photo.ShutterSpeedValue"});
    s.focalLength = printed(exif, {"Exif.Photo.FocalLength"});
    s.focalLength35mm = printed(exif, {"Exif.Photo.FocalLengthIn35mmFilm"});
    s.fNumber = printed(exif, {"Exif.Photo.FNumber"});
    const auto iso = Exiv2::isoSpeed(exif);
    if (iso != exif.end())
        s.iso = valueText(*iso, exif);
    s.flash = (number(exif, "Exif.Photo.Flash", 0) & 1) != 0;
}

// Exiv2's reader is chosen here from the file's first bytes, for the three
// kinds cameras write (JPEG, TIFF-based RAW, CRW): the reader Exiv2 would
// choose by content may be one that never returns on a damaged file (its
// RIFF reader).
std::unique_ptr<Exiv2::Image> openImage(const QString& path) {
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(14) : QByteArray();
    auto io = Exiv2::ImageFactory::createIo(QFile::encodeName(path).toStdString(), false);
    std::unique_ptr<Exiv2::Image> image;
    if (head.startsWith("\xFF\xD8"))
        image.reset(Exiv2::newJpegInstance(io, false).release());
    else if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        image.reset(Exiv2::newTiffInstance(io, false).release());
    else if (head == QByteArray("II\x1A\0\0\0HEAPCCDR", 14))
        image.reset(Exiv2::newCrwInstance(io, false).release());
    if (!image)
        throw Exiv2::Error(Exiv2::kerDataSourceOpenFailed, path.toStdString(), "");
    return image;
}

} // namespace

ExifContents ReadExif(const QString& path) {
    muteLibraryMessages();
    ExifContents contents;
    contents.path = path;
    ExifSummary& s = contents.summary;
    const QFileInfo info(path);
    s.fileName = info.fileName();
    try {
        const auto image = openImage(path);
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        if (exif.empty()) {
            s.error = NoExifError;
            return contents;
        }
        s.fileSize = info.size();
        s.fileDate = info.lastModified().date();
        summarise(s, *image, exif);
        for (const Exiv2::Exifdatum& datum : exif)
            (isMakerNote(datum) ? contents.makerNoteTags : contents.exifTags)
                .append(tagOf(datum, exif));
    } catch (const std::exception& e) {
        // Nothing of what was read before the failure: only the name and the error.
        s = ExifSummary();
        s.fileName = info.fileName();
        s.error = QString::fromStdString(e.what());
        contents.exifTags.clear();
        contents.makerNoteTags.clear();
    }
    return contents;
}

QString ExifSummaryText(const ExifSummary& s) {
    if (!s.error.isEmpty())
        return "File Name: " + s.fileName + "\r\nExif Error: " + s.error;
    QStringList lines = {
        "File Name: " + s.fileName,
        QString("File Size: %1k").arg(s.fileSize / 1024),
        "File Date: " + QLocale::system().toString(s.fileDate, QLocale::ShortFormat),
        "Photo Date: " + s.photoDate,
        "Make (Model): " + s.make + " (" + s.model + ")",
        QString("Dimensions: %1 x %2").arg(s.width).arg(s.height),
    };
    const std::pair<const char*, const std::optional<QString>&> optional[] = {
        {"Exposure Time: ", s.exposureTime},
        {"Focal Length: ", s.focalLength},
        {"Focal Length (35mm): ", s.focalLength35mm},
        {"FNumber: ", s.fNumber},
        {"ISO: ", s.iso}};
    for (const auto& [caption, value] : optional)
        if (value)
            lines.append(caption + *value);
    lines.append(QString("Flash: ") + (s.flash ? "Yes" : "No"));
    return lines.join("\r\n");
}
