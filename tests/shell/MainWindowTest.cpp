#include "Errors.h"
#include "LanguageCheck.h"
#include "Log.h"
#include "MainWindowFixture.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "ThreadMessage.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSysInfo>
#include <QTest>
#include <QToolButton>

namespace {

const QString MissingLanguageWarning =
    "Lumvik could not open the language file! Lumvik will work, since default texts are "
    "available (in english).";

// Every localised control of the main window, by object name, with its key.
const std::pair<const char*, const char*> MainTexts[] = {
    {"Camera1", "camera_menu"},
    {"Connect1", "camera_connect_menu"},
    {"Disconnect1", "camera_disconnect_menu"},
    {"Selectlanguage1", "camera_select_language_menu"},
    {"PropertiesMenu", "camera_properties_menu"},
    {"Quit1", "camera_quit_menu"},
    {"Pictures1", "pictures_menu"},
    {"Getpictures1", "pictures_get_pic_from_cam_menu"},
    {"Getpicturesfromcomputer1", "pictures_get_pic_from_computer_drive"},
    {"Takepictureremote1", "pictures_take_pic_remote_menu"},
    {"Uploadpictures1", "pictures_upload_pictures"},
    {"USB1", "USB_menu"},
    {"AddUSBAutostart1", "USB_add_usb_auto_menu"},
    {"DeleteUSBAutostart2", "USB_delete_USB_auto_menu"},
    {"Email1", "email_menu"},
    {"Emailpictures1", "email_pictures_menu"},
    {"Sendarequestoffunction1", "email_send_a_request_menu"},
    {"Senderrorreportorrequestoffunction1", "email_send_an_errorreport_menu"},
    {"Sendaquestion1", "email_send_a_question_menu"},
    {"About1", "about_menu"},
    {"Debug1", "about_debug_menu"},
    {"Automatucwebupdates1", "about_autowebupdate_menu"},
    {"Searchforanupdate1", "about_searchwebupdate_menu"},
    {"About2", "about_about_menu"},
};

const std::pair<const char*, const char*> MainShortcuts[] = {
    {"Quit1", "shortcut_quit_menu"},
    {"Getpictures1", "shortcut_get_pic_from_cam_menu"},
    {"Getpicturesfromcomputer1", "shortcut_get_pic_from_CF_drive_menu"},
    {"Takepictureremote1", "shortcut_take_pic_remote_menu"},
    {"Uploadpictures1", "shortcut_upload_menu"},
    {"Emailpictures1", "shortcut_email_menu"},
};

QString textOf(const TForm_main& w, const char* name) {
    if (auto* menu = w.findChild<QMenu*>(name))
        return menu->title();
    auto* action = w.findChild<QAction*>(name);
    return action ? action->text() : "<no control " + QString(name) + ">";
}

} // namespace

TEST_F(MainWindowTest, MenusTakeEveryTextAndShortcutFromTheLanguageFile) {
    QString file = "[VERSION]\nversion=1\n[Form_main]\npictures_source_directory=T:label\n";
    for (const auto& [name, key] : MainTexts)
        file += QString(key) + "=T:" + key + "\n";
    int n = 1;
    for (const auto& [name, key] : MainShortcuts)
        file += QString(key) + "=Alt+" + QString::number(n++) + "\n";
    languagecheck::WriteLanguageFile("test", file);
    storeSetting("language", "test");

    TForm_main w;
    w.show();
    for (const auto& [name, key] : MainTexts)
        EXPECT_EQ(textOf(w, name), "T:" + QString(key)) << name;
    n = 1;
    for (const auto& [name, key] : MainShortcuts)
        EXPECT_EQ(w.findChild<QAction*>(name)->shortcut(),
                  QKeySequence::fromString("Alt+" + QString::number(n++)))
            << name;
    EXPECT_EQ(w.LabelPCSourceDir->text(), "T:label");
    EXPECT_EQ(w.BitBtnClose->text(), "T:camera_quit_menu");
    EXPECT_TRUE(script.asked().isEmpty());
}

