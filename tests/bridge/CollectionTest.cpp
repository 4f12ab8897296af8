#include "BridgeSession.h"
#include "FileNames.h"

#include <QDateTime>
#include <QFile>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <functional>
#include <tuple>
#include <vector>

namespace {

using CollectionTest = BridgeTest;
using Names = std::vector<std::string>;

TEST_F(CollectionTest, CameraEntriesAreOrderedByFileNumberWhateverTheirFolder) {
    for (const int kind : {TS_SOURCE_CAMERA_ALL, TS_SOURCE_CAMERA_IMAGES}) {
        openStandardCamera(kind);
        EXPECT_EQ(entryNames(),
                  (Names{"IMG_0003.JPG", "CRW_0004.CRW", "IMG_0005.JPG", "MVI_0007.AVI"}));
        int32_t movies = 0;
        EXPECT_EQ(tsGetNrOfMoviesCamera(&movies)->code, 0);
        EXPECT_EQ(movies, count());
        ASSERT_EQ(tsClosePicCollection()->code, 0);
        EXPECT_EQ(count(), 0);
        ASSERT_EQ(tsDisconnect()->code, 0);
    }
}

TEST_F(CollectionTest, PicturesKindLeavesMoviesOut) {
    openStandardCamera(TS_SOURCE_CAMERA_PICTURES);
    EXPECT_EQ(entryNames(), (Names{"IMG_0003.JPG", "CRW_0004.CRW", "IMG_0005.JPG"}));
}

TEST_F(CollectionTest, EqualFileNumbersKeepTheCardOrder) {
    fixture::CameraFolder camera(testenv::newFolder("camera"));
    fixture::writePicture(camera.volume("CF") + "/DCIM/101CANON/IMG_0001.JPG");
    fixture::writePicture(camera.volume("CF") + "/DCIM/100CANON/IMG_0002.JPG");
    fixture::writePicture(camera.volume("CF") + "/DCIM/100CANON/IMG_0001.JPG");
    camera.plugIn();
    ASSERT_EQ(tsConnect()->code, 0);
    ASSERT_EQ(tsGetVolume(1)->code, 0);
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", {})->code, 0);
    std::vector<int32_t> directories;
    for (int i = 0; i < count(); ++i) {
        tsPictureProperties properties{};
        ASSERT_EQ(tsGetPictureProperties(i, &properties)->code, 0);
        directories.push_back(properties.directoryNumber * 10000 + properties.fileNumber);
    }
    EXPECT_EQ(directories, (std::vector<int32_t>{1000001, 1010001, 1000002}));
}

TEST_F(CollectionTest, VolumesCountAndSelect) {
    openStandardCamera();
    ASSERT_EQ(tsClosePicCollection()->code, 0);
    int32_t volumes = 0;
    EXPECT_EQ(tsTotalVolumes(&volumes)->code, 0);
    EXPECT_EQ(volumes, 2);
    EXPECT_EQ(tsGetVolume(2)->code, 0);
    EXPECT_EQ(tsGetVolume(0)->code, 0); // keeps volume 2
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", {})->code, 0);
    EXPECT_EQ(entryNames(), (Names{"IMG_0001.JPG"}));
    EXPECT_EQ(tsGetVolume(3)->code, CD_ERR_ENUM_END);
}

TEST_F(CollectionTest, ComputerVolumesNeedNoCamera) {
    qunsetenv("LUMVIK_CAMERA");
    int32_t volumes = 0;
    EXPECT_EQ(tsTotalPCVolumes(&volumes)->code, 0);
    EXPECT_EQ(volumes, 1);
    char name = 0;
    EXPECT_EQ(tsGetPCVolumeName(1, &name)->code, 0);
    EXPECT_EQ(name, '/');
}

TEST_F(CollectionTest, PicturePropertiesOfACameraPicture) {
    setenv("TZ", "UTC0", 1);
    tzset();
    const auto camera = openStandardCamera();
    tsPictureProperties properties{};
    properties.reserved = 0x5A;
    ASSERT_EQ(tsGetPictureProperties(2, &properties)->code, 0);
    EXPECT_STREQ(properties.fileName, "IMG_0005.JPG");
    EXPECT_NEAR(double(properties.shutterSpeedNumerator) / properties.shutterSpeedDenominator,
                std::log2(60.0), 1e-3);
    EXPECT_NEAR(double(properties.apertureNumerator) / properties.apertureDenominator,
                2 * std::log2(2.8), 1e-3);
    EXPECT_NEAR(properties.exposureCompensation, -1.0 / 3, 1e-6);
    EXPECT_EQ(properties.flash, 1);
    EXPECT_EQ(properties.macro, 0);
    EXPECT_EQ(properties.isProtected, 0);
    EXPECT_EQ(properties.reserved, 0x5A);
    EXPECT_EQ(properties.shootingTime, 1083827289u); // 2004-05-06 07:08:09
    EXPECT_EQ(properties.width, 64);
    EXPECT_EQ(properties.height, 48);
    EXPECT_EQ(properties.fileSize,
              uint32_t(QFile(camera.volume("CF") + "/DCIM/100CANON/IMG_0005.JPG").size()));
    EXPECT_EQ(properties.rotation, 0);
    EXPECT_EQ(properties.directoryNumber, 100);
    EXPECT_EQ(properties.fileNumber, 5);
    EXPECT_EQ(properties.isoSpeed, 100);
    EXPECT_STREQ(properties.modelName, "Canon PowerShot G5");
    EXPECT_STREQ(properties.ownerName, "Lumvik Tester");
    EXPECT_EQ(properties.focalLength, 7);
    EXPECT_EQ(properties.teleFocalLength, 0);

    ASSERT_EQ(tsGetPictureProperties(0, &properties)->code, 0);
    EXPECT_EQ(properties.rotation, 90);
}

TEST_F(CollectionTest, MoviePropertiesAndObjectContents) {
    openStandardCamera();
    tsMovieProperties movie{};
    ASSERT_EQ(tsGetMovieProperties(3, &movie)->code, 0);
    EXPECT_STREQ(movie.fileName, "MVI_0007.AVI");
    EXPECT_EQ(movie.width, 320);
    EXPECT_EQ(movie.height, 240);
    EXPECT_EQ(movie.directoryNumber, 100);
    EXPECT_EQ(movie.fileNumber, 7);
    EXPECT_GT(movie.fileSize, 0u);
    // A picture has no movie data: the movie record stays empty.
    EXPECT_EQ(tsGetMovieProperties(0, &movie)->code, CD_ERR_NO_DATA);
    EXPECT_STREQ(movie.fileName, "");

    tsObjectContents contents{};
    ASSERT_EQ(tsGetObjectContents(2, &contents)->code, 0);
    EXPECT_EQ(std::vector<int32_t>(
                  {contents.thumbnails, contents.pictures, contents.movies, contents.sounds}),
              (std::vector<int32_t>{1, 1, 0, 1}));
}

// The same card read from a computer folder: every kind in its own search, and
// companions found by name.
TEST_F(CollectionTest, FolderEntriesOrderedByKeyThenByKind) {
    const QString folder = testenv::newFolder("card");
    fixture::writePicture(folder + "/IMG_0001.JPG");
    fixture::writeFile(folder + "/IMG_0001.CRW", "raw");
    fixture::writeFile(folder + "/IMG_0001.THM", fixture::jpegBytes({160, 120}, 1));
    fixture::writeFile(folder + "/SND_0001.WAV", fixture::soundBytes());
    fixture::writeMovie(folder + "/MVI_0001.AVI");
    fixture::writeFile(folder + "/MVI_0001.THM", fixture::jpegBytes({160, 120}, 1));
    fixture::writePicture(folder + "/sub/IMG_0000.jpg");
    openFolder(folder);
    std::vector<std::string> files;
    std::vector<int32_t> thumbnails;
    for (int i = 0; i < count(); ++i) {
        tsObjectContents contents{};
        ASSERT_EQ(tsGetObjectContents(i, &contents)->code, 0);
        thumbnails.push_back(contents.thumbnails);
        tsMovieProperties movie{};
        tsGetMovieProperties(i, &movie);
        tsPictureProperties picture{};
        tsGetPictureProperties(i, &picture);
        files.push_back(contents.movies ? movie.fileName : picture.fileName);
    }
    // A sound file is neither picture nor movie: it has no picture properties.
    EXPECT_EQ(files, (Names{"IMG_0000.jpg", "IMG_0001.JPG", "IMG_0001.CRW", "", "MVI_0001.AVI"}));
    EXPECT_EQ(thumbnails, (std::vector<int32_t>{1, 1, 1, 0, 1}));
    ASSERT_EQ(tsClosePicCollection()->code, 0);

    openFolder(folder, {0, 0, 1, 0});
    EXPECT_EQ(count(), 1);
}

// The listing read when the collection opens names each entry as its
// properties do, with their kind and size, for a camera and for a folder.
TEST_F(CollectionTest, ItemListAgreesWithEveryEntrysProperties) {
    const QString folder = testenv::newFolder("card");
    fixture::writePicture(folder + "/IMG_0001.JPG");
    fixture::writeFile(folder + "/IMG_0002.CRW", "raw");
    fixture::writeFile(folder + "/SND_0003.WAV", fixture::soundBytes());
    fixture::writeMovie(folder + "/MVI_0004.AVI");
    const std::vector<std::function<void()>> opens = {[this] { openStandardCamera(); },
                                                      [&] { openFolder(folder); }};
    for (const auto& open : opens) {
        open();
        std::vector<tsItemEntry> listed(static_cast<size_t>(count()));
        ASSERT_EQ(tsGetItemList(0, count(), listed.data())->code, 0);
        for (int i = 0; i < count(); ++i) {
            tsObjectContents contents{};
            ASSERT_EQ(tsGetObjectContents(i, &contents)->code, 0);
            tsPictureProperties picture{};
            tsMovieProperties movie{};
            std::string name = "-";
            uint32_t size = 0;
            int32_t kind = TS_ITEM_OTHER;
            if (contents.movies > 0) {
                ASSERT_EQ(tsGetMovieProperties(i, &movie)->code, 0);
                std::tie(name, size, kind) =
                    std::tuple(movie.fileName, movie.fileSize, TS_ITEM_MOVIE);
            } else if (contents.pictures > 0) {
                ASSERT_EQ(tsGetPictureProperties(i, &picture)->code, 0);
                std::tie(name, size, kind) =
                    std::tuple(picture.fileName, picture.fileSize, TS_ITEM_PICTURE);
            }
            EXPECT_EQ(listed[i].kind, kind) << i;
            if (kind != TS_ITEM_OTHER) {
                EXPECT_EQ(listed[i].fileName, name) << i;
                EXPECT_EQ(listed[i].fileSize, size) << name;
            }
        }
        EXPECT_EQ(tsClosePicCollection()->code, 0);
        tsDisconnect();
    }
}

TEST_F(CollectionTest, FolderFileTheSdkCannotTakeGoesFirstAndAnswersWithTheSdksCode) {
    const QString folder = testenv::newFolder("card");
    for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"}) {
        fixture::writePicture(folder + "/" + name);
    }
    cdsimFailCall("CDMakeImageItem", 3, 0x99);
    openFolder(folder);
    ASSERT_EQ(count(), 3);
    tsPictureProperties properties{};
    const tsResult* result = tsGetPictureProperties(0, &properties);
    EXPECT_EQ(result->code, CD_ERR_BAD_HANDLE);
    EXPECT_EQ(statusName(result), "tsGetPictureProperties");
    ASSERT_EQ(tsGetPictureProperties(1, &properties)->code, 0);
    EXPECT_STREQ(properties.fileName, "IMG_0001.JPG");
    EXPECT_EQ(tsClosePicCollection()->code, 0);
}

