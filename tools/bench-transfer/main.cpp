// The transfer's speed on folder collections of camera pictures of 4 to 5 MB,
// through the real transfer code (receive, lossless rotation with the EXIF
// update, kept date):
// - plain: none turned, against `gphoto2 --get-all-files` over libgphoto2's
//   "Directory Browse" driver on the same folder, alone and followed by
//   `sync -f` (the transfer's files are on the disk when it ends);
// - turned: half of them tagged as turned by 90 degrees, against the same
//   work done by cp and jpegtran from a shell script.
// - turned over the simulated camera: the same half-turned pictures on the
//   card of a simulated camera at disk speed, against cp and jpegtran.
// Timed tool runs; each side runs three times and the best time counts.
//
//   bench-transfer [plain pictures, 80] [turned pictures, 200] [turned on the camera, 80]

#include "AppServices.h"
#include "AtomicFile.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "Clock.h"
#include "Dates.h"
#include "DemoCard.h"
#include "FileManagerModel.h"
#include "JPEGImage.h"
#include "LanguageFile.h"
#include "Settings.h"
#include "Transfer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <limits>
#include <random>

namespace {

constexpr QSize PictureSize{4000, 3000};

// Fine noise over smooth colour compresses like a detailed photograph; the
// noise level sets the file size.
QByteArray noisyJpeg(int noise, int seed) {
    QImage image(PictureSize, QImage::Format_RGB888);
    std::mt19937 random(seed);
    for (int y = 0; y < image.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(random() % noise);
            row[3 * x] = uchar(x * 200 / image.width() + n);
            row[3 * x + 1] = uchar(y * 200 / image.height() + n);
            row[3 * x + 2] = uchar(((x / 40 + y / 40) % 2) * 120 + n);
        }
    }
    TJPEGImage jpeg;
    jpeg.assign(image);
    jpeg.setCompressionQuality(90);
    jpeg.compress();
    // Our encoder writes an empty APP1 segment first; the camera's takes its place.
    const QByteArray data = jpeg.data();
    return data.left(2) + data.mid(4 + qFromBigEndian<quint16>(data.constData() + 4));
}

// The EXIF thumbnail of a demo camera picture (the end of its APP1 segment).
QByteArray demoThumbnail() {
    const QByteArray small = DemoJpeg(DemoShotAt(100, 1, QDateTime::currentDateTime(), {320, 240}));
    const QByteArray app1 = small.mid(6, qFromBigEndian<quint16>(small.constData() + 4) - 2);
    return app1.mid(app1.indexOf("\xFF\xD8\xFF\xDB"));
}

struct Collection {
    QString folder;
    QStringList turned; // pictures tagged as turned by 90 degrees
    qint64 bytes = 0;
    qint64 smallest = 0, largest = 0;
};

// Every second picture is tagged as turned when halfTurned is set.
Collection makeCollection(const QString& root, int count, bool halfTurned) {
    Collection c{root, {}, 0, std::numeric_limits<qint64>::max(), 0};
    const QString dcim = root + "/DCIM/100CANON/";
    QDir().mkpath(dcim);
    const QByteArray thumbnail = demoThumbnail();
    QList<QByteArray> pictures;
    for (int noise : {30, 33, 36, 39})
        pictures << noisyJpeg(noise, noise);
    for (int n = 1; n <= count; ++n) {
        ShotFacts facts =
            DemoShotAt(100, n, QDateTime(QDate(2026, 5, 14), QTime(9, 0)).addSecs(n * 60),
                       PictureSize)
                .facts;
        facts.pixels = PictureSize;
        facts.orientation = halfTurned && n % 2 ? 6 : 1;
        const QByteArray& picture = pictures[n % pictures.size()];
        const QByteArray file = picture.left(2) + ExifSegment(facts, thumbnail) + picture.mid(2);
        const QString name = QString("IMG_%1.JPG").arg(n, 4, 10, QChar('0'));
        WriteFileAtomically(dcim + name, file);
        c.bytes += file.size();
        c.smallest = std::min(c.smallest, file.size());
        c.largest = std::max(c.largest, file.size());
        if (facts.orientation == 6)
            c.turned << name;
    }
    return c;
}

// The 1000 ms wait before the first rate is the transfer's only pause; left
// out here so both sides do the same work.
class NoWaitClock : public TClock {
  public:
    void sleep(int) override {}
};

