#include "CameraConnection.h"
#include "CameraFixture.h"
#include "CameraSession.h"
#include "LanguageCheck.h"
#include "MainWindowFixture.h"
#include "TestEnvironment.h"
#include "cdsdk.h"
#include "cdsdk_simcontrol.h"

#include <QAction>
#include <QTest>

namespace {

class CameraConnectionTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        storeSetting("language", "english");
        fixture::standardCamera(testenv::newFolder("camera")).plugIn();
    }
    void TearDown() override { cdsimReset(); }

    // Waits (in real time, the clock does not wait) until n boxes were asked.
    void waitForBoxes(int n) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return script.asked().size() >= n; }, 10000));
    }
};

const char* const ConnectionFailed =
    "Error communicating with camera. Is it connected to computer? Try restart camera and "
    "restart Lumvik utilities.";

} // namespace

TEST_F(CameraConnectionTest, ConnectingTwiceAndDisconnectingTwiceAreHarmless) {
    TForm_main w(WithCameraConnection({}));
    w.Connect1->trigger();
    EXPECT_TRUE(w.session().connected());
    EXPECT_EQ(w.statusText(), "Camera is connected");
    EXPECT_EQ(w.session().model(), "Canon PowerShot G5");
    w.SetStatusText("unchanged");
    w.Connect1->trigger();
    EXPECT_EQ(w.statusText(), "unchanged") << "a second connect does nothing";

    w.Disconnect1->trigger();
    EXPECT_FALSE(w.session().connected());
    EXPECT_EQ(w.statusText(), "Camera is disconnected");
    // The camera is not asked again: an armed failure stays unused.
    cdsimFailCall("CDCloseSource", 1, CD_ERR_DEVICE_DISCONNECTED);
    w.Disconnect1->trigger();
    EXPECT_EQ(w.statusText(), "Camera already disconnected");
    EXPECT_TRUE(script.asked().isEmpty());
    const QStringList log = logMessages();
    EXPECT_TRUE(log.contains("Camera transfermode=USB"));
    EXPECT_TRUE(log.contains("Camera name=Lumvik Tester"));
    EXPECT_EQ(log.count("Camera connected"), 1);
}

TEST_F(CameraConnectionTest, QuitDisconnectsAndTheExitFindsTheCameraDisconnected) {
    {
        TForm_main w(WithCameraConnection({}));
        w.Connect1->trigger();
        w.Quit1->trigger();
        EXPECT_FALSE(w.session().connected());
    }
    const QStringList log = logMessages();
    EXPECT_EQ(log.count("Camera is disconnected"), 1);
    EXPECT_TRUE(log.contains("Entering TForm_main.FormDestroy"));
}

TEST_F(CameraConnectionTest, FailedConnectAndDisconnectShowTheirTexts) {
    TLanguageReadRecorder recorder;
    TForm_main w(WithCameraConnection({}));
    cdsimUnplug();
    w.Connect1->trigger();
    EXPECT_FALSE(w.session().connected());
    EXPECT_EQ(w.statusText(), "Connection to camera failed");
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text, ConnectionFailed);
    EXPECT_EQ(logMessages().filter("Connect_to_tessel. Exception=Canon drivers error").size(), 1);

    cdsimReset();
    w.Connect1->trigger();
    ASSERT_TRUE(w.session().connected());
    cdsimFailCall("CDCloseSource", 1, CD_ERR_DEVICE_DISCONNECTED);
    w.Disconnect1->trigger();
    EXPECT_FALSE(w.session().connected()) << "the flag stays clear";
    EXPECT_EQ(w.statusText(), "Camera communication error");
    ASSERT_EQ(script.asked().size(), 2);
    EXPECT_TRUE(script.asked()[1].text.startsWith("Canon drivers error. Errorcode 0x"));
    EXPECT_EQ(logMessages().filter("Disconnect_from_tessel. Exception=").size(), 1);
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

// Events arrive on the camera's thread. Those that show nothing are injected
// before one that does, so the message thread, which keeps their order, shows
// the last one only if the others posted nothing.
TEST_F(CameraConnectionTest, CameraEventsBecomeMessagesOfTheMessageThread) {
    TLanguageReadRecorder recorder;
    TForm_main w(WithCameraConnection({}));
    w.Connect1->trigger();
    const struct {
        uint32_t event;
        int reason;
        QString text; // empty: nothing is shown
        TMsgDlgType type;
    } cases[] = {
        {CD_EVENT_WARNING, 5, "", mtCustom},
        {0x00030000, 1, "", mtCustom},
        {CD_EVENT_SHUTDOWN, 13, "USB connection lost", mtError},
        {CD_EVENT_WARNING, 1, "Battery level is weak", mtWarning},
        {CD_EVENT_SHUTDOWN, 1, "Battery level is critical", mtError},
        {CD_EVENT_SHUTDOWN, 3, "PC-Card holder open", mtError},
        {CD_EVENT_SHUTDOWN, 4, "Battery holder open", mtError},
        {CD_EVENT_SHUTDOWN, 99, "Camera has shut down, reason = 99", mtError},
    };
    QList<std::pair<QString, TMsgDlgType>> expected;
    for (const auto& c : cases) {
        cdsimInjectEvent(c.event | uint32_t(c.reason));
        if (!c.text.isEmpty())
            expected.append({c.text, c.type});
    }
    waitForBoxes(int(expected.size()));
    const QList<TDialogRequest> asked = script.asked();
    ASSERT_EQ(asked.size(), expected.size());
    for (int i = 0; i < asked.size(); ++i) {
        EXPECT_EQ(asked[i].caption, "Camera event");
        EXPECT_EQ(asked[i].text, expected[i].first);
        EXPECT_EQ(asked[i].type, expected[i].second) << asked[i].text.toStdString();
    }
    const QStringList log = logMessages();
    EXPECT_TRUE(log.contains("Callback Event=4Reason =13"));
    EXPECT_TRUE(log.contains("Callback Event=3Reason =1"));
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

// The owner name is read on the window's thread, where the bridge is called.
TEST_F(CameraConnectionTest, OwnerNameChangeIsReadOnTheWindowThread) {
    TForm_main w(WithCameraConnection({}));
    w.Connect1->trigger();
    cdsimFailCall("CDGetDevicePropertyData", 1, CD_ERR_DEVICE_DISCONNECTED);
    cdsimInjectEvent(CD_EVENT_WARNING | 5);
    EXPECT_TRUE(logMessages().filter("CameraEventCallback. Exception=").isEmpty())
        << "nothing is read on the camera's thread";
    const auto failed = [] {
        return logMessages().filter("CameraEventCallback. Exception=Canon drivers error").size();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed() > 0; }));
    EXPECT_EQ(failed(), 1);
    EXPECT_TRUE(script.asked().isEmpty());
}
