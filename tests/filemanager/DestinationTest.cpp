#include "Destination.h"
#include "Dates.h"

#include <QSet>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Camera seconds of a local date and time.
uint32_t cameraSeconds(const QDateTime& local) {
    return uint32_t(DateTimeToSeconds(FromQDateTime(local)));
}

template <class TProperties> void name(TProperties& properties, const char* fileName) {
    std::strncpy(properties.fileName, fileName, sizeof properties.fileName - 1);
}

// Picture 100-0001 named IMG_0001.JPG taken 2003-05-17 14:22:01.
TCameraItem picture(const char* fileName = "IMG_0001.JPG") {
    tsPictureProperties p{};
    name(p, fileName);
    p.directoryNumber = 100;
    p.fileNumber = 1;
    p.shootingTime = cameraSeconds(QDateTime(QDate(2003, 5, 17), QTime(14, 22, 1)));
    std::strncpy(p.modelName, "Canon/G5", sizeof p.modelName - 1);
    return CameraItemOf(tsObjectContents{1, 1, 0, 0}, p, {});
}

TCameraItem movie() {
    tsMovieProperties m{};
    name(m, "MVI_0002.AVI");
    m.directoryNumber = 100;
    m.fileNumber = 2;
    m.shootingTime = cameraSeconds(QDateTime(QDate(2004, 1, 2), QTime(3, 4, 5)));
    return CameraItemOf(tsObjectContents{1, 0, 1, 0}, {}, m);
}

struct DestinationCase {
    const char* what;
    TCameraItem item;
    TNamePatterns patterns;
    QString movies;
    QStringList taken; // below /target
    bool exifText;
    QString path, freePath, discDirectory;
};

void PrintTo(const DestinationCase& c, std::ostream* os) {
    *os << c.what;
}

class DestinationOfTest : public ::testing::TestWithParam<DestinationCase> {};

TEST_P(DestinationOfTest, Computes) {
    const DestinationCase& c = GetParam();
    QSet<QString> taken;
    for (const QString& name : c.taken)
        taken << "/target/" + name;
    int asked = 0;
    const TDestination d = DestinationOf(
        c.item, c.patterns, {"/target/", c.movies},
        [&](const QString& path) { return taken.contains(path); },
        [&] {
            ++asked;
            return QString("trip");
        },
        c.exifText);
    EXPECT_EQ(d.path, c.path);
    EXPECT_EQ(d.freePath, c.freePath);
    EXPECT_EQ(d.discDirectory, c.discDirectory);
    // The user text is asked only by a pattern that holds it.
    EXPECT_EQ(asked > 0, (c.patterns.fileName + c.patterns.subDirectory).contains("$TEXT"));
}

