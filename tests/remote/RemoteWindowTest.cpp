// The remote control window over the simulated camera, offscreen, with a
// clock that moves only when a test moves it.

#include "CameraClient.h"
#include "CameraFixture.h"
#include "CameraSession.h"
#include "Dlg_Remote.h"
#include "Dlg_ViewFinder.h"
#include "FakeServices.h"
#include "LanguageCheck.h"
#include "MainWindowFixture.h"
#include "ProgramFolder.h"
#include "RemoteFlows.h"
#include "RemoteGroup.h"
#include "RemoteWindowFixture.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "WindowControls.h"
#include "cdsdk_simcontrol.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

using testenv::control;

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

cdsimRemoteState remoteState() {
    cdsimRemoteState state{};
    cdsimGetRemoteState(&state);
    return state;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

class RemoteWindowTest : public RemoteWindowFixture {
  protected:
    void SetUp() override {
        RemoteWindowFixture::SetUp();
        camera = fixture::standardCamera(testenv::newFolder("camera"));
    }
    void TearDown() override {
        RemoteWindowFixture::TearDown();
        cdsimReset();
    }

    static constexpr const char* remotekeyDirectory = "DirectoryEdit";
    void connect(const QString& offers = fixture::remoteControl) {
        camera.offer(offers);
        camera.plugIn();
        session.StartSDK();
        session.Connect_to_tessel();
    }
    void connectCamera() override { connect(); }
    QString status() { return get<QLabel>("StatusBar")->text(); }
    void choose(const char* box, const QString& item) {
        QComboBox* combo = get<QComboBox>(box);
        const int index = combo->findText(item);
        ASSERT_GE(index, 0) << box << " lacks " << item.toStdString();
        combo->setCurrentIndex(index);
    }
    QString request(const QByteArray& content) {
        return testfiles::Write(ProgramFile("take_picture.ini"), content);
    }
    void setInterval(int h, int m, int s) {
        get<QSpinBox>("SpinEdit_IntHour")->setValue(h);
        get<QSpinBox>("SpinEdit_IntMin")->setValue(m);
        get<QSpinBox>("SpinEdit_IntSec")->setValue(s);
    }

    fixture::CameraFolder camera{testenv::newFolder("unused")};
};

TEST_F(RemoteWindowTest, SinglePictureOnlyToThePC) {
    TForm_Remote& w = openProcess();
    EXPECT_EQ(get<QPushButton>("Button_StartRemoteProcess")->text(), "Stop remote process");
    EXPECT_TRUE(get<QPushButton>("Button_TakePic")->isEnabled());
    takePicture();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    EXPECT_EQ(filesIn(directory), QStringList{"Pic_0000.jpg"});
    EXPECT_FALSE(QImage(directory + "/Pic_0000.jpg").isNull());
    EXPECT_FALSE(get<QLabel>("Image")->pixmap().isNull()) << "the thumbnail is shown";
    EXPECT_TRUE(QFile::exists(ProgramFile("thumbnail.jpg")));
    EXPECT_EQ(get<QProgressBar>("ProgressBar")->value(), 0);
    EXPECT_TRUE(get<QPushButton>("Button_TakePic")->isEnabled()) << "ready for the next";
    EXPECT_EQ(status(), "The picture is taken");
    const cdsimRemoteState state = remoteState();
    EXPECT_TRUE(state.inReleaseControl);
    EXPECT_EQ(state.releases, 1u);
    EXPECT_EQ(state.releaseDataKind, 3u) << "mode 0 with data 2";
    // A single picture leaves the counter as it is: the next one is made unique.
    takePicture();
    EXPECT_EQ(filesIn(directory), (QStringList{"Pic_0000.jpg", "Pic_0000_1.jpg"}));
    w.Button_StartRemoteProcessClick();
    EXPECT_FALSE(remoteState().inReleaseControl);
    EXPECT_EQ(status(), "Remote process stopped");
    EXPECT_FALSE(get<QPushButton>("Button_TakePic")->isEnabled());
}

// The reports of the release and of the fetches reach the progress bar while
// they run, not after the picture is there; the bar is back at 0 after it.
TEST_F(RemoteWindowTest, ProgressBarFollowsTheReleaseAndItsFetches) {
    openProcess();
    QList<int> shown;
    QObject::connect(get<QProgressBar>("ProgressBar"), &QProgressBar::valueChanged, window.get(),
                     [&](int value) { shown << value; });
    takePicture();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    EXPECT_TRUE(shown.contains(100)) << shown.size();
    EXPECT_EQ(shown.value(shown.size() - 1), 0);
}

TEST_F(RemoteWindowTest, ToCameraOnlyWritesNothingOnTheComputer) {
    setting("ComboBox_TransMode", "2");
    setting(remotekeyDirectory, directory + "/missing");
    openProcess();
    takePicture();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    EXPECT_EQ(remoteState().releases, 1u);
    EXPECT_EQ(remoteState().releaseDataKind, 12u);
    EXPECT_TRUE(filesIn(directory).isEmpty());
    EXPECT_FALSE(QFile::exists(ProgramFile("thumbnail.jpg")));
}

TEST_F(RemoteWindowTest, MissingDirectoryKeepsTheProcessClosed) {
    setting(remotekeyDirectory, directory + "/missing");
    open();
    get<QPushButton>("Button_StartRemoteProcess")->click();
    EXPECT_EQ(errors(), QStringList{"You have to select a valid PC-directory."});
    EXPECT_EQ(get<QPushButton>("Button_StartRemoteProcess")->text(), "Start remote process");
    EXPECT_FALSE(remoteState().inReleaseControl);
}

TEST_F(RemoteWindowTest, RawPictureGetsItsThumbnailBeside) {
    setting("CheckBoxEnableParameters", "1");
    openProcess();
    choose("ComboBoxQuality", "RAW");
    takePicture();
    EXPECT_EQ(filesIn(directory), (QStringList{"Pic_0000.crw", "Pic_0000.thm"}));
    EXPECT_EQ(testfiles::Read(directory + "/Pic_0000.thm"),
              testfiles::Read(ProgramFile("thumbnail.jpg")));
}

TEST_F(RemoteWindowTest, RequestFileWaitsForTheProcessAndItsBmpFlagStays) {
    open();
    const QString path = request("[PICTURE_DATA]\nPicture_file_name=asked.jpg\nConvert_to_bmp=1\n");
    clock.advance(1000);
    EXPECT_TRUE(QFile::exists(path)) << "no process, no picture";
    window->Button_StartRemoteProcessClick();
    clock.advance(250);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(filesIn(directory), (QStringList{"asked.bmp", "asked.jpg"}));
    const QImage jpeg(directory + "/asked.jpg"), bmp(directory + "/asked.bmp");
    EXPECT_EQ(bmp.size(), jpeg.size());
    EXPECT_FALSE(bmp.isNull());
    // The name and the flag stay for later pictures; the asked name is replaced whole.
    testfiles::Write(directory + "/asked.jpg", "stale");
    testfiles::Write(directory + "/asked.bmp", "stale");
    takePicture();
    EXPECT_EQ(filesIn(directory), (QStringList{"asked.bmp", "asked.jpg"}));
    EXPECT_FALSE(QImage(directory + "/asked.jpg").isNull());
    EXPECT_FALSE(QImage(directory + "/asked.bmp").isNull());
    EXPECT_EQ(remoteState().releases, 2u);
}

TEST_F(RemoteWindowTest, RequestWithEmptyNameGivesTheDefaultName) {
    openProcess();
    request("[PICTURE_DATA]\nPicture_file_name=\n");
    clock.advance(250);
    EXPECT_EQ(filesIn(directory), QStringList{"Pic_0000.jpg"});
    EXPECT_FALSE(QFile::exists(ProgramFile("take_picture.ini")));
}

TEST_F(RemoteWindowTest, RequestedNameReplacesAnOlderFile) {
    testfiles::Write(directory + "/asked.jpg", "old content");
    openProcess();
    request("[PICTURE_DATA]\nPicture_file_name=asked.jpg\n");
    clock.advance(250);
    EXPECT_FALSE(QImage(directory + "/asked.jpg").isNull());
    EXPECT_EQ(filesIn(directory), QStringList{"asked.jpg"}) << "no temporary file is left";
}

TEST_F(RemoteWindowTest, RequestNamingAPathIsRefusedAndRemoved) {
    openProcess();
    for (const QByteArray name : {"../escape.jpg", "sub/x.jpg", ".."}) {
        const QString path = request("[PICTURE_DATA]\nPicture_file_name=" + name + "\n");
        clock.advance(250);
        EXPECT_FALSE(QFile::exists(path)) << name.toStdString();
        EXPECT_TRUE(status().contains("no valid request")) << status().toStdString();
    }
    EXPECT_EQ(remoteState().releases, 0u);
    EXPECT_TRUE(filesIn(directory).isEmpty());
    EXPECT_FALSE(QFile::exists(testenv::home() + "/../escape.jpg"));
    EXPECT_TRUE(errors().isEmpty());
}

// A request that cannot be deleted (here a folder with a file in it, which
// no request is) is taken once: one box tells so, the status does not claim
// it was removed, and later polls leave it alone until it changes.
TEST_F(RemoteWindowTest, AnUndeletableRequestIsTakenOnce) {
    openProcess();
    const QString path = ProgramFile("take_picture.ini");
    testfiles::Write(path + "/inside", "x");
    clock.advance(250);
    clock.advance(2000);
    EXPECT_EQ(errors(), QStringList{"Can not delete " + path + "."});
    EXPECT_FALSE(status().contains("was removed")) << status().toStdString();
    testfiles::Write(path + "/second", "x"); // the folder changed: another try
    clock.advance(250);
    EXPECT_EQ(errors().size(), 2);
    EXPECT_EQ(remoteState().releases, 0u);
}

TEST_F(RemoteWindowTest, FailedRequestIsTriedAgainOnlyAfterItsBoxIsClosed) {
    openProcess();
    cdsimFailCall("CDRelease", 1, CD_ERR_INTERNAL);
    const QString path = request("[PICTURE_DATA]\nPicture_file_name=asked.jpg\n");
    script.then([&](const TDialogRequest&) {
        clock.advance(1000); // the poll runs on while the box is shown
        return TDialogAnswer{mrOk, {}};
    });
    clock.advance(250);
    EXPECT_EQ(script.unanswered(), 0) << "no second box over the first";
    EXPECT_EQ(errors().size(), 1);
    EXPECT_EQ(remoteState().releases, 0u);
    EXPECT_TRUE(QFile::exists(path)) << "the request stays for another try";
    clock.advance(250);
    EXPECT_EQ(errors().size(), 1) << errors().join("|").toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(filesIn(directory), QStringList{"asked.jpg"});
}

// Another program writes the request and waits until it disappears.
TEST_F(RemoteWindowTest, AnotherProgramGetsItsPicture) {
    openProcess();
    const QString requestPath = ProgramFile("take_picture.ini");
    QProcess other;
    other.start("sh", {"-c",
                       "printf '[PICTURE_DATA]\\nPicture_file_name=other.jpg\\n' > \"$1.new\""
                       " && mv \"$1.new\" \"$1\" && while [ -e \"$1\" ]; do sleep 0.02; done",
                       "sh", requestPath});
    ASSERT_TRUE(other.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (other.state() != QProcess::NotRunning && waited.elapsed() < 20000) {
        clock.advance(250);
        QCoreApplication::processEvents();
        other.waitForFinished(20);
    }
    EXPECT_EQ(other.exitCode(), 0);
    EXPECT_EQ(other.state(), QProcess::NotRunning);
    EXPECT_TRUE(filesIn(directory).contains("other.jpg"))
        << filesIn(directory).join(" ").toStdString();
}

TEST_F(RemoteWindowTest, TimedRunOfThreePictures) {
    openProcess();
    get<QCheckBox>("CheckBox_Start")->setChecked(false);
    get<QCheckBox>("CheckBox_Stop")->setChecked(false);
    get<QSpinBox>("SpinEdit_NrOfPic")->setValue(3);
    setInterval(0, 0, 10);
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_EQ(filesIn(directory), QStringList{"Pic_0001.jpg"});
    EXPECT_EQ(get<QPushButton>("Button_StartAutoTrf")->text(), "Stop taking pictures remote");
    clock.advance(5000);
    EXPECT_TRUE(status().startsWith("Time left to next shot is 0:00:0")) << status().toStdString();
    // The alarms are examined every 450 ms, so each picture comes a little late.
    clock.advance(5500);
    clock.advance(10000);
    EXPECT_EQ(filesIn(directory), (QStringList{"Pic_0001.jpg", "Pic_0002.jpg", "Pic_0003.jpg"}));
    clock.advance(10000);
    EXPECT_EQ(remoteState().releases, 3u) << "no fourth picture";
    EXPECT_EQ(errors(), QStringList{"Remote process succeeded. The maximum pictures were taken."});
    EXPECT_EQ(get<QPushButton>("Button_StartAutoTrf")->text(), "Start taking pictures remote");
    clock.advance(30000);
    EXPECT_EQ(remoteState().releases, 3u);
    // The warning under ten seconds is the only box besides the limit: none was asked here.
}

// The page's default start (today at 00:00, passed) begins the run at once;
// the countdown gives the time left, and a maximum lowered during the run
// ends it there.
TEST_F(RemoteWindowTest, DefaultStartBeginsAtOnceAndThePageIsReadAtEachAlarm) {
    openProcess();
    ASSERT_TRUE(get<QCheckBox>("CheckBox_Start")->isChecked());
    get<QCheckBox>("CheckBox_Stop")->setChecked(false);
    get<QSpinBox>("SpinEdit_NrOfPic")->setValue(5);
    setInterval(0, 1, 0);
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_EQ(remoteState().releases, 1u);
    clock.advance(20000);
    EXPECT_TRUE(status().startsWith("Time left to next shot is 0:00:4")) << status().toStdString();
    get<QSpinBox>("SpinEdit_NrOfPic")->setValue(2);
    clock.advance(41000);
    EXPECT_EQ(remoteState().releases, 2u);
    clock.advance(60000);
    EXPECT_EQ(remoteState().releases, 2u);
    EXPECT_EQ(errors(), QStringList{"Remote process succeeded. The maximum pictures were taken."});
}

// The status at the end of a timed run is long (longer still in other
// languages): it wraps within the window's width instead of being cut off.
TEST_F(RemoteWindowTest, TheStatusAtTheEndOfATimedRunIsShownWhole) {
    TForm_Remote& w = openProcess();
    w.show();
    QCoreApplication::processEvents();
    const int width = w.width();
    get<QCheckBox>("CheckBox_Start")->setChecked(false);
    get<QCheckBox>("CheckBox_Stop")->setChecked(false);
    get<QSpinBox>("SpinEdit_NrOfPic")->setValue(1);
    setInterval(0, 0, 10);
    get<QPushButton>("Button_StartAutoTrf")->click();
    clock.advance(11000);
    QCoreApplication::processEvents();
    const QLabel* line = get<QLabel>("StatusBar");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), "Remote process succeeded. The maximum pictures were taken.");
    EXPECT_EQ(w.width(), width);
    EXPECT_TRUE(line->wordWrap());
    EXPECT_GE(line->height(), line->heightForWidth(line->width()));
    EXPECT_TRUE(w.rect().contains(line->geometry()));
}