TEST_F(MainWindowTest, DesignTextsAndShortcutsWithoutLanguageFile) {
    QFile::remove(ProgramFile("languages/english.ini"));
    storeSetting("language", "english");
    TForm_main w;
    w.show();
    EXPECT_EQ(w.Getpictures1->text(), "&Get pictures from camera...");
    EXPECT_EQ(w.Getpictures1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    EXPECT_EQ(w.Quit1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(w.BitBtnClose->text(), "&Quit");
    EXPECT_EQ(w.windowTitle(), "Lumvik utilities");
}

TEST_F(MainWindowTest, UnusableLanguageFileGivesOneWarning) {
    struct Case {
        const char* content; // nullptr: no file at all
        int warnings;
    };
    for (const Case c : {Case{nullptr, 1}, Case{"[VERSION]\nversion=0\n", 1},
                         Case{"[Form_main]\ncamera_menu=X\n", 1},
                         Case{"[VERSION]\nversion=abc\n", 1}, Case{"[version]\nVERSION=2\n", 0}}) {
        TDialogScript fresh;
        QFile::remove(ProgramFile("languages/mine.ini"));
        if (c.content)
            languagecheck::WriteLanguageFile("mine", c.content);
        storeSetting("language", "mine");
        TForm_main w;
        ASSERT_EQ(fresh.asked().size(), c.warnings) << (c.content ? c.content : "no file");
        if (c.warnings) {
            EXPECT_EQ(fresh.asked()[0].text, MissingLanguageWarning);
            EXPECT_EQ(fresh.asked()[0].type, mtWarning);
            EXPECT_EQ(fresh.asked()[0].buttons, TMsgDlgButtons(mbYes));
        }
    }
}

TEST_F(MainWindowTest, StartupLinesInOrder) {
    storeSetting("language", "english");
    { TForm_main w; }
    const QStringList log = logMessages();
    ASSERT_GE(log.size(), 11);
    EXPECT_EQ(log.mid(0, 4),
              QStringList({"", "", "Lumvik version 5.0.0 Build:2 started", "Language=english"}));
    EXPECT_EQ(log[4], "Date and time=" +
                          QLocale::system().toString(QDate(2024, 5, 17), QLocale::ShortFormat) +
                          " 09:30:00");
    const QStringList kernel = QSysInfo::kernelVersion().split('.');
    EXPECT_TRUE(log[5].startsWith("Size of OS-version text:"));
    EXPECT_EQ(log[6], "Major OS-version:" + kernel[0]);
    EXPECT_EQ(log[7], "Minor OS-version:" + kernel[1]);
    EXPECT_TRUE(log[8].startsWith("Build of OS-version:"));
    EXPECT_TRUE(log[9].startsWith("Additional OS data:#"));
    EXPECT_EQ(log.last(), "Entering TForm_main.FormDestroy");
}

TEST_F(MainWindowTest, LogSizeBoundAtStart) {
    storeSetting("language", "english");
    for (const qint64 size : {65001, 65000}) {
        testfiles::Write(LogPath(), QByteArray(size, 'x'));
        { TForm_main w; }
        const QByteArray all = testfiles::Read(LogPath());
        const qint64 kept = size > TDebugLog::MaxSizeAtOpen ? 0 : size;
        EXPECT_EQ(all.left(kept), QByteArray(kept, 'x')) << size;
        EXPECT_NE(all.at(kept), 'x') << size;
        EXPECT_TRUE(all.contains("Lumvik version 5.0.0 Build:2 started")) << size;
    }
}

TEST_F(MainWindowTest, DebugOffWritesNothing) {
    storeSetting("language", "english");
    storeSetting("Debug", "0");
    {
        TForm_main w;
        EXPECT_FALSE(w.debugEnabled());
        LogLine("not written");
    }
    EXPECT_FALSE(QFile::exists(LogPath()));
    EXPECT_EQ(storedSetting("Debug"), "0");
}

TEST_F(MainWindowTest, DebugToggleDeletesAndRecreatesTheLog) {
    storeSetting("language", "english");
    TForm_main w;
    ASSERT_TRUE(w.debugEnabled()); // the default
    ASSERT_TRUE(QFile::exists(LogPath()));

    w.Debug1->trigger();
    EXPECT_FALSE(w.debugEnabled());
    EXPECT_FALSE(QFile::exists(LogPath()));
    LogLine("while off");
    EXPECT_FALSE(QFile::exists(LogPath()));

    w.Debug1->trigger();
    EXPECT_TRUE(w.debugEnabled());
    EXPECT_EQ(QFile(LogPath()).size(), 0);
    LogLine("while on");
    EXPECT_EQ(logMessages(), QStringList{"while on"});

    const QList<TDialogRequest> asked = script.asked();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].text, "Debug is disabled. The logfile (" + LogPath() + ") will be removed");
    EXPECT_EQ(asked[1].text, "Debug is enabled. The logfile (" + LogPath() + ") will be created");
    for (const TDialogRequest& r : asked) {
        EXPECT_EQ(r.type, mtInformation);
        EXPECT_EQ(r.buttons, TMsgDlgButtons(mbYes));
    }
}