INSTANTIATE_TEST_SUITE_P(
    Items, DestinationOfTest,
    ::testing::Values(DestinationCase{"plain camera name, extension in lower case",
                                      picture(),
                                      {},
                                      {},
                                      {},
                                      false,
                                      "/target/IMG_0001.jpg",
                                      "/target/IMG_0001.jpg",
                                      "/."},
                      DestinationCase{"dated subdirectory and date name",
                                      picture(),
                                      {"$YYYY-$MM-$DD/", "$YYYY-$MM-$DD $HH-$MIN-$SEC"},
                                      {},
                                      {},
                                      false,
                                      "/target/2003-05-17/2003-05-17 14-22-01.jpg",
                                      "/target/2003-05-17/2003-05-17 14-22-01.jpg",
                                      "/2003-05-17"},
                      DestinationCase{"user text, asked",
                                      picture(),
                                      {"$TEXT/", "$ZB"},
                                      {},
                                      {},
                                      false,
                                      "/target/trip/100-0001_IMG.jpg",
                                      "/target/trip/100-0001_IMG.jpg",
                                      "/trip"},
                      DestinationCase{"a slash in the model makes no folder",
                                      picture(),
                                      {"", "$MODEL"},
                                      {},
                                      {},
                                      false,
                                      "/target/Canon_G5.jpg",
                                      "/target/Canon_G5.jpg",
                                      "/."},
                      DestinationCase{"an empty subdirectory pattern value cannot climb out",
                                      picture(),
                                      {"$OWNER/../", "$CAM"},
                                      {},
                                      {},
                                      false,
                                      "/target/_/__/IMG_0001.jpg",
                                      "/target/_/__/IMG_0001.jpg",
                                      "/_/__"},
                      DestinationCase{"taken: the first free numbered name",
                                      picture(),
                                      {},
                                      {},
                                      QStringList{"IMG_0001.jpg", "IMG_0001_1.jpg"},
                                      false,
                                      "/target/IMG_0001.jpg",
                                      "/target/IMG_0001_2.jpg",
                                      "/."},
                      DestinationCase{"a sound note of the name takes it",
                                      picture(),
                                      {},
                                      {},
                                      QStringList{"IMG_0001.jpg.wav"},
                                      false,
                                      "/target/IMG_0001.jpg",
                                      "/target/IMG_0001_1.jpg",
                                      "/."},
                      DestinationCase{"a folder's sound note of the name takes it",
                                      picture(),
                                      {},
                                      {},
                                      QStringList{"IMG_0001.wav"},
                                      false,
                                      "/target/IMG_0001.jpg",
                                      "/target/IMG_0001_1.jpg",
                                      "/."},
                      DestinationCase{"the EXIF text takes it only when one is written",
                                      picture(),
                                      {},
                                      {},
                                      QStringList{"IMG_0001.txt"},
                                      false,
                                      "/target/IMG_0001.jpg",
                                      "/target/IMG_0001.jpg",
                                      "/."},
                      DestinationCase{"the EXIF text takes it",
                                      picture(),
                                      {},
                                      {},
                                      QStringList{"IMG_0001.txt"},
                                      true,
                                      "/target/IMG_0001.jpg",
                                      "/target/IMG_0001_1.jpg",
                                      "/."},
                      DestinationCase{"a RAW picture's thumbnail takes it",
                                      picture("CRW_0003.CRW"),
                                      {},
                                      {},
                                      QStringList{"CRW_0003.thm"},
                                      false,
                                      "/target/CRW_0003.crw",
                                      "/target/CRW_0003_1.crw",
                                      "/."},
                      DestinationCase{"a movie's thumbnail takes it",
                                      movie(),
                                      {},
                                      {},
                                      QStringList{"MVI_0002.thm"},
                                      false,
                                      "/target/MVI_0002.avi",
                                      "/target/MVI_0002_1.avi",
                                      "/."},
                      DestinationCase{"a movie is named from its own data",
                                      movie(),
                                      {"$YYYY/", "$CAM $ISO"},
                                      {},
                                      {},
                                      false,
                                      "/target/2004/MVI_0002.avi",
                                      "/target/2004/MVI_0002.avi",
                                      "/2004"},
                      DestinationCase{
                          "a movie goes to the movies directory, the disc mirrors the target",
                          movie(),
                          {"$YYYY/", "$CAM"},
                          "/movies",
                          {},
                          false,
                          "/movies/2004/MVI_0002.avi",
                          "/movies/2004/MVI_0002.avi",
                          "/2004"},
                      DestinationCase{"a picture ignores the movies directory",
                                      picture(),
                                      {},
                                      "/movies",
                                      {},
                                      false,
                                      "/target/IMG_0001.jpg",
                                      "/target/IMG_0001.jpg",
                                      "/."},
                      DestinationCase{"a name without extension gets none",
                                      picture("README"),
                                      {},
                                      {},
                                      {},
                                      false,
                                      "/target/README",
                                      "/target/README",
                                      "/."}));

TEST(DestinationOf, NeitherPictureNorMovieGoesNowhere) {
    const TDestination d = DestinationOf(
        CameraItemOf({}, {}, {}), {}, {"/target", {}}, [](const QString&) { return false; },
        [] { return QString(); });
    EXPECT_EQ(d, TDestination{});
}

} // namespace