TEST_F(RemoteWindowTest, IntervalZeroIsAnErrorAndUnderTenSecondsAQuestion) {
    openProcess();
    get<QCheckBox>("CheckBox_Start")->setChecked(false);
    setInterval(0, 0, 0);
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_EQ(errors(), QStringList{"You have to select interval value other than 0."});
    EXPECT_EQ(status(), "Remote process not started due to error");

    setInterval(0, 0, 5);
    script.press(mrCancel);
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_TRUE(errors().last().startsWith("You have selected an interval lower than 10 seconds"));
    EXPECT_EQ(remoteState().releases, 0u) << "Cancel leaves the run idle";
    EXPECT_EQ(get<QPushButton>("Button_StartAutoTrf")->text(), "Start taking pictures remote");

    script.press(mrYes);
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_EQ(remoteState().releases, 1u);

    get<QPushButton>("Button_StartAutoTrf")->click(); // stop
    setInterval(0, 1, 0);
    const int asked = int(script.asked().size());
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_EQ(script.asked().size(), asked) << "a minute needs no question";
}

TEST_F(RemoteWindowTest, DisconnectBetweenShotsLeavesReleaseControlForThreeSeconds) {
    setting("CheckBoxShutDown", "1");
    openProcess();
    get<QCheckBox>("CheckBox_Start")->setChecked(false);
    get<QCheckBox>("CheckBox_Stop")->setChecked(false);
    setInterval(0, 0, 30);
    const QDateTime clicked = clock.now();
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_FALSE(remoteState().inReleaseControl);
    EXPECT_EQ(clicked.msecsTo(clock.now()), 3000);
    clock.advance(28000);
    EXPECT_EQ(remoteState().releases, 2u) << "the next picture enters release control again";
    EXPECT_EQ(filesIn(directory), (QStringList{"Pic_0001.jpg", "Pic_0002.jpg"}));
    window->Button_StartRemoteProcessClick();
    EXPECT_TRUE(errors().isEmpty()) << "stopping outside release control";
    EXPECT_EQ(get<QPushButton>("Button_StartRemoteProcess")->text(), "Start remote process");
}