TEST_F(MainWindowTest, ExitWritesTheSettingsAndTheNextStartRestoresThem) {
    storeSetting("language", "english");
    {
        TForm_main w;
        EXPECT_FALSE(w.Automatucwebupdates1->isChecked());
        w.resize(431, 277);
        w.EditPCSourceDir->setText("/media/card/DCIM");
        w.Automatucwebupdates1->trigger();
        w.Debug1->trigger();
    }
    EXPECT_EQ(storedSetting("Lumvik_exe"), QCoreApplication::applicationFilePath());
    EXPECT_EQ(storedSetting("language"), "english");
    EXPECT_EQ(storedSetting("MainDlgWidth"), "431");
    EXPECT_EQ(storedSetting("MainDlgHeight"), "277");
    EXPECT_EQ(storedSetting("Debug"), "0");
    EXPECT_EQ(storedSetting("Automatucwebupdates1"), "1");
    EXPECT_EQ(storedSetting("EditPCSourceDir"), "/media/card/DCIM");

    TForm_main again;
    EXPECT_EQ(again.size(), QSize(431, 277));
    EXPECT_FALSE(again.debugEnabled());
    EXPECT_TRUE(again.Automatucwebupdates1->isChecked());
    EXPECT_EQ(again.EditPCSourceDir->text(), "/media/card/DCIM");
}

TEST_F(MainWindowTest, FailedDisconnectAtExitStillWritesTheSettings) {
    storeSetting("language", "english");
    TMainFlows flows;
    flows.disconnect = [](const TMainContext&) { throw ECameraError("Canon drivers error"); };
    {
        TForm_main w(flows);
        w.EditPCSourceDir->setText("/kept");
    }
    EXPECT_EQ(storedSetting("EditPCSourceDir"), "/kept");
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text, "Canon drivers error.");
}

TEST_F(MainWindowTest, OldDriversAreUninstalledAndTheLegacySettingsDeleted) {
    struct Case {
        int installed;
        int version;
        bool installerExists;
        bool uninstalls;
    };
    const QString out = testenv::newFolder("installer") + "/ran.txt";
    for (const Case c : {Case{1, 3, true, true}, Case{1, 3, false, false}, Case{0, 3, true, false},
                         Case{1, 0, true, false}}) {
        TDialogScript fresh;
        QDir(ProgramFile("drivers3")).removeRecursively();
        QFile::remove(out);
        testfiles::Write(TSettings::LegacyPath(),
                         QString("[TesselSDK]\nActiveXVersion=%1\nActiveXDrvInstalled=%2\n")
                             .arg(c.version)
                             .arg(c.installed)
                             .toUtf8());
        const QString installer = ProgramFile("drivers3/Install.exe");
        if (c.installerExists) {
            testfiles::Write(installer, ("#!/bin/sh\necho \"$1 $(pwd)\" > " + out + "\n").toUtf8());
            QFile(installer).setPermissions(QFile(installer).permissions() | QFileDevice::ExeOwner);
        }
        storeSetting("language", "english");
        { TForm_main w; }
        EXPECT_FALSE(QFile::exists(TSettings::LegacyPath()));
        ASSERT_EQ(fresh.asked().size(), c.uninstalls ? 1 : 0) << c.installed << c.version;
        if (!c.uninstalls)
            continue;
        EXPECT_EQ(fresh.asked()[0].text, "Old Lumvik drivers found and will be uninstalled");
        EXPECT_EQ(fresh.asked()[0].buttons, TMsgDlgButtons(mbOK));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(out).size() > 0; }));
        EXPECT_EQ(testfiles::Read(out).trimmed(), "uninstall " + ProgramFile("drivers3").toUtf8());
    }
}

TEST_F(MainWindowTest, ErrorInTheCreateStepStopsTheLaterSteps) {
    storeSetting("language", "english");
    bool callbackRegistered = false;
    TMainFlows flows;
    flows.startSDK = [](const TMainContext&) { throw ECameraError("SDK failed"); };
    flows.registerEventCallback = [&](const TMainContext&) { callbackRegistered = true; };
    TForm_main w(flows);
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text, "SDK failed.");
    EXPECT_FALSE(callbackRegistered);
    EXPECT_EQ(w.messageThread(), nullptr);
    EXPECT_TRUE(logMessages().contains("AppException. Exception=SDK failed"));
}