// A picture whose contents cannot be read is still known by its file facts:
// name, size, file time and the number in its name; all else is zero.
TEST_F(CollectionTest, UnreadablePictureGivesItsFileFactsAndZeros) {
    const QString folder = testenv::newFolder("card");
    const QDateTime written(QDate(2021, 3, 4), QTime(5, 6, 7));
    const std::vector<std::pair<QString, QByteArray>> cases = {
        {"IMG_0001.JPG", ""},
        {"IMG_0002.JPG", "no picture inside"},
        {"IMG_0003.JPG", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"IMG_0004.JPG", QByteArray("\xFF\xD8\xFF", 3)},
    };
    for (const auto& [name, bytes] : cases) {
        fixture::writeFile(folder + "/" + name, bytes);
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    }
    openFolder(folder);
    for (int i = 0; i < int(cases.size()); ++i) {
        const auto& [name, bytes] = cases[i];
        SCOPED_TRACE(name.toStdString());
        tsPictureProperties properties{};
        std::memset(&properties, 0x33, sizeof properties);
        ASSERT_EQ(tsGetPictureProperties(i, &properties)->code, 0);
        EXPECT_EQ(properties.fileName, name.toStdString());
        EXPECT_EQ(properties.fileSize, uint32_t(bytes.size()));
        EXPECT_EQ(properties.shootingTime, uint32_t(written.toSecsSinceEpoch()));
        EXPECT_EQ(properties.fileNumber, i + 1);
        EXPECT_EQ(properties.rotation, 0);
        EXPECT_EQ(properties.width, 0);
        EXPECT_EQ(properties.modelName[0], 0);
        EXPECT_EQ(properties.ownerName[0], 0);
        EXPECT_EQ(properties.reserved, 0x33);
        EXPECT_EQ(properties.wideFocalLength, 0);
    }
}

