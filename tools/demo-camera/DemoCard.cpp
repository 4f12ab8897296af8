#include "DemoCard.h"

#include "DemoMedia.h"
#include "Errors.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>
#include <cmath>
#include <numbers>

namespace {

constexpr QSize ThumbnailSize{160, 120};
constexpr QSize MovieSize{320, 240};
constexpr int MovieNumber = 13; // in 100CANON, after the first twelve pictures
constexpr int RawNumber = 26;   // in 101CANON, after the other twelve
constexpr int SoundNoteNumber = 3;

// A landscape with a gradient sky, a sun on its arc (phase 0 to 1), a house and
// the number drawn large, so each picture and its turn are easy to recognise.
QImage scene(int number, QSize size, double phase) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();
    const double horizon = h * 0.62;
    const int hue = (190 + number * 23) % 360;
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor::fromHsv(hue, 210, 150));
    sky.setColorAt(1, QColor::fromHsv(hue, 60, 255));
    p.fillRect(QRectF(0, 0, w, horizon), sky);
    QLinearGradient ground(0, horizon, 0, h);
    ground.setColorAt(0, QColor(90, 160, 60));
    ground.setColorAt(1, QColor(40, 90, 30));
    p.fillRect(QRectF(0, horizon, w, h - horizon), ground);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 70));
    const double r = std::min(w, h) * 0.08;
    p.drawEllipse(QPointF(w * (0.1 + 0.8 * phase),
                          horizon * (0.5 - 0.35 * std::sin(phase * std::numbers::pi))),
                  r, r);

    const QRectF house(w * 0.66, horizon - h * 0.1, w * 0.2, h * 0.16);
    p.setBrush(QColor::fromHsv((hue + 180) % 360, 170, 200));
    p.drawRect(house);
    p.setBrush(QColor(150, 40, 30));
    p.drawPolygon(
        QPolygonF({house.topLeft() - QPointF(w * 0.02, 0), house.topRight() + QPointF(w * 0.02, 0),
                   QPointF(house.center().x(), house.top() - h * 0.09)}));

    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(int(std::min(w / 3.2, h * 0.42)));
    const QString text = QString("%1").arg(number, 4, 10, QChar('0'));
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    path.translate(w / 2 - box.center().x(), h * 0.27 - box.center().y());
    p.setPen(QPen(Qt::black, std::max(1.0, h / 200)));
    p.setBrush(Qt::white);
    p.drawPath(path);
    return image;
}

// The picture as the sensor stored it: a camera held upright records the scene
// turned, and only the Orientation tag says how to show it.
QImage storedScene(const DemoShot& shot) {
    const bool upright = shot.facts.orientation == 6 || shot.facts.orientation == 8;
    const QSize viewed = upright ? shot.size.transposed() : shot.size;
    const QImage image = scene(shot.number, viewed, (shot.number % 10) / 9.0);
    if (!upright)
        return image;
    return image.transformed(QTransform().rotate(shot.facts.orientation == 6 ? -90 : 90));
}

// A JPEG stream that starts with the start of image and the quantisation
// tables at once (FF D8 FF DB): Qt's JFIF segment is dropped so the EXIF
// segment can come first, as in a camera's files.
QByteArray encodeJpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", quality))
        throw EConvertError("Cannot encode a demo picture as JPEG");
    qsizetype pos = 2;
    while (pos + 4 <= bytes.size() && uchar(bytes[pos]) == 0xFF &&
           (uchar(bytes[pos + 1]) & 0xF0) == 0xE0)
        pos += 2 + qFromBigEndian<quint16>(bytes.constData() + pos + 2);
    return bytes.left(2) + bytes.mid(pos);
}

QByteArray withExif(const QByteArray& jpeg, const ShotFacts& facts, const QByteArray& thumbnail) {
    return jpeg.left(2) + ExifSegment(facts, thumbnail) + jpeg.mid(2);
}

QDateTime takenAt(int number) {
    // Nine shots a day over three days, 47 minutes apart.
    const QDate day = QDate(2026, 5, 14).addDays((number - 1) / 9);
    return QDateTime(day, QTime(9, 0).addSecs(((number - 1) % 9) * 47 * 60 + number * 7));
}

int orientationOf(int number) {
    switch (number) {
    case 4:
    case 17:
        return 6;
    case 9:
    case 21:
        return 8;
    default:
        return 1;
    }
}

int folderOf(int number) {
    return number <= MovieNumber ? 100 : 101;
}

QString folderPath(const QString& dir, int folder) {
    return QString("%1/CF/DCIM/%2CANON").arg(dir).arg(folder);
}
QString fileName(const char* prefix, int number, const char* extension) {
    return QString("%1_%2.%3").arg(prefix).arg(number, 4, 10, QChar('0')).arg(extension);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw EInOutError(QString("Cannot write %1: %2").arg(path, file.errorString()));
}

void makeFolder(const QString& path) {
    if (!QDir().mkpath(path))
        throw EInOutError("Cannot create the folder " + path);
}