TEST_F(MainWindowTest, FirstStartOffersTheUSBAutostartOnce) {
    struct Case {
        const char* stored; // nullptr: never stored
        bool fails;
        int offers;
        const char* after;
        QStringList arguments{}; // a start with a command line runs unattended
    };
    for (const Case& c :
         {Case{nullptr, false, 1, "1"}, Case{"0", false, 1, "1"}, Case{"1", false, 0, "1"},
          Case{nullptr, true, 1, "<absent>"}, Case{nullptr, false, 0, "<absent>", {"/home/me/in"}},
          Case{"0", false, 0, "0", {"/remote"}}}) {
        TSettings().eraseSection(TSettings::Section);
        storeSetting("language", "english");
        if (c.stored)
            storeSetting("USBSelected", c.stored);
        int offers = 0;
        TMainFlows flows;
        flows.addUSBAutostart = [&](const TMainContext&) {
            ++offers;
            if (c.fails)
                throw ELumvikError("registration failed");
        };
        TForm_main w(flows, c.arguments);
        EXPECT_EQ(offers, c.offers) << (c.stored ? c.stored : "none") << c.fails;
        EXPECT_EQ(storedSetting("USBSelected"), c.after) << (c.stored ? c.stored : "none");
        EXPECT_EQ(w.messageThread() == nullptr, c.fails);
    }
}

TEST_F(MainWindowTest, CommandLineStartsTheRemoteOrTheTransferOnce) {
    struct Case {
        QStringList arguments;
        int remote;
        QString transfer;
    };
    const Case cases[] = {{{"/remote"}, 1, ""},
                          {{"/home/me/in"}, 0, "/home/me/in"},
                          {{"/REMOTE"}, 0, "/REMOTE"},
                          {{}, 0, ""},
                          {{"/remote", "/tmp"}, 0, ""}};
    storeSetting("language", "english");
    for (const Case& c : cases) {
        int remote = 0;
        QString transfer;
        TMainFlows flows;
        flows.remoteAtStart = [&](const TMainContext&) { ++remote; };
        flows.transferAtStart = [&](const TMainContext&, const QString& dir) { transfer += dir; };
        TForm_main w(flows, c.arguments);
        for (int i = 0; i < 2; ++i) {
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(&w, &activate);
        }
        EXPECT_EQ(remote, c.remote) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(transfer, c.transfer) << c.arguments.join(' ').toStdString();
    }
}

TEST_F(MainWindowTest, FolderButtonBrowsesFromTheFieldsDirectory) {
    storeSetting("language", "english");
    storeSetting("EditPCSourceDir", "/media/old");
    TForm_main w;
    script.enter("/media/new").press(mrCancel);
    w.BitBtn_Explorer->click();
    EXPECT_EQ(w.EditPCSourceDir->text(), "/media/new");
    w.BitBtn_Explorer->click();
    EXPECT_EQ(w.EditPCSourceDir->text(), "/media/new");
    ASSERT_EQ(script.asked().size(), 2);
    EXPECT_EQ(script.asked()[0].kind, TDialogRequest::Directory);
    EXPECT_EQ(script.asked()[0].value, "/media/old");
    EXPECT_EQ(script.asked()[1].value, "/media/new");
}

namespace {

// Flows of every menu item that only note their names in `ran`.
TMainFlows flowsNotingInto(QStringList& ran) {
    const auto hook = [&ran](const char* name) {
        return [&ran, name](const TMainContext&) { ran << name; };
    };
    TMainFlows flows;
    flows.connect = hook("connect");
    flows.disconnect = hook("disconnect");
    flows.properties = hook("properties");
    flows.getPicturesFromCamera = hook("A");
    flows.getPicturesFromComputer = hook("B");
    flows.takePictureRemote = hook("C");
    flows.uploadPictures = hook("D");
    flows.addUSBAutostart = hook("addUSB");
    flows.deleteUSBAutostart = hook("deleteUSB");
    flows.emailPictures = hook("email");
    flows.requestOfFunction = hook("request");
    flows.errorReport = hook("errorReport");
    flows.question = hook("question");
    flows.searchForUpdate = hook("search");
    flows.about = hook("about");
    return flows;
}

} // namespace

