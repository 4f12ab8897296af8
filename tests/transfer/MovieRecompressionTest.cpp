// Received movies recompressed with FFmpeg's encoders, checked with ffprobe.

#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "Dlg_MovieRecompProp.h"
#include "Errors.h"
#include "FakeServices.h"
#include "MovieRecompressor.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TransferFixture.h"
#include "WindowControls.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using testenv::control;

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What ffprobe reads of a movie.
struct Probe {
    QString video, audio; // codec names; empty when there is no such stream
    int frames = 0;
    double duration = 0;
};

Probe probe(const QString& movie) {
    Probe p;
    const QString out =
        run("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                        "stream=codec_type,codec_name,nb_read_frames:format=duration", "-of",
                        "default=nw=1", movie});
    // Per stream: codec_name, codec_type, nb_read_frames in this order.
    QString name, type;
    for (const QString& line : out.split('\n')) {
        const QString value = line.section('=', 1);
        if (line.startsWith("codec_name="))
            name = value;
        else if (line.startsWith("codec_type="))
            (value == "video" ? p.video : p.audio) = name, type = value;
        else if (line.startsWith("nb_read_frames=") && type == "video")
            p.frames = value.toInt();
        else if (line.startsWith("duration="))
            p.duration = value.toDouble();
    }
    return p;
}

// A camera-like movie: motion JPEG pictures at 15 frames a second with
// uncompressed mono sound, 2 seconds.
QString cameraMovie(const QString& path) {
    run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=15:duration=2",
                   "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=11025:duration=2", "-c:v",
                   "mjpeg", "-c:a", "pcm_u8", "-ac", "1", path});
    return path;
}

// A 10 s movie like a camera's: noisy motion JPEG pictures at 25 frames a
// second with uncompressed sound.
QString noisyCameraMovie(const QString& path) {
    run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                   "testsrc2=size=320x240:rate=25:duration=10,noise=alls=8:allf=t", "-f", "lavfi",
                   "-i", "sine=frequency=440:sample_rate=11025:duration=10", "-c:v", "mjpeg",
                   "-q:v", "3", "-c:a", "pcm_u8", "-ac", "1", path});
    return path;
}

// The mean SSIM of the pictures of `movie` against those of `reference`.
double ssim(const QString& movie, const QString& reference) {
    QProcess process;
    process.start("ffmpeg", {"-v", "info", "-nostats", "-i", movie, "-i", reference, "-lavfi",
                             "ssim", "-f", "null", "-"});
    process.waitForFinished(120000);
    const QString log = QString::fromUtf8(process.readAllStandardError());
    return log.section(" All:", 1).section(' ', 0, 0).toDouble();
}

// The bytes of a movie's video, packet by packet as ffprobe reads them.
qint64 videoBytes(const QString& movie) {
    qint64 bytes = 0;
    for (const QString& size :
         run("ffprobe", {"-v", "error", "-select_streams", "v", "-show_entries", "packet=size",
                         "-of", "csv=p=0", movie})
             .split('\n', Qt::SkipEmptyParts))
        bytes += size.toLongLong();
    return bytes;
}

class MovieRecompressionTest : public ::testing::Test {
  protected:
    TFakeServices services;
    TMovieRecompression recompression{services.language()};
    QString folder = testenv::newFolder("movies");
};

TEST_F(MovieRecompressionTest, ListsTheEncodersAnAviCanHold) {
    EXPECT_TRUE(VideoCompressors().contains("mpeg4"));
    EXPECT_TRUE(VideoCompressors().contains("mjpeg"));
    EXPECT_FALSE(VideoCompressors().contains("mp2"));
    EXPECT_TRUE(AudioCompressors().contains("mp2"));
    EXPECT_TRUE(AudioCompressors().contains("pcm_s16le"));
    EXPECT_FALSE(AudioCompressors().contains("opus")); // not for AVI
}

