#include "SimulatedCard.h"

#include "DemoCard.h"
#include "Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <vector>

namespace {

constexpr QSize PictureSize{1600, 1200};
constexpr QSize ThumbnailSize{160, 120};
constexpr int Scenes = 8;
constexpr int PicturesPerFolder = 100;

// Picture n (from 1): its folder, its file number (which starts again at 1
// after 9999, as a camera's does) and how the camera was held.
DemoShot shotOf(int n) {
    const QDateTime first(QDate(2026, 5, 14), QTime(9, 0));
    DemoShot shot = DemoShotAt(100 + (n - 1) / PicturesPerFolder, (n - 1) % 9999 + 1,
                               first.addSecs(qint64(n) * 97), PictureSize);
    shot.facts.orientation = n % 7 == 4 ? 6 : n % 11 == 9 ? 8 : 1;
    return shot;
}

void write(const QString& path, const QByteArray& bytes) {
    // A file cut short by an interrupted run never counts as made.
    QFile file(path + ".part");
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw EInOutError("Cannot write " + path);
    file.close();
    QFile::remove(path);
    if (!file.rename(path))
        throw EInOutError("Cannot write " + path);
}

QString poolFile(const QString& cacheDir, int n) {
    return QString("%1/pool/%2.JPG").arg(cacheDir).arg(n, 5, 10, QChar('0'));
}

// Every picture is made once, in the pool; the cards link to it.
void fillPool(const QString& cacheDir, int count) {
    QDir().mkpath(cacheDir + "/pool");
    std::vector<QByteArray> scenes;
    for (int n = 1; n <= count; ++n) {
        const QString path = poolFile(cacheDir, n);
        if (QFileInfo::exists(path))
            continue;
        for (int k = int(scenes.size()); k < Scenes; ++k)
            scenes.push_back(DemoJpegWithoutExif(shotOf(k + 1)));
        const DemoShot shot = shotOf(n);
        DemoShot thumbnail = shot;
        thumbnail.size = ThumbnailSize;
        const QByteArray& scene = scenes[n % Scenes];
        write(path, scene.left(2) + ExifSegment(shot.facts, DemoJpegWithoutExif(thumbnail)) +
                        scene.mid(2));
    }
}

void linkOrCopy(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::create_hard_link(from.toStdString(), to.toStdString(), error);
    if (error && !QFile::copy(from, to))
        throw EInOutError("Cannot make " + to);
}

} // namespace

QString SimulatedCard(const QString& cacheDir, int count) {
    const QString card = QString("%1/card-%2").arg(cacheDir).arg(count);
    const QString complete = card + "/complete";
    if (QFileInfo::exists(complete))
        return card;
    fillPool(cacheDir, count);
    QDir(card).removeRecursively();
    for (int n = 1; n <= count; ++n) {
        const DemoShot shot = shotOf(n);
        const QString folder = QString("%1/CF/DCIM/%2CANON").arg(card).arg(shot.folder);
        if ((n - 1) % PicturesPerFolder == 0 && !QDir().mkpath(folder))
            throw EInOutError("Cannot create " + folder);
        linkOrCopy(poolFile(cacheDir, n),
                   QString("%1/IMG_%2.JPG").arg(folder).arg(shot.number, 4, 10, QChar('0')));
    }
    write(card + "/camera.ini",
          QString("[Camera]\nModel=%1\nOwner=%2\nPort=1\n").arg(DemoModel, DemoOwner).toUtf8());
    write(complete, {});
    return card;
}