TEST_F(RemoteWindowTest, FailingPictureEndsTheRunAndKeepsTheEarlierOnes) {
    openProcess();
    get<QCheckBox>("CheckBox_Start")->setChecked(false);
    get<QCheckBox>("CheckBox_Stop")->setChecked(false);
    setInterval(0, 0, 10);
    get<QPushButton>("Button_StartAutoTrf")->click();
    const QByteArray first = testfiles::Read(directory + "/Pic_0001.jpg");
    cdsimFailCall("CDGetReleasedData", 2, CD_ERR_NO_DATA); // the second picture's picture
    clock.advance(11000);
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].startsWith("Canon drivers error")) << errors()[0].toStdString();
    EXPECT_EQ(status(), "Remote process stopped");
    EXPECT_EQ(get<QPushButton>("Button_StartAutoTrf")->text(), "Start taking pictures remote");
    EXPECT_EQ(filesIn(directory), QStringList{"Pic_0001.jpg"});
    EXPECT_EQ(testfiles::Read(directory + "/Pic_0001.jpg"), first);
    clock.advance(60000);
    EXPECT_EQ(remoteState().releases, 2u) << "the run has ended";
}

TEST_F(RemoteWindowTest, TakeAPictureEndsATimedRun) {
    openProcess();
    get<QCheckBox>("CheckBox_Start")->setChecked(false);
    get<QCheckBox>("CheckBox_Stop")->setChecked(false);
    setInterval(0, 0, 30);
    get<QPushButton>("Button_StartAutoTrf")->click();
    takePicture();
    EXPECT_EQ(remoteState().releases, 2u) << "the single picture is still taken";
    EXPECT_EQ(get<QPushButton>("Button_StartAutoTrf")->text(), "Start taking pictures remote");
    clock.advance(120000);
    EXPECT_EQ(remoteState().releases, 2u) << "the run's alarms are off";
}

