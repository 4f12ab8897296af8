// The card of a libgphoto2 camera over a recorded device, below the worker
// thread: what no folder driver can show, such as a camera unplugged.

#include "gphoto2/GphotoCard.h"
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
#include <atomic>
#include <condition_variable>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using cdgp::GphotoError;

// A device that answers from memory; once unplugged every call fails as
// libgphoto2 fails for a camera that left the bus.
class RecordedDevice final : public cdgp::Device {
  public:
    explicit RecordedDevice(std::shared_ptr<std::atomic<bool>> unplugged)
        : unplugged_(std::move(unplugged)) {}

    cdgp::Abilities abilities() override { return check(), cdgp::Abilities{}; }
    std::string summary() override { return check(), "Model: X\nSerial Number: 0815 \n"; }
    std::vector<cdgp::Storage> storages() override {
        check();
        return {{"/store_00010001", "SD", 4096, 1024}};
    }
    std::vector<std::string> folders(const std::string&) override {
        check();
        return {};
    }
    std::vector<cdgp::FileEntry> files(const std::string&) override {
        check();
        return {{"MVI_0001.MOV", movie.size(), 0}};
    }
    cdgp::Bytes read(const std::string&, cdgp::FileKind, const cdgp::Progress&) override {
        return check(), cdgp::Bytes{};
    }
    // Delivers the movie in odd pieces as a driver does, and stops at the
    // receiver's word.
    void receive(const std::string& path, const cdgp::Receiver& receiver,
                 const cdgp::Progress&) override {
        check();
        ++received;
        if (path != "/DCIM/MVI_0001.MOV") {
            throw GphotoError{"gp_camera_file_get", GP_ERROR_FILE_NOT_FOUND, "File not found"};
        }
        for (size_t at = 0; at < movie.size(); at += Piece) {
            if (!receiver(movie.data() + at, std::min(Piece, movie.size() - at))) {
                throw GphotoError{"gp_camera_file_get", GP_ERROR_CANCEL, "Cancelled"};
            }
        }
    }
    // Opens the file at stuckAt first, when set: a FIFO there blocks the
    // open as it blocks a driver's, until the call is interrupted.
    cdgp::Bytes readHead(const std::string&, uint64_t) override {
        check();
        if (!stuckAt.empty()) {
            const int opened = ::open(stuckAt.c_str(), O_RDONLY | O_CLOEXEC);
            if (opened < 0) {
                throw GphotoError{"gp_camera_file_read", GP_ERROR_IO_READ, "Interrupted"};
            }
            ::close(opened);
        }
        return cdgp::Bytes{};
    }
    void remove(const std::string&) override { check(); }
    void makeFolder(const std::string&, const std::string&) override { check(); }
    void put(const std::string&, const cdgp::Bytes&) override { check(); }
    cdgp::Widget configuration() override { return check(), cdgp::Widget{}; }
    void configure(const std::string&, const std::string&) override { check(); }
    std::string capture() override { return check(), std::string(); }
    cdgp::Bytes capturePreview() override { return check(), cdgp::Bytes{}; }
    cdgp::CameraEvent waitForEvent(int) override { return check(), cdgp::CameraEvent{}; }

    static constexpr size_t Piece = 65537;
    std::string stuckAt;
    cdgp::Bytes movie;
    int received = 0;

  private:
    void check() const {
        if (*unplugged_) {
            throw GphotoError{"gp_camera_wait_for_event", GP_ERROR_IO_USB_FIND,
                              "Could not find USB device"};
        }
    }
    std::shared_ptr<std::atomic<bool>> unplugged_;
};

// A card over a recorded device; device tells which one it is.
std::unique_ptr<cdgp::GphotoCard> recordedCard(RecordedDevice*& device) {
    auto unplugged = std::make_shared<std::atomic<bool>>(false);
    return std::make_unique<cdgp::GphotoCard>(
        cdgp::Detected{"X", "usb:001,004"}, [](uint32_t) {},
        [&device, unplugged](const cdgp::Detected&) {
            auto made = std::make_unique<RecordedDevice>(unplugged);
            device = made.get();
            return made;
        });
}

