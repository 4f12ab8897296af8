// The card of a libgphoto2 camera over a recorded device, below the worker
// thread: what no folder driver can show, such as a camera unplugged.

#include "gphoto2/GphotoCard.h"
#include "ProgressRecord.h"
#include "ScriptedCamera.h"
#include "State.h"
#include "cdsdk_log.h"
#include "gphoto2/Worker.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// A camera that holds one movie, named as the card asks for it.
std::shared_ptr<scripted::Script> movieCamera() {
    auto script = std::make_shared<scripted::Script>();
    script->abilities = {};
    script->summary = "Model: X\nSerial Number: 0815 \n";
    script->card["/DCIM/MVI_0001.MOV"] = {};
    script->piece = 65537; // pieces that do not divide the writer's blocks
    // A camera that left the bus, as libgphoto2 tells it on any call.
    script->lineGone = {"gp_camera_wait_for_event", GP_ERROR_IO_USB_FIND,
                        "Could not find USB device"};
    return script;
}

// A card over a scripted camera.
std::unique_ptr<cdgp::GphotoCard> scriptedCard(
    const std::shared_ptr<scripted::Script>& script,
    std::function<void(uint32_t eventId)> told = [](uint32_t) {}) {
    return std::make_unique<cdgp::GphotoCard>(
        cdgp::Detected{"X", "usb:001,004"}, std::move(told), [script](const cdgp::Detected&) {
            return std::make_unique<scripted::ScriptedCamera>(script);
        });
}

TEST(GphotoCardTest, DescribesTheCameraFromItsSummaryAndStorages) {
    const auto opened = scriptedCard(movieCamera());
    cdgp::GphotoCard& card = *opened;
    const auto description = card.describe();
    EXPECT_EQ(description.model, "X");
    EXPECT_EQ(description.serialNumber, "0815");
    EXPECT_EQ(description.port, uint32_t(CD_PORT_USB));
    EXPECT_EQ(description.offers.upload, 0u);
    const auto volumes = card.volumes();
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].root, "/store_00010001");
    EXPECT_EQ(volumes[0].name, "SD");
    EXPECT_EQ(volumes[0].totalKBytes, 4096u);
}

// The event poll on the worker finds the camera gone: the card says so once,
// and every later call answers the disconnection.
TEST(GphotoCardTest, AnUnpluggedCameraIsReportedOnceAndFailsAfterwards) {
    const auto script = movieCamera();
    std::mutex mutex;
    std::condition_variable reported;
    int disconnections = 0;
    const auto opened = scriptedCard(script, [&](uint32_t eventId) {
        EXPECT_EQ(eventId, uint32_t(CD_EVENT_SHUTDOWN | CD_EVENT_REASON_CONNECTION_LOST));
        std::lock_guard<std::mutex> lock(mutex);
        ++disconnections;
        reported.notify_all();
    });
    cdgp::GphotoCard& card = *opened;
    EXPECT_TRUE(card.connected());
    {
        std::lock_guard<std::mutex> lock(script->mutex);
        script->unplugged = true;
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        reported.wait(lock, [&] { return disconnections > 0; });
    }
    EXPECT_FALSE(card.connected());
    try {
        card.list("/");
        ADD_FAILURE() << "listing an unplugged camera succeeded";
    } catch (const cdsim::Failure& failure) {
        EXPECT_EQ(failure.code, CD_ERR_DEVICE_DISCONNECTED);
    }
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(disconnections, 1);
}

// A movie larger than the writer's blocks, arriving in pieces that do not
// divide them: it arrives whole, with progress that rises to 100; a stop or
// a file the camera lacks leaves nothing behind.
TEST(GphotoCardTest, TransfersStreamIntoTheFileWithProgressAndLeaveNothingWhenStopped) {
    const auto script = movieCamera();
    cdgp::Bytes& movie = script->card["/DCIM/MVI_0001.MOV"];
    for (size_t i = 0; i < (size_t(10) << 20) + 123; ++i) {
        movie.push_back(uint8_t(i * 7 + i / 4099));
    }
    const auto opened = scriptedCard(script);
    cdgp::GphotoCard& card = *opened;
    QTemporaryDir out;
    const std::string whole = out.filePath("whole.mov").toStdString();
    progressrecord::clear();
    ASSERT_EQ(card.transfer("/DCIM/MVI_0001.MOV", whole, progressrecord::sdkCallback, 0), CD_OK);
    QFile written(QString::fromStdString(whole));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(),
              QByteArray(reinterpret_cast<const char*>(movie.data()), qsizetype(movie.size())));
    const std::vector<int32_t> reported = progressrecord::percentages();
    ASSERT_GT(reported.size(), 3u);
    EXPECT_EQ(reported.front(), 0);
    EXPECT_EQ(reported.back(), 100);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));

    progressrecord::stopAt(50);
    const std::string stopped = out.filePath("stopped.mov").toStdString();
    EXPECT_EQ(card.transfer("/DCIM/MVI_0001.MOV", stopped, progressrecord::sdkCallback, 0),
              CD_ERR_CANCELLED);
    progressrecord::clear();
    EXPECT_EQ(
        card.transfer("/DCIM/MVI_0002.MOV", out.filePath("missing.mov").toStdString(), nullptr, 0),
        CD_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(card.transfer("/DCIM/MVI_0001.MOV", whole, nullptr, 0), CD_ERR_FILE_IO)
        << "an existing file was replaced";
    EXPECT_EQ(script->receptions, 4);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"whole.mov"});
}

