#include "FileManagerFixture.h"

#include "CameraConnection.h"
#include "CameraFixture.h"
#include "Dlg_Filemanager.h"
#include "FileManagerFlows.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "cdsdk_simcontrol.h"

#include <QTest>

TJPEGImage* recordOf(TForm_filemanager& window, const QString& name) {
    const QStringList& entries = window.model().entries();
    EXPECT_EQ(entries.count(name), 1) << name.toStdString();
    return window.model().FindRecord(int(entries.indexOf(name)) + 1);
}

void FileManagerTest::SetUp() {
    MainWindowTest::SetUp();
    TSettings settings;
    settings.writeString(TSettings::Section, "language", "english");
    settings.writeInteger(TSettings::Section, "USBSelected", 1);
    target = testenv::newFolder("target") + "/";
    settings.writeString(TSettings::Section, "DirOnPC", target);
}

void FileManagerTest::TearDown() {
    main_.reset();
    cdsimReset();
}

TForm_main& FileManagerTest::main() {
    if (!main_)
        main_ = std::make_unique<TForm_main>(WithFileManagerFlows(WithCameraConnection({}), setup));
    return *main_;
}

void FileManagerTest::plugInStandardCamera() {
    fixture::standardCamera(testenv::newFolder("camera")).plugIn();
}

void waitForItems(TForm_filemanager& window) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.model().loading(); }, 60000));
}

void FileManagerTest::whenShown(std::function<void(TForm_filemanager&)> body) {
    whenListed([body](TForm_filemanager& window) {
        waitForItems(window);
        body(window);
    });
}

void FileManagerTest::whenListed(std::function<void(TForm_filemanager&)> body) {
    script.then([body](const TDialogRequest& request) {
        auto* window = qobject_cast<TForm_filemanager*>(request.window);
        EXPECT_NE(window, nullptr) << "the flow showed " << request.caption.toStdString();
        if (window) {
            window->FormShow();
            window->FormActivate();
            body(*window);
        }
        return TDialogAnswer{QDialog::Accepted, {}};
    });
}

void FileManagerTest::runFlowA(std::function<void(TForm_filemanager&)> body) {
    whenShown(std::move(body));
    main().Getpictures1Click();
}

void FileManagerTest::commandLineStart(const QString& directory) {
    TForm_main started(WithFileManagerFlows(WithCameraConnection({}), setup), {directory});
    whenShown([](TForm_filemanager&) {});
    started.FormActivate();
}