TEST_F(MovieRecompressionTest, TwoEncoderPairsKeepEveryFrameTheSoundAndTheDate) {
    const std::pair<QString, QString> pairs[] = {{"mpeg4", "mp2"}, {"msmpeg4v2", "pcm_s16le"}};
    int number = 0;
    for (const auto& [video, audio] : pairs) {
        const QString movie = cameraMovie(QString("%1/MVI_%2.avi").arg(folder).arg(++number));
        const Probe before = probe(movie);
        ASSERT_EQ(before.video, "mjpeg");
        const QDateTime date = QDateTime(QDate(2026, 12, 1), QTime(10, 0));
        QFile file(movie);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(date, QFileDevice::FileModificationTime));
        file.close();

        recompression.videoEncoder = video;
        recompression.audioEncoder = audio;
        recompression.Recompress(movie);
        const Probe after = probe(movie);
        EXPECT_EQ(after.video, video);
        EXPECT_EQ(after.audio, audio);
        EXPECT_NEAR(after.frames, before.frames, 1);
        EXPECT_NEAR(after.duration, before.duration, 1.0 / 15);
        EXPECT_EQ(QFileInfo(movie).lastModified(), date);
    }
    // Each movie had a temporary file of its own, and none is left.
    EXPECT_EQ(recompression.counter, 2);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList({"MVI_1.avi", "MVI_2.avi"}));
}

// A movie that cannot be read is no reason to stop: it stays as received,
// and nothing of the attempt is left beside it.
TEST_F(MovieRecompressionTest, AMovieThatCannotBeReadStaysAsReceived) {
    recompression.videoEncoder = "mpeg4";
    recompression.audioEncoder = "mp2";
    for (const QByteArray& content : {QByteArray(), QByteArray("RIFF but no movie")}) {
        const QString movie = testfiles::Write(folder + "/MVI_0001.avi", content);
        EXPECT_FALSE(recompression.Recompress(movie));
        EXPECT_EQ(testfiles::Read(movie), content);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList({"MVI_0001.avi"}));
    }
}

// Motion JPEG frames may change size or sampling within a movie: each frame
// is converted as it is, never read as if it were the first one's size.
TEST_F(MovieRecompressionTest, FramesThatChangeSizeOrPixelFormatAreEachConverted) {
    struct Part {
        const char* size;
        const char* format;
    };
    const struct {
        Part first, later;
    } cases[] = {{{"4096x16", "yuvj444p"}, {"64x16", "yuvj444p"}},
                 {{"64x16", "yuvj444p"}, {"64x16", "yuvj420p"}}};
    recompression.videoEncoder = "mpeg4";
    recompression.audioEncoder = "mp2";
    int number = 0;
    for (const auto& c : cases) {
        const QString base = QString("%1/part%2").arg(folder).arg(++number);
        QString list;
        for (const auto& [part, seconds] : {std::pair{c.first, "0.2"}, std::pair{c.later, "0.4"}}) {
            const QString path = base + part.size + part.format + ".avi";
            run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                           QString("testsrc=size=%1:rate=15:duration=%2").arg(part.size, seconds),
                           "-c:v", "mjpeg", "-pix_fmt", part.format, path});
            list += "file '" + path + "'\n";
        }
        testfiles::Write(base + ".txt", list.toUtf8());
        const QString movie = base + ".avi";
        run("ffmpeg", {"-v", "error", "-f", "concat", "-safe", "0", "-i", base + ".txt", "-c",
                       "copy", movie});
        ASSERT_EQ(probe(movie).frames, 9) << c.first.size << c.later.format;
        EXPECT_TRUE(recompression.Recompress(movie));
        EXPECT_EQ(probe(movie).video, "mpeg4");
        EXPECT_EQ(probe(movie).frames, 9);
    }
}

