#include "Dlg_ViewFinder.h"

#include "CameraClient.h"
#include "CameraFixture.h"
#include "Dialogs.h"
#include "FakeClock.h"
#include "FakeServices.h"
#include "LanguageCheck.h"
#include "Probe.h"
#include "Settings.h"
#include "SoundServer.h"
#include "TestEnvironment.h"
#include "WavFile.h"
#include "WindowControls.h"
#include "cdsdk_simcontrol.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <gtest/gtest.h>

using testenv::control;

namespace {

// The window on a connected simulated camera in release control, whose
// viewfinder sends frames only when a test asks.
class ViewFinderWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        languagecheck::InstallShippedLanguages();
        services = std::make_unique<TFakeServices>();
        session = std::make_unique<TCameraSession>(*services);
        fixture::CameraFolder camera = fixture::standardCamera(testenv::newFolder("camera"));
        camera.offer(fixture::remoteControl);
        camera.plugIn();
        session->StartSDK();
        session->Connect_to_tessel();
        tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
        window = std::make_unique<TFormViewFinder>(*services, *session);
    }
    void TearDown() override {
        window.reset();
        tsReleaseEnd();
        session->Disconnect_from_tessel();
        session->FinishSDK();
        cdsimReset();
    }

    static cdsimRemoteState camera() {
        cdsimRemoteState state{};
        cdsimGetRemoteState(&state);
        return state;
    }
    // The next frame of the simulated sensor, `afterMs` later.
    void frame(int afterMs = 66) {
        clock.advance(afterMs);
        ASSERT_EQ(cdsimDeliverViewfinderFrame(nullptr, 0), 1);
        QCoreApplication::processEvents();
    }
    template <class T> T& the(const char* name) { return *control<T>(*window, name); }

    TFakeClock clock;
    TLanguageReadRecorder reads;
    std::unique_ptr<TFakeServices> services;
    std::unique_ptr<TCameraSession> session;
    std::unique_ptr<TFormViewFinder> window;
};

// The output mode goes to the camera once per show; closing stops the
// viewfinder and says so, and the next show offers the mode again unsent.
TEST_F(ViewFinderWindowTest, OutputModeOncePerShow) {
    QSignalSpy closed(window.get(), &TFormViewFinder::closed);
    window->show();
    EXPECT_TRUE(camera().viewfinderRunning);
    auto& mode = the<QComboBox>("ComboBoxViewFinderMode");
    EXPECT_TRUE(mode.isVisible());
    EXPECT_TRUE(the<QPushButton>("ButtonSetAE").isVisible());
    EXPECT_EQ(mode.currentText(), "Viewfinder off on camera");
    mode.setCurrentIndex(2);
    window->ComboBoxViewFinderModeChange();
    EXPECT_EQ(camera().viewfinderOutput, uint32_t(CD_VIEWFINDER_OUTPUT_LCD));
    EXPECT_FALSE(mode.isEnabled());
    window->ButtonSetAEClick();
    EXPECT_EQ(camera().autoFunctions, 7u);
    frame();
    EXPECT_FALSE(the<QLabel>("Image").pixmap().isNull());
    EXPECT_EQ(window->recordingState(), TRecordingState::Idle);
    EXPECT_GT(the<QComboBox>("ComboBoxCompression").count(), 1);

    window->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(camera().viewfinderRunning);
    window->show();
    EXPECT_TRUE(mode.isEnabled());
    EXPECT_EQ(mode.currentIndex(), 0);
    EXPECT_EQ(camera().viewfinderOutput, uint32_t(CD_VIEWFINDER_OUTPUT_LCD));
    languagecheck::ExpectReadsMatchEnglishFile(reads.reads());
}

