#include "QuadrantPictures.h"

#include "TestFiles.h"

#include <QBuffer>
#include <QPainter>
#include <exiv2/exiv2.hpp>

QImage Quadrants(QSize size) {
    QImage image(size, QImage::Format_RGB888);
    QPainter painter(&image);
    const int w = size.width() / 2, h = size.height() / 2;
    painter.fillRect(0, 0, w, h, Qt::red);
    painter.fillRect(w, 0, size.width() - w, h, Qt::green);
    painter.fillRect(0, h, w, size.height() - h, Qt::blue);
    painter.fillRect(w, h, size.width() - w, size.height() - h, Qt::white);
    return image;
}

QString WriteQuadrantPicture(const QString& path, QSize size, int orientation) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Quadrants(size).save(&buffer, "JPG", 95);
    testfiles::Write(path, bytes);
    if (orientation != 0) {
        auto image = Exiv2::ImageFactory::open(path.toStdString());
        image->readMetadata();
        image->exifData()["Exif.Image.Orientation"] = uint16_t(orientation);
        image->writeMetadata();
    }
    return path;
}

bool NearColour(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           90;
}
