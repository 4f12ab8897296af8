// lumvik-import run as a user's script runs it: its own process, with no
// display, on the demo camera and on the demo card through libgphoto2.

#include "DemoCard.h"
#include "FileManagerFixture.h"
#include "FileManagerGroup.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <csignal>

namespace {

struct TRun {
    int exitCode = -1;
    QString out, err;
};

class ImportProgramTest : public FileManagerTest {
  protected:
    void SetUp() override {
        FileManagerTest::SetUp();
        camera = testenv::newFolder("camera");
        MakeDemoCamera(camera);
        qputenv("LUMVIK_CAMERA", ("sim:" + camera).toUtf8());
        setup = JoinFileManagerGroup;
        home = testenv::newFolder("import-home");
        into = testenv::newFolder("into") + "/";
    }

    // The program without a display, its program folder `home`, the settings
    // those of the window.
    QProcess* start(const QStringList& arguments) {
        auto* process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(display);
        environment.insert("LUMVIK_HOME", home);
        process->setProcessEnvironment(environment);
        process->start(LUMVIK_IMPORT_PATH, arguments);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }

    TRun run(const QStringList& arguments) {
        const std::unique_ptr<QProcess> process(start(arguments));
        EXPECT_TRUE(process->waitForFinished(120000));
        return {process->exitCode(), QString::fromUtf8(process->readAllStandardOutput()),
                QString::fromUtf8(process->readAllStandardError())};
    }

    // Every file below folder, relative to it, sorted.
    static QStringList tree(const QString& folder) {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(folder.size());
        files.sort();
        return files;
    }

    QString cameraFile(const QString& name) const {
        QDirIterator files(camera, {name}, QDir::Files, QDirIterator::Subdirectories);
        return files.hasNext() ? files.next() : QString();
    }

    QString camera, home, into;
    static constexpr int CardItems = 24 + 1 + 1;            // pictures, a movie, a RAW picture
    static constexpr int CardFiles = CardItems + 1 + 1 + 1; // and a sound note and two .thm
};

} // namespace

// The same settings give the same names, bytes and dates as the window's
// automatic transfer, from the simulated camera and through libgphoto2.
TEST_F(ImportProgramTest, SameFilesAsTheWindowsAutomaticTransfer) {
    TSettings settings;
    settings.writeString(TSettings::Section, "LabelSubDirData", "$YYYY-$MM/");
    settings.writeString(TSettings::Section, "LabelFileNameData", "$DD $HH-$MIN-$SEC $CAM");
    settings.writeBool(TSettings::Section, "Addtranformationtocomment1", true);
    settings.writeBool(TSettings::Section, "Selectonlynewfiles1", false);
    for (const QString& spec :
         {"sim:" + camera, "gphoto2:Directory Browse@disk:" + camera + "/CF"}) {
        SCOPED_TRACE(spec.toStdString());
        qputenv("LUMVIK_CAMERA", spec.toUtf8());
        const QString window = testenv::newFolder("window") + "/";
        const QString command = testenv::newFolder("command") + "/";
        commandLineStart(window);
        const TRun result = run({"--camera", spec, command});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        ASSERT_EQ(tree(window).size(), CardFiles);
        EXPECT_EQ(tree(command), tree(window));
        for (const QString& file : tree(window)) {
            EXPECT_EQ(testfiles::Read(command + file), testfiles::Read(window + file))
                << file.toStdString();
            EXPECT_EQ(QFileInfo(command + file).lastModified(),
                      QFileInfo(window + file).lastModified())
                << file.toStdString();
        }
        EXPECT_EQ(result.out.count(" -> "), CardItems);
        QDir(home).removeRecursively();
    }
}

// A dry run names every file with its destination and turn, and writes
// neither a file nor the record.
TEST_F(ImportProgramTest, DryRunWritesNothing) {
    const TRun plain = run({"--dry-run", into});
    EXPECT_EQ(plain.exitCode, 0) << plain.err.toStdString();
    EXPECT_TRUE(plain.out.contains("IMG_0004.JPG -> " + into +
                                   "IMG_0004.jpg (turned 90 degrees "
                                   "clockwise)\n"))
        << plain.out.toStdString();
    const TRun json = run({"--dry-run", "--json", "--pattern", "x$CAM", into});
    const QStringList lines = json.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), plain.out.count(" -> "));
    QJsonObject fourth;
    for (const QString& line : lines) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_EQ(object["status"].toString(), "planned") << line.toStdString();
        if (object["source"] == "IMG_0004.JPG")
            fourth = object;
    }
    EXPECT_EQ(fourth["destination"].toString(), into + "xIMG_0004.jpg");
    EXPECT_EQ(fourth["rotation"].toInt(), 90);
    EXPECT_TRUE(tree(into).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(home + "/transferred"));
}

