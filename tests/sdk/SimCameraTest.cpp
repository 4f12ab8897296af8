#include "CameraFixture.h"
#include "ProgressRecord.h"
#include "SdkSession.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "cdsdk.h"
#include "cdsdk_simcontrol.h"

#include <QFile>
#include <QImage>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

class SimCameraTest : public SdkTest {
  protected:
    static std::vector<cdHVolume> volumes(cdHSource source) {
        cdHEnum enumeration = 0;
        EXPECT_EQ(CDEnumVolumeReset(source, &enumeration), CD_OK);
        std::vector<cdHVolume> found;
        cdHVolume volume = 0;
        while (CDEnumVolumeNext(enumeration, &volume) == CD_OK) {
            found.push_back(volume);
        }
        EXPECT_EQ(CDEnumVolumeRelease(enumeration), CD_OK);
        return found;
    }

    static std::vector<cdHItem> items(cdHVolume volume, uint32_t depth = 10,
                                      uint32_t option = CD_ENUM_ALL_ITEMS) {
        cdHEnum enumeration = 0;
        EXPECT_EQ(CDEnumImageItemReset(volume, depth, option, &enumeration), CD_OK);
        std::vector<cdHItem> found;
        cdHItem item = 0;
        while (CDEnumImageItemNext(enumeration, &item) == CD_OK) {
            found.push_back(item);
        }
        EXPECT_EQ(CDEnumImageItemRelease(enumeration), CD_OK);
        return found;
    }

    static cdItemInfo info(cdHItem item) {
        cdItemInfo result{};
        EXPECT_EQ(CDGetItemInfo(item, &result), CD_OK);
        return result;
    }

    static std::vector<std::string> names(const std::vector<cdHItem>& found) {
        std::vector<std::string> result;
        for (const cdHItem item : found) {
            result.push_back(info(item).name);
        }
        return result;
    }

    template <class T> static T property(cdHItem item, uint32_t id) {
        T value{};
        uint32_t size = sizeof value;
        EXPECT_EQ(CDGetImageItemProperty(item, id, &size, &value), CD_OK) << std::hex << id;
        return value;
    }

    // The standard card's items on volume CF, in card order.
    std::vector<cdHItem> standardItems() {
        fixture::standardCamera(testenv::newFolder("camera")).plugIn();
        return items(volumes(connect()).at(0));
    }

    static QByteArray written(cdHImageData data, uint32_t option = CD_PROGRESS_NONE,
                              cdProgressCallbackFunction progress = nullptr) {
        const QString path = testenv::newFolder("out") + "/data";
        const QByteArray name = path.toUtf8();
        const cdStorage storage{CD_STORAGE_FILE, name.constData()};
        EXPECT_EQ(CDGetImageData(data, &storage, progress, 0, option), CD_OK);
        return testfiles::Read(path);
    }
};

TEST_F(SimCameraTest, FindsNoCameraWithoutASimulatedOne) {
    const QString empty = testenv::newFolder("empty");
    for (const char* setting : {"", "gphoto2", "sim:/no/such/folder"}) {
        qputenv("LUMVIK_CAMERA", setting);
        cdHEnum devices = 0;
        ASSERT_EQ(CDEnumDeviceReset(CD_DEVICE_KIND_CAMERA, &devices), CD_OK);
        cdSourceInfo info{};
        EXPECT_EQ(CDEnumDeviceNext(devices, &info), CD_ERR_ENUM_END) << setting;
        CDEnumDeviceRelease(devices);
    }
    qputenv("LUMVIK_CAMERA", ("sim:" + empty).toUtf8());
    cdSourceInfo camera{};
    camera.sourceType = CD_SOURCE_CAMERA;
    cdHSource source = 0;
    EXPECT_EQ(CDOpenSource(&camera, &source), CD_ERR_DEVICE_NOT_FOUND);
}