TEST_F(RemoteWindowTest, StartTomorrowAndStopAlarmAcrossDays) {
    openProcess();
    const QDate today = clock.now().date();
    get<QDateEdit>("DateEdit_Start")->setDate(today.addDays(1));
    get<QSpinBox>("SpinEdit_StartHour")->setValue(9);
    get<QSpinBox>("SpinEdit_StartMin")->setValue(40);
    get<QDateEdit>("DateEdit_Stop")->setDate(today.addDays(1));
    get<QSpinBox>("SpinEdit_StopHour")->setValue(9);
    get<QSpinBox>("SpinEdit_StopMin")->setValue(20);
    setInterval(0, 5, 0);
    get<QPushButton>("Button_StartAutoTrf")->click();
    EXPECT_EQ(status(), "Remote process started");
    clock.advance(11 * 60 * 1000); // today 09:41
    EXPECT_EQ(remoteState().releases, 0u) << "the start date is tomorrow";
    EXPECT_TRUE(errors().isEmpty());
    clock.advance(24 * 3600 * 1000 - 11 * 60 * 1000 - 10 * 60 * 1000); // tomorrow 09:20
    EXPECT_TRUE(errors().isEmpty()) << "today's 09:20 had passed when the run began";
    clock.advance(1000);
    EXPECT_EQ(errors(), QStringList{"Remote process has stopped due to stop timer"});
    clock.advance(30 * 60 * 1000);
    EXPECT_EQ(remoteState().releases, 0u) << "the stop came before the start";
}