// A second run takes nothing and says so, also when the files have moved on
// from the target; a picture added is the only one taken; a record that
// cannot be read stops nothing.
TEST_F(ImportProgramTest, OnlyWhatIsNewIsTaken) {
    ASSERT_EQ(run({into}).exitCode, 0);
    ASSERT_EQ(tree(into).size(), CardFiles);
    QDir(into).removeRecursively();
    QDir().mkpath(into);

    const TRun second = run({into});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out, "No new pictures: every file on the camera was transferred before.\n");
    EXPECT_TRUE(tree(into).isEmpty());

    const QString original = cameraFile("IMG_0002.JPG");
    ASSERT_TRUE(QFile::copy(original, QFileInfo(original).path() + "/IMG_0099.JPG"));
    const TRun third = run({"--json", into});
    EXPECT_EQ(third.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(third.out.toUtf8()).object()["destination"].toString(),
              into + "IMG_0099.jpg");
    EXPECT_EQ(tree(into), QStringList({"IMG_0099.jpg"}));

    const QStringList records = QDir(home + "/transferred").entryList({"*.txt"});
    ASSERT_EQ(records.size(), 1);
    testfiles::Write(home + "/transferred/" + records.first(), "\x01\x02 not a record");
    const TRun damaged = run({"--all", into});
    EXPECT_EQ(damaged.exitCode, 0) << damaged.err.toStdString();
    EXPECT_EQ(tree(into).size(), 1 + CardFiles + 1); // IMG_0099 twice
    EXPECT_TRUE(QFileInfo::exists(home + "/transferred/" + records.first() + ".damaged"));
}

// Ctrl+C during a slow transfer: the file under way is removed whole, those
// before it stay and are known, and the next run brings the rest.
TEST_F(ImportProgramTest, CtrlCStopsCleanlyAndTheNextRunGoesOn) {
    const QString ini = camera + "/camera.ini";
    testfiles::Write(ini, testfiles::Read(ini) + "ReadBytesPerSecond=400000\n");
    const std::unique_ptr<QProcess> process(start({into}));
    QString out;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            out += QString::fromUtf8(process->readAllStandardOutput());
            return out.count('\n') >= 2 || process->state() == QProcess::NotRunning;
        },
        60000));
    ::kill(pid_t(process->processId()), SIGINT);
    ASSERT_TRUE(process->waitForFinished(60000));
    EXPECT_EQ(process->exitCode(), 130);
    EXPECT_TRUE(
        QString::fromUtf8(process->readAllStandardError()).contains("lumvik-import: Stopped: "));
    const QStringList stopped = tree(into);
    EXPECT_LT(stopped.size(), CardFiles);
    for (const QString& file : stopped) {
        EXPECT_FALSE(file.startsWith(".")) << "left behind: " << file.toStdString();
        EXPECT_EQ(testfiles::Read(into + file), testfiles::Read(cameraFile(file.toUpper())))
            << file.toStdString();
    }
    testfiles::Write(ini, testfiles::Read(ini).replace("ReadBytesPerSecond=400000\n", ""));
    EXPECT_EQ(run({into}).exitCode, 0);
    EXPECT_EQ(tree(into).size(), CardFiles);
}

// The listing of a slow camera's card ends at the next item, before anything is written.
TEST_F(ImportProgramTest, CtrlCDuringTheListingTakesNothing) {
    const QString ini = camera + "/camera.ini";
    testfiles::Write(ini, testfiles::Read(ini) + "CallLatencyMs=30\n");
    const std::unique_ptr<QProcess> process(start({into}));
    const QString log = home + "/log.txt";
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return testfiles::Read(log).contains("Enters GetPictureData index=1\r\n"); }, 60000));
    ::kill(pid_t(process->processId()), SIGINT);
    ASSERT_TRUE(process->waitForFinished(60000));
    EXPECT_EQ(process->exitCode(), 130);
    EXPECT_TRUE(tree(into).isEmpty());
    EXPECT_FALSE(testfiles::Read(log).contains("index=26\r\n"));
    EXPECT_FALSE(testfiles::Read(log).contains("GetPicture i="));
}

// A failure is one line with its reason and a non-zero status.
TEST_F(ImportProgramTest, FailuresEndWithOneLineAndAStatus) {
    const struct Case {
        QStringList arguments;
        int exitCode;
        QString reason;
    } cases[] = {
        {{}, 2, "Name one folder the pictures go to"},
        {{"--frobnicate", into}, 2, "Unknown option 'frobnicate'."},
        {{into + "missing"}, 1, "You have to select a valid computer directory"},
        {{"--camera", "sim:" + into + "none", into}, 1, "Error communicating with camera."},
    };
    for (const Case& c : cases) {
        const TRun result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.startsWith("lumvik-import: " + c.reason))
            << result.err.toStdString();
        EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
    }
}

// A server or a udev rule has no display: the program must not need the
// widgets library, which only a window would.
TEST_F(ImportProgramTest, LinksNoWidgets) {
    QProcess ldd;
    ldd.start("ldd", {LUMVIK_IMPORT_PATH});
    ASSERT_TRUE(ldd.waitForFinished());
    const QString libraries = QString::fromUtf8(ldd.readAllStandardOutput());
    EXPECT_TRUE(libraries.contains("libQt6Core")) << libraries.toStdString();
    EXPECT_FALSE(libraries.contains("libQt6Widgets")) << libraries.toStdString();
}
