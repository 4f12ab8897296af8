// How long the window thread stays deaf while the program works with a camera
// as slow as one on USB 2 (20 MB/s, 15 ms a call): the real windows offscreen
// over the simulated camera, with a watchdog timer on the window thread that
// records the longest gap between two turns of its event loop.
//
//   bench-responsiveness [--cache DIR] [--pictures N] [--movie-mb M]
//
// Work measured: the file manager's list of N pictures (1,000): the time until
// its names show, until the entries in sight have loaded, until those in sight
// after a scroll to the middle have, and until it is whole; the transfer
// of the demo card with a movie of M MB (1,536), a stop click in the middle
// of that movie (and the time until the window is idle again), a remote
// release with its fetch, and the upload of a 12-megapixel picture. Goals:
// every gap at most 100 ms, stop to idle at most 0.5 s.

#include "CameraConnection.h"
#include "Dates.h"
#include "DemoCard.h"
#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "Errors.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "MainDlg.h"
#include "RemoteFlows.h"
#include "Settings.h"
#include "SimulatedCard.h"
#include "UploadFlows.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr double GapGoalMs = 100;
constexpr double StopGoalMs = 500;

// Turns of the window thread's event loop, timed: a timer every 5 ms,
// whose longest wait beyond its interval is the longest deaf stretch.
class TWatchdog {
  public:
    TWatchdog() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(IntervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { turn(); });
        timer_.start();
    }
    void restart() {
        longestNs_ = 0;
        sinceTurn_.start();
    }
    double longestMs() const { return std::max<double>(0, longestNs_ / 1e6 - IntervalMs); }

  private:
    static constexpr int IntervalMs = 5;
    void turn() {
        longestNs_ = std::max(longestNs_, sinceTurn_.nsecsElapsed());
        sinceTurn_.start();
    }
    QTimer timer_;
    QElapsedTimer sinceTurn_;
    qint64 longestNs_ = 0;
};

struct Figure {
    QString work;
    double gapMs = 0;
    double seconds = 0;
};

void show(const Figure& figure) {
    std::printf("%-44s %9.1f %9.2f%s\n", qPrintable(figure.work), figure.gapMs, figure.seconds,
                figure.gapMs > GapGoalMs ? "  (over the goal)" : "");
    std::fflush(stdout);
}

void stage(const char* what) {
    std::fprintf(stderr, "%s...\n", what);
    std::fflush(stderr);
}

template <class T> T* child(QWidget* window, const char* name) {
    return window->findChild<T*>(name);
}

// Measures work on the window thread: the longest gap while it ran.
Figure measured(TWatchdog& watchdog, const QString& work, const std::function<void()>& body) {
    QElapsedTimer wall;
    watchdog.restart();
    wall.start();
    body();
    return {work, watchdog.longestMs(), wall.nsecsElapsed() / 1e9};
}

void useCamera(const QString& folder) {
    qputenv("LUMVIK_CAMERA", ("sim:" + folder).toUtf8());
}

void appendToDescription(const QString& camera, const QByteArray& keys) {
    QFile description(camera + "/camera.ini");
    if (!description.open(QIODevice::Append) || description.write(keys) != keys.size())
        throw EInOutError("Cannot write " + description.fileName());
}

// The demo camera at USB 2 speed with a movie of that many megabytes beside
// its own, made of the demo movie and a sparse tail.
QString demoCameraWithMovie(const QString& folder, qint64 megabytes) {
    MakeDemoCamera(folder, DemoSpeed::Usb2);
    QDirIterator movies(folder, {"MVI_*.AVI"}, QDir::Files, QDirIterator::Subdirectories);
    const QString demoMovie = movies.next();
    const QString big = QFileInfo(demoMovie).path() + "/MVI_0099.AVI";
    if (!QFile::copy(demoMovie, big) || !QFile::resize(big, megabytes << 20))
        throw EInOutError("Cannot make " + big);
    return folder;
}

class TBench {
  public:
    TBench(const QString& home, const QString& cache, int pictures, qint64 movieMB)
        : home_(home), cache_(cache), pictures_(pictures), movieMB_(movieMB),
          main_(WithUploadFlows(WithRemoteFlows(
              WithFileManagerFlows(WithCameraConnection({}), JoinFileManagerGroup)))) {}

