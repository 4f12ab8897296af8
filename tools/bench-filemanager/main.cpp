// The file manager's list of a big camera card, built through the real
// program offscreen: the main window's Get pictures flow on a simulated camera
// whose card holds N pictures, with the debug log on, then the preview window
// over all of them, opened and scrolled from top to bottom. Each N runs in a
// process of its own so that its peak memory is its own. The machine may be
// shared, so CPU time is given beside the wall-clock time.
//
//   bench-filemanager [--cache DIR] N...

#include "CameraConnection.h"
#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "MainDlg.h"
#include "Settings.h"
#include "SimulatedCard.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <sys/resource.h>

namespace {

// Wall-clock and CPU seconds of one piece of work, and the peak memory so
// far. The process's CPU time includes the simulated camera's threads (one
// per thumbnail, as the camera's own transfers); the user interface thread's
// is the program's own work.
struct Measure {
    double wall = 0, cpu = 0, uiCpu = 0, peakMB = 0;
};

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

template <class Work> Measure measure(Work&& work) {
    QElapsedTimer wall;
    const double cpu = cpuSeconds(RUSAGE_SELF);
    const double uiCpu = cpuSeconds(RUSAGE_THREAD);
    wall.start();
    work();
    return {wall.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpu,
            cpuSeconds(RUSAGE_THREAD) - uiCpu, peakMB()};
}

// The list as the activation builds it when the window is first shown.
void buildList(TForm_filemanager& window, int count) {
    window.show();
    QCoreApplication::processEvents();
    // Not every platform activates a new window by itself.
    if (int(window.model().entries().size()) != count)
        window.FormActivate();
}

// The slowest repaint of the preview's grid while it is scrolled page by page
// from top to bottom, in milliseconds.
double slowestScrollStep(QWidget& preview) {
    auto* grid = preview.findChild<QAbstractScrollArea*>();
    if (!grid)
        return -1;
    QScrollBar* bar = grid->verticalScrollBar();
    double slowest = 0;
    for (int value = 0;; value += bar->pageStep()) {
        QElapsedTimer step;
        step.start();
        bar->setValue(std::min(value, bar->maximum()));
        grid->viewport()->repaint();
        slowest = std::max(slowest, step.nsecsElapsed() / 1e6);
        if (value >= bar->maximum())
            return slowest;
    }
}

int selectedEntries(TForm_filemanager& window) {
    return int(window.selectedIndexes().size());
}

// One N in this process: prints the list's and the preview's measures, the
// slowest scroll step and the peak memory, in the order runChild reads them.
int runOne(int argc, char** argv, const QString& card, int count) {
    QTemporaryDir home;
    qputenv("LUMVIK_HOME", home.filePath("program").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("LUMVIK_CAMERA", ("sim:" + card).toUtf8());
    QApplication app(argc, argv);
    const QString target = home.filePath("target") + "/";
    QDir().mkpath(target);
    TSettings settings;
    settings.writeString(TSettings::Section, "language", "english");
    settings.writeInteger(TSettings::Section, "USBSelected", 1);
    settings.writeBool(TSettings::Section, "Debug", true);
    settings.writeString(TSettings::Section, "DirOnPC", target);

    TForm_main main(WithFileManagerFlows(WithCameraConnection({}), JoinFileManagerGroup));
    Measure list, preview;
    double slowestScroll = 0;
    int selected = 0;
    TDialogScript script;
    script.then([&](const TDialogRequest& request) {
        auto* window = qobject_cast<TForm_filemanager*>(request.window);
        if (!window) {
            std::fprintf(stderr, "the flow showed %s\n", qPrintable(request.caption));
            return TDialogAnswer{QDialog::Rejected, {}};
        }
        list = measure([&] { buildList(*window, count); });
        selected = selectedEntries(*window);
        preview = measure([&] { window->Button1Click(); });
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    // The preview, shown and drawn; its opening is timed up to here.
    script.then([&](const TDialogRequest& request) {
        request.window->show();
        QCoreApplication::processEvents();
        request.window->grab();
        slowestScroll = slowestScrollStep(*request.window);
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    main.Getpictures1Click();
    if (selected != count)
        std::fprintf(stderr, "warning: %d of %d entries selected after the list was built\n",
                     selected, count);
    std::printf("%d %.3f %.3f %.3f %.1f %.3f %.3f %.3f %.1f %.1f\n", count, list.wall, list.cpu,
                list.uiCpu, list.peakMB, preview.wall, preview.cpu, preview.uiCpu, slowestScroll,
                peakMB());
    return 0;
}

struct Result {
    int count = 0;
    Measure list, preview;
    double slowestScroll = 0, peak = 0;
};

std::optional<Result> runChild(const QString& program, const QString& card, int count) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {"--one", card, QString::number(count)});
    child.waitForFinished(-1);
    Result r;
    const QByteArray line = child.readAllStandardOutput().trimmed();
    if (child.exitCode() != 0 ||
        std::sscanf(line.constData(), "%d %lf %lf %lf %lf %lf %lf %lf %lf %lf", &r.count,
                    &r.list.wall, &r.list.cpu, &r.list.uiCpu, &r.list.peakMB, &r.preview.wall,
                    &r.preview.cpu, &r.preview.uiCpu, &r.slowestScroll, &r.peak) != 10)
        return std::nullopt;
    return r;
}

// The goals for a list of that many pictures: seconds, or 0 when none.
double listGoal(int count) {
    return count <= 2000 ? 2 : count <= 5000 ? 5 : count <= 10000 ? 10 : 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && std::strcmp(argv[1], "--one") == 0)
        return runOne(argc, argv, QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    // The card's pictures are drawn, which needs a platform.
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString cache = BENCH_CACHE_DIR;
    if (args.size() >= 2 && args[0] == "--cache") {
        cache = args[1];
        args = args.mid(2);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "Usage: bench-filemanager [--cache DIR] N...\n");
        return 2;
    }
    std::printf("%6s | %7s %7s %7s %7s | %7s %7s %7s %9s | %7s\n", "", "list", "", "ui", "peak",
                "preview", "", "ui", "slowest", "peak");
    std::printf("%6s | %7s %7s %7s %7s | %7s %7s %7s %9s | %7s\n", "N", "wall s", "cpu s", "cpu s",
                "MB", "wall s", "cpu s", "cpu s", "scroll ms", "MB");
    std::map<int, double> listSeconds;
    for (const QString& arg : args) {
        const int count = arg.toInt();
        std::fprintf(stderr, "Making a card of %d pictures (cached in %s)...\n", count,
                     qPrintable(cache));
        const QString card = SimulatedCard(cache, count);
        const std::optional<Result> r = runChild(app.applicationFilePath(), card, count);
        if (!r) {
            std::printf("%6d | failed\n", count);
            continue;
        }
        const double goal = listGoal(count);
        std::printf("%6d | %7.2f %7.2f %7.2f %7.0f | %7.2f %7.2f %7.2f %9.1f | %7.0f%s\n", count,
                    r->list.wall, r->list.cpu, r->list.uiCpu, r->list.peakMB, r->preview.wall,
                    r->preview.cpu, r->preview.uiCpu, r->slowestScroll, r->peak,
                    goal > 0 && r->list.wall > goal ? "  (list over its goal)" : "");
        std::fflush(stdout);
        listSeconds[count] = r->list.wall;
    }
    if (listSeconds.count(5000) && listSeconds.count(10000))
        std::printf("time(10,000) / time(5,000) = %.2f\n", listSeconds[10000] / listSeconds[5000]);
    return 0;
}