// The recompression tells its progress and stops when asked, leaving the
// movie as received.
TEST_F(MovieRecompressionTest, ProgressIsToldAndAStopLeavesTheMovieAsReceived) {
    recompression.videoEncoder = "mpeg4";
    recompression.audioEncoder = "mp2";
    const QString movie = cameraMovie(folder + "/MVI_0001.avi");
    QList<int> told;
    EXPECT_TRUE(recompression.Recompress(movie, {[&](int percent) { told << percent; }, {}}));
    ASSERT_FALSE(told.isEmpty());
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_GE(told.back(), 90);

    const QString second = cameraMovie(folder + "/MVI_0002.avi");
    const QByteArray secondReceived = testfiles::Read(second);
    int asked = 0;
    EXPECT_FALSE(recompression.Recompress(second, {{}, [&] { return ++asked > 0; }}));
    EXPECT_GE(asked, 1);
    EXPECT_EQ(testfiles::Read(second), secondReceived);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList({"MVI_0001.avi", "MVI_0002.avi"}));
}

TEST_F(MovieRecompressionTest, WithoutAChosenEncoderTheTransferStops) {
    const QString movie = testfiles::Write(folder + "/MVI_0001.avi", "movie");
    const std::tuple<QString, QString, std::string> cases[] = {
        {"", "mp2", "No video filter has been selected. File transfer aborted"},
        {"mpeg4", "", "No audio filter has been selected. File transfer aborted"}};
    for (const auto& [video, audio, message] : cases) {
        recompression.videoEncoder = video;
        recompression.audioEncoder = audio;
        try {
            recompression.Recompress(movie);
            ADD_FAILURE() << "no error";
        } catch (const ERangeError& error) {
            EXPECT_EQ(error.what(), message);
        }
        EXPECT_EQ(testfiles::Read(movie), "movie");
    }
}

// The options window's answer: mpeg4 and mp2 chosen.
TDialogAnswer chooseEncoders(const TDialogRequest& request) {
    auto* window = qobject_cast<TFormMovieRecomp*>(request.window);
    EXPECT_NE(window, nullptr);
    if (window) {
        for (const auto& [list, name] :
             {std::pair{"ListBoxVideo", "mpeg4"}, std::pair{"ListBoxAudio", "mp2"}}) {
            auto* box = control<QListWidget>(*window, list);
            box->setCurrentItem(box->findItems(name, Qt::MatchExactly).first());
        }
    }
    return TDialogAnswer{QDialog::Accepted, {}};
}

// A new user's choice: the encoders and settings the window starts with keep
// the picture and make the movie smaller.
TEST_F(MovieRecompressionTest, TheDefaultsKeepThePictureAndMakeTheMovieSmaller) {
    const QString source = noisyCameraMovie(folder + "/source.avi");
    const QString movie = folder + "/MVI_0001.avi";
    ASSERT_TRUE(QFile::copy(source, movie));
    TFormMovieRecomp window(services);
    window.RestoreChoices();
    window.Recompress(movie);

    const Probe after = probe(movie);
    EXPECT_EQ(after.video, "h264");
    EXPECT_EQ(after.audio, "pcm_s16le");
    EXPECT_EQ(after.frames, 250);
    const double similarity = ssim(movie, source);
    const double ratio = double(QFileInfo(movie).size()) / QFileInfo(source).size();
    RecordProperty("ssim", std::to_string(similarity));
    RecordProperty("size_ratio", std::to_string(ratio));
    EXPECT_GE(similarity, 0.95);
    EXPECT_LT(ratio, 1.0);
}

// Clicking an encoder opens its settings; what is set there reaches the movie.
TEST_F(MovieRecompressionTest, ASettingChangedInTheWindowChangesTheMovie) {
    TFormMovieRecomp window(services);
    window.RestoreChoices();
    window.show();
    const auto recompressed = [&](const QString& name) {
        const QString movie = cameraMovie(folder + "/" + name);
        window.Recompress(movie);
        return videoBytes(movie);
    };
    const qint64 atDefaults = recompressed("MVI_0001.avi");

    TDialogScript script;
    script.then([](const TDialogRequest& request) {
        control<QSpinBox>(*request.window, "SpinQuality")->setValue(30);
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    auto* list = control<QListWidget>(window, "ListBoxVideo");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->currentItem()).center());
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(LoadEncoderSettings(services.settings(), "libx264").quality, 30);
    EXPECT_LT(recompressed("MVI_0002.avi"), atDefaults / 2);
}