TEST_F(RemoteWindowTest, WebcamFileAtHalfSizeReplacesThePictures) {
    openProcess();
    takePicture();
    const QSize full = QImage(directory + "/Pic_0000.jpg").size();
    ASSERT_FALSE(full.isEmpty());
    get<QLineEdit>("Edit_Webcamname")->setText("cam.jpg");
    get<QComboBox>("ComboBox_Resize")->setCurrentIndex(1);
    get<QCheckBox>("CheckBox_DeleteCamPic")->setChecked(true);
    takePicture();
    takePicture();
    EXPECT_EQ(filesIn(directory), (QStringList{"Pic_0000.jpg", "cam.jpg"}));
    EXPECT_EQ(QImage(directory + "/cam.jpg").size(), full / 2);
}

// The demo camera lists white balance, and the page shows only what it lists,
// unless every value is asked for.
TEST_F(RemoteWindowTest, BoxesListTheCamerasValuesOrAll) {
    openProcess();
    QComboBox* wb = get<QComboBox>("ComboBoxWhiteBalance");
    tsRemoteAvailArrayReleaseParameters offered;
    tesselink::GetAvailableParameters(false, offered);
    EXPECT_EQ(wb->count(), offered.WhiteBalanceSetting.size());
    EXPECT_LT(wb->count(), 9);
    window->Button_StartRemoteProcessClick();
    get<QCheckBox>("CheckBoxEnableParameters")->setChecked(true);
    window->Button_StartRemoteProcessClick();
    ASSERT_EQ(wb->count(), 9);
    EXPECT_EQ(wb->itemText(0), "Auto");
    EXPECT_EQ(wb->itemText(8), "Custom");
    EXPECT_TRUE(get<QCheckBox>("CheckBoxBeep")->isEnabled());
}

