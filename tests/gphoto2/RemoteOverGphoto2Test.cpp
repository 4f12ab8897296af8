// Release control of a libgphoto2 camera through the layer's operations, over
// a scripted camera put below the worker thread in place of libgphoto2: no
// folder driver takes pictures, gives preview frames or goes away.

#include "ProgressRecord.h"
#include "RecordedTrees.h"
#include "ScriptedCamera.h"
#include "SdkSession.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "cdsdk.h"
#include "gphoto2/GphotoCard.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>

namespace {

using cdgp::Bytes;
using cdgp::Widget;
using scripted::Script;
using scripted::ScriptedCamera;

Bytes jpegOf(const QSize& size, Qt::GlobalColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return Bytes(bytes.begin(), bytes.end());
}

// The PowerShot's recorded widgets with the capture target of PTP cameras,
// which shoot into their own memory unless told otherwise.
Widget powerShotTree() {
    return recorded::treeOf(std::string(recorded::powerShotDump) +
                            "/main/settings/capturetarget\nLabel: Capture Target\nReadonly: 0\n"
                            "Type: RADIO\nCurrent: Internal RAM\nChoice: 0 Internal RAM\n"
                            "Choice: 1 Memory card\nEND\n");
}

class RemoteOverGphoto2Test : public SdkTest {
  protected:
    void SetUp() override {
        script->config = powerShotTree();
        script->picture = jpegOf({640, 480}, Qt::darkCyan);
        cdgp::replaceDevices([script = script](const cdgp::Detected&) {
            return std::make_unique<ScriptedCamera>(script);
        });
        qputenv("LUMVIK_CAMERA", "gphoto2:Canon PowerShot G9@usb:001,004");
        SdkTest::SetUp();
        progressrecord::clear();
    }
    void TearDown() override {
        SdkTest::TearDown();
        cdgp::replaceDevices({});
        std::lock_guard<std::mutex> lock(script->mutex);
        EXPECT_EQ(script->threads.size(), 1u) << "libgphoto2 was called from several threads";
    }

    static cdHSource inReleaseControl() {
        const cdHSource source = connect();
        EXPECT_EQ(CDEnterReleaseControl(source, nullptr, 0), CD_OK);
        return source;
    }

    // Fetches the oldest released data into path.
    static cdError fetch(cdHSource source, const QString& path, cdReleaseImageInfo* info = nullptr,
                         cdProgressCallbackFunction progress = nullptr) {
        const QByteArray name = path.toUtf8();
        const cdStorage storage{CD_STORAGE_FILE, name.constData()};
        cdReleaseImageInfo ignored{};
        return CDGetReleasedData(source, progress, 0, progress ? CD_PROGRESS_REPORT : 0,
                                 info ? info : &ignored, &storage);
    }