// A camera that neither chooses where it shows the live picture nor runs its
// automatic functions on demand (as none behind libgphoto2 does) is offered
// neither, while its frames still come.
TEST_F(ViewFinderWindowTest, ControlsTheCameraLacksAreNotOffered) {
    window.reset();
    tsReleaseEnd();
    session->Disconnect_from_tessel();
    fixture::CameraFolder plain = fixture::standardCamera(testenv::newFolder("plain"));
    plain.offer(fixture::remoteControl + "ViewfinderControls=0\n");
    plain.plugIn();
    session->Connect_to_tessel();
    tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    window = std::make_unique<TFormViewFinder>(*services, *session);
    window->show();
    EXPECT_FALSE(the<QComboBox>("ComboBoxViewFinderMode").isVisible());
    EXPECT_FALSE(the<QPushButton>("ButtonSetAE").isVisible());
    EXPECT_TRUE(camera().viewfinderRunning);
    frame();
    EXPECT_FALSE(the<QLabel>("Image").pixmap().isNull());
}

// Ten seconds of sensor frames at the camera's 15 per second become about 250
// slots at 25 per second, with the sound recorded beside them in the AVI and
// in the WAV file; every push button but the stop waits meanwhile.
TEST_F(ViewFinderWindowTest, RecordsTenSecondsWithSound) {
    TSoundServer::Ensure();
    const QString avi = testenv::newFolder("movie") + "/movie.avi";
    window->show();
    frame(); // makes the writer
    the<QComboBox>("ComboBoxCompression")
        .setCurrentIndex(
            the<QComboBox>("ComboBoxCompression").findText("MJPG", Qt::MatchStartsWith));
    window->ComboBoxCompressionChange();
    the<QLineEdit>("EditAviFileName").setText(avi);
    window->ButtonStartAviClick();
    EXPECT_FALSE(the<QPushButton>("ButtonStartAvi").isEnabled());
    EXPECT_TRUE(the<QPushButton>("ButtonStopAvi").isEnabled());
    frame();                                 // begins
    for (int cycle = 0; cycle < 50; ++cycle) // irregular, 15 per second on average
        for (int gap : {60, 73, 67})
            frame(gap);
    EXPECT_TRUE(the<QStatusBar>("StatusBar").currentMessage().startsWith("Recording movie. 2"));
    // The sound input delivers in real time: wait until the WAV file being
    // written beside the AVI file holds a fifth of a second.
    const auto soundArrived = [&] {
        for (const QFileInfo& file : QDir(QFileInfo(avi).path()).entryInfoList(QDir::Files))
            if (file.fileName().startsWith("movie.wav") && file.size() > 44 + 176400 / 5)
                return true;
        return false;
    };
    QDeadlineTimer deadline(10000);
    while (!soundArrived() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    window->ButtonStopAviClick();
    frame(); // finishes
    EXPECT_EQ(window->recordingState(), TRecordingState::Idle);
    EXPECT_TRUE(the<QPushButton>("ButtonStartAvi").isEnabled());

    const QJsonArray streams = probe::streams(avi);
    ASSERT_EQ(streams.size(), 2);
    EXPECT_EQ(streams[0]["codec_name"].toString(), "mjpeg");
    EXPECT_EQ(streams[0]["r_frame_rate"].toString(), "25/1");
    // Up to 40 ms stay carried for a next frame.
    EXPECT_NEAR(streams[0]["nb_frames"].toString().toInt(), 250, 1);
    EXPECT_EQ(streams[1]["codec_name"].toString(), "pcm_s16le");
    EXPECT_EQ(streams[1]["sample_rate"].toString(), "44100");
    const QString wav = avi.chopped(4) + ".wav";
    EXPECT_GT(WavSoundLength(wav), 0);
    EXPECT_NEAR(probe::soundSeconds(streams[1].toObject()) * 1000, WavSoundLength(wav), 1);
}

// "AVI Compress Options" opens the chosen encoder's settings, which the
// recording then uses; an encoder with nothing to set says so, and without
// a compressor nothing opens.
TEST_F(ViewFinderWindowTest, CompressOptionsSetTheRecordingsEncoder) {
    const QString avi = testenv::newFolder("movie") + "/movie.avi";
    window->show();
    frame(); // makes the writer
    auto& box = the<QComboBox>("ComboBoxCompression");
    const auto choose = [&](const char* fourcc) {
        box.setCurrentIndex(std::max(0, box.findText(fourcc, Qt::MatchStartsWith)));
        window->ComboBoxCompressionChange();
    };
    TDialogScript script;
    script.press(mrOk).then([](const TDialogRequest& request) {
        EXPECT_EQ(control<QLabel>(*request.window, "LabelEncoder")->text(), "libx264");
        control<QSpinBox>(*request.window, "SpinKeyFrames")->setValue(5);
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    choose("No Compression");
    window->ButtonCompressOptionsClick();
    EXPECT_TRUE(script.asked().isEmpty());
    choose("FFV1");
    window->ButtonCompressOptionsClick();
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text, "This compressor has no options of its own.");
    choose("H264");
    window->ButtonCompressOptionsClick();
    ASSERT_EQ(script.asked().size(), 2);

    the<QCheckBox>("CheckBoxWAV").setChecked(false);
    the<QCheckBox>("CheckBoxRecordSound").setChecked(false);
    the<QLineEdit>("EditAviFileName").setText(avi);
    window->ButtonStartAviClick();
    for (int i = 0; i < 13; ++i) // begins, then 12 frames of 2 slots
        frame(80);
    window->ButtonStopAviClick();
    frame(); // finishes
    const QStringList flags =
        QString::fromUtf8(
            probe::run(LUMVIK_FFPROBE, {"-v", "error", "-select_streams", "v", "-show_entries",
                                        "packet=flags", "-of", "csv=p=0", avi}))
            .split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(flags.size(), 24);
    EXPECT_EQ(flags.filter("K").size(), 5); // a key frame every 5 frames
    languagecheck::ExpectReadsMatchEnglishFile(reads.reads());
}

// Closing the window while it records finishes the file with what was
// recorded, as no frame comes any more to carry out a stop.
TEST_F(ViewFinderWindowTest, ClosingWhileRecordingKeepsTheFile) {
    const QString avi = testenv::newFolder("closing") + "/movie.avi";
    QSignalSpy closed(window.get(), &TFormViewFinder::closed);
    window->show();
    frame();
    the<QCheckBox>("CheckBoxWAV").setChecked(false);
    the<QCheckBox>("CheckBoxRecordSound").setChecked(false);
    the<QLineEdit>("EditAviFileName").setText(avi);
    window->ButtonStartAviClick();
    for (int i = 0; i < 4; ++i)
        frame(80); // the first begins
    window->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(window->recordingState(), TRecordingState::Idle);
    const QJsonArray streams = probe::streams(avi);
    ASSERT_EQ(streams.size(), 1);
    EXPECT_EQ(streams[0]["nb_frames"].toString(), "6"); // three frames of two slots
}

// The window's controls are taller than a laptop's screen of 768 pixels:
// they scroll, so the window fits and every control can be reached, and
// none is cut off at the side.
// Starting a recording moves no control, so Stop stays under the pointer;
// once the file is made the status says so instead of the last percentage.
TEST_F(ViewFinderWindowTest, RecordLeavesStopInPlaceAndEndsSayingWhereTheMovieIs) {
    window->show();
    frame(); // makes the writer
    the<QCheckBox>("CheckBoxWAV").setChecked(false);
    the<QCheckBox>("CheckBoxRecordSound").setChecked(false);
    const QString avi = testenv::newFolder("movie") + "/movie.avi";
    the<QLineEdit>("EditAviFileName").setText(avi);
    auto& stop = the<QPushButton>("ButtonStopAvi");
    const QPoint before = stop.mapTo(window.get(), QPoint());
    window->ButtonStartAviClick();
    frame();
    QCoreApplication::processEvents();
    EXPECT_TRUE(stop.isEnabled());
    EXPECT_EQ(stop.mapTo(window.get(), QPoint()), before);
    EXPECT_EQ(stop.visibleRegion().boundingRect(), stop.rect());
    window->ButtonStopAviClick();
    frame(); // finishes
    EXPECT_EQ(window->recordingState(), TRecordingState::Idle);
    EXPECT_EQ(the<QStatusBar>("StatusBar").currentMessage(), "Movie saved as " + avi);
}

// Opening remote control makes this window without showing it: what it
// never read it must not write back.
TEST_F(ViewFinderWindowTest, NeverShownWindowKeepsTheStoredSettings) {
    window.reset();
    TSettings& s = services->settings();
    const std::pair<const char*, int> stored[] = {
        {"ComboBoxCompression", 2}, {"EditWidth", 640}, {"FormViewFinderHeight", 600}};
    for (const auto& [key, value] : stored)
        s.writeInteger(TSettings::Section, key, value);
    s.writeString(TSettings::Section, "EditAviFileName", "/home/me/movie.avi");
    window = std::make_unique<TFormViewFinder>(*services, *session);
    window.reset();
    for (const auto& [key, value] : stored)
        EXPECT_EQ(s.readInteger(TSettings::Section, key, -1), value) << key;
    EXPECT_EQ(s.readString(TSettings::Section, "EditAviFileName", ""), "/home/me/movie.avi");
}

// The AVI quality once shared its setting with remote control's picture
// quality: it is read from there once and then kept apart.
TEST_F(ViewFinderWindowTest, AviQualityIsKeptApartFromRemoteControlsQuality) {
    TSettings& s = services->settings();
    s.writeInteger(TSettings::Section, "ComboBoxQuality", 1);
    window->show();
    frame(); // makes the writer, which takes the stored quality
    auto& quality = the<QComboBox>("ComboBoxQuality");
    EXPECT_EQ(quality.currentIndex(), 1);
    quality.setCurrentIndex(3);
    window.reset();
    EXPECT_EQ(s.readInteger(TSettings::Section, "ViewFinderComboBoxQuality", -1), 3);
    EXPECT_EQ(s.readInteger(TSettings::Section, "ComboBoxQuality", -1), 1);
}

// A shown window starts with the sound test idle: only its start can be used.
TEST_F(ViewFinderWindowTest, SoundTestIsIdleWhenTheWindowShows) {
    window->show();
    EXPECT_TRUE(the<QPushButton>("ButtonStartTestWav").isEnabled());
    for (const char* name : {"ButtonStopRecording", "ButtonPlayWAV", "ButtonStopPlay"})
        EXPECT_FALSE(the<QPushButton>(name).isEnabled()) << name;
}

TEST_F(ViewFinderWindowTest, DelayFieldAndCalculate) {
    window->show();
    auto& delay = the<QLineEdit>("EditVideoDelay");
    delay.setText("abc");
    EXPECT_THROW(window->EditVideoDelayExit(), EConvertError);
    EXPECT_EQ(delay.text(), "0");

    // A WAV file of 5 s beside an AVI file of 4.8 s.
    const QString folder = testenv::newFolder("calculate");
    QFile wav(folder + "/take.wav");
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write(WavHeader({16, 44100, 2}, 5 * 176400));
    wav.close();
    TAviWriter writer;
    writer.SetFile({folder + "/take.avi", folder + "/~AWTemptake.avi", 32, 24, 40, true, {}});
    writer.Begin();
    QImage picture(32, 24, QImage::Format_RGB888);
    picture.fill(Qt::black);
    writer.AddFrame(picture, 119 * 40);
    writer.Finish();
    the<QLineEdit>("EditAviFileName").setText(folder + "/take.avi");

    TDialogScript script;
    script.press(mrCancel).press(mrOk);
    window->ButtonCalcDelayClick();
    EXPECT_EQ(delay.text(), "0");
    window->ButtonCalcDelayClick();
    EXPECT_NEAR(delay.text().toDouble(), 4.1667, 0.001);
    EXPECT_TRUE(script.asked()[0].text.startsWith("To perform this calculation you must\n"));
}

} // namespace
