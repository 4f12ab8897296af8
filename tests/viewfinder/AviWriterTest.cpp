#include "AviWriter.h"

#include "Errors.h"
#include "Probe.h"
#include "TestEnvironment.h"
#include "WavFile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QImage filled(QRgb colour, QSize size = {320, 240}) {
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(colour);
    return picture;
}

// A WAV file of `milliseconds` silence.
QString writeWav(const QString& path, const TSoundFormat& format, int milliseconds) {
    TWavWriter wav(path, format);
    wav.append(QByteArray(qsizetype(format.bytesPerSecond()) * milliseconds / 1000,
                          format.bitsPerSample == 8 ? '\x80' : '\0'));
    wav.close();
    return path;
}

TAviFileSettings fileIn(const QString& folder, bool onTheFly, const QString& wav = {}) {
    TAviFileSettings file;
    file.fileName = folder + "/movie.avi";
    file.tempFileName = folder + "/~AWTempmovie.avi";
    file.width = 160;
    file.height = 120;
    file.onTheFly = onTheFly;
    file.wavFileName = wav;
    return file;
}

struct Case {
    const char* fourcc;
    bool onTheFly;
    const char* codec; // as ffprobe names it
};

class AviWriterFormats : public ::testing::TestWithParam<Case> {};

// Frames of 2, 1, 3 and 0 slots (extra 40, 0, 80, -40): the file holds six
// slots at 25 per second, stretched to the frame size, with the WAV file's
// sound beside them, and the work file is gone.
TEST_P(AviWriterFormats, SlotsSizeAndSoundReachTheFile) {
    const Case c = GetParam();
    const QString folder = testenv::newFolder("avi");
    const TSoundFormat format{8, 22050, 1};
    const auto file = fileIn(folder, c.onTheFly, writeWav(folder + "/movie.wav", format, 240));
    std::vector<int> progress;
    TAviWriter writer([&](int done) { progress.push_back(done); });
    writer.ChooseCompressor(c.fourcc);
    writer.SetFile(file);
    writer.Begin();
    writer.AddFrame(filled(qRgb(255, 0, 0)), 40);
    writer.AddFrame(filled(qRgb(0, 0, 255), {640, 480}), 0);
    writer.AddFrame(filled(qRgb(0, 255, 0)), 80);
    writer.AddFrame(filled(qRgb(255, 255, 255)), -40);
    EXPECT_EQ(writer.slotCount(), 6);
    writer.EndAdding();
    writer.Finish();

    EXPECT_FALSE(QFile::exists(file.tempFileName));
    const QJsonArray streams = probe::streams(file.fileName);
    ASSERT_EQ(streams.size(), 2);
    const QJsonObject video = streams[0].toObject();
    EXPECT_EQ(video["codec_name"].toString(), c.codec);
    EXPECT_EQ(video["r_frame_rate"].toString(), "25/1");
    EXPECT_EQ(video["width"].toInt(), 160);
    EXPECT_EQ(video["height"].toInt(), 120);
    EXPECT_EQ(video["nb_frames"].toString(), "6");
    const QJsonObject audio = streams[1].toObject();
    EXPECT_EQ(audio["codec_name"].toString(), "pcm_u8");
    EXPECT_EQ(audio["sample_rate"].toString(), "22050");
    EXPECT_EQ(audio["channels"].toInt(), 1);
    EXPECT_NEAR(probe::soundSeconds(audio), 0.24, 0.001);

    // Each frame shows upright in its slots.
    const auto pixels = probe::slotPixels(file.fileName, 160, 120);
    ASSERT_EQ(pixels.size(), 6u);
    const QRgb expected[] = {qRgb(255, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255),
                             qRgb(0, 255, 0), qRgb(0, 255, 0), qRgb(0, 255, 0)};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(qRed(pixels[i]), qRed(expected[i]), 12) << "slot " << i;
        EXPECT_NEAR(qGreen(pixels[i]), qGreen(expected[i]), 12) << "slot " << i;
        EXPECT_NEAR(qBlue(pixels[i]), qBlue(expected[i]), 12) << "slot " << i;
    }
}