    void run() {
        listBuilding();
        transferAndStop();
        releaseAndFetch();
        upload();
    }
    int failures() const { return failures_; }

  private:
    void record(const Figure& figure) {
        show(figure);
        failures_ += figure.gapMs > GapGoalMs;
    }

    // The file manager of Get pictures, its list built, handed to body.
    void withFileManager(const std::function<void(TForm_filemanager&)>& body) {
        TDialogScript script;
        script.then([&](const TDialogRequest& request) {
            auto* window = qobject_cast<TForm_filemanager*>(request.window);
            if (!window)
                throw EInOutError("the file manager did not open: " + request.text);
            window->show();
            QCoreApplication::processEvents();
            if (window->model().entries().isEmpty())
                window->FormActivate();
            body(*window);
            return TDialogAnswer{QDialog::Accepted, {}};
        });
        main_.Getpictures1Click();
    }

    void listBuilding() {
        stage("making the card of many pictures");
        const QString card = SimulatedCard(cache_, pictures_);
        const QString slow = home_ + "/slow-card";
        // The card's pictures are shared; only its description differs.
        QDir().mkpath(slow);
        QFile::link(card + "/CF", slow + "/CF");
        QFile::copy(card + "/camera.ini", slow + "/camera.ini");
        appendToDescription(slow, "ReadBytesPerSecond=20000000\nCallLatencyMs=15\n");
        useCamera(slow);
        stage("building the list");
        QElapsedTimer wall;
        TDialogScript script;
        script.then([&](const TDialogRequest& request) {
            auto* window = qobject_cast<TForm_filemanager*>(request.window);
            window->show();
            QCoreApplication::processEvents();
            if (window->model().entries().isEmpty())
                window->FormActivate();
            const QString work = QString("list of %1 pictures").arg(pictures_);
            // Each figure: the longest gap since the one before, and the time since the click.
            double longest = 0;
            const auto phase = [&](const QString& what, double since) {
                const Figure figure{work + ", " + what, watchdog_.longestMs(),
                                    seconds(wall) - since};
                longest = std::max(longest, figure.gapMs);
                record(figure);
                watchdog_.restart();
            };
            phase("names shown", 0);
            auto* list = child<QListWidget>(window, "ListBox_Cam_File_Names");
            waitUntil([&] { return screenLoaded(*window, *list); });
            phase("first screen loaded", 0);
            const double scrolled = seconds(wall);
            list->scrollToItem(list->item(list->count() / 2), QAbstractItemView::PositionAtTop);
            waitUntil([&] { return screenLoaded(*window, *list); });
            phase("screen after a scroll (from it)", scrolled);
            waitUntil([&] { return !window->model().loading(); });
            phase("whole", 0);
            std::printf("%-44s %9.1f ms%s\n", qPrintable(work + ", longest gap"), longest,
                        longest > GapGoalMs ? "  (over the goal)" : "");
            return TDialogAnswer{QDialog::Accepted, {}};
        });
        watchdog_.restart();
        wall.start();
        main_.Getpictures1Click();
    }

    static double seconds(const QElapsedTimer& wall) { return wall.nsecsElapsed() / 1e9; }

