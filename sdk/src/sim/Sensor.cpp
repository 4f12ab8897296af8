#include "Sensor.h"

#include "Jpeg.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <cstring>

namespace cdsim {
namespace {

constexpr QSize thumbnailSize{160, 120};
constexpr QSize frameSize{320, 240};

QSize pictureSize(uint16_t sizeCode) {
    switch (sizeCode) {
    case 1:
        return {1024, 768};
    case 2:
        return {640, 480};
    case 5:
        return {1280, 960};
    case 6:
        return {800, 600};
    default:
        return {1600, 1200};
    }
}

int jpegQuality(uint16_t qualityCode) {
    switch (qualityCode) {
    case 2:
        return 60;
    case 5:
        return 92;
    case 4:
        return 95;
    default:
        return 80;
    }
}

// 1 at the widest, 4 at the last zoom position.
double magnification(uint32_t zoom, uint32_t maximum) {
    return maximum == 0 ? 1.0 : 1.0 + 3.0 * std::min(zoom, maximum) / maximum;
}

// A landscape seen through the zoom; phase moves the cloud, for live frames.
QImage landscape(QSize size, double zoom, double phase) {
    QImage image(size, QImage::Format_RGB888);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();
    painter.translate(w / 2, h / 2);
    painter.scale(zoom, zoom);
    painter.translate(-w / 2, -h / 2);
    QLinearGradient sky(0, 0, 0, h * 0.6);
    sky.setColorAt(0, QColor(70, 130, 210));
    sky.setColorAt(1, QColor(190, 220, 250));
    painter.fillRect(QRectF(-w, -h, 3 * w, 1.6 * h), sky);
    painter.fillRect(QRectF(-w, h * 0.6, 3 * w, 2 * h), QColor(80, 150, 60));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 220, 80));
    painter.drawEllipse(QPointF(w * 0.8, h * 0.2), w * 0.06, w * 0.06);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(w * (0.2 + 0.6 * std::fmod(phase, 1.0)), h * 0.15), w * 0.08,
                        h * 0.04);
    painter.setBrush(QColor(200, 70, 50));
    painter.drawRect(QRectF(w * 0.42, h * 0.45, w * 0.16, h * 0.15));
    painter.setBrush(QColor(120, 40, 30));
    painter.drawPolygon(QPolygonF(
        {QPointF(w * 0.40, h * 0.45), QPointF(w * 0.5, h * 0.35), QPointF(w * 0.60, h * 0.45)}));
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRect(QRectF(w * 0.48, h * 0.52, w * 0.04, h * 0.08));
    return image;
}

// Writes lines of text at the top left; text needs Qt's fonts, so only in a
// program that runs a GUI application.
void caption(QImage& image, const QStringList& lines) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return;
    }
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(std::max(10, image.height() / 28));
    painter.setFont(font);
    const QRect box(8, 8, image.width() - 16, image.height() - 16);
    painter.setPen(Qt::black);
    painter.drawText(box.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, lines.join('\n'));
    painter.setPen(Qt::yellow);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, lines.join('\n'));
}

Bytes encode(const QImage& image, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Bytes pixels(static_cast<size_t>(rgb.width()) * rgb.height() * 3);
    for (int y = 0; y < rgb.height(); ++y) {
        std::memcpy(pixels.data() + static_cast<size_t>(y) * rgb.width() * 3, rgb.constScanLine(y),
                    static_cast<size_t>(rgb.width()) * 3);
    }
    return encodeRgb(pixels.data(), rgb.width(), rgb.height(), quality);
}