    const std::shared_ptr<Script> script = std::make_shared<Script>();
};

uint32_t remoteReleaseSupport(cdHSource source) {
    uint32_t support = 0;
    uint32_t size = sizeof support;
    EXPECT_EQ(
        CDGetDevicePropertyData(source, CD_DEVPROP_REMOTE_RELEASE_SUPPORT, &size, &support, 0),
        CD_OK);
    return support;
}

// What the layer offers follows the driver's abilities and the widgets the
// camera shows; what a driver lacks answers "not supported".
TEST_F(RemoteOverGphoto2Test, OffersFollowTheDriversAbilitiesAndWidgets) {
    struct Case {
        const char* name;
        cdgp::Abilities abilities;
        uint32_t support;
        uint32_t faculty;
    };
    const Case cases[] = {
        {"capture, preview, zoom",
         {true, false, false, true, true},
         1,
         CD_RELEASE_FACULTY_ZOOM | CD_RELEASE_FACULTY_VIEWFINDER},
        {"capture without configuration", {false, false, false, true, false}, 1, 0},
        {"no capture", {true, false, false, false, true}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        script->abilities = c.abilities;
        const cdHSource source = connect();
        EXPECT_EQ(remoteReleaseSupport(source), c.support);
        uint32_t faculty = 0xFF;
        EXPECT_EQ(CDGetReleaseControlFaculty(source, &faculty), CD_OK);
        EXPECT_EQ(faculty, c.faculty);
        const cdError entered = CDEnterReleaseControl(source, nullptr, 0);
        EXPECT_EQ(entered, c.support ? CD_OK : CD_ERR_NOT_SUPPORTED);
        if (entered == CD_OK) {
            uint32_t optical = 0;
            uint32_t maximum = 0;
            EXPECT_EQ(CDGetMaximumZoomPos(source, &optical, &maximum),
                      c.faculty ? CD_OK : CD_ERR_NOT_SUPPORTED);
            uint16_t whiteBalance = 0;
            EXPECT_EQ(CDGetWBSetting(source, &whiteBalance),
                      c.abilities.configuration ? CD_OK : CD_ERR_NOT_SUPPORTED);
            EXPECT_EQ(CDExitReleaseControl(source), CD_OK);
        }
        EXPECT_EQ(CDCloseSource(source), CD_OK);
    }
}

// Each data kind: what reaches the computer arrives byte for byte, and the
// card keeps its copy only when the kind keeps one, with the camera told to
// shoot onto its card then.
TEST_F(RemoteOverGphoto2Test, ReleaseDeliversEachDataKindAndKeepsTheCardCopyOnlyWhenAsked) {
    struct Case {
        uint32_t kind;
        bool thumbnail;
        bool picture;
        bool kept;
    };
    const Case cases[] = {
        {CD_REL_KIND_THUMB_TO_PC | CD_REL_KIND_PICTURE_TO_PC, true, true, false},
        {0xF, true, true, true},
        {CD_REL_KIND_PICTURE_TO_PC | CD_REL_KIND_PICTURE_TO_CAMERA, false, true, true},
        {CD_REL_KIND_THUMB_TO_PC, true, false, false},
        {CD_REL_KIND_THUMB_TO_CAMERA | CD_REL_KIND_PICTURE_TO_CAMERA, false, false, true},
    };
    const cdHSource source = inReleaseControl();
    const QString out = testenv::newFolder("released");
    const QByteArray picture(reinterpret_cast<const char*>(script->picture.data()),
                             qsizetype(script->picture.size()));
    int shot = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        ++shot;
        script->config = powerShotTree(); // shooting into the camera's memory again
        ASSERT_EQ(CDSelectReleaseDataKind(source, c.kind), CD_OK);
        uint32_t data = 0;
        ASSERT_EQ(CDRelease(source, 1, nullptr, 0, CD_PROGRESS_NONE, &data), CD_OK);
        EXPECT_EQ(data, uint32_t(c.thumbnail) + uint32_t(c.picture));
        const std::string onCard = script->lastCaptured;
        EXPECT_EQ(script->targetsAtCapture.back(), c.kept ? "Memory card" : "Internal RAM");
        cdReleaseImageInfo info{};
        if (c.thumbnail) {
            const QString path = out + QString("/thumbnail%1.jpg").arg(shot);
            ASSERT_EQ(fetch(source, path, &info), CD_OK);
            EXPECT_EQ(info.dataType, uint32_t(CD_RELEASED_THUMBNAIL));
            const QImage thumbnail(path, "JPG");
            EXPECT_FALSE(thumbnail.isNull());
            EXPECT_LE(thumbnail.width(), 160);
        }
        if (c.picture) {
            EXPECT_TRUE(script->holds(onCard)) << "gone before it was fetched";
            const QString path = out + QString("/picture%1.jpg").arg(shot);
            progressrecord::clear();
            ASSERT_EQ(fetch(source, path, &info, progressrecord::sdkCallback), CD_OK);
            EXPECT_EQ(info.dataType, uint32_t(CD_RELEASED_PICTURE));
            EXPECT_EQ(info.byteCount, uint32_t(picture.size()));
            EXPECT_EQ(testfiles::Read(path), picture);
            const std::vector<int32_t> reports = progressrecord::percentages();
            EXPECT_GT(reports.size(), 3u);
            EXPECT_EQ(reports.back(), 100);
            EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
        }
        EXPECT_EQ(fetch(source, out + "/none.jpg"), CD_ERR_NO_DATA);
        EXPECT_EQ(script->holds(onCard), c.kept);
    }
    EXPECT_EQ(CDExitReleaseControl(source), CD_OK);
}

// A release that fails answers the camera's code, synchronously or at the
// fetch; a fetch that stops or fails leaves the picture on the card.
TEST_F(RemoteOverGphoto2Test, AFailedReleaseOrFetchAnswersItsCodeAndLosesNoPicture) {
    const cdHSource source = inReleaseControl();
    ASSERT_EQ(CDSelectReleaseDataKind(source, CD_REL_KIND_PICTURE_TO_PC), CD_OK);
    const QString out = testenv::newFolder("failed");
    script->captureFailure = GP_ERROR_CAMERA_BUSY;
    EXPECT_EQ(CDRelease(source, 1, nullptr, 0, CD_PROGRESS_NONE, nullptr), CD_ERR_BUSY);
    EXPECT_EQ(CDRelease(source, 0, nullptr, 0, CD_PROGRESS_NONE, nullptr), CD_OK);
    EXPECT_EQ(fetch(source, out + "/busy.jpg"), CD_ERR_BUSY);
    EXPECT_EQ(fetch(source, out + "/busy.jpg"), CD_ERR_NO_DATA) << "the failure is told once";

    script->captureFailure.reset();
    ASSERT_EQ(CDRelease(source, 1, nullptr, 0, CD_PROGRESS_NONE, nullptr), CD_OK);
    progressrecord::stopAt(50);
    EXPECT_EQ(fetch(source, out + "/stopped.jpg", nullptr, progressrecord::sdkCallback),
              CD_ERR_CANCELLED);
    EXPECT_FALSE(QFile::exists(out + "/stopped.jpg"));
    EXPECT_TRUE(script->holds(script->lastCaptured)) << "a stopped fetch deleted the picture";

    QFile(out + "/taken.jpg").open(QIODevice::WriteOnly);
    ASSERT_EQ(CDRelease(source, 1, nullptr, 0, CD_PROGRESS_NONE, nullptr), CD_OK);
    EXPECT_EQ(fetch(source, out + "/taken.jpg"), CD_ERR_FILE_IO);
    EXPECT_TRUE(script->holds(script->lastCaptured)) << "a failed fetch deleted the picture";
    EXPECT_EQ(CDExitReleaseControl(source), CD_OK);
}

std::vector<uint16_t> listed(cdHEnum list, uint32_t entrySize) {
    uint32_t count = 0;
    EXPECT_EQ(CDGetReleaseParamCount(list, &count), CD_OK);
    std::vector<uint16_t> entries;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t entry = 0;
        uint32_t size = entrySize;
        EXPECT_EQ(CDEnumReleaseParamNext(list, &size, &entry), CD_OK);
        entries.push_back(static_cast<uint16_t>(entry));
    }
    EXPECT_EQ(CDEnumReleaseParamRelease(list), CD_OK);
    return entries;
}