void checkEmpty(const QString& dir) {
    const QFileInfo info(dir);
    if (info.exists() && !info.isDir())
        throw EInOutError(dir +
                          " is a file, not a folder: the demo camera needs a new or empty folder");
    if (info.exists() &&
        !QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        throw EInOutError(dir + " is not empty: the demo camera needs a new or empty folder");
}

// A THM file: a 160x120 JPEG with the EXIF data of the item it stands for.
QByteArray thm(const DemoShot& item) {
    return withExif(encodeJpeg(scene(item.number, ThumbnailSize, 0.5), 80), item.facts, {});
}

QByteArray movie(const DemoShot& item) {
    constexpr int frames = 30;
    QList<QByteArray> jpegs;
    for (int i = 0; i < frames; ++i)
        jpegs.append(encodeJpeg(scene(item.number, MovieSize, i / double(frames - 1)), 75));
    return DemoAvi(jpegs, MovieSize, 15);
}

// The demo camera offers all of remote control: release, parameter lists,
// eight optical and four more digital zoom steps, the viewfinder and upload.
void writeCameraDescription(const QString& dir, DemoSpeed speed) {
    writeFile(dir + "/camera.ini",
              QString("[Camera]\nModel=%1\nOwner=%2\nPort=1\nSerialNumber=5601234567\n"
                      "RemoteRelease=1\nParameterLists=1\nZoomMaximum=12\nOpticalZoomMaximum=8\n"
                      "Viewfinder=1\nViewfinderFramesPerSecond=15\nUpload=1\n"
                      "UploadSizes=1600x1200,1024x768,640x480\n%3")
                  .arg(DemoModel, DemoOwner,
                       speed == DemoSpeed::Usb2 ? "ReadBytesPerSecond=20000000\nCallLatencyMs=15\n"
                                                : "")
                  .toUtf8());
}

} // namespace

DemoShot DemoShotAt(int folder, int number, const QDateTime& taken, QSize size) {
    static const Rational exposures[] = {{1, 60},  {1, 125}, {1, 250},  {1, 30},
                                         {1, 500}, {1, 15},  {1, 1000}, {1, 8}};
    static const Rational apertures[] = {{28, 10}, {40, 10}, {56, 10}, {20, 10}, {80, 10}};
    static const Rational focalLengths[] = {{72, 10}, {110, 10}, {160, 10}, {220, 10}, {288, 10}};
    static const Rational biases[] = {{0, 3}, {-1, 3}, {2, 3}, {0, 3}};
    static const int isos[] = {50, 100, 200, 400};
    DemoShot shot;
    shot.number = number;
    shot.folder = folder;
    shot.size = size;
    ShotFacts& f = shot.facts;
    f.model = DemoModel;
    f.owner = DemoOwner;
    f.taken = taken;
    f.pixels = size;
    f.exposureTime = exposures[number % 8];
    f.fNumber = apertures[number % 5];
    f.focalLength = focalLengths[number % 5];
    f.exposureBias = biases[number % 4];
    f.iso = isos[number % 4];
    f.flash = number % 5 == 2;
    f.macro = number % 13 == 7;
    f.fileNumber = folder * 10000 + number;
    return shot;
}

QByteArray DemoJpeg(const DemoShot& shot) {
    const QImage image = storedScene(shot);
    const QByteArray thumbnail = encodeJpeg(
        image.scaled(ThumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 80);
    return withExif(encodeJpeg(image, 85), shot.facts, thumbnail);
}

QByteArray DemoJpegWithoutExif(const DemoShot& shot) {
    return encodeJpeg(storedScene(shot), 85);
}

QList<DemoShot> DemoCardShots() {
    QList<DemoShot> shots;
    for (int number = 1; number < RawNumber; ++number) {
        if (number == MovieNumber)
            continue;
        DemoShot shot = DemoShotAt(folderOf(number), number, takenAt(number));
        shot.facts.orientation = orientationOf(number);
        shots.append(shot);
    }
    return shots;
}

void MakeDemoCamera(const QString& dir, DemoSpeed speed) {
    checkEmpty(dir);
    for (int folder : {100, 101})
        makeFolder(folderPath(dir, folder));
    writeCameraDescription(dir, speed);
    for (const DemoShot& shot : DemoCardShots())
        writeFile(folderPath(dir, shot.folder) + "/" + fileName("IMG", shot.number, "JPG"),
                  DemoJpeg(shot));
    writeFile(folderPath(dir, folderOf(SoundNoteNumber)) + "/" +
                  fileName("IMG", SoundNoteNumber, "WAV"),
              DemoWav(2000));

    DemoShot clip = DemoShotAt(folderOf(MovieNumber), MovieNumber, takenAt(MovieNumber), MovieSize);
    const QString clipFolder = folderPath(dir, clip.folder) + "/";
    writeFile(clipFolder + fileName("MVI", MovieNumber, "AVI"), movie(clip));
    writeFile(clipFolder + fileName("MVI", MovieNumber, "THM"), thm(clip));

    const DemoShot raw = DemoShotAt(folderOf(RawNumber), RawNumber, takenAt(RawNumber));
    const QString rawFolder = folderPath(dir, raw.folder) + "/";
    writeFile(rawFolder + fileName("CRW", RawNumber, "CRW"), DemoCrw(512 * 1024));
    writeFile(rawFolder + fileName("CRW", RawNumber, "THM"), thm(raw));
}
