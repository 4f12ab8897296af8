#include "RemoteWindowFixture.h"

#include "Settings.h"
#include "TestEnvironment.h"
#include "tesselink.h"

#include <QPushButton>

void RemoteWindowFixture::SetUp() {
    MainWindowTest::SetUp();
    directory = testenv::newFolder("pictures");
    setting("DirectoryEdit", directory);
}

void RemoteWindowFixture::TearDown() {
    window.reset();
    if (session.connected()) {
        tsReleaseEnd();
        session.Disconnect_from_tessel();
    }
    session.FinishSDK();
}

void RemoteWindowFixture::setting(const char* key, const QString& value) {
    services.settings().writeString(TSettings::Section, key, value);
}

TForm_Remote& RemoteWindowFixture::open() {
    if (!session.connected())
        connectCamera();
    window = std::make_unique<TForm_Remote>(services, session);
    window->FormShow();
    return *window;
}

TForm_Remote& RemoteWindowFixture::openProcess() {
    TForm_Remote& opened = open();
    opened.Button_StartRemoteProcessClick();
    return opened;
}

void RemoteWindowFixture::takePicture() {
    get<QPushButton>("Button_TakePic")->click();
}