// The parameters read and set the camera's widgets through the PowerShot
// table: a present choice without a code reads as unavailable, a code without
// a choice or refused by the camera changes nothing, and a parameter without
// a widget is not supported.
TEST_F(RemoteOverGphoto2Test, ParametersGoThroughTheConfigurationWidgets) {
    script->refused = {"shootingmode"};
    const cdHSource source = inReleaseControl();
    uint16_t code = 0;
    EXPECT_EQ(CDGetWBSetting(source, &code), CD_OK);
    EXPECT_EQ(code, 2) << "Cloudy";
    EXPECT_EQ(CDSetWBSetting(source, 14), CD_OK);
    EXPECT_EQ(script->value("whitebalance"), "Fluorescent H");
    EXPECT_EQ(CDSetWBSetting(source, 5), CD_ERR_BAD_PARAMETER) << "the camera has no Flash choice";
    EXPECT_EQ(script->value("whitebalance"), "Fluorescent H");
    EXPECT_EQ(CDGetTvValue(source, &code), CD_ERR_PROPERTY_UNAVAILABLE) << "\"auto\" has no code";
    EXPECT_EQ(CDSetShootingMode(source, CD_SHOOTING_MODE_MANUAL), CD_ERR_BAD_PARAMETER);
    EXPECT_EQ(script->value("shootingmode"), "Av");
    EXPECT_EQ(CDGetAFDistanceSetting(source, &code), CD_ERR_NOT_SUPPORTED);
    cdHEnum list = 0;
    EXPECT_EQ(CDEnumAFDistanceSettingReset(source, &list), CD_ERR_NOT_SUPPORTED);

    uint8_t iso = 0xFF;
    uint32_t size = sizeof iso;
    EXPECT_EQ(CDGetRelCamSettingData(source, CD_RELCAM_ISO, &size, &iso), CD_OK);
    EXPECT_EQ(iso, 0) << "Auto";
    iso = 0x50;
    EXPECT_EQ(CDSetRelCamSettingData(source, CD_RELCAM_ISO, 1, &iso), CD_OK);
    EXPECT_EQ(script->value("iso"), "200");
    uint8_t metering = 0;
    size = sizeof metering;
    EXPECT_EQ(CDGetRelCamSettingData(source, CD_RELCAM_METERING, &size, &metering),
              CD_ERR_NOT_SUPPORTED);
    uint32_t entrySize = 0;
    ASSERT_EQ(CDEnumRelCamSettingReset(source, CD_RELCAM_ISO, &list, &entrySize), CD_OK);
    EXPECT_EQ(listed(list, entrySize), (std::vector<uint16_t>{0, 0x48, 0x50, 0x58}));

    EXPECT_EQ(CDSetImageFormatAttribute(source, 5, 0), CD_OK);
    EXPECT_EQ(script->value("imageformat"), "Large Superfine JPEG");
    EXPECT_EQ(CDSetImageFormatAttribute(source, 5, 2), CD_ERR_BAD_PARAMETER);
    uint16_t quality = 0;
    uint16_t imageSize = 9;
    EXPECT_EQ(CDGetImageFormatAttribute(source, &quality, &imageSize), CD_OK);
    EXPECT_EQ(quality, 5);
    EXPECT_EQ(imageSize, 0);
    ASSERT_EQ(CDEnumImageFormatAttributeReset(source, &list), CD_OK);
    EXPECT_EQ(listed(list, sizeof(cdImageFormat)).size(), 7u) << "RAW + JPEG has no code";

    uint16_t mode = 0;
    uint16_t compensation = 0;
    EXPECT_EQ(CDGetFlashSetting(source, &mode, &compensation), CD_OK);
    EXPECT_EQ(mode, 1) << "Auto";
    EXPECT_EQ(compensation, 24);
    EXPECT_EQ(CDSetFlashSetting(source, 3, 16), CD_ERR_BAD_PARAMETER) << "no flash compensation";
    EXPECT_EQ(script->value("flashmode"), "Auto");
    EXPECT_EQ(CDSetFlashSetting(source, 3, 0xFF), CD_OK);
    EXPECT_EQ(script->value("flashmode"), "Red-eye");
    ASSERT_EQ(CDEnumFlashSettingReset(source, &list), CD_OK);
    EXPECT_EQ(listed(list, 2), (std::vector<uint16_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(CDExitReleaseControl(source), CD_OK);
}

// The remote window reads its parameters together: the camera's
// configuration is read once for them, and again after each setting the
// camera was sent, taken or refused, and after each shot.
TEST_F(RemoteOverGphoto2Test, ParametersReadTogetherReadTheConfigurationOnce) {
    const cdHSource source = inReleaseControl();
    const auto reads = [&] {
        std::lock_guard<std::mutex> lock(script->mutex);
        return script->configurationReads;
    };
    const int atStart = reads();
    uint16_t code = 0;
    uint16_t compensation = 0;
    EXPECT_EQ(CDGetWBSetting(source, &code), CD_OK);
    EXPECT_EQ(CDGetFlashSetting(source, &code, &compensation), CD_OK);
    EXPECT_EQ(CDGetImageFormatAttribute(source, &code, &compensation), CD_OK);
    uint32_t position = 0;
    EXPECT_EQ(CDGetZoomPos(source, &position), CD_OK);
    EXPECT_EQ(reads(), atStart + 1);

    EXPECT_EQ(CDSetWBSetting(source, 14), CD_OK);
    EXPECT_EQ(CDGetWBSetting(source, &code), CD_OK);
    EXPECT_EQ(code, 14) << "the new value is read, not the kept one";
    EXPECT_EQ(reads(), atStart + 2);
    script->refused = {"shootingmode"};
    EXPECT_EQ(CDSetShootingMode(source, CD_SHOOTING_MODE_MANUAL), CD_ERR_BAD_PARAMETER);
    EXPECT_EQ(CDGetWBSetting(source, &code), CD_OK);
    EXPECT_EQ(reads(), atStart + 3);

    ASSERT_EQ(CDSelectReleaseDataKind(source, CD_REL_KIND_PICTURE_TO_CAMERA), CD_OK);
    ASSERT_EQ(CDRelease(source, 1, nullptr, 0, CD_PROGRESS_NONE, nullptr), CD_OK);
    const int afterShot = reads();
    EXPECT_EQ(CDGetWBSetting(source, &code), CD_OK);
    EXPECT_EQ(reads(), afterShot + 1);
}

// A camera no table knows well offers only the widgets it shows.
TEST_F(RemoteOverGphoto2Test, AnUnknownCameraOffersOnlyTheParametersItShows) {
    script->config = recorded::treeOf("/main/imgsettings/iso\nReadonly: 0\nCurrent: 100\n"
                                      "Choice: 0 100\nChoice: 1 400\nChoice: 2 1600\nEND\n");
    const cdHSource source = inReleaseControl();
    uint8_t iso = 0;
    uint32_t size = sizeof iso;
    EXPECT_EQ(CDGetRelCamSettingData(source, CD_RELCAM_ISO, &size, &iso), CD_OK);
    EXPECT_EQ(iso, 0x48);
    uint16_t code = 0;
    uint16_t other = 0;
    EXPECT_EQ(CDGetWBSetting(source, &code), CD_ERR_NOT_SUPPORTED);
    EXPECT_EQ(CDSetWBSetting(source, 0), CD_ERR_NOT_SUPPORTED);
    EXPECT_EQ(CDGetImageFormatAttribute(source, &code, &other), CD_ERR_NOT_SUPPORTED);
    EXPECT_EQ(CDSetFlashSetting(source, 0, 0xFF), CD_ERR_NOT_SUPPORTED);
    cdHEnum list = 0;
    EXPECT_EQ(CDEnumWBSettingReset(source, &list), CD_ERR_NOT_SUPPORTED);
    EXPECT_EQ(CDEnumImageFormatAttributeReset(source, &list), CD_ERR_NOT_SUPPORTED);
    uint32_t faculty = 0;
    EXPECT_EQ(CDGetReleaseControlFaculty(source, &faculty), CD_OK);
    EXPECT_EQ(faculty, uint32_t(CD_RELEASE_FACULTY_VIEWFINDER)) << "no zoom widget";
    uint32_t position = 0;
    EXPECT_EQ(CDGetZoomPos(source, &position), CD_ERR_NOT_SUPPORTED);
    EXPECT_EQ(CDExitReleaseControl(source), CD_OK);
}

TEST_F(RemoteOverGphoto2Test, ZoomMovesTheZoomWidgetWithinItsRange) {
    const cdHSource source = inReleaseControl();
    uint32_t optical = 0;
    uint32_t maximum = 0;
    EXPECT_EQ(CDGetMaximumZoomPos(source, &optical, &maximum), CD_OK);
    EXPECT_EQ(optical, 14u);
    EXPECT_EQ(maximum, 14u);
    uint32_t position = 0;
    EXPECT_EQ(CDGetZoomPos(source, &position), CD_OK);
    EXPECT_EQ(position, 3u);
    EXPECT_EQ(CDSetZoomPos(source, 7), CD_OK);
    EXPECT_EQ(script->value("zoom"), "7");
    EXPECT_EQ(CDGetZoomPos(source, &position), CD_OK);
    EXPECT_EQ(position, 7u);
    EXPECT_EQ(CDSetZoomPos(source, 15), CD_ERR_BAD_PARAMETER);
    EXPECT_EQ(script->value("zoom"), "7");
    EXPECT_EQ(CDExitReleaseControl(source), CD_OK);
}

struct Frames {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<QByteArray> received;
    std::set<std::thread::id> threads;
};
Frames frames;

uint32_t keepFrame(const uint8_t* buffer, uint32_t size, uint32_t format, cdContext) {
    std::lock_guard<std::mutex> lock(frames.mutex);
    EXPECT_EQ(format, 0u);
    frames.received.emplace_back(reinterpret_cast<const char*>(buffer), qsizetype(size));
    frames.threads.insert(std::this_thread::get_id());
    frames.arrived.notify_all();
    return 0;
}

// Preview frames come in the camera's order, from a thread that is neither
// the caller's nor the one that calls libgphoto2, until the viewfinder stops
// or the camera keeps refusing them. Two refusals in a row, as from a camera
// busy focusing, do not end them.
TEST_F(RemoteOverGphoto2Test, ViewfinderHandsTheCamerasFramesOnUntilStopped) {
    for (const auto color : {Qt::red, Qt::green, Qt::blue}) {
        script->frames.push_back(jpegOf({64, 48}, color));
    }
    script->refusedPreviews = {2, 3};
    script->framesBeforeFailure = 7;
    {
        std::lock_guard<std::mutex> lock(frames.mutex);
        frames.received.clear();
        frames.threads.clear();
    }
    const cdHSource source = inReleaseControl();
    EXPECT_EQ(CDSelectViewFinderCameraOutput(source, CD_VIEWFINDER_OUTPUT_LCD),
              CD_ERR_NOT_SUPPORTED);
    ASSERT_EQ(CDStartViewfinder(source, 0, keepFrame, 0), CD_OK);
    EXPECT_EQ(CDStartViewfinder(source, 0, keepFrame, 0), CD_ERR_BUSY);
    {
        std::unique_lock<std::mutex> lock(frames.mutex);
        ASSERT_TRUE(frames.arrived.wait_for(lock, std::chrono::seconds(30),
                                            [] { return frames.received.size() >= 7; }));
    }
    // From the eighth frame on the camera refuses: the stream ends and the
    // camera works on.
    uint32_t position = 0;
    EXPECT_EQ(CDGetZoomPos(source, &position), CD_OK);
    EXPECT_EQ(CDTermViewfinder(source), CD_OK);
    EXPECT_EQ(CDTermViewfinder(source), CD_ERR_NOT_RUNNING);
    std::lock_guard<std::mutex> lock(frames.mutex);
    ASSERT_EQ(frames.received.size(), 7u);
    for (size_t i = 0; i < frames.received.size(); ++i) {
        const Bytes& sent = script->frames[i % 3];
        EXPECT_EQ(frames.received[i],
                  QByteArray(reinterpret_cast<const char*>(sent.data()), qsizetype(sent.size())));
    }
    ASSERT_EQ(frames.threads.size(), 1u);
    EXPECT_NE(*frames.threads.begin(), std::this_thread::get_id());
    std::lock_guard<std::mutex> scriptLock(script->mutex);
    EXPECT_EQ(script->threads.count(*frames.threads.begin()), 0u);
}

struct Events {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<uint32_t> received;
};
Events events;

uint32_t keepEvent(uint32_t eventId, const void*, uint32_t, cdContext) {
    std::lock_guard<std::mutex> lock(events.mutex);
    events.received.push_back(eventId);
    events.arrived.notify_all();
    return 0;
}

// The event poll on the worker meets the plain input/output error of a PTP
// camera whose cable was pulled: the layer's disconnection event follows, and
// release control answers the disconnection.
TEST_F(RemoteOverGphoto2Test, AnUnpluggedCameraIsTheLayersDisconnectionEvent) {
    {
        std::lock_guard<std::mutex> lock(events.mutex);
        events.received.clear();
    }
    const cdHSource source = inReleaseControl();
    cdHandle registration = 0;
    ASSERT_EQ(CDRegisterEventCallbackFunction(source, keepEvent, 0, &registration), CD_OK);
    {
        std::lock_guard<std::mutex> lock(script->mutex);
        script->unplugged = true;
    }
    {
        std::unique_lock<std::mutex> lock(events.mutex);
        ASSERT_TRUE(events.arrived.wait_for(lock, std::chrono::seconds(30),
                                            [] { return !events.received.empty(); }));
        EXPECT_EQ(events.received,
                  std::vector<uint32_t>{CD_EVENT_SHUTDOWN | CD_EVENT_REASON_CONNECTION_LOST});
    }
    EXPECT_EQ(CDRelease(source, 1, nullptr, 0, CD_PROGRESS_NONE, nullptr),
              CD_ERR_DEVICE_DISCONNECTED);
    uint16_t code = 0;
    EXPECT_EQ(CDGetWBSetting(source, &code), CD_ERR_DEVICE_DISCONNECTED);
}

} // namespace