// Over libgphoto2 itself ("Directory Browse" on an empty folder): a file the
// card lacks fails with the layer's code, and the debug log gets both the
// library's own text and the layer's line naming the call and its code.
TEST(GphotoCardTest, LibraryErrorsReachTheLayersLog) {
    static std::mutex mutex;
    static std::vector<std::string> lines;
    cdSetLogFunction(
        [](const char* line, void*) {
            std::lock_guard<std::mutex> lock(mutex);
            lines.emplace_back(line);
        },
        nullptr);
    QTemporaryDir card;
    QTemporaryDir out;
    {
        cdgp::GphotoCard opened({"Directory Browse", "disk:" + card.path().toStdString()},
                                [](uint32_t) {});
        EXPECT_EQ(opened.transfer("/IMG_0001.JPG", out.filePath("IMG_0001.JPG").toStdString(),
                                  nullptr, 0),
                  CD_ERR_FILE_NOT_FOUND);
    }
    cdSetLogFunction(nullptr, nullptr);
    std::lock_guard<std::mutex> lock(mutex);
    const auto has = [](const std::string& start, const std::string& part) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind(start, 0) == 0 && line.find(part) != std::string::npos;
        });
    };
    EXPECT_TRUE(has("libgphoto2: ", "-108")) << testing::PrintToString(lines);
    EXPECT_TRUE(has("cdsdk: gp_camera_file_get: ",
                    "(-108), answered as code " + std::to_string(CD_ERR_FILE_NOT_FOUND)))
        << testing::PrintToString(lines);
}

} // namespace

// A device call that never returns (a driver opening a FIFO) is interrupted
// once the worker showed no sign of life for the call limit: the card call
// ends with a camera error, and the camera answers the next call.
TEST(GphotoCardTest, ACallStuckInTheDeviceEndsWithACameraErrorAfterTheLimit) {
    QTemporaryDir folder;
    const std::string fifo = folder.filePath("IMG_0001.JPG").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto script = movieCamera();
    script->stuckAt = fifo;
    const auto opened = scriptedCard(script);
    cdgp::GphotoCard& card = *opened;
    cdgp::setCallLimit(std::chrono::milliseconds(200));
    try {
        card.metadata({"/DCIM/MVI_0001.MOV", {}, {}, CD_FORMAT_MOVIE}, nullptr);
        ADD_FAILURE() << "a stuck call returned";
    } catch (const cdsim::Failure& failure) {
        EXPECT_EQ(failure.code, CD_ERR_FILE_IO);
    }
    cdgp::setCallLimit(std::chrono::minutes(1));
    {
        std::lock_guard<std::mutex> lock(script->mutex);
        script->stuckAt.clear();
    }
    EXPECT_EQ(card.volumes().size(), 1u);
}

// Scratch folders of a run that was killed go when the next run needs one;
// those of running processes and other files stay.
TEST(GphotoCardTest, ScratchFoldersOfEndedRunsAreRemoved) {
    QTemporaryDir temporary;
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporary.path().toUtf8());
    const pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    ASSERT_GT(ended, 0);
    waitpid(ended, nullptr, 0);
    const QDir folder(temporary.path());
    const QString left = QString("cdsdk-gphoto2-%1-abcdef").arg(ended);
    const QString running = QString("cdsdk-gphoto2-%1-abcdef").arg(getppid());
    for (const QString& name : {left, running, QString("cdsdk-gphoto2-x-1")})
        ASSERT_TRUE(folder.mkpath(name + "/DCIM"));
    QFile(folder.filePath(left + "/DCIM/IMG_0001.JPG")).open(QIODevice::WriteOnly);
    {
        const auto card = scriptedCard(movieCamera());
        card->metadata({"/DCIM/MVI_0001.MOV", {}, {}, CD_FORMAT_MOVIE}, nullptr);
        EXPECT_FALSE(folder.exists(left));
        EXPECT_TRUE(folder.exists(running));
        EXPECT_TRUE(folder.exists("cdsdk-gphoto2-x-1"));
    }
    qputenv("TMPDIR", savedTmp);
    if (savedTmp.isEmpty())
        qunsetenv("TMPDIR");
}