TEST_F(RemoteWindowTest, StoredValuesReplaceTheCamerasAndReachThePicture) {
    setting("CheckBoxEnableParameters", "1");
    services.settings().writeInteger(TSettings::Section, "ComboBoxWhiteBalance",
                                     tsRemoteFormatWBCloudy);
    openProcess();
    QComboBox* wb = get<QComboBox>("ComboBoxWhiteBalance");
    EXPECT_EQ(wb->currentText(), "Cloudy");
    get<QPushButton>("ButtonGetCamSet")->click();
    EXPECT_EQ(wb->currentText(), "Auto") << "the camera's own value";
    EXPECT_EQ(services.settings().readInteger(TSettings::Section, "ComboBoxWhiteBalance", 0),
              tsRemoteFormatWBCloudy)
        << "getting does not touch the settings";
    choose("ComboBoxWhiteBalance", "Daylight");
    choose("ComboBoxImageMode", "TV"); // the camera takes Tv in its TV mode only
    choose("ComboBoxTv", "1/125");
    takePicture();
    const cdsimRemoteState state = remoteState();
    EXPECT_EQ(state.whiteBalance, 1u) << "the camera's code of daylight";
    EXPECT_EQ(state.tv, 8u * (tsRemoteFormatTV1_125 + 1));
    EXPECT_EQ(services.settings().readInteger(TSettings::Section, "ComboBoxWhiteBalance", 0),
              tsRemoteFormatWBDaylight);
}

TEST_F(RemoteWindowTest, DisabledBoxIsSentAsZero) {
    connect("RemoteRelease=1\nParameterLists=1\nFlash=0\n");
    openProcess();
    QComboBox* flash = get<QComboBox>("ComboBoxFlash");
    EXPECT_FALSE(flash->isEnabled());
    EXPECT_EQ(flash->count(), 0);
    const uint16_t before = remoteState().flashMode;
    takePicture();
    EXPECT_EQ(remoteState().flashMode, before) << "0 leaves the camera's setting";
}

TEST_F(RemoteWindowTest, EosCameraGetsNoZoom) {
    camera = fixture::CameraFolder(testenv::newFolder("eos"), "eos D30");
    openProcess();
    EXPECT_TRUE(get<QSlider>("TrackBarZoom")->isHidden());
    EXPECT_TRUE(get<QLabel>("LabelZoom")->isHidden());
}