TEST_F(CollectionTest, DeleteShiftsTheLaterEntries) {
    const auto camera = openStandardCamera();
    ASSERT_EQ(tsDeletePicture(0)->code, 0);
    EXPECT_FALSE(QFile::exists(camera.volume("CF") + "/DCIM/101CANON/IMG_0003.JPG"));
    EXPECT_EQ(entryNames(), (Names{"CRW_0004.CRW", "IMG_0005.JPG", "MVI_0007.AVI"}));
    ASSERT_EQ(tsDeleteMovie(2)->code, 0);
    EXPECT_EQ(entryNames(), (Names{"CRW_0004.CRW", "IMG_0005.JPG"}));
}

TEST_F(CollectionTest, FolderDeleteRemovesTheFile) {
    const QString folder = testenv::newFolder("card");
    fixture::writePicture(folder + "/IMG_0001.JPG");
    fixture::writePicture(folder + "/IMG_0002.JPG");
    openFolder(folder);
    ASSERT_EQ(tsDeletePicture(0)->code, 0);
    EXPECT_FALSE(QFile::exists(folder + "/IMG_0001.JPG"));
    EXPECT_EQ(entryNames(), (Names{"IMG_0002.JPG"}));
}

TEST_F(CollectionTest, CloseDiscardsEveryEntryEvenWhenTheSdkFails) {
    openStandardCamera();
    cdsimFailCall("CDEnumImageItemRelease", 1, 0x55);
    const tsResult* result = tsClosePicCollection();
    EXPECT_EQ(result->code, 0x55);
    EXPECT_EQ(count(), 0);

    const QString folder = testenv::newFolder("card");
    fixture::writePicture(folder + "/IMG_0001.JPG");
    fixture::writePicture(folder + "/IMG_0002.JPG");
    openFolder(folder);
    cdsimFailCall("CDFreeImageItem", 1, 0x56);
    EXPECT_EQ(tsClosePicCollection()->code, 0x56);
    EXPECT_EQ(count(), 0);
    openFolder(folder);
    EXPECT_EQ(count(), 2); // not the two earlier ones on top
}

