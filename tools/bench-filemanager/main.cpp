// The file manager's list of a big camera card, built through the real
// program offscreen: the main window's Get pictures flow on a simulated camera
// whose card holds N pictures, with the debug log on, then the preview window
// over all of them, opened (timed up to its first drawing) and then scrolled
// from top to bottom. Each N runs in a process of its own so that its peak
// memory is its own. The machine may be shared, so CPU time is given beside
// the wall-clock time.
//
// A run that shows anything but the two windows fails at once with what it
// showed, and one that takes far longer than any goal is stopped, so the
// benchmark always ends; the last stage it printed says where it was.
//
//   bench-filemanager [--cache DIR] [--gphoto2] N...
//
// --gphoto2 reads the card through libgphoto2, as a real camera is read.

#include "CameraConnection.h"
#include "Dates.h"
#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "Dlg_Preview.h"
#include "Errors.h"
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

// Started at construction; measured() is the work since then.
class Stopwatch {
  public:
    Stopwatch() : cpu_(cpuSeconds(RUSAGE_SELF)), uiCpu_(cpuSeconds(RUSAGE_THREAD)) {
        wall_.start();
    }
    Measure measured() const {
        return {wall_.nsecsElapsed() / 1e9, cpuSeconds(RUSAGE_SELF) - cpu_,
                cpuSeconds(RUSAGE_THREAD) - uiCpu_, peakMB()};
    }

  private:
    QElapsedTimer wall_;
    double cpu_, uiCpu_;
};

// What the run is doing, for the reader of a run that was stopped.
void stage(int count, const char* what) {
    std::fprintf(stderr, "%d pictures: %s\n", count, what);
    std::fflush(stderr);
}

// Anything the program shows but the two windows would wait for an answer
// that no one gives, or take an answer that changes what is measured.
[[noreturn]] void unexpected(const TDialogRequest& request, const char* expected) {
    std::fprintf(stderr, "failed: the program showed \"%s\" (%s) where %s was expected\n",
                 qPrintable(request.caption), qPrintable(request.text), expected);
    std::fflush(stderr);
    std::_Exit(3);
}

// The list as the activation builds it when the window is first shown.
void buildList(TForm_filemanager& window, int count) {
    window.show();
    QCoreApplication::processEvents();
    // Not every platform activates a new window by itself.
    if (int(window.model().entries().size()) != count)
        window.FormActivate();
}

struct Scroll {
    double seconds = 0;   // from top to bottom
    double slowestMs = 0; // the slowest page
};

// The preview's grid scrolled page by page from top to bottom, each page
// drawn at once.
Scroll scrollThrough(QWidget& preview) {
    Scroll scroll;
    auto* grid = preview.findChild<QAbstractScrollArea*>();
    if (!grid)
        return scroll;
    QScrollBar* bar = grid->verticalScrollBar();
    // A page of no height would never reach the bottom.
    const int page = std::max(bar->pageStep(), 1);
    QElapsedTimer all;
    all.start();
    for (int value = 0;; value += page) {
        QElapsedTimer step;
        step.start();
        bar->setValue(std::min(value, bar->maximum()));
        grid->viewport()->repaint();
        scroll.slowestMs = std::max(scroll.slowestMs, step.nsecsElapsed() / 1e6);
        if (value >= bar->maximum())
            break;
    }
    scroll.seconds = all.nsecsElapsed() / 1e9;
    return scroll;
}

int selectedEntries(TForm_filemanager& window) {
    return int(window.selectedIndexes().size());
}

// The camera the program meets: the simulated one over the card, or
// libgphoto2's "Directory Browse" driver over its CF volume, as a real
// camera's files reach the program.
QByteArray cameraOf(const QString& card, bool gphoto2) {
    return (gphoto2 ? "gphoto2:Directory Browse@disk:" + card + "/CF" : "sim:" + card).toUtf8();
}