TEST_F(RemoteWindowTest, ZoomWithTheViewFinderOpenPausesIt) {
    services.settings().writeInteger(TSettings::Section, "TrackBarZoom", 4);
    openProcess();
    EXPECT_EQ(remoteState().zoom, 4u) << "the stored zoom drives the camera";
    QSlider* zoom = get<QSlider>("TrackBarZoom");
    EXPECT_EQ(zoom->maximum(), 12);
    int started = 0;
    window->startViewFinder = [&] {
        ++started;
        tesselink::ReleaseStartViewFinder();
    };
    get<QPushButton>("ButtonViewFinder")->click();
    ASSERT_EQ(started, 1);
    ASSERT_TRUE(window->viewFinderOpen());
    const QDateTime before = clock.now();
    zoom->setValue(7);
    EXPECT_EQ(before.msecsTo(clock.now()), 2000);
    EXPECT_EQ(remoteState().zoom, 7u);
    EXPECT_TRUE(remoteState().viewfinderRunning);
    EXPECT_EQ(get<QLabel>("LabelZoomPos")->text(), "7");
    window->setViewFinderOpen(false);
    zoom->setValue(3);
    EXPECT_EQ(before.msecsTo(clock.now()), 2000) << "no pause without the viewfinder";
    EXPECT_EQ(remoteState().zoom, 3u);
}

TEST_F(RemoteWindowTest, ZoomThatCannotBeReadCostsOnlyTheZoom) {
    cdsimFailCall("CDGetZoomPos", 1, CD_ERR_INTERNAL);
    openProcess();
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_TRUE(get<QSlider>("TrackBarZoom")->isHidden());
    EXPECT_GT(get<QComboBox>("ComboBoxQuality")->count(), 0) << "the rest was read";
    takePicture();
    EXPECT_EQ(filesIn(directory), QStringList{"Pic_0000.jpg"});
}

TEST_F(RemoteWindowTest, LeavingTheDirectoryFieldStoresEvenAMissingDirectory) {
    open();
    get<QLineEdit>("DirectoryEdit")->setText(directory + "/missing");
    window->DirectoryEditExit();
    EXPECT_EQ(errors(),
              QStringList{"Directory does not exists. You have to enter a valid directory!"});
    EXPECT_EQ(services.settings().readString(TSettings::Section, "DirectoryEdit", ""),
              directory + "/missing");
}

TEST_F(RemoteWindowTest, SettingsLiveFromCreationToDestruction) {
    setting("Edit_Webcamname", "web.jpg");
    setting("ComboBox_TransMode", "1");
    open();
    EXPECT_EQ(get<QComboBox>("ComboBox_TransMode")->currentText(), "To PC and camera");
    get<QSpinBox>("SpinEdit_Compression")->setValue(90);
    get<QCheckBox>("CheckBoxShutDown")->setChecked(true);
    window.reset();
    TSettings& s = services.settings();
    EXPECT_EQ(s.readString(TSettings::Section, "Edit_Webcamname", ""), "web.jpg");
    EXPECT_EQ(s.readInteger(TSettings::Section, "SpinEdit_Compression", 0), 90);
    EXPECT_TRUE(s.readBool(TSettings::Section, "CheckBoxShutDown", false));
    EXPECT_EQ(s.readInteger(TSettings::Section, "ComboBox_TransMode", 0), 1);
    EXPECT_EQ(s.readInteger(TSettings::Section, "RemoteWidth", 0), 340);
}

class RemoteFlowTest : public RemoteWindowTest {
  protected:
    // Runs flow C; body gets the window in place of the user.
    void runFlow(bool autoStart, std::function<void(TForm_Remote&)> body) {
        if (cameraChoice.isEmpty())
            camera.plugIn();
        else
            qputenv("LUMVIK_CAMERA", cameraChoice);
        session.StartSDK();
        script.then([body](const TDialogRequest& request) {
            auto* shown = qobject_cast<TForm_Remote*>(request.window);
            EXPECT_NE(shown, nullptr) << request.text.toStdString();
            if (shown) {
                shown->FormShow();
                body(*shown);
            }
            return TDialogAnswer{QDialog::Rejected, {}};
        });
        const TMainContext context{services, session, nullptr, {}};
        TakePictureRemote(context, {}, autoStart);
    }

    QByteArray cameraChoice; // LUMVIK_CAMERA for the flow; empty: the simulated camera
};