TEST_F(SimCameraTest, DescribesTheCameraFromItsFile) {
    const QString root = testenv::newFolder("camera");
    fixture::writeFile(root + "/camera.ini", "; made by hand\n[Other]\nModel=Wrong\n[camera]\n"
                                             " model = Canon PowerShot S45 \nOWNER=\"Ann Lee\"\n"
                                             "Port=2\nSerialNumber=A123\nZoom=1\n");
    qputenv("LUMVIK_CAMERA", ("sim:" + root).toUtf8());
    const cdSourceInfo device = firstDevice();
    EXPECT_EQ(device.sourceType, uint32_t(CD_SOURCE_CAMERA));
    EXPECT_STREQ(device.name, "Canon PowerShot S45");
    EXPECT_EQ(device.portType, uint32_t(CD_PORT_IEEE1394));
    EXPECT_STREQ(device.serialNumber, "A123");

    const cdHSource source = connect();
    cdHEnum properties = 0;
    ASSERT_EQ(CDEnumDevicePropertyReset(source, 0, &properties), CD_OK);
    std::vector<uint32_t> listed;
    uint32_t id = 0;
    while (CDEnumDevicePropertyNext(properties, &id) == CD_OK) {
        listed.push_back(id);
    }
    EXPECT_EQ(listed, (std::vector<uint32_t>{CD_DEVPROP_MODEL_NAME, CD_DEVPROP_OWNER_NAME}));
    char owner[256] = {};
    uint32_t size = sizeof owner;
    ASSERT_EQ(CDGetDevicePropertyData(source, CD_DEVPROP_OWNER_NAME, &size, owner, 0), CD_OK);
    EXPECT_STREQ(owner, "Ann Lee");
    EXPECT_EQ(size, 8u);
    size = 7;
    EXPECT_EQ(CDGetDevicePropertyData(source, CD_DEVPROP_OWNER_NAME, &size, owner, 0),
              CD_ERR_BUFFER_TOO_SMALL);
    size = sizeof owner;
    EXPECT_EQ(CDGetDevicePropertyData(source, 4, &size, owner, 0), CD_ERR_PROPERTY_UNAVAILABLE);
}

TEST_F(SimCameraTest, VolumesAreTheSubfoldersInNameOrder) {
    fixture::CameraFolder camera(testenv::newFolder("camera"));
    for (const char* name : {"SD", "CF", "XD"}) {
        camera.volume(name);
    }
    camera.plugIn();
    std::vector<std::string> names;
    for (const cdHVolume volume : volumes(connect())) {
        cdVolumeInfo info{};
        ASSERT_EQ(CDGetVolumeInfo(volume, &info), CD_OK);
        names.push_back(info.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"CF", "SD", "XD"}));
}