class QuietView : public TFileManagerView {
  public:
    void SetStatusText(const QString&) override {}
    void ClearEntries() override {}
    void AddEntry(const QString&) override {}
    void SetEntrySelected(int, bool) override {}
    void SelectEntries(const QList<int>&) override {}
    void ShowPictureData(const TPictureDataLines&) override {}
    void ShowThumbnail(const TThumbnail&) override {}
    void LetMessagesRun() override {}
};

// The services a session needs, with a settings store of the bench's own.
class BenchServices : public TAppServices {
  public:
    explicit BenchServices(const QString& settingsPath) : settings_(settingsPath) {}
    TSettings& settings() override { return settings_; }
    const TLanguageFile& language() const override { return language_; }
    QString currentLanguage() const override { return "english"; }
    void SetStatusText(const QString&) override {}
    bool debugEnabled() const override { return false; }

  private:
    TSettings settings_;
    TLanguageFile language_;
};

class AllSelected : public TTransferWindow {
  public:
    AllSelected(int count, const QString& target) : count_(count) {
        options_.targetDirectory = target;
    }
    QList<int> selectedIndexes() const override {
        QList<int> all;
        for (int i = 0; i < count_; ++i)
            all << i;
        return all;
    }
    TTransferOptions transferOptions() const override { return options_; }
    void showRunning(bool) override {}
    void setProgress(int) override {}
    void bringToFront() override {}
    bool confirm(const QString&) override { return true; }
    void notify(const QString&, TNotice) override {}

  private:
    int count_;
    TTransferOptions options_;
};

// A collection below a simulated camera's "CF" volume is read from the camera,
// any other as a computer folder.
void openCollection(const Collection& collection) {
    if (!collection.folder.endsWith("/CF")) {
        tesselink::OpenPicCollection(TS_SOURCE_FOLDER, collection.folder, tsFileKinds{1, 1, 1, 0});
        return;
    }
    qputenv("LUMVIK_CAMERA", ("sim:" + QFileInfo(collection.folder).path()).toUtf8());
    tesselink::Connect();
    tesselink::GetVolume(1);
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{1, 1, 1, 0});
}

// A counter of this process's input and output ("write_bytes", "rchar").
qint64 ioCounter(const QByteArray& name) {
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith(name + ":"))
            return line.mid(name.size() + 1).trimmed().toLongLong();
    return 0;
}

