#include "CameraSession.h"
#include "CameraClient.h"
#include "CameraFixture.h"
#include "FakeServices.h"
#include "TestEnvironment.h"
#include "cdsdk_simcontrol.h"

#include <QCoreApplication>
#include <QFile>
#include <QList>
#include <gtest/gtest.h>

namespace {

// A connected session on a camera with remote control. The test's thread is
// the window thread; it lets queued deliveries run only when a test says so
// or waits for the camera thread.
class CameraSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fixture::CameraFolder camera = fixture::standardCamera(testenv::newFolder("camera"));
        camera.offer(fixture::remoteControl);
        camera.plugIn();
        session.StartSDK();
        session.Connect_to_tessel();
    }
    void TearDown() override {
        tsReleaseEnd();
        tsClosePicCollection();
        session.Disconnect_from_tessel();
        session.FinishSDK();
        cdsimReset();
    }

    static void deliverFrame(const QByteArray& frame) {
        ASSERT_EQ(cdsimDeliverViewfinderFrame(reinterpret_cast<const uint8_t*>(frame.data()),
                                              uint32_t(frame.size())),
                  1);
    }

    TFakeServices services;
    TCameraSession session{services};
};

} // namespace

// The index of the first picture of the open collection.
int firstPicture() {
    for (int i = 0; i < tesselink::GetNrOfPicturesOnCamera(); ++i)
        if (tesselink::GetObjectContents(i).pictures > 0)
            return i;
    return -1;
}

// Progress reports arrive on the camera's transfer thread: a caller thread
// busy inside the bridge meanwhile sees the newest of them once, afterwards.
TEST_F(CameraSessionTest, ProgressReachesABusyCallerThreadCoalesced) {
    tesselink::GetVolume(1);
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_IMAGES, "", {});
    QList<int> seen;
    const TWatchHandle watch = session.watchProgress([&](int percent) { seen << percent; });
    const QString out = testenv::newFolder("received");
    const int picture = firstPicture();
    ASSERT_EQ(tsGetPicture(picture, QFile::encodeName(out + "/picture.jpg").constData(), 0)->code,
              0);
    EXPECT_TRUE(seen.isEmpty()) << "nothing runs on the camera's thread";
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, QList<int>{100});
}

// An operation's reports reach it before its step returns; once it is
// cancelled no further step of it begins, and the stop reaches no other
// operation.
TEST_F(CameraSessionTest, AnOperationSeesItsProgressAndItsStopIsItsOwn) {
    tesselink::GetVolume(1);
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_IMAGES, "", {});
    const int picture = firstPicture();
    const QString out = testenv::newFolder("received");
    TCameraOperation operation;
    QList<int> seen;
    operation.onProgress = [&](int percent) { seen << percent; };
    session.perform(operation, [&] { tesselink::GetPicture(picture, out + "/a.jpg", false); });
    EXPECT_EQ(seen.value(seen.size() - 1), 100);

    operation.cancel();
    bool begun = false;
    EXPECT_THROW(session.perform(operation, [&] { begun = true; }), ECameraCancelled);
    EXPECT_FALSE(begun);

    TCameraOperation next;
    session.perform(next, [&] { tesselink::GetPicture(picture, out + "/b.jpg", false); });
    EXPECT_TRUE(QFile::exists(out + "/b.jpg"));
}

// Frames of a busy caller thread wait in one slot; the newest replaces the
// waiting one, and a watch that has gone receives none.
TEST_F(CameraSessionTest, TheNewestFrameReplacesAWaitingOne) {
    tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    tesselink::ReleaseStartViewFinder();
    QList<QByteArray> shown;
    TWatchHandle watch = session.watchFrames([&](const QByteArray& frame) { shown << frame; });
    deliverFrame("first");
    deliverFrame("second");
    deliverFrame("third");
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, QList<QByteArray>{"third"});
    deliverFrame("fourth");
    QCoreApplication::processEvents();
    EXPECT_EQ(shown, QList<QByteArray>({"third", "fourth"}));

    deliverFrame("waiting when the watch ends");
    watch.reset();
    deliverFrame("after the watch");
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.size(), 2);
}