TEST_F(SimCameraTest, ListsItemsByOptionAndDepth) {
    const auto camera = fixture::standardCamera(testenv::newFolder("camera"));
    fixture::writeFile(camera.volume("CF") + "/DCIM/100CANON/SND_0008.wav", fixture::soundBytes());
    fixture::writeFile(camera.volume("CF") + "/DCIM/100CANON/README.TXT", "not an item");
    camera.plugIn();
    const cdHVolume volume = volumes(connect()).at(0);
    struct Case {
        uint32_t depth;
        uint32_t option;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {10,
         CD_ENUM_ALL_ITEMS,
         {"IMG_0005.JPG", "MVI_0007.AVI", "SND_0008.wav", "CRW_0004.CRW", "IMG_0003.JPG"}},
        {3,
         CD_ENUM_IMAGES_AND_MOVIES,
         {"IMG_0005.JPG", "MVI_0007.AVI", "CRW_0004.CRW", "IMG_0003.JPG"}},
        {3, CD_ENUM_PICTURES, {"IMG_0005.JPG", "CRW_0004.CRW", "IMG_0003.JPG"}},
        {2, CD_ENUM_ALL_ITEMS, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(names(items(volume, c.depth, c.option)), c.names) << c.depth << " " << c.option;
    }
}

TEST_F(SimCameraTest, PicturePropertiesComeFromExifAndPath) {
    // The camera's clock in a time zone five hours behind UTC, without summer time.
    setenv("TZ", "EST5", 1);
    tzset();
    const auto found = standardItems();
    const cdHItem picture = found.at(0); // IMG_0005.JPG
    ASSERT_EQ(CDOpenImage(picture), CD_OK);
    std::tm utc{};
    utc.tm_year = 104, utc.tm_mon = 4, utc.tm_mday = 6, utc.tm_hour = 12, utc.tm_min = 8;
    utc.tm_sec = 9;
    EXPECT_EQ(property<uint32_t>(picture, CD_ITEMPROP_TIME), uint32_t(timegm(&utc)));
    EXPECT_EQ(property<uint32_t>(picture, CD_ITEMPROP_NUMBER), 1000005u);
    EXPECT_EQ(property<uint16_t>(picture, CD_ITEMPROP_ISO), 100);
    EXPECT_EQ(property<uint16_t>(picture, CD_ITEMPROP_FOCAL_LENGTH), 230); // 7.2 mm * 32
    EXPECT_EQ(property<float>(picture, CD_ITEMPROP_FLASH), 1.0f);
    EXPECT_NEAR(property<float>(picture, CD_ITEMPROP_EXPOSURE_COMP), -1.0 / 3, 1e-6);
    const auto shutter = property<cdRational>(picture, CD_ITEMPROP_SHUTTER_SPEED);
    EXPECT_NEAR(double(shutter.numerator) / shutter.denominator, std::log2(60.0), 1e-3);
    const auto aperture = property<cdRational>(picture, CD_ITEMPROP_APERTURE);
    EXPECT_NEAR(double(aperture.numerator) / aperture.denominator, 2 * std::log2(2.8), 1e-3);
    EXPECT_EQ(property<uint32_t>(picture, CD_ITEMPROP_ROTATION), 0u);
    char text[32] = {};
    uint32_t size = sizeof text;
    ASSERT_EQ(CDGetImageItemProperty(picture, CD_ITEMPROP_OWNER_NAME, &size, text), CD_OK);
    EXPECT_STREQ(text, "Lumvik Tester"); // no maker note: the camera's owner
    uint8_t macro = 0;
    size = sizeof macro;
    EXPECT_EQ(CDGetImageItemProperty(picture, CD_ITEMPROP_MACRO, &size, &macro),
              CD_ERR_PROPERTY_UNAVAILABLE);
    // Several at once, each answered as alone.
    char owner[32] = {};
    char cut[4] = {};
    cdItemPropertyRequest requests[] = {{CD_ITEMPROP_OWNER_NAME, sizeof owner, owner, 0x99},
                                        {CD_ITEMPROP_MACRO, sizeof macro, &macro, 0x99},
                                        {CD_ITEMPROP_OWNER_NAME, sizeof cut, cut, 0x99}};
    ASSERT_EQ(CDGetImageItemProperties(picture, 3, requests), CD_OK);
    EXPECT_EQ(requests[0].result, CD_OK);
    EXPECT_STREQ(owner, "Lumvik Tester");
    EXPECT_EQ(requests[0].size, sizeof owner);
    EXPECT_EQ(requests[1].result, CD_ERR_PROPERTY_UNAVAILABLE);
    EXPECT_EQ(requests[2].result, CD_ERR_BUFFER_TOO_SMALL);

    const cdHItem rotated = found.at(3); // IMG_0003.JPG, orientation 6
    ASSERT_EQ(CDOpenImage(rotated), CD_OK);
    EXPECT_EQ(property<uint32_t>(rotated, CD_ITEMPROP_ROTATION), 90u);
    EXPECT_EQ(property<uint32_t>(rotated, CD_ITEMPROP_NUMBER), 1010003u);
}

// A date the camera could not have written falls back to the file's time
// rather than wrapping around in the arithmetic of the conversion.
TEST_F(SimCameraTest, ShootingDatesOutsideTheCalendarGiveTheFilesTime) {
    setenv("TZ", "UTC0", 1);
    tzset();
    const uint32_t fileTime = 1234567890;
    const struct {
        const char* taken;
        uint32_t expected;
    } cases[] = {
        {"2004:05:06 07:08:09", 1083827289u},
        {"1970:01:01 00:00:00", 0u},
        {"2106:02:07 06:28:15", 4294967295u},
        {"2106:02:07 06:28:16", fileTime}, // past what 32 bits of seconds hold
        {"-2147483648:01:01 00:00:00", fileTime},
        {"2147483647:12:31 23:59:59", fileTime},
        {"1899:12:31 23:59:59", fileTime},
        {"1969:12:31 23:59:59", fileTime},
        {"0000:00:00 00:00:00", fileTime},
        {"2004:13:01 00:00:00", fileTime},
        {"2004:05:32 00:00:00", fileTime},
        {"2004:05:06 24:00:00", fileTime},
        {"2004:05:06 07:08", fileTime},
        {"    :  :     :  :  ", fileTime},
    };
    const QString path = testenv::newFolder("dates") + "/IMG_0001.JPG";
    for (const auto& c : cases) {
        fixture::writePicture(path, fixture::shotAt(c.taken));
        const timespec times[2] = {{0, UTIME_OMIT}, {time_t(fileTime), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.toUtf8().constData(), times, 0), 0);
        cdHItem made = 0;
        ASSERT_EQ(CDMakeImageItem(path.toUtf8().constData(), CD_FORMAT_JPEG, &made), CD_OK);
        ASSERT_EQ(CDOpenImage(made), CD_OK);
        EXPECT_EQ(property<uint32_t>(made, CD_ITEMPROP_TIME), c.expected) << c.taken;
        EXPECT_EQ(CDCloseImage(made), CD_OK);
        EXPECT_EQ(CDFreeImageItem(made), CD_OK);
    }
}

TEST_F(SimCameraTest, MakerNoteNumberAndOwnerWinOverPathAndCamera) {
    fixture::CameraFolder camera(testenv::newFolder("camera"));
    fixture::PictureExif exif;
    exif.canonFileNumber = 1171234;
    exif.canonOwner = "Maker Note Owner";
    for (const int orientation : {3, 8}) {
        exif.orientation = orientation;
        fixture::writePicture(
            camera.volume("CF") + QString("/DCIM/100CANON/IMG_000%1.JPG").arg(orientation), exif);
    }
    camera.plugIn();
    const auto found = items(volumes(connect()).at(0));
    ASSERT_EQ(found.size(), 2u);
    std::vector<uint32_t> rotations;
    for (const cdHItem item : found) {
        ASSERT_EQ(CDOpenImage(item), CD_OK);
        EXPECT_EQ(property<uint32_t>(item, CD_ITEMPROP_NUMBER), 1171234u);
        char owner[32] = {};
        uint32_t size = sizeof owner;
        ASSERT_EQ(CDGetImageItemProperty(item, CD_ITEMPROP_OWNER_NAME, &size, owner), CD_OK);
        EXPECT_STREQ(owner, "Maker Note Owner");
        rotations.push_back(property<uint32_t>(item, CD_ITEMPROP_ROTATION));
    }
    EXPECT_EQ(rotations, (std::vector<uint32_t>{180, 270}));
}

TEST_F(SimCameraTest, MoviesAndRawFilesTakeTheirDataFromTheirCompanions) {
    setenv("TZ", "UTC0", 1);
    tzset();
    const auto found = standardItems();
    const cdHItem movie = found.at(1);
    const cdHItem raw = found.at(2);
    struct Expected {
        cdHItem item;
        uint32_t time;
        uint16_t width;
        uint16_t height;
    };
    for (const Expected& e : {Expected{movie, 1083924000u, 320, 240},    // 2004-05-07 10:00
                              Expected{raw, 1084014000u, 2048, 1536}}) { // 2004-05-08 11:00
        ASSERT_EQ(CDOpenImage(e.item), CD_OK);
        EXPECT_EQ(property<uint32_t>(e.item, CD_ITEMPROP_TIME), e.time);
        cdHImageData data = 0;
        ASSERT_EQ(e.item == movie ? CDGetMovie(e.item, &data) : CDGetPicture(e.item, &data), CD_OK);
        for (const auto& [id, value] :
             {std::pair{CD_IMAGEPROP_WIDTH, e.width}, std::pair{CD_IMAGEPROP_HEIGHT, e.height}}) {
            uint16_t got = 0;
            uint32_t size = sizeof got;
            ASSERT_EQ(CDGetBaseImageDataProperty(data, id, &size, &got), CD_OK);
            EXPECT_EQ(got, value);
        }
        cdHImageData thumbnail = 0;
        ASSERT_EQ(CDGetThumbnail(e.item, &thumbnail), CD_OK);
        const QString thm =
            e.item == movie ? "CF/DCIM/100CANON/MVI_0007.THM" : "CF/DCIM/101CANON/CRW_0004.THM";
        QFile file(QString(qgetenv("LUMVIK_CAMERA")).mid(4) + "/" + thm);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(written(thumbnail), file.readAll());
    }
}

TEST_F(SimCameraTest, ItemInformationCountsWhatTheItemHolds) {
    const auto found = standardItems();
    struct Expected {
        size_t index;
        uint32_t format, thumbnails, pictures, movies, sounds;
    };
    for (const Expected& e :
         {Expected{0, CD_FORMAT_JPEG, 1, 1, 0, 1}, Expected{1, CD_FORMAT_MOVIE, 1, 0, 1, 0},
          Expected{2, CD_FORMAT_CRW, 1, 1, 0, 0}}) {
        const cdItemInfo item = info(found.at(e.index));
        EXPECT_EQ(item.format, e.format) << e.index;
        EXPECT_EQ(item.numThumbnails, e.thumbnails) << e.index;
        EXPECT_EQ(item.numPictures, e.pictures) << e.index;
        EXPECT_EQ(item.numMovies, e.movies) << e.index;
        EXPECT_EQ(item.numSounds, e.sounds) << e.index;
    }
    // A made item knows only its own file, not the ".THM" beside it.
    const QString avi = QString(qgetenv("LUMVIK_CAMERA")).mid(4) + "/CF/DCIM/100CANON/MVI_0007.AVI";
    cdHItem made = 0;
    ASSERT_EQ(CDMakeImageItem(avi.toUtf8().constData(), CD_FORMAT_MOVIE, &made), CD_OK);
    EXPECT_EQ(info(made).numThumbnails, 0u);
    EXPECT_EQ(info(made).numMovies, 1u);
    EXPECT_EQ(CDFreeImageItem(made), CD_OK);
}

TEST_F(SimCameraTest, ThumbnailIsTheExifOneElseAScaledPicture) {
    const QString folder = testenv::newFolder("files");
    struct Case {
        bool exifThumbnail;
        QSize picture;
        QSize thumbnail;
    };
    for (const Case& c : {Case{true, {64, 48}, {160, 120}}, Case{false, {640, 480}, {160, 120}},
                          Case{false, {1000, 250}, {125, 32}}, Case{false, {100, 50}, {100, 50}}}) {
        const QString path = folder + "/IMG_0001.JPG";
        fixture::writePicture(path, fixture::shotAt("2004:05:06 07:08:09", 1, c.exifThumbnail),
                              c.picture);
        cdHItem made = 0;
        ASSERT_EQ(CDMakeImageItem(path.toUtf8().constData(), CD_FORMAT_JPEG, &made), CD_OK);
        EXPECT_EQ(info(made).numThumbnails, 1u);
        ASSERT_EQ(CDOpenImage(made), CD_OK);
        cdHImageData thumbnail = 0;
        ASSERT_EQ(CDGetThumbnail(made, &thumbnail), CD_OK);
        EXPECT_EQ(QImage::fromData(written(thumbnail), "JPG").size(), c.thumbnail)
            << c.picture.width();
        EXPECT_EQ(CDFreeImageItem(made), CD_OK);
    }
}

TEST_F(SimCameraTest, TransfersReportProgressFromTheirOwnThread) {
    const cdHItem picture = standardItems().at(0);
    ASSERT_EQ(CDOpenImage(picture), CD_OK);
    cdHImageData data = 0;
    ASSERT_EQ(CDGetPicture(picture, &data), CD_OK);
    progressrecord::clear();
    const QByteArray bytes = written(data, CD_PROGRESS_REPORT, progressrecord::sdkCallback);
    EXPECT_EQ(progressrecord::percentages(), (std::vector<int32_t>{0, 25, 50, 75, 100}));
    for (const auto thread : progressrecord::threads())
        EXPECT_NE(thread, std::this_thread::get_id());
    cdImageDataInfo dataInfo{};
    ASSERT_EQ(CDGetImageDataInfo(data, &dataInfo), CD_OK);
    EXPECT_EQ(dataInfo.byteCount, uint32_t(bytes.size()));
    EXPECT_STREQ(dataInfo.fileName, "IMG_0005.JPG");
    EXPECT_EQ(QImage::fromData(bytes, "JPG").size(), QSize(64, 48));

    progressrecord::clear();
    written(data, CD_PROGRESS_NONE, progressrecord::sdkCallback);
    EXPECT_TRUE(progressrecord::percentages().empty());
}

std::vector<uint32_t> eventsSeen;
std::thread::id eventThread;

uint32_t recordEvent(uint32_t eventId, const void*, uint32_t, cdContext context) {
    eventsSeen.push_back(eventId + context);
    eventThread = std::this_thread::get_id();
    return 0;
}

TEST_F(SimCameraTest, EventsArriveOnTheCameraThreadUntilUnregistered) {
    fixture::standardCamera(testenv::newFolder("camera")).plugIn();
    const cdHSource source = connect();
    cdHandle registration = 0;
    ASSERT_EQ(CDRegisterEventCallbackFunction(source, recordEvent, 100, &registration), CD_OK);
    cdsimInjectEvent(0x20001);
    EXPECT_EQ(eventsSeen, (std::vector<uint32_t>{0x20001 + 100}));
    EXPECT_NE(eventThread, std::this_thread::get_id());
    ASSERT_EQ(CDUnregisterEventCallbackFunction(source, registration), CD_OK);
    cdsimInjectEvent(0x20001);
    EXPECT_EQ(eventsSeen.size(), 1u);
    EXPECT_EQ(CDUnregisterEventCallbackFunction(source, registration), CD_ERR_BAD_HANDLE);
}

std::mutex countedMutex;
std::vector<uint32_t> countedEvents;

uint32_t countEvent(uint32_t eventId, const void*, uint32_t, cdContext) {
    std::lock_guard<std::mutex> lock(countedMutex);
    countedEvents.push_back(eventId);
    return 0;
}

// Events injected one after the other, the first right after the start, some
// while another thread keeps the camera busy reading and transferring.
TEST_F(SimCameraTest, EveryInjectedEventArrivesInOrderIdleOrBusy) {
    fixture::standardCamera(testenv::newFolder("camera")).plugIn();
    const cdHSource source = connect();
    const auto found = items(volumes(source).at(0));
    cdHandle registration = 0;
    ASSERT_EQ(CDRegisterEventCallbackFunction(source, countEvent, 0, &registration), CD_OK);
    std::vector<uint32_t> injected;
    const auto injectSome = [&injected](uint32_t first) {
        for (uint32_t i = first; i < first + 100; ++i) {
            injected.push_back(CD_EVENT_WARNING | i);
            cdsimInjectEvent(CD_EVENT_WARNING | i);
        }
    };
    injectSome(0);
    std::atomic<bool> stop{false};
    std::thread busy([&] {
        while (!stop) {
            for (const cdHItem item : found) {
                cdItemInfo facts{};
                CDGetItemInfo(item, &facts);
                if (CDOpenImage(item) == CD_OK) {
                    cdHImageData thumbnail = 0;
                    if (CDGetThumbnail(item, &thumbnail) == CD_OK) {
                        written(thumbnail);
                    }
                    CDCloseImage(item);
                }
            }
        }
    });
    injectSome(100);
    stop = true;
    busy.join();
    std::lock_guard<std::mutex> lock(countedMutex);
    EXPECT_EQ(countedEvents, injected);
}

TEST_F(SimCameraTest, UnpluggingEndsTheConnection) {
    fixture::standardCamera(testenv::newFolder("camera")).plugIn();
    const cdHSource source = connect();
    const cdHVolume volume = volumes(source).at(0);
    const cdHItem item = items(volume).at(0);
    cdHImageData picture = 0;
    ASSERT_EQ(CDOpenImage(item), CD_OK);
    ASSERT_EQ(CDGetPicture(item, &picture), CD_OK);
    cdHandle registration = 0;
    ASSERT_EQ(CDRegisterEventCallbackFunction(source, recordEvent, 0, &registration), CD_OK);
    eventsSeen.clear();
    cdsimUnplug();
    EXPECT_EQ(eventsSeen,
              (std::vector<uint32_t>{CD_EVENT_SHUTDOWN | CD_EVENT_REASON_CONNECTION_LOST}));
    cdVolumeInfo volumeInfo{};
    EXPECT_EQ(CDGetVolumeInfo(volume, &volumeInfo), CD_ERR_DEVICE_DISCONNECTED);
    EXPECT_EQ(CDOpenImage(item), CD_ERR_DEVICE_DISCONNECTED);
    const QByteArray path = (testenv::newFolder("out") + "/picture.jpg").toUtf8();
    const cdStorage storage{CD_STORAGE_FILE, path.constData()};
    EXPECT_EQ(CDGetImageData(picture, &storage, nullptr, 0, CD_PROGRESS_NONE),
              CD_ERR_DEVICE_DISCONNECTED);
    cdHEnum devices = 0;
    ASSERT_EQ(CDEnumDeviceReset(CD_DEVICE_KIND_CAMERA, &devices), CD_OK);
    cdSourceInfo device{};
    EXPECT_EQ(CDEnumDeviceNext(devices, &device), CD_ERR_ENUM_END);
    // What was opened can still be released.
    EXPECT_EQ(CDUnregisterEventCallbackFunction(source, registration), CD_OK);
    EXPECT_EQ(CDCloseSource(source), CD_OK);
}

TEST_F(SimCameraTest, InjectedFailureHitsOnlyTheNthCall) {
    const cdHItem item = standardItems().at(0);
    cdsimFailCall("CDOpenImage", 2, 0x1234);
    EXPECT_EQ(CDOpenImage(item), CD_OK);
    EXPECT_EQ(CDOpenImage(item), 0x1234);
    EXPECT_EQ(CDOpenImage(item), CD_OK);
    EXPECT_EQ(CDCloseImage(item), CD_OK); // two opens succeeded: two closes
    EXPECT_EQ(CDCloseImage(item), CD_OK);
    EXPECT_EQ(CDCloseImage(item), CD_ERR_ITEM_NOT_OPEN);
}

TEST_F(SimCameraTest, EachFailureHasItsOwnCode) {
    const auto found = standardItems();
    const cdHItem picture = found.at(0);
    const QString folder = testenv::newFolder("files");
    fixture::writeFile(folder + "/broken.jpg", "not a picture");
    cdHItem broken = 0;
    ASSERT_EQ(
        CDMakeImageItem((folder + "/broken.jpg").toUtf8().constData(), CD_FORMAT_JPEG, &broken),
        CD_OK);
    ASSERT_EQ(CDOpenImage(broken), CD_OK);
    cdHItem missing = 0;
    cdHEnum properties = 0;
    cdHImageData data = 0;
    uint32_t number = 0;
    uint32_t size = sizeof number;
    EXPECT_EQ(CDGetImageItemProperty(picture, CD_ITEMPROP_NUMBER, &size, &number),
              CD_ERR_ITEM_NOT_OPEN);
    EXPECT_EQ(CDOpenImage(0x7777), CD_ERR_BAD_HANDLE);
    EXPECT_EQ(
        CDMakeImageItem((folder + "/none.jpg").toUtf8().constData(), CD_FORMAT_JPEG, &missing),
        CD_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(CDMakeImageItem((folder + "/broken.jpg").toUtf8().constData(), 77, &missing),
              CD_ERR_BAD_PARAMETER);
    // Its file facts are its properties until the file is gone.
    EXPECT_EQ(CDEnumImageItemPropertyReset(broken, 0, &properties), CD_OK);
    EXPECT_EQ(CDEnumImageItemPropertyRelease(properties), CD_OK);
    fixture::writeFile(folder + "/gone.jpg", "deleted before it was read");
    cdHItem gone = 0;
    ASSERT_EQ(CDMakeImageItem((folder + "/gone.jpg").toUtf8().constData(), CD_FORMAT_JPEG, &gone),
              CD_OK);
    ASSERT_TRUE(QFile::remove(folder + "/gone.jpg"));
    ASSERT_EQ(CDOpenImage(gone), CD_OK);
    EXPECT_EQ(CDEnumImageItemPropertyReset(gone, 0, &properties), CD_ERR_PROPERTY_UNAVAILABLE);
    ASSERT_EQ(CDOpenImage(found.at(3)), CD_OK); // IMG_0003.JPG has no sound note
    EXPECT_EQ(CDGetSound(found.at(3), &data), CD_ERR_NO_DATA);
    ASSERT_EQ(CDGetPicture(found.at(3), &data), CD_OK);
    const cdStorage nowhere{CD_STORAGE_FILE, "/no/such/folder/file.jpg"};
    EXPECT_EQ(CDGetImageData(data, &nowhere, nullptr, 0, CD_PROGRESS_NONE), CD_ERR_FILE_IO);
    EXPECT_EQ(CDCloseImage(found.at(3)), CD_OK);
    EXPECT_EQ(CDGetImageDataInfo(data, nullptr), CD_ERR_BAD_HANDLE); // gone with the close
    CDFinishSDK();
    EXPECT_EQ(CDOpenImage(picture), CD_ERR_NOT_STARTED);
}

TEST_F(SimCameraTest, DeletingAPictureRemovesItsCompanions) {
    const auto camera = fixture::standardCamera(testenv::newFolder("camera"));
    camera.plugIn();
    const cdHVolume volume = volumes(connect()).at(0);
    const cdHItem picture = items(volume).at(0);
    ASSERT_EQ(CDDeleteImage(volume, picture), CD_OK);
    const QString folder = camera.volume("CF") + "/DCIM/100CANON/";
    EXPECT_FALSE(QFile::exists(folder + "IMG_0005.JPG"));
    EXPECT_FALSE(QFile::exists(folder + "IMG_0005.WAV"));
    EXPECT_TRUE(QFile::exists(folder + "MVI_0007.AVI"));
    EXPECT_EQ(CDDeleteImage(volume, picture), CD_ERR_BAD_HANDLE);
    EXPECT_EQ(names(items(volume)),
              (std::vector<std::string>{"MVI_0007.AVI", "CRW_0004.CRW", "IMG_0003.JPG"}));
}

} // namespace
