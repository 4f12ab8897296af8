// The remote control window over libgphoto2's ptp2 driver and its virtual
// camera: releases in each transfer mode, a timed series, the camera's own
// parameters and a camera whose card runs full.

#include "VirtualCamera.h"

#include "RemoteWindowFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "WindowControls.h"
#include "tesselink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using testenv::control;

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QStringList itemsOf(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

class RemoteOverPtpTest : public OverVirtualCamera<RemoteWindowFixture> {
  protected:
    void connectCamera() override {
        session.StartSDK();
        session.RegisterEventCallback();
        session.Connect_to_tessel();
    }
    // A series of pictures 10 s apart, starting now, the first taken at once.
    void startTimedSeries(int pictures) {
        get<QCheckBox>("CheckBox_Start")->setChecked(false);
        get<QCheckBox>("CheckBox_Stop")->setChecked(false);
        get<QSpinBox>("SpinEdit_NrOfPic")->setValue(pictures);
        get<QSpinBox>("SpinEdit_IntSec")->setValue(10);
        get<QPushButton>("Button_StartAutoTrf")->click();
    }
    // The pictures the camera lists in the folder its releases go to.
    QStringList cameraPictures() {
        QStringList names;
        int32_t count = 0;
        EXPECT_EQ(tsGetVolume(1)->code, 0);
        EXPECT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
        EXPECT_EQ(tsGetNrOfPicturesOnCamera(&count)->code, 0);
        for (int32_t i = 0; i < count; ++i) {
            tsPictureProperties picture{};
            EXPECT_EQ(tsGetPictureProperties(i, &picture)->code, 0);
            names << picture.fileName;
        }
        tsClosePicCollection();
        names.sort();
        return names;
    }
};

// Mode 0 brings the picture to the computer only, 1 to both, 2 leaves it on
// the camera only: the camera copies its first picture for each release.
struct TransferMode {
    const char* mode;
    bool onComputer;
    bool onCamera;
};

void PrintTo(const TransferMode& mode, std::ostream* out) {
    *out << "mode " << mode.mode;
}

class TransferModeOverPtpTest : public RemoteOverPtpTest,
                                public ::testing::WithParamInterface<TransferMode> {};

TEST_P(TransferModeOverPtpTest, LeavesThePictureWhereTheModeAsks) {
    const TransferMode& mode = GetParam();
    setting("ComboBox_TransMode", mode.mode);
    openProcess();
    const qsizetype before = cameraPictures().size();
    takePicture();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    if (mode.onComputer) {
        ASSERT_EQ(filesIn(directory), QStringList{"Pic_0000.jpg"});
        const QByteArray received = testfiles::Read(directory + "/Pic_0000.jpg");
        EXPECT_TRUE(received == testfiles::Read(vcamera::card() + "/DCIM/100CANON/IMG_0001.JPG") ||
                    received == testfiles::Read(vcamera::card() + "/DCIM/100CANON/IMG_0002.JPG"));
    } else {
        EXPECT_TRUE(filesIn(directory).isEmpty());
    }
    EXPECT_EQ(cameraPictures().size(), before + (mode.onCamera ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(Modes, TransferModeOverPtpTest,
                         ::testing::Values(TransferMode{"0", true, false},
                                           TransferMode{"1", true, true},
                                           TransferMode{"2", false, true}));

TEST_F(RemoteOverPtpTest, ATimedSeriesOfThreeArrives) {
    openProcess();
    startTimedSeries(3);
    for (int i = 0; i < 3; ++i)
        clock.advance(10500);
    EXPECT_EQ(filesIn(directory), (QStringList{"Pic_0001.jpg", "Pic_0002.jpg", "Pic_0003.jpg"}));
    EXPECT_EQ(errors(), QStringList{"Remote process succeeded. The maximum pictures were taken."});
}

// The camera's own f-numbers, exposure times and compensations, as the
// ptp2 driver names them, fill the boxes; what is chosen reaches the camera.
TEST_F(RemoteOverPtpTest, OffersTheCamerasOwnParametersAndSetsThem) {
    openProcess();
    QComboBox* av = get<QComboBox>("ComboBoxAv");
    EXPECT_TRUE(av->isEnabled());
    EXPECT_EQ(itemsOf(*av), (QStringList{"2.8", "4.0", "5.6", "8.0", "11", "16", "22"}));
    QComboBox* tv = get<QComboBox>("ComboBoxTv");
    EXPECT_TRUE(tv->isEnabled());
    EXPECT_TRUE(itemsOf(*tv).contains("1\"")) << itemsOf(*tv).join(" ").toStdString();
    QComboBox* compensation = get<QComboBox>("ComboBoxExpComp");
    EXPECT_TRUE(compensation->isEnabled());
    EXPECT_TRUE(itemsOf(*compensation).contains("0"));
    EXPECT_TRUE(itemsOf(*compensation).contains("+2.00"));
    EXPECT_FALSE(get<QComboBox>("ComboBoxWhiteBalance")->isEnabled()) << "the camera has none";

    av->setCurrentIndex(av->findText("4.0"));
    get<QPushButton>("ButtonSetCameraSettings")->click();
    av->setCurrentIndex(0);
    get<QPushButton>("ButtonGetCamSet")->click();
    EXPECT_EQ(av->currentText(), "4.0");
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
}

// A camera saving one shot as two files names one from its capture and
// announces the other: both arrive, the second beside the first.
TEST_F(RemoteOverPtpTest, BothFilesOfAShotSavedAsTwoArrive) {
    openProcess();
    bool announced = false;
    QObject::connect(&session, &TCameraSession::cameraEvent, [&](int event, int reason) {
        announced |= event == TS_EVENT_CARD_CHANGED && reason == TS_EVENT_REASON_FILE_ADDED;
    });
    ASSERT_EQ(vcamera::inject(vcamera::Injection::ObjectAdded), CD_OK);
    ASSERT_TRUE(QTest::qWaitFor([&] { return announced; }, 10000));
    takePicture();
    EXPECT_TRUE(errors().isEmpty()) << errors().join("|").toStdString();
    EXPECT_EQ(filesIn(directory), (QStringList{"Pic_0000.jpg", "Pic_0000_1.jpg"}));
    const QByteArray copied = testfiles::Read(vcamera::card() + "/DCIM/100CANON/IMG_0001.JPG");
    const QByteArray other = testfiles::Read(vcamera::card() + "/DCIM/100CANON/IMG_0002.JPG");
    for (const char* name : {"Pic_0000.jpg", "Pic_0000_1.jpg"}) {
        const QByteArray received = testfiles::Read(directory + "/" + name);
        EXPECT_TRUE(received == copied || received == other) << name;
    }
    // The next shot is one file again.
    takePicture();
    EXPECT_EQ(filesIn(directory).size(), 3);
}

// The camera counts its pictures: a timed series runs its card full, which
// ends the series with the card's full error; the pictures taken before stay
// and none is invented.
TEST_F(RemoteOverPtpTest, ACardRunningFullEndsATimedSeriesWithTheDiskFullError) {
    openProcess();
    startTimedSeries(60);
    for (int shot = 1; shot < 60 && errors().isEmpty(); ++shot)
        clock.advance(10500);
    ASSERT_EQ(errors().size(), 1) << "a card that never runs full";
    EXPECT_EQ(errors()[0], "Canon drivers error. Errorcode 0x00010008, function tsRelease.");
    EXPECT_EQ(get<QPushButton>("Button_StartAutoTrf")->text(), "Start taking pictures remote");
    const QStringList received = filesIn(directory);
    EXPECT_GT(received.size(), 10);
    EXPECT_EQ(received.last(), QString("Pic_%1.jpg").arg(received.size(), 4, 10, QChar('0')));
}

} // namespace