TEST_F(CollectionTest, CallerErrorsGetTheirOwnCodes) {
    openStandardCamera();
    tsPictureProperties properties{};
    tsObjectContents contents{};
    tsItemEntry listed[2];
    const std::string path = (testenv::newFolder("out") + "/x").toStdString();
    const std::vector<std::function<const tsResult*()>> calls = {
        [&] { return tsGetPictureProperties(4, &properties); },
        [&] { return tsGetObjectContents(-1, &contents); },
        [&] { return tsDeletePicture(4); },
        [&] { return tsGetThumbnail(99, path.c_str()); },
        [&] { return tsGetPicture(4, path.c_str(), 0); },
        [&] { return tsGetItemList(3, 2, listed); },
        [&] { return tsGetItemList(-1, 1, listed); },
        [&] { return tsGetItemList(0, -1, listed); },
        [&] { return tsGetItemList(INT32_MAX, 1, listed); }};
    for (const auto& call : calls) {
        const tsResult* result = call();
        EXPECT_EQ(result->code, TS_ERR_BAD_INDEX) << statusName(result);
    }
    EXPECT_EQ(tsOpenPicCollection(4, "", {})->code, TS_ERR_BAD_KIND);
    EXPECT_EQ(count(), 4);
}

// A tree of folders x files small JPEG-named files.
QString generatedTree(int folders, int files) {
    const QString root = testenv::newFolder("tree");
    for (int f = 0; f < folders; ++f) {
        for (int n = 0; n < files; ++n) {
            fixture::writeFile(QString("%1/%2/IMG_%3.JPG")
                                   .arg(root)
                                   .arg(f, 3, 10, QChar('0'))
                                   .arg(n, 4, 10, QChar('0')),
                               "x");
        }
    }
    return root;
}