TEST_F(MainWindowTest, MenuItemsRunTheirFlows) {
    storeSetting("language", "english");
    QStringList ran;
    const TMainFlows flows = flowsNotingInto(ran);
    storeSetting("USBSelected", "1");
    TForm_main w(flows);
    w.show();
    struct Case {
        QAction* item;
        const char* flow;
        const char* logged;
    };
    const Case cases[] = {
        {w.Connect1, "connect", "Entering TForm_main.Connect1Click"},
        {w.Disconnect1, "disconnect", "Entering TForm_main.Disconnect1Click"},
        {w.PropertiesMenu, "properties", "Enters TForm_main.PropertiesMenuClick"},
        {w.Getpictures1, "A", "Entering TForm_main.Getpictures1Click"},
        {w.Getpicturesfromcomputer1, "B", "Entering TForm_main.Getpicturesfromcomputer1Click"},
        {w.Takepictureremote1, "C", "Entering TForm_main.Takepictureremote1Click"},
        {w.Uploadpictures1, "D", "Entering TForm_main.Uploadpictures1Click"},
        {w.AddUSBAutostart1, "addUSB", "Entering TForm_main.Add1Click"},
        {w.DeleteUSBAutostart2, "deleteUSB", "Entering TForm_main.DeleteUSBAutostart2Click"},
        {w.Emailpictures1, "email", "Entering TForm_main.Emailpictures1Click"},
        {w.Sendarequestoffunction1, "request", "Entering TForm_main.Sendarequestoffunction1Click"},
        {w.Senderrorreportorrequestoffunction1, "errorReport",
         "Entering TForm_main.Senderrorreportorrequestoffunction1Click"},
        {w.Sendaquestion1, "question", "Entering TForm_main.Sendaquestion1Click"},
        {w.Searchforanupdate1, "search", "Entering TForm_main.Searchforanupdate1Click"},
        {w.About2, "about", "Entering TForm_main.About2Click"},
    };
    for (const Case& c : cases) {
        ran.clear();
        c.item->trigger();
        EXPECT_EQ(ran, QStringList{c.flow}) << c.logged;
        EXPECT_EQ(logMessages().last(), c.logged);
    }
    ran.clear();
    w.Quit1->trigger();
    EXPECT_EQ(ran, QStringList{"disconnect"});
    EXPECT_FALSE(w.isVisible());
}

// The source field has the focus at every start; the menus' shortcuts still
// reach their items from it, and the field keeps its text.
TEST_F(MainWindowTest, MenuShortcutsWorkWhileTheSourceFieldHasTheFocus) {
    storeSetting("language", "english");
    storeSetting("USBSelected", "1");
    QStringList ran;
    TForm_main w(flowsNotingInto(ran));
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.EditPCSourceDir->setText("/media/pictures");
    w.EditPCSourceDir->setFocus();
    w.EditPCSourceDir->setCursorPosition(6);
    const std::pair<Qt::Key, const char*> cases[] = {{Qt::Key_G, "A"},
                                                     {Qt::Key_P, "B"},
                                                     {Qt::Key_T, "C"},
                                                     {Qt::Key_U, "D"},
                                                     {Qt::Key_E, "email"}};
    for (const auto& [key, flow] : cases) {
        ran.clear();
        QTest::keyClick(w.EditPCSourceDir, key, Qt::ControlModifier);
        EXPECT_EQ(ran, QStringList{flow}) << flow;
        EXPECT_EQ(w.EditPCSourceDir->text(), "/media/pictures") << flow;
    }
    // Other keys still edit the field.
    QTest::keyClick(w.EditPCSourceDir, Qt::Key_X);
    EXPECT_EQ(w.EditPCSourceDir->text(), "/mediax/pictures");
}

TEST_F(MainWindowTest, ALongStatusTextLeavesTheWindowsWidthAlone) {
    storeSetting("language", "english");
    storeSetting("USBSelected", "1");
    TForm_main w;
    w.show();
    QCoreApplication::processEvents();
    const int width = w.width();
    w.SetStatusText("Error communicating with camera. Is it connected to computer? Try restart "
                    "camera and restart Lumvik utilities");
    QCoreApplication::processEvents();
    EXPECT_EQ(w.width(), width);
    EXPECT_LE(w.minimumSizeHint().width(), width);
}

TEST_F(MainWindowTest, AnErrorInAMenuActionIsShownAndTheProgramGoesOn) {
    storeSetting("language", "english");
    TMainFlows flows;
    flows.getPicturesFromCamera = [](const TMainContext&) {
        throw EInOutError("Error communicating with camera");
    };
    TForm_main w(flows);
    w.show();
    w.Getpictures1->trigger();
    w.Getpictures1->trigger();
    ASSERT_EQ(script.asked().size(), 2);
    EXPECT_EQ(script.asked()[1].text, "Error communicating with camera.");
    EXPECT_TRUE(w.isVisible());
}