TEST_F(RemoteFlowTest, RemoteStartOpensTheProcessAndTheFlowDisconnects) {
    camera.offer(fixture::remoteControl);
    bool opened = false;
    runFlow(true, [&](TForm_Remote&) { opened = remoteState().inReleaseControl; });
    EXPECT_TRUE(opened);
    EXPECT_FALSE(session.connected());
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(RemoteFlowTest, CameraWithoutRemoteReleaseIsToldAndTheWindowStillOpens) {
    TLanguageReadRecorder recorder;
    camera.offer("RemoteRelease=0\n");
    script.press(mrYes);
    bool shown = false;
    runFlow(false, [&](TForm_Remote&) { shown = true; });
    EXPECT_TRUE(shown);
    ASSERT_FALSE(script.asked().isEmpty());
    EXPECT_EQ(script.asked().first().text,
              "You have a Canon PowerShot G5, and its not able to take remote pictures.\nThe "
              "following cameras do not support this feature Tessel A5/A5 Zoom/A50/Pro70/S10/S20");
    EXPECT_EQ(script.asked().first().buttons, TMsgDlgButtons(mbYes));
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

// libgphoto2's folder driver takes no pictures: the flow says so as for any
// camera without remote release, and no camera error comes with it.
TEST_F(RemoteFlowTest, AFolderDriverIsToldItTakesNoRemotePicturesWithoutACameraError) {
    cameraChoice = ("gphoto2:Directory Browse@disk:" + camera.volume("CF")).toUtf8();
    script.press(mrYes);
    bool shown = false;
    runFlow(false, [&](TForm_Remote&) { shown = true; });
    EXPECT_TRUE(shown);
    EXPECT_EQ(errors(),
              QStringList{"You have a Directory Browse, and its not able to take remote "
                          "pictures.\nThe following cameras do not support this feature Tessel "
                          "A5/A5 Zoom/A50/Pro70/S10/S20"});
    EXPECT_FALSE(session.connected());
}

TEST_F(RemoteFlowTest, FailedConnectionIsShownInTheStatusBarAndRaised) {
    cdsimUnplug();
    EXPECT_ANY_THROW(runFlow(false, [](TForm_Remote&) {}));
    EXPECT_EQ(services.statusText, "Remote control dialog requires a connection to camera");
}

// Every text the window reads is in the shipped English file.
TEST_F(RemoteWindowTest, EnglishFileHoldsEveryTextTheWindowReads) {
    TLanguageReadRecorder recorder;
    openProcess();
    choose("ComboBoxTv", "1/60");
    takePicture();
    setInterval(0, 0, 5);
    get<QPushButton>("Button_StartAutoTrf")->click();
    clock.advance(1000);
    get<QPushButton>("Button_StartAutoTrf")->click();
    get<QCheckBox>("CheckBox_Start")->setChecked(false);
    get<QSpinBox>("SpinEdit_NrOfPic")->setValue(0);
    get<QPushButton>("Button_StartAutoTrf")->click();
    clock.advance(10000);
    setInterval(0, 0, 0);
    get<QPushButton>("Button_StartAutoTrf")->click();
    request("[PICTURE_DATA]\nPicture_file_name=../x\n");
    clock.advance(250);
    get<QLineEdit>("DirectoryEdit")->setText(directory + "/missing");
    window->DirectoryEditExit();
    window->Button_StartRemoteProcessClick();
    get<QPushButton>("Button_StartRemoteProcess")->click();
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

} // namespace

// The program's own wiring of the viewfinder window into the remote window.
TEST_F(RemoteWindowTest, StartViewFinderShowsTheViewFinderWindowAndItsCloseClearsTheFlag) {
    openProcess();
    JoinViewFinder(*window, TMainContext{services, session, nullptr, {}});
    get<QPushButton>("ButtonViewFinder")->click();
    auto* viewFinder = window->findChild<TFormViewFinder*>();
    ASSERT_NE(viewFinder, nullptr);
    EXPECT_TRUE(viewFinder->isVisible());
    EXPECT_TRUE(window->viewFinderOpen());
    EXPECT_TRUE(remoteState().viewfinderRunning);

    viewFinder->close();
    EXPECT_FALSE(window->viewFinderOpen());
    EXPECT_FALSE(remoteState().viewfinderRunning);

    get<QPushButton>("ButtonViewFinder")->click();
    ASSERT_TRUE(viewFinder->isVisible());
    window->Button_StartRemoteProcessClick(); // stops the remote process
    EXPECT_FALSE(viewFinder->isVisible()) << "stopping the process closes the viewfinder";
    EXPECT_FALSE(window->viewFinderOpen());
    EXPECT_FALSE(remoteState().viewfinderRunning);
}