QStringList parameterLines(const Scene& scene) {
    const Settings& s = scene.settings;
    const auto n = [&](Setting setting) { return QString::number(s[setting]); };
    return {QString::fromStdString(scene.model),
            "Quality " + n(Quality) + "  Size " + n(ImageSize) + "  Mode " + n(ShootingMode),
            "Av " + n(Av) + "  Tv " + n(Tv) + "  Compensation " + n(ExposureComp),
            "White balance " + n(WhiteBalance) + "  AF " + n(AFDistance) + "  Flash " +
                n(FlashMode) + "/" + n(FlashComp),
            "Metering " + n(Metering) + "  ISO " + QString::number(s[Iso], 16) + "  Contrast " +
                n(Contrast) + "  Colour " + n(ColorGain) + "  Sharpness " + n(Sharpness),
            "Effect " + n(PhotoEffect) + "  Beep " + n(Beep) + "  Zoom " +
                QString::number(scene.zoom) + "/" + QString::number(scene.zoomMaximum)};
}

// Seconds of a Tv code (APEX * 8 + 56) and the f-number of an Av code
// (APEX * 8 + 8).
double exposureTime(uint16_t tv) {
    return std::pow(2.0, -(tv / 8.0 - 7));
}

double fNumber(uint16_t av) {
    return std::pow(2.0, (av / 8.0 - 1) / 2);
}

int isoSpeed(uint16_t code) {
    switch (code) {
    case 0x40:
        return 50;
    case 0x50:
        return 200;
    case 0x58:
        return 400;
    default:
        return 100;
    }
}

ExifFacts factsOf(const Scene& scene, QSize size) {
    const Settings& s = scene.settings;
    ExifFacts facts;
    facts.model = scene.model;
    facts.owner = scene.owner;
    facts.taken = exifTimeNow();
    facts.width = size.width();
    facts.height = size.height();
    facts.exposed = true;
    facts.exposureTime = exposureTime(s[Tv]);
    facts.fNumber = fNumber(s[Av]);
    facts.exposureBias = (24.0 - s[ExposureComp]) / 8;
    facts.iso = isoSpeed(s[Iso]);
    facts.flash = s[FlashMode] == 2 || s[FlashMode] == 3 || s[FlashMode] == 6;
    facts.focalLength = 7.2 * magnification(scene.zoom, scene.zoomMaximum);
    return facts;
}

int orientationOf(uint16_t rotation) {
    switch (rotation) {
    case 90:
        return 6;
    case 180:
        return 3;
    case 270:
        return 8;
    default:
        return 1;
    }
}

} // namespace

Exposure expose(const Scene& scene) {
    const QSize size = pictureSize(scene.settings[ImageSize]);
    QImage image = landscape(size, magnification(scene.zoom, scene.zoomMaximum), 0.3);
    caption(image, parameterLines(scene));
    Exposure exposure;
    exposure.thumbnail =
        encode(image.scaled(thumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 80);
    exposure.picture = withExif(encode(image, jpegQuality(scene.settings[Quality])),
                                factsOf(scene, size), exposure.thumbnail);
    return exposure;
}

Bytes viewfinderFrame(const LiveView& live, uint32_t n) {
    if (n % 30 == 29) {
        QImage gray(frameSize, QImage::Format_RGB888);
        gray.fill(QColor(128, 128, 128));
        return encode(gray, 75);
    }
    QImage image = landscape(frameSize, magnification(live.zoom, live.zoomMaximum), n / 90.0);
    caption(image, {"Live " + QString::number(n), "Zoom " + QString::number(live.zoom) + "/" +
                                                      QString::number(live.zoomMaximum)});
    return encode(image, 75);
}

Bytes pictureOfPixels(const Bytes& rgb, int width, int height, int quality, uint16_t rotation,
                      const CameraDescription& camera) {
    const Bytes jpeg = encodeRgb(rgb.data(), width, height, quality);
    if (jpeg.empty()) {
        return {};
    }
    const QImage image(rgb.data(), width, height, width * 3, QImage::Format_RGB888);
    const Bytes thumbnail =
        encode(image.scaled(thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation), 80);
    ExifFacts facts;
    facts.model = camera.model;
    facts.owner = camera.owner;
    facts.taken = exifTimeNow();
    facts.width = width;
    facts.height = height;
    facts.orientation = orientationOf(rotation);
    return withExif(jpeg, facts, thumbnail);
}

} // namespace cdsim