// One N in this process: prints the list's and the preview's measures, the
// scroll and the peak memory, in the order runChild reads them.
int runOne(int argc, char** argv, const QString& card, int count, bool gphoto2) {
    // As the program's start does.
    ReadLocalTimeZoneOnce();
    QTemporaryDir home;
    qputenv("LUMVIK_HOME", home.filePath("program").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("LUMVIK_CAMERA", cameraOf(card, gphoto2));
    QApplication app(argc, argv);
    const QString target = home.filePath("target") + "/";
    QDir().mkpath(target);
    TSettings settings;
    settings.writeString(TSettings::Section, "language", "english");
    settings.writeInteger(TSettings::Section, "USBSelected", 1);
    settings.writeBool(TSettings::Section, "Debug", true);
    settings.writeString(TSettings::Section, "DirOnPC", target);

    TForm_main main(WithFileManagerFlows(WithCameraConnection({}), JoinFileManagerGroup));
    Measure list, opening;
    Scroll scroll;
    int selected = 0;
    std::optional<Stopwatch> sinceClick;
    TDialogScript script;
    script.then([&](const TDialogRequest& request) {
        auto* window = qobject_cast<TForm_filemanager*>(request.window);
        if (!window)
            unexpected(request, "the file manager");
        stage(count, "building the list");
        const Stopwatch building;
        buildList(*window, count);
        list = building.measured();
        selected = selectedEntries(*window);
        stage(count, "opening the preview");
        sinceClick.emplace();
        window->Button1Click();
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    // The preview, shown and drawn: its opening is timed up to here.
    script.then([&](const TDialogRequest& request) {
        if (!qobject_cast<TForm_Preview*>(request.window))
            unexpected(request, "the preview");
        request.window->show();
        QCoreApplication::processEvents();
        request.window->grab();
        opening = sinceClick->measured();
        stage(count, "scrolling the preview");
        scroll = scrollThrough(*request.window);
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    script.then([](const TDialogRequest& request) -> TDialogAnswer {
        unexpected(request, "nothing more");
    });
    try {
        main.Getpictures1Click();
    } catch (const ELumvikError& error) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(error.message()));
        return 3;
    }
    if (selected != count)
        std::fprintf(stderr, "warning: %d of %d entries selected after the list was built\n",
                     selected, count);
    std::printf("%d %.3f %.3f %.3f %.1f %.3f %.3f %.3f %.3f %.1f %.1f\n", count, list.wall,
                list.cpu, list.uiCpu, list.peakMB, opening.wall, opening.cpu, opening.uiCpu,
                scroll.seconds, scroll.slowestMs, peakMB());
    return 0;
}

struct Result {
    int count = 0;
    Measure list, opening;
    Scroll scroll;
    double peak = 0;
};

// Far beyond the goals (a millisecond a picture) even on a busy machine.
int timeLimitMs(int count) {
    return 60'000 + 50 * count;
}

std::optional<Result> runChild(const QString& program, const QString& card, int count,
                               bool gphoto2) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program,
                {"--one", card, QString::number(count), gphoto2 ? "gphoto2" : "sim"});
    if (!child.waitForFinished(timeLimitMs(count))) {
        child.kill();
        child.waitForFinished(-1);
        std::fprintf(stderr, "failed: no result after %d s; stopped\n", timeLimitMs(count) / 1000);
        return std::nullopt;
    }
    Result r;
    const QByteArray line = child.readAllStandardOutput().trimmed();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
        std::sscanf(line.constData(), "%d %lf %lf %lf %lf %lf %lf %lf %lf %lf %lf", &r.count,
                    &r.list.wall, &r.list.cpu, &r.list.uiCpu, &r.list.peakMB, &r.opening.wall,
                    &r.opening.cpu, &r.opening.uiCpu, &r.scroll.seconds, &r.scroll.slowestMs,
                    &r.peak) != 11)
        return std::nullopt;
    return r;
}

// The goals for a list of that many pictures: seconds, or 0 when none.
double listGoal(int count) {
    return count <= 2000 ? 2 : count <= 5000 ? 5 : count <= 10000 ? 10 : 0;
}

constexpr double PreviewGoalSeconds = 3; // up to 10,000 pictures
constexpr double PeakGoalMB = 300;       // up to 10,000 pictures

QString missedGoals(const Result& r) {
    QStringList missed;
    const double goal = listGoal(r.count);
    if (goal > 0 && r.list.wall > goal)
        missed << "list";
    if (r.count <= 10000 && r.opening.wall > PreviewGoalSeconds)
        missed << "preview";
    if (r.count <= 10000 && r.peak > PeakGoalMB)
        missed << "memory";
    return missed.isEmpty() ? QString() : "  (over its goal: " + missed.join(", ") + ")";
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && std::strcmp(argv[1], "--one") == 0)
        return runOne(argc, argv, QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]),
                      std::strcmp(argv[4], "gphoto2") == 0);
    // The card's pictures are drawn, which needs a platform.
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString cache = BENCH_CACHE_DIR;
    if (args.size() >= 2 && args[0] == "--cache") {
        cache = args[1];
        args = args.mid(2);
    }
    const bool gphoto2 = !args.isEmpty() && args[0] == "--gphoto2";
    if (gphoto2)
        args = args.mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "Usage: bench-filemanager [--cache DIR] [--gphoto2] N...\n");
        return 2;
    }
    std::printf("%6s | %7s %7s %7s %7s | %7s %7s %7s | %7s %9s | %7s\n", "", "list", "", "ui",
                "peak", "preview", "", "ui", "scroll", "slowest", "peak");
    std::printf("%6s | %7s %7s %7s %7s | %7s %7s %7s | %7s %9s | %7s\n", "N", "wall s", "cpu s",
                "cpu s", "MB", "open s", "cpu s", "cpu s", "all s", "page ms", "MB");
    std::map<int, double> listSeconds;
    int failures = 0;
    for (const QString& arg : args) {
        const int count = arg.toInt();
        std::fprintf(stderr, "Making a card of %d pictures (cached in %s)...\n", count,
                     qPrintable(cache));
        const QString card = SimulatedCard(cache, count);
        const std::optional<Result> r = runChild(app.applicationFilePath(), card, count, gphoto2);
        if (!r) {
            std::printf("%6d | failed\n", count);
            ++failures;
            continue;
        }
        std::printf("%6d | %7.2f %7.2f %7.2f %7.0f | %7.2f %7.2f %7.2f | %7.2f %9.1f | %7.0f%s\n",
                    count, r->list.wall, r->list.cpu, r->list.uiCpu, r->list.peakMB,
                    r->opening.wall, r->opening.cpu, r->opening.uiCpu, r->scroll.seconds,
                    r->scroll.slowestMs, r->peak, qPrintable(missedGoals(*r)));
        std::fflush(stdout);
        listSeconds[count] = r->list.wall;
    }
    if (listSeconds.count(5000) && listSeconds.count(10000))
        std::printf("time(10,000) / time(5,000) = %.2f\n", listSeconds[10000] / listSeconds[5000]);
    return failures == 0 ? 0 : 1;
}