// A frame of four coloured quarters plays as given: neither turned upside
// down nor mirrored.
TEST_P(AviWriterFormats, FirstFrameDecodesAsGiven) {
    const Case c = GetParam();
    const QString folder = testenv::newFolder("avi");
    const auto file = fileIn(folder, c.onTheFly);
    const QRgb quarters[2][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)},
                                 {qRgb(0, 0, 255), qRgb(255, 255, 255)}};
    QImage picture(file.width, file.height, QImage::Format_RGB888);
    for (int y = 0; y < file.height; ++y)
        for (int x = 0; x < file.width; ++x)
            picture.setPixel(x, y, quarters[y * 2 / file.height][x * 2 / file.width]);
    TAviWriter writer;
    writer.ChooseCompressor(c.fourcc);
    writer.SetFile(file);
    writer.Begin();
    writer.AddFrame(picture, 0);
    writer.EndAdding();
    writer.Finish();

    const QByteArray rgb =
        probe::run(LUMVIK_FFMPEG, {"-v", "error", "-i", file.fileName, "-frames:v", "1", "-f",
                                   "rawvideo", "-pix_fmt", "rgb24", "-"});
    ASSERT_EQ(rgb.size(), qsizetype(file.width) * file.height * 3);
    const QImage decoded(reinterpret_cast<const uchar*>(rgb.constData()), file.width, file.height,
                         file.width * 3, QImage::Format_RGB888);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column) {
            const QRgb shown =
                decoded.pixel((2 * column + 1) * file.width / 4, (2 * row + 1) * file.height / 4);
            const QRgb given = quarters[row][column];
            EXPECT_NEAR(qRed(shown), qRed(given), 12) << row << "," << column;
            EXPECT_NEAR(qGreen(shown), qGreen(given), 12) << row << "," << column;
            EXPECT_NEAR(qBlue(shown), qBlue(given), 12) << row << "," << column;
        }
}

INSTANTIATE_TEST_SUITE_P(Compressors, AviWriterFormats,
                         ::testing::Values(Case{"", true, "rawvideo"}, Case{"MJPG", true, "mjpeg"},
                                           Case{"MJPG", false, "mjpeg"},
                                           Case{"FFV1", false, "ffv1"}));

// The movie is readable by whom the user's umask lets read other files.
TEST(AviWriter, MovieTakesItsPermissionsFromTheUmask) {
    const auto file = fileIn(testenv::newFolder("avi"), true);
    const mode_t previous = ::umask(027);
    TAviWriter writer;
    writer.SetFile(file);
    writer.Begin();
    writer.AddFrame(filled(qRgb(1, 2, 3)), 0);
    writer.EndAdding();
    writer.Finish();
    ::umask(previous);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(file.fileName).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

// A red top over a blue bottom, both speckled differently in every frame, so
// an encoder's settings show in the bytes it spends.
QImage speckled(QRandomGenerator& random) {
    QImage picture = filled(qRgb(0, 0, 255), {160, 120});
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            const int speck = int(random.bounded(40));
            picture.setPixel(
                x, y, y < 60 ? qRgb(215 + speck, speck, speck) : qRgb(speck, speck, 215 + speck));
        }
    return picture;
}

qint64 videoBytes(const QString& path) {
    qint64 bytes = 0;
    for (const QByteArray& size :
         probe::run(LUMVIK_FFPROBE, {"-v", "error", "-select_streams", "v", "-show_entries",
                                     "packet=size", "-of", "csv=p=0", path})
             .split('\n'))
        bytes += size.toLongLong();
    return bytes;
}