TEST(GphotoCardTest, DescribesTheCameraFromItsSummaryAndStorages) {
    auto unplugged = std::make_shared<std::atomic<bool>>(false);
    cdgp::GphotoCard card(
        {"X", "usb:001,004"}, [](uint32_t) {},
        [&](const cdgp::Detected&) { return std::make_unique<RecordedDevice>(unplugged); });
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
    auto unplugged = std::make_shared<std::atomic<bool>>(false);
    std::mutex mutex;
    std::condition_variable reported;
    int disconnections = 0;
    cdgp::GphotoCard card(
        {"X", "usb:001,004"},
        [&](uint32_t eventId) {
            EXPECT_EQ(eventId, uint32_t(CD_EVENT_SHUTDOWN | CD_EVENT_REASON_CONNECTION_LOST));
            std::lock_guard<std::mutex> lock(mutex);
            ++disconnections;
            reported.notify_all();
        },
        [&](const cdgp::Detected&) { return std::make_unique<RecordedDevice>(unplugged); });
    EXPECT_TRUE(card.connected());
    *unplugged = true;
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

std::vector<uint32_t> reported;
uint32_t stopAt = 1000; // a percentage no transfer reaches

uint32_t record(uint32_t percent, uint32_t, cdContext) {
    reported.push_back(percent);
    return percent >= stopAt ? 1 : 0;
}

// A movie larger than the writer's blocks, arriving in pieces that do not
// divide them: it arrives whole, with progress that rises to 100; a stop or
// a file the camera lacks leaves nothing behind.
TEST(GphotoCardTest, TransfersStreamIntoTheFileWithProgressAndLeaveNothingWhenStopped) {
    RecordedDevice* device = nullptr;
    const auto opened = recordedCard(device);
    cdgp::GphotoCard& card = *opened;
    for (size_t i = 0; i < (size_t(10) << 20) + 123; ++i) {
        device->movie.push_back(uint8_t(i * 7 + i / 4099));
    }
    QTemporaryDir out;
    const std::string whole = out.filePath("whole.mov").toStdString();
    reported.clear();
    ASSERT_EQ(card.transfer("/DCIM/MVI_0001.MOV", whole, record, 0), CD_OK);
    QFile written(QString::fromStdString(whole));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray(reinterpret_cast<const char*>(device->movie.data()),
                                            qsizetype(device->movie.size())));
    ASSERT_GT(reported.size(), 3u);
    EXPECT_EQ(reported.front(), 0u);
    EXPECT_EQ(reported.back(), 100u);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));

    stopAt = 50;
    const std::string stopped = out.filePath("stopped.mov").toStdString();
    EXPECT_EQ(card.transfer("/DCIM/MVI_0001.MOV", stopped, record, 0), CD_ERR_CANCELLED);
    stopAt = 1000;
    EXPECT_EQ(
        card.transfer("/DCIM/MVI_0002.MOV", out.filePath("missing.mov").toStdString(), nullptr, 0),
        CD_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(card.transfer("/DCIM/MVI_0001.MOV", whole, nullptr, 0), CD_ERR_FILE_IO)
        << "an existing file was replaced";
    EXPECT_EQ(device->received, 4);
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
    RecordedDevice* device = nullptr;
    const auto opened = recordedCard(device);
    cdgp::GphotoCard& card = *opened;
    device->stuckAt = fifo;
    cdgp::setCallLimit(std::chrono::milliseconds(200));
    try {
        card.metadata({"/DCIM/MVI_0001.MOV", {}, {}, CD_FORMAT_MOVIE}, nullptr);
        ADD_FAILURE() << "a stuck call returned";
    } catch (const cdsim::Failure& failure) {
        EXPECT_EQ(failure.code, CD_ERR_FILE_IO);
    }
    cdgp::setCallLimit(std::chrono::minutes(1));
    device->stuckAt.clear();
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
        RecordedDevice* device = nullptr;
        const auto card = recordedCard(device);
        card->metadata({"/DCIM/MVI_0001.MOV", {}, {}, CD_FORMAT_MOVIE}, nullptr);
        EXPECT_FALSE(folder.exists(left));
        EXPECT_TRUE(folder.exists(running));
        EXPECT_TRUE(folder.exists("cdsdk-gphoto2-x-1"));
    }
    qputenv("TMPDIR", savedTmp);
    if (savedTmp.isEmpty())
        qunsetenv("TMPDIR");
}
