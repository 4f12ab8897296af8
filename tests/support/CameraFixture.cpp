#include "CameraFixture.h"

#include <exiv2/exiv2.hpp>

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <stdexcept>

namespace fixture {

PictureExif shotAt(const QString& dateTimeOriginal, int orientation, bool thumbnail) {
    PictureExif exif;
    exif.dateTimeOriginal = dateTimeOriginal;
    exif.orientation = orientation;
    exif.thumbnail = thumbnail;
    return exif;
}

QByteArray jpegBytes(QSize size, int number) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(number * 37 % 360, 160, 220));
    QPainter painter(&image);
    painter.drawText(image.rect(), Qt::AlignCenter, QString::number(number));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

void writePicture(const QString& path, const PictureExif& fields, QSize size) {
    writeFile(path, jpegBytes(size, QFileInfo(path).baseName().right(4).toInt()));
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    exif["Exif.Image.Make"] = "Canon";
    exif["Exif.Image.Model"] = fields.model.toStdString();
    exif["Exif.Image.Orientation"] = uint16_t(fields.orientation);
    exif["Exif.Photo.DateTimeOriginal"] = fields.dateTimeOriginal.toStdString();
    const QSize dimensions = fields.pixelDimensions.isValid() ? fields.pixelDimensions : size;
    exif["Exif.Photo.PixelXDimension"] = uint16_t(dimensions.width());
    exif["Exif.Photo.PixelYDimension"] = uint16_t(dimensions.height());
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 60);
    exif["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
    exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(100);
    exif["Exif.Photo.Flash"] = uint16_t(1);
    exif["Exif.Photo.FocalLength"] = Exiv2::URational(72, 10);
    exif["Exif.Photo.ExposureBiasValue"] = Exiv2::Rational(-1, 3);
    if (fields.canonFileNumber) {
        exif["Exif.Canon.FileNumber"] = uint32_t(*fields.canonFileNumber);
    }
    if (!fields.canonOwner.isEmpty()) {
        exif["Exif.Canon.OwnerName"] = fields.canonOwner.toStdString();
    }
    if (fields.thumbnail) {
        const QByteArray thumbnail = jpegBytes({160, 120}, 0);
        Exiv2::ExifThumb(exif).setJpegThumbnail(
            reinterpret_cast<const Exiv2::byte*>(thumbnail.constData()), thumbnail.size());
    }
    image->writeMetadata();
}

void writeMovie(const QString& path, QSize size) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const auto tag = [&](const char* fourCC) { out.writeRawData(fourCC, 4); };
    tag("RIFF");
    out << quint32(80);
    tag("AVI ");
    tag("LIST");
    out << quint32(68);
    tag("hdrl");
    tag("avih");
    out << quint32(56);
    for (int i = 0; i < 8; ++i) {
        out << quint32(0);
    }
    out << quint32(size.width()) << quint32(size.height());
    for (int i = 0; i < 4; ++i) {
        out << quint32(0);
    }
    writeFile(path, bytes);
}

QByteArray soundBytes() {
    return QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(28, '\x01');
}

CameraFolder::CameraFolder(const QString& root, const QString& model, const QString& owner,
                           int port)
    : root_(root) {
    writeFile(
        root + "/camera.ini",
        QString("[Camera]\nModel=%1\nOwner=%2\nPort=%3\n").arg(model, owner).arg(port).toUtf8());
}

QString CameraFolder::volume(const QString& name) const {
    QDir().mkpath(root_ + "/" + name);
    return root_ + "/" + name;
}

void CameraFolder::offer(const QString& keys) const {
    QFile file(root_ + "/camera.ini");
    if (!file.open(QIODevice::Append) || file.write(keys.toUtf8()) != keys.toUtf8().size()) {
        throw std::runtime_error("cannot extend " + root_.toStdString());
    }
}

void CameraFolder::plugIn() const {
    qputenv("LUMVIK_CAMERA", ("sim:" + root_).toUtf8());
}

CameraFolder standardCamera(const QString& root) {
    CameraFolder camera(root);
    const QString first = camera.volume("CF") + "/DCIM/100CANON/";
    const QString second = camera.volume("CF") + "/DCIM/101CANON/";
    writePicture(first + "IMG_0005.JPG");
    writeFile(first + "IMG_0005.WAV", soundBytes());
    writeMovie(first + "MVI_0007.AVI");
    writePicture(first + "MVI_0007.THM", shotAt("2004:05:07 10:00:00", 1, false), {160, 120});
    writeFile(second + "CRW_0004.CRW", QByteArray("II\x1a\0\0\0HEAPCCDR", 14) + QByteArray(64, 0));
    PictureExif raw = shotAt("2004:05:08 11:00:00", 1, false);
    raw.pixelDimensions = {2048, 1536};
    writePicture(second + "CRW_0004.THM", raw, {160, 120});
    writePicture(second + "IMG_0003.JPG", shotAt("2004:05:09 12:00:00", 6));
    writePicture(camera.volume("SD") + "/DCIM/100CANON/IMG_0001.JPG");
    return camera;
}

} // namespace fixture