// An encoder stored by an earlier run that is gone now: the message, and no choice.
TEST_F(MovieRecompressionTest, AStoredEncoderNoLongerInstalledLeavesNoChoice) {
    services.settings().writeString(TSettings::Section, "ListBoxVideo", "gone_encoder");
    services.settings().writeString(TSettings::Section, "ListBoxAudio", "mp2");
    TFormMovieRecomp window(services);
    try {
        window.RestoreChoices();
        ADD_FAILURE() << "no error";
    } catch (const ERangeError& error) {
        EXPECT_STREQ(error.what(),
                     "Selected video filter for movies recompress function do not exist");
    }
    const QString movie = testfiles::Write(folder + "/MVI_0001.avi", "movie");
    try {
        window.Recompress(movie);
        ADD_FAILURE() << "no error";
    } catch (const ERangeError& error) {
        EXPECT_STREQ(error.what(), "No video filter has been selected. File transfer aborted");
    }
    EXPECT_EQ(testfiles::Read(movie), "movie");
}

// The whole way: the options window chooses, the transfer recompresses.
TEST_F(TransferTest, AReceivedMovieArrivesInTheChosenCodecs) {
    withFileManager([&](TForm_filemanager& w) {
        script.then(chooseEncoders);
        control<QAction>(w, "Recompressmovies1")->trigger();
        transfer(w, {"MVI_0013.AVI"});
    });
    const Probe movie = probe(target + "MVI_0013.avi");
    EXPECT_EQ(movie.video, "mpeg4");
    EXPECT_EQ(movie.frames, probe(cameraFile("MVI_0013.AVI")).frames);
    EXPECT_EQ(receivedTree(), QStringList({"MVI_0013.avi", "MVI_0013.thm"}));
    EXPECT_TRUE(shownTexts().contains("All pictures received!"));
}

// An empty movie on the card arrives as it is; the transfer goes on to the
// next file and names the movie at its end.
TEST_F(TransferTest, AMovieThatCannotBeRecompressedIsKeptAndNamed) {
    QFile(cameraFile("MVI_0013.AVI")).resize(0);
    withFileManager([&](TForm_filemanager& w) {
        script.then(chooseEncoders);
        control<QAction>(w, "Recompressmovies1")->trigger();
        transfer(w, {"MVI_0013.AVI", "IMG_0014.JPG"});
    });
    EXPECT_EQ(QFileInfo(target + "MVI_0013.avi").size(), 0);
    EXPECT_TRUE(receivedTree().contains("IMG_0014.jpg"));
    EXPECT_TRUE(shownTexts().contains("All pictures received!\nThese movies could not be "
                                      "recompressed and are kept as received: MVI_0013.avi"))
        << shownTexts().join(" | ").toStdString();
}

// While a movie is recompressed the file manager answers, its progress bar
// moves, and Stop ends the recompression at once with the movie as received.
TEST_F(TransferTest, StopDuringARecompressionKeepsTheMovieAsReceived) {
    QList<int> progress;
    withFileManager([&](TForm_filemanager& w) {
        script.then(chooseEncoders);
        control<QAction>(w, "Recompressmovies1")->trigger();
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, &w, [&] {
            if (!control<QStatusBar>(w, "StatusBar1")->currentMessage().startsWith("Recompresses"))
                return;
            progress << control<QProgressBar>(w, "ProgressBar")->value();
            if (progress.back() > 0) {
                watcher.stop();
                control<QPushButton>(w, "Button_StartTransfer")->click();
            }
        });
        watcher.start(0);
        transfer(w, {"MVI_0013.AVI"});
    });
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_GT(progress.back(), 0);
    EXPECT_EQ(probe(target + "MVI_0013.avi").video, "mjpeg");
    EXPECT_EQ(receivedTree(), QStringList({"MVI_0013.avi", "MVI_0013.thm"}));
    EXPECT_TRUE(shownTexts().contains("Some picture received. Transfer aborted."));
}

} // namespace