double transferSeconds(const Collection& collection, const QString& target) {
    TLanguageFile language;
    QuietView view;
    BenchServices services(target + "settings.ini");
    TCameraSession session(services);
    TFileManagerModel model(language, view, session);
    openCollection(collection);
    model.targetDirectory = target;
    model.GetAllThumnails();
    while (model.loading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    AllSelected window(int(model.entries().size()), target);
    QStringList received;
    TTransfer transfer(model, view, window, session, language, received);
    const qint64 written = ioCounter("write_bytes"), read = ioCounter("rchar");
    QElapsedTimer timer;
    timer.start();
    transfer.Button_StartTransferClick();
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("  (%.1f s: %.0f MB written, %.0f MB read by calls)\n", seconds,
                (ioCounter("write_bytes") - written) / 1e6, (ioCounter("rchar") - read) / 1e6);
    tesselink::ClosePicCollection();
    if (collection.folder.endsWith("/CF"))
        tesselink::Disconnect();
    TJPEGImage first;
    first.loadFromFile(received.value(0));
    const bool turned = !collection.turned.isEmpty();
    if (first.width() != (turned ? PictureSize.height() : PictureSize.width()))
        std::printf("warning: the first picture was %s\n", turned ? "not turned" : "turned");
    if (received.size() != model.entries().size())
        std::printf("warning: %lld of %lld files received\n", qlonglong(received.size()),
                    qlonglong(model.entries().size()));
    return seconds;
}

double scriptSeconds(const Collection& collection, const QString& target) {
    QString script = "set -e\n";
    const QString dcim = collection.folder + "/DCIM/100CANON/";
    for (const QString& name : QDir(dcim).entryList({"*.JPG"}, QDir::Files)) {
        const QString from = "'" + dcim + name + "'";
        const QString to = "'" + target + QFileInfo(name).completeBaseName() + ".jpg'";
        script += "cp --preserve=timestamps " + from + " " + to + "\n";
        if (collection.turned.contains(name))
            script += QString(JPEGTRAN_PATH) + " -copy all -rotate 90 -outfile " + to + ".tmp " +
                      to + " && mv " + to + ".tmp " + to + " && touch -r " + from + " " + to + "\n";
    }
    QElapsedTimer timer;
    timer.start();
    if (QProcess::execute("sh", {"-c", script}) != 0)
        std::printf("warning: the cp and jpegtran script failed\n");
    return timer.nsecsElapsed() / 1e9;
}

double gphotoSeconds(const Collection& collection, const QString& target) {
    QProcess gphoto;
    gphoto.setWorkingDirectory(target);
    QElapsedTimer timer;
    timer.start();
    gphoto.start("gphoto2", {"--quiet", "--camera", "Directory Browse", "--port",
                             "disk:" + collection.folder, "--get-all-files"});
    if (!gphoto.waitForFinished(-1) || gphoto.exitCode() != 0)
        std::printf("warning: gphoto2 failed: %s\n", gphoto.readAllStandardError().constData());
    const double seconds = timer.nsecsElapsed() / 1e9;
    const qsizetype files = QDir(target).entryList(QDir::Files).size();
    if (files != QDir(collection.folder + "/DCIM/100CANON").entryList(QDir::Files).size())
        std::printf("warning: gphoto2 received %lld files\n", qlonglong(files));
    return seconds;
}

// The transfer's files are on the disk when it reports the end; gphoto2's
// stay in the page cache until the system writes them out. This side also
// waits for that, as the transfer does.
double gphotoWrittenOutSeconds(const Collection& collection, const QString& target) {
    QElapsedTimer timer;
    timer.start();
    gphotoSeconds(collection, target);
    if (QProcess::execute("sync", {"-f", target}) != 0)
        std::printf("warning: sync failed\n");
    return timer.nsecsElapsed() / 1e9;
}

template <class Run> double best(Run run, const QString& target) {
    double fastest = 1e9;
    for (int i = 0; i < 3; ++i) {
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        fastest = std::min(fastest, run(target + "/"));
    }
    return fastest;
}

void describe(const Collection& collection, int count) {
    std::printf("%d pictures, %.1f MB in all (%.2f to %.2f MB each), %lld tagged as turned\n",
                count, collection.bytes / 1e6, collection.smallest / 1e6, collection.largest / 1e6,
                qlonglong(collection.turned.size()));
}

struct Other {
    const char* name;
    double (*seconds)(const Collection&, const QString&);
};

// Ours against each other side on a fresh card: a computer folder, or the
// card of a simulated camera at disk speed.
void compare(const QString& work, int count, bool halfTurned, std::initializer_list<Other> others,
             bool onCamera = false) {
    const QString card = work + (halfTurned ? "/turned-card" : "/plain-card");
    if (onCamera) {
        QDir().mkpath(card);
        WriteFileAtomically(card + "/camera.ini", "[Camera]\nModel=Canon PowerShot G5\nPort=1\n");
    }
    const Collection collection = makeCollection(onCamera ? card + "/CF" : card, count, halfTurned);
    std::printf("%s", onCamera ? "On the simulated camera: " : "");
    describe(collection, count);
    const double ours =
        best([&](const QString& t) { return transferSeconds(collection, t); }, work + "/ours");
    std::printf("transfer: %.2f s\n", ours);
    for (const Other& other : others) {
        const double theirs =
            best([&](const QString& t) { return other.seconds(collection, t); }, work + "/theirs");
        std::printf("%s: %.2f s\ntransfer / (%s): %.2f\n", other.name, theirs, other.name,
                    ours / theirs);
    }
    std::printf("\n");
    std::fflush(stdout);
    QDir(card).removeRecursively();
}

} // namespace

int main(int argc, char** argv) {
    // As the program's start does.
    ReadLocalTimeZoneOnce();
    // The demo pictures' thumbnails are drawn, which needs a platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int plain = argc > 1 ? std::atoi(argv[1]) : 80;
    const int turned = argc > 2 ? std::atoi(argv[2]) : 200;
    const int onCamera = argc > 3 ? std::atoi(argv[3]) : 80;
    QTemporaryDir work;
    qputenv("LUMVIK_CAMERA", ("sim:" + work.filePath("no-camera")).toUtf8());
    NoWaitClock clock;
    TClock::install(&clock);
    std::printf("Pictures of %dx%d pixels.\n", PictureSize.width(), PictureSize.height());
    tesselink::StartSDK();
    if (plain > 0)
        compare(work.path(), plain, false,
                {{"gphoto2 --get-all-files", gphotoSeconds},
                 {"gphoto2 --get-all-files, sync -f", gphotoWrittenOutSeconds}});
    if (turned > 0)
        compare(work.path(), turned, true, {{"cp + jpegtran", scriptSeconds}});
    if (onCamera > 0)
        compare(work.path(), onCamera, true, {{"cp + jpegtran", scriptSeconds}}, true);
    tesselink::FinishSDK();
    TClock::install(nullptr);
    return 0;
}
