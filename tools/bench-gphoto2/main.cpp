// The transfer of a card through the camera SDK layer's libgphoto2 backend
// ("Directory Browse" over a folder) against `gphoto2 --get-all-files` on the
// same card: listing and transfer through the bridge, as the file manager
// does them, against the command line tool. Timed tool runs; each side runs
// three times and the best time counts. With --movie, the peak memory of the
// bridge's transfer of one movie of that many megabytes instead.
//
//   bench-gphoto2 [pictures]
//   bench-gphoto2 --movie MEGABYTES

#include "tesselink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <limits>
#include <random>
#include <sys/resource.h>

namespace {

// Fine noise over smooth colour compresses like a detailed photograph.
void writePicture(const QString& path, int seed) {
    QImage image(3000, 2000, QImage::Format_RGB888);
    std::mt19937 random(seed);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random() % 48);
            row[3 * x] = uchar(x * 200 / image.width() + n);
            row[3 * x + 1] = uchar(y * 200 / image.height() + n);
            row[3 * x + 2] = uchar(((x / 40 + y / 40) % 2) * 120 + n);
        }
    }
    image.save(path, "JPG", 92);
}

// Seconds of the bridge's listing and of its transfer of every picture.
std::pair<double, double> throughBridge(const QString& out) {
    QElapsedTimer timer;
    timer.start();
    int32_t count = 0;
    if (tsStartSDK()->code || tsConnect()->code || tsGetVolume(1)->code ||
        tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code ||
        tsGetNrOfPicturesOnCamera(&count)->code) {
        std::fprintf(stderr, "the bridge cannot open the card\n");
        std::exit(1);
    }
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        tsPictureProperties properties{};
        tsGetPictureProperties(i, &properties);
        names.push_back(properties.fileName);
    }
    const double listing = timer.nsecsElapsed() / 1e9;
    timer.restart();
    for (int32_t i = 0; i < count; ++i) {
        const QString path = out + "/" + QString::fromStdString(names[size_t(i)]);
        if (tsGetPicture(i, path.toUtf8().constData(), 0)->code) {
            std::fprintf(stderr, "transfer %d failed\n", i);
            std::exit(1);
        }
    }
    const double transfer = timer.nsecsElapsed() / 1e9;
    tsClosePicCollection();
    tsDisconnect();
    tsFinishSDK();
    return {listing, transfer};
}

double throughCommandLine(const QString& card, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    QProcess gphoto2;
    gphoto2.setWorkingDirectory(out);
    gphoto2.start("gphoto2", {"--camera", "Directory Browse", "--port", "disk:" + card,
                              "--get-all-files", "--quiet"});
    if (!gphoto2.waitForFinished(-1) || gphoto2.exitCode() != 0) {
        std::fprintf(stderr, "gphoto2 failed: %s\n", gphoto2.readAllStandardError().constData());
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e9;
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// A movie of megabytes of varied bytes, transferred once through the bridge.
int measureMovie(long megabytes) {
    QTemporaryDir work;
    const QString card = work.filePath("card");
    QDir().mkpath(card + "/DCIM/100CANON");
    QFile movie(card + "/DCIM/100CANON/MVI_0001.AVI");
    if (!movie.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write the movie\n");
        return 1;
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    std::mt19937 random(1);
    for (auto& byte : block) {
        byte = char(random());
    }
    for (long i = 0; i < megabytes; ++i) {
        block[0] = char(i);
        movie.write(block);
    }
    movie.close();
    qputenv("LUMVIK_CAMERA", ("gphoto2:Directory Browse@disk:" + card).toUtf8());
    const QString out = work.filePath("MVI_0001.AVI");
    const long before = peakMegabytes();
    QElapsedTimer timer;
    timer.start();
    int32_t count = 0;
    if (tsStartSDK()->code || tsConnect()->code || tsGetVolume(1)->code ||
        tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code ||
        tsGetNrOfMoviesCamera(&count)->code || count != 1 ||
        tsGetMovie(0, out.toUtf8().constData())->code) {
        std::fprintf(stderr, "the bridge cannot transfer the movie\n");
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    tsClosePicCollection();
    tsDisconnect();
    tsFinishSDK();
    const qint64 received = QFileInfo(out).size();
    std::printf("movie of %ld MB transferred in %.2f s, %lld bytes arrived\n", megabytes, seconds,
                static_cast<long long>(received));
    std::printf("peak memory: %ld MB before the transfer, %ld MB after it\n", before,
                peakMegabytes());
    return received == qint64(megabytes) << 20 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc > 2 && QString(argv[1]) == "--movie") {
        return measureMovie(std::atol(argv[2]));
    }
    const int pictures = argc > 1 ? std::atoi(argv[1]) : 40;
    QTemporaryDir work;
    const QString card = work.filePath("card");
    QDir().mkpath(card + "/DCIM/100CANON");
    qint64 bytes = 0;
    for (int i = 1; i <= pictures; ++i) {
        const QString path = card + QString("/DCIM/100CANON/IMG_%1.JPG").arg(i, 4, 10, QChar('0'));
        writePicture(path, i);
        bytes += QFileInfo(path).size();
    }
    qputenv("LUMVIK_CAMERA", ("gphoto2:Directory Browse@disk:" + card).toUtf8());
    double bestListing = std::numeric_limits<double>::max();
    double bestBridge = bestListing;
    double bestTool = bestListing;
    for (int run = 0; run < 3; ++run) {
        QDir(work.filePath("out")).removeRecursively();
        QDir().mkpath(work.filePath("out"));
        const auto [listing, transfer] = throughBridge(work.filePath("out"));
        bestListing = std::min(bestListing, listing);
        bestBridge = std::min(bestBridge, listing + transfer);
        QDir(work.filePath("tool")).removeRecursively();
        QDir().mkpath(work.filePath("tool"));
        bestTool = std::min(bestTool, throughCommandLine(card, work.filePath("tool")));
    }
    std::printf("%d pictures, %.1f MB\n", pictures, bytes / 1e6);
    std::printf("bridge over gphoto2: %.2f s (listing %.2f s)\n", bestBridge, bestListing);
    std::printf("gphoto2 --get-all-files: %.2f s\n", bestTool);
    std::printf("ratio: %.2f\n", bestBridge / bestTool);
    return 0;
}