    // Lets the window thread run until done() holds.
    static void waitUntil(const std::function<bool()>& done) {
        while (!done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    // Whether every entry in sight is loaded: none says it still loads.
    static bool screenLoaded(TForm_filemanager& window, const QListWidget& list) {
        const int first = std::max(list.indexAt(QPoint(0, 0)).row(), 0);
        int last = list.indexAt(QPoint(0, list.viewport()->height() - 1)).row();
        last = last < 0 ? list.count() - 1 : last;
        const QStringList& names = window.model().entries();
        for (int row = first; row <= last; ++row)
            if (list.item(row)->text() != names.value(row))
                return false;
        return true;
    }

    void transferAndStop() {
        stage("making the demo camera with its big movie");
        useCamera(demoCameraWithMovie(home_ + "/demo", movieMB_));
        const QString work = QString("transfer of the demo card + %1 MB movie").arg(movieMB_);
        stage("transferring");
        withFileManager([&](TForm_filemanager& window) {
            window.Button_sel_allClick();
            record(measured(watchdog_, work, [&] { window.Button_StartTransferClick(); }));
        });
        QDir(target()).removeRecursively();
        QDir().mkpath(target());
        stage("stopping in the middle of the movie");
        withFileManager([&](TForm_filemanager& window) {
            window.Button_sel_allClick();
            QElapsedTimer sinceStop;
            auto* bar = child<QProgressBar>(&window, "ProgressBar");
            QObject::connect(bar, &QProgressBar::valueChanged, &window, [&](int value) {
                // The movie being received, not one read while the list was built.
                const TFileManagerModel& model = window.model();
                if (model.currentContents.movies > 0 &&
                    QString(model.currentMovie.fileName) == "MVI_0099.AVI" && value >= 30 &&
                    !sinceStop.isValid()) {
                    sinceStop.start();
                    window.Button_StartTransferClick();
                }
            });
            Figure figure = measured(watchdog_, "transfer stopped in the movie",
                                     [&] { window.Button_StartTransferClick(); });
            const double stopMs = sinceStop.isValid() ? sinceStop.nsecsElapsed() / 1e6 : -1;
            record(figure);
            std::printf("%-44s %9.1f ms%s\n", "stop to idle", stopMs,
                        stopMs < 0 || stopMs > StopGoalMs ? "  (over the goal)" : "");
            failures_ += stopMs < 0 || stopMs > StopGoalMs;
        });
    }

    void releaseAndFetch() {
        stage("remote release and fetch");
        TDialogScript script;
        script.then([&](const TDialogRequest& request) {
            QDialog* window = request.window;
            window->show();
            child<QPushButton>(window, "Button_StartRemoteProcess")->click();
            record(measured(watchdog_, "remote release and fetch",
                            [&] { child<QPushButton>(window, "Button_TakePic")->click(); }));
            child<QPushButton>(window, "Button_StartRemoteProcess")->click();
            return TDialogAnswer{QDialog::Accepted, {}};
        });
        main_.Takepictureremote1Click();
    }

    void upload() {
        stage("uploading a 12-megapixel picture");
        const QString picture = home_ + "/big.jpg";
        QImage pixels(4000, 3000, QImage::Format_RGB888);
        pixels.fill(QColor(90, 140, 200));
        if (!pixels.save(picture, "JPEG", 90))
            throw EInOutError("Cannot write " + picture);
        TDialogScript script;
        script.then([&](const TDialogRequest& request) {
            QDialog* window = request.window;
            window->show();
            child<QListWidget>(window, "ListBoxFiles")->addItem(picture);
            record(measured(watchdog_, "upload of a 12-megapixel picture",
                            [&] { child<QPushButton>(window, "ButtonUpload")->click(); }));
            return TDialogAnswer{QDialog::Accepted, {}};
        });
        main_.Uploadpictures1Click();
    }

    QString target() const { return home_ + "/target/"; }

    QString home_, cache_;
    int pictures_;
    qint64 movieMB_;
    TForm_main main_;
    TWatchdog watchdog_;
    int failures_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ReadLocalTimeZoneOnce();
    QTemporaryDir home;
    qputenv("LUMVIK_HOME", home.filePath("program").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString cache = BENCH_CACHE_DIR;
    int pictures = 1000;
    qint64 movieMB = 1536;
    for (qsizetype i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--cache")
            cache = args[i + 1];
        else if (args[i] == "--pictures")
            pictures = args[i + 1].toInt();
        else if (args[i] == "--movie-mb")
            movieMB = args[i + 1].toLongLong();
    }
    const QString target = home.filePath("target") + "/";
    QDir().mkpath(target);
    TSettings settings;
    settings.writeString(TSettings::Section, "language", "english");
    settings.writeInteger(TSettings::Section, "USBSelected", 1);
    settings.writeString(TSettings::Section, "DirOnPC", target);
    settings.writeString(TSettings::Section, "DirectoryEdit", target);
    std::printf("%-44s %9s %9s\n", "work", "gap ms", "wall s");
    try {
        TBench bench(home.path(), cache, pictures, movieMB);
        bench.run();
        return bench.failures() == 0 ? 0 : 1;
    } catch (const ELumvikError& error) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(error.message()));
        return 3;
    }
}