struct SearchReports {
    static inline std::vector<int32_t> seen;
    static inline int32_t cancelAt = 0; // 0: never
    static void report(int32_t searched) {
        seen.push_back(searched);
        if (searched == cancelAt) {
            tsCancel();
        }
    }
};

// The folder search reports how far it got and ends at the first entry after
// a stop request, opening nothing; a cleared request lets the next one run whole.
TEST_F(CollectionTest, FolderSearchReportsItsEntriesAndStopsAtACancel) {
    const QString tree = generatedTree(40, 50);
    SearchReports::seen.clear();
    SearchReports::cancelAt = 100;
    tsRegisterProgressCallbackFunction(SearchReports::report);
    const std::string path = tree.toStdString();
    const tsResult* result = tsOpenPicCollection(TS_SOURCE_FOLDER, path.c_str(), {1, 0, 0, 0});
    EXPECT_EQ(result->code, TS_ERR_CANCELLED);
    EXPECT_EQ(statusName(result), "tsOpenPicCollection");
    EXPECT_EQ(SearchReports::seen.back(), 100);
    EXPECT_EQ(count(), 0);

    tsClearCancel();
    SearchReports::seen.clear();
    SearchReports::cancelAt = 0;
    openFolder(tree, {1, 0, 0, 0});
    EXPECT_EQ(count(), 40 * 50);
    // Each folder is listed twice, for its files and for its subfolders;
    // the count goes up one entry at a time.
    const int32_t entries = 2 * (40 + 40 * 50);
    ASSERT_EQ(SearchReports::seen.size(), size_t(entries));
    EXPECT_EQ(SearchReports::seen.front(), 1);
    EXPECT_EQ(SearchReports::seen.back(), entries);
    tsRegisterProgressCallbackFunction(nullptr);
}

// A card name longer than the record's 52 bytes is shortened in its stem: the
// extension, by which the program tells the kinds apart, stays, and no UTF-8
// character is cut in two.
TEST(CollectionNames, LongNamesKeepTheirExtension) {
    const std::string fifty(50, 'n');
    const std::string euro = "\xE2\x82\xAC"; // three bytes
    const struct {
        std::string name;
        std::string recorded;
    } cases[] = {
        {"IMG_0001.JPG", "IMG_0001.JPG"},
        {fifty + "X", fifty + "X"}, // 51 bytes fit
        {fifty + "_0001.JPG", fifty.substr(0, 47) + ".JPG"},
        {std::string(46, 'n') + euro + euro + ".AVI", std::string(46, 'n') + ".AVI"},
        {std::string(44, 'n') + euro + euro + ".AVI", std::string(44, 'n') + euro + ".AVI"},
        {fifty + "noextension", (fifty + "n")},
        {fifty + "." + std::string(40, 'e'), (fifty + ".")},
    };
    for (const auto& c : cases) {
        char record[52];
        tesselink::copyFileName(record, sizeof record, c.name.c_str());
        EXPECT_EQ(std::string(record), c.recorded) << c.name;
    }
}

} // namespace