// Through an encoder with the user's settings the recording plays upright at
// 25 frames a second, and the settings decide what it spends.
TEST(AviWriter, AChosenEncoderWithItsSettingsPlaysAt25Fps) {
    using Rate = TEncoderSettings::Rate;
    struct Setting {
        const char* fourcc;
        const char* encoder;
        TEncoderSettings fine, coarse;
    };
    const Setting cases[] = {
        {"H264",
         "libx264",
         {Rate::Quality, 12, {}, "veryfast", 10},
         {Rate::Quality, 45, {}, "", {}}},
        {"FMP4", "mpeg4", {Rate::Quality, 2, {}, "", {}}, {Rate::BitRate, 2, 40, "", 25}},
    };
    for (const Setting& c : cases) {
        SCOPED_TRACE(c.fourcc);
        qint64 bytes[2] = {};
        for (int i = 0; i < 2; ++i) {
            const QString folder = testenv::newFolder("encoder");
            const auto file = fileIn(folder, true);
            TAviWriter writer;
            writer.ChooseCompressor(c.fourcc);
            EXPECT_EQ(writer.encoderName(), c.encoder);
            writer.SetEncoderSettings(i == 0 ? c.fine : c.coarse);
            writer.SetFile(file);
            writer.Begin();
            QRandomGenerator random(7);
            for (int frame = 0; frame < 50; ++frame)
                writer.AddFrame(speckled(random), 0);
            writer.EndAdding();
            writer.Finish();

            const QJsonObject video = probe::streams(file.fileName)[0].toObject();
            EXPECT_EQ(video["r_frame_rate"].toString(), "25/1");
            EXPECT_EQ(video["nb_frames"].toString(), "50");
            const auto pixels = probe::slotPixels(file.fileName, 160, 120);
            ASSERT_EQ(pixels.size(), 50u);
            EXPECT_GT(qRed(pixels[0]), 160);
            EXPECT_LT(qBlue(pixels[0]), 100);
            bytes[i] = videoBytes(file.fileName);
        }
        EXPECT_GT(bytes[0], 2 * bytes[1]);
    }
}

TEST(AviWriter, ListsNoCompressionFirstThenEncodersByCode) {
    const QStringList items = TAviWriter::ListCompressors();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items[0], "No Compression");
    EXPECT_TRUE(items.contains("MJPG MJPEG (Motion JPEG)")) << items.join(", ").toStdString();
    for (const QString& item : items.mid(1)) {
        EXPECT_EQ(item[4], ' ') << item.toStdString();
        EXPECT_NO_THROW(TAviWriter().ChooseCompressor(item.left(4))) << item.toStdString();
    }
}

TEST(AviWriter, RefusesWhatItCannotDo) {
    TAviWriter writer;
    try {
        writer.ChooseCompressor("ZZZZ");
        FAIL();
    } catch (const ERangeError& e) {
        EXPECT_EQ(e.message(), "No compressor for ZZZZ available");
    }
    TAviFileSettings file = fileIn(testenv::newFolder("refuse"), true, "/tmp/sound.mp3");
    try {
        writer.SetFile(file);
        FAIL();
    } catch (const ERangeError& e) {
        EXPECT_EQ(e.message(), "WavFileName must name a file with the .wav extension");
    }
    try {
        writer.AddFrame(filled(qRgb(0, 0, 0)), 0);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Video must be initialized.");
    }
    EXPECT_THROW(writer.Finish(), EInOutError);
    file.wavFileName.clear();
    file.tempFileName = testenv::newFolder("missing") + "/no/such/~AWTemp.avi";
    writer.SetFile(file);
    try {
        writer.Begin();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.message().startsWith("Failed to create AVI video file. Err: $"))
            << e.message().toStdString();
    }
}

// An existing AVI file is replaced only when the new one is complete: a
// failing finish leaves it as it was.
TEST(AviWriter, FailedFinishKeepsTheOldFile) {
    const QString folder = testenv::newFolder("keep");
    auto file = fileIn(folder, true, folder + "/missing.wav");
    QFile old(file.fileName);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old movie");
    old.close();
    TAviWriter writer;
    writer.SetFile(file);
    writer.Begin();
    writer.AddFrame(filled(qRgb(1, 2, 3)), 0);
    EXPECT_THROW(writer.Finish(), EInOutError);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old movie");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << QDir(folder).entryList(QDir::Files | QDir::Hidden).join(",").toStdString();
}

} // namespace
