#include "CameraConnection.h"
#include "CameraFixture.h"
#include "CameraSession.h"
#include "CameraThread.h"
#include "Dates.h"
#include "DemoCard.h"
#include "Dlg_Filemanager.h"
#include "Dlg_FilenameSel.h"
#include "FileManagerFixture.h"
#include "LanguageCheck.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "WindowControls.h"
#include "cdsdk_simcontrol.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

using testenv::control;

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& list, std::ostream* out) {
    *out << '[' << list.join(", ").toStdString() << ']';
}

namespace {

// The standard test card in collection order.
const QStringList StandardEntries = {"IMG_0003.JPG", "CRW_0004.CRW", "IMG_0005.JPG",
                                     "MVI_0007.AVI"};

QListWidget* fileList(const TForm_filemanager& w) {
    return control<QListWidget>(w, "ListBox_Cam_File_Names");
}

QStringList listed(const TForm_filemanager& w) {
    QStringList names;
    for (int i = 0; i < fileList(w)->count(); ++i)
        names << fileList(w)->item(i)->text();
    return names;
}

QStringList selectedNames(const TForm_filemanager& w) {
    QStringList names;
    for (int i : w.selectedIndexes())
        names << fileList(w)->item(i)->text();
    return names;
}

void makeCurrent(TForm_filemanager& w, const QString& name) {
    const auto found = fileList(w)->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    fileList(w)->setCurrentItem(found[0]);
    w.ListBox_Cam_File_NamesClick();
}

// Presses and releases a key on the list, then runs the 1 ms timer when the
// key started it (a test body runs where the event loop fires no timers).
void key(TForm_filemanager& w, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(fileList(w), k, modifiers);
    if (control<QTimer>(w, "Timer_UpdateItemIndex")->isActive())
        w.Timer_UpdateItemIndexTimer();
}

} // namespace

TEST_F(FileManagerTest, FlowAListsEveryFileOfTheCameraAndClosingDisconnects) {
    plugInStandardCamera();
    runFlowA([this](TForm_filemanager& w) {
        EXPECT_EQ(listed(w), StandardEntries);
        EXPECT_TRUE(main().session().connected());
        // Two volumes: the selector stays.
        EXPECT_FALSE(control<QSpinBox>(w, "SpinEdit_VolumeNr")->isHidden());
        EXPECT_EQ(control<QSpinBox>(w, "SpinEdit_VolumeNr")->maximum(), 2);
        // Records for the JPEG and RAW pictures only, in item order; the one the
        // camera tagged as turned starts turned.
        ASSERT_EQ(w.model().records.size(), 3u);
        EXPECT_EQ(w.model().records[0].rotation(), 90);
        EXPECT_EQ(w.model().records[1].name, "CRW_0004.CRW");
        EXPECT_EQ(w.model().records[2].itemNumber, 3);
        EXPECT_GT(w.model().sizeOf(4), 0) << "the movie's size is in the table";
        makeCurrent(w, "IMG_0005.JPG");
        EXPECT_EQ(control<QLabel>(w, "Label_ShutterSpeed")->text(), "Shutter speed:1/60");
        EXPECT_EQ(control<QLabel>(w, "Label_Aperture")->text(), "Aperture:2.80");
        EXPECT_EQ(control<QLabel>(w, "Label_Flash")->text(), "Flash: on");
        EXPECT_EQ(control<QLabel>(w, "Label_Size")->text(), "Size:64x48");
        EXPECT_FALSE(control<QLabel>(w, "Image1")->pixmap().isNull());
        makeCurrent(w, "MVI_0007.AVI");
        EXPECT_TRUE(control<QLabel>(w, "Label_Flash")->isHidden())
            << "a movie hides the picture-only lines";
        EXPECT_EQ(control<QLabel>(w, "Label_Size")->text(), "Size:320x240");
    });
    EXPECT_FALSE(main().session().connected());
    EXPECT_EQ(main().statusText(), "Camera is disconnected");
    const QStringList log = logMessages();
    EXPECT_TRUE(log.contains("Get pictures menu selected"));
    EXPECT_TRUE(log.contains("Camera model=Canon PowerShot G5"));
    EXPECT_TRUE(log.contains("Camera is disconnected"));
}

// The other card's list is there at once, with records of its own: the first
// card's changes to its item 1 do not reach the second card's item 1.
TEST_F(FileManagerTest, VolumeSelectorOpensTheOtherCardWithItsOwnRecords) {
    const fixture::CameraFolder camera = fixture::standardCamera(testenv::newFolder("camera"));
    fixture::writePicture(camera.volume("SD") + "/DCIM/100CANON/IMG_0001.JPG",
                          fixture::shotAt("2004:05:06 07:08:09", 6));
    camera.plugIn();
    runFlowA([](TForm_filemanager& w) {
        makeCurrent(w, "IMG_0003.JPG"); // item 1, turned by the camera
        key(w, Qt::Key_G);
        key(w, Qt::Key_Left);
        control<QSpinBox>(w, "SpinEdit_VolumeNr")->setValue(2);
        waitForItems(w);
        EXPECT_EQ(listed(w), QStringList({"IMG_0001.JPG"}));
        EXPECT_EQ(selectedNames(w), QStringList({"IMG_0001.JPG"}));
        ASSERT_EQ(w.model().records.size(), 1u);
        const TJPEGImage& record = w.model().records[0];
        EXPECT_EQ(record.name, "IMG_0001.JPG");
        EXPECT_FALSE(record.modified());
        EXPECT_EQ(record.rotation(), 90) << "the camera's own rotation of the new picture";
    });
}

TEST_F(FileManagerTest, ObjectWithNeitherPictureNorMovieIsListedAsADashAndLeftAlone) {
    const fixture::CameraFolder camera = fixture::standardCamera(testenv::newFolder("camera"));
    // A lone sound file; the second card's collection holds every kind of item.
    testfiles::Write(camera.volume("SD") + "/DCIM/100CANON/SND_0009.WAV", fixture::soundBytes());
    camera.plugIn();
    runFlowA([](TForm_filemanager& w) {
        control<QSpinBox>(w, "SpinEdit_VolumeNr")->setValue(2);
        w.FormActivate();
        waitForItems(w);
        const int dash = int(listed(w).indexOf("-"));
        ASSERT_GE(dash, 0) << listed(w).join(",").toStdString();
        EXPECT_FALSE(w.selectedIndexes().contains(dash)) << "it is never transferred";
        EXPECT_EQ(w.model().sizeOf(dash + 1), 0);
        const size_t records = w.model().records.size();
        fileList(w)->setCurrentRow(dash);
        key(w, Qt::Key_Right);
        w.ListBox_Cam_File_NamesClick();
        EXPECT_EQ(w.model().records.size(), records);
        EXPECT_EQ(w.model().DestinationPath(), "");
    });
}

TEST_F(FileManagerTest, OneVolumeHidesTheSelectorAndTheDemoCameraListsAllItsFiles) {
    const QString camera = testenv::newFolder("demo") + "/cam";
    MakeDemoCamera(camera);
    qputenv("LUMVIK_CAMERA", ("sim:" + camera).toUtf8());
    runFlowA([](TForm_filemanager& w) {
        EXPECT_TRUE(control<QSpinBox>(w, "SpinEdit_VolumeNr")->isHidden());
        EXPECT_TRUE(control<QLabel>(w, "Label_Card")->isHidden());
        const QStringList names = listed(w);
        EXPECT_EQ(names.size(), DemoCardShots().size() + 2) << names.join(",").toStdString();
        EXPECT_TRUE(names.contains("MVI_0013.AVI"));
        EXPECT_TRUE(names.contains("CRW_0026.CRW"));
        EXPECT_FALSE(names.contains("-"));
        EXPECT_EQ(selectedNames(w), names) << "nothing was transferred yet";
    });
}

TEST_F(FileManagerTest, FlowBListsAFolderWithoutACamera) {
    const fixture::CameraFolder card = fixture::standardCamera(testenv::newFolder("card"));
    TSettings().writeBool(TSettings::Section, "infomsg_filename_format", true);
    main().EditPCSourceDir->setText(card.volume("CF"));
    script.press(mrNo);
    whenShown([this](TForm_filemanager& w) {
        QStringList names = listed(w), expected = StandardEntries;
        names.sort();
        expected.sort();
        EXPECT_EQ(names, expected);
        EXPECT_TRUE(control<QPushButton>(w, "Button_Delete")->isHidden());
        EXPECT_FALSE(main().session().connected());
        // The movie's date comes from its thumbnail's EXIF data.
        makeCurrent(w, "MVI_0007.AVI");
        EXPECT_EQ(ToQDateTime(SecondsToDateTime(w.model().currentMovie.shootingTime)),
                  QDateTime(QDate(2004, 5, 7), QTime(10, 0)));
    });
    main().Getpicturesfromcomputer1Click();
    ASSERT_GE(script.asked().size(), 1);
    EXPECT_TRUE(script.asked()[0].text.startsWith("To see pictures in the file list"));
    EXPECT_FALSE(TSettings().readBool(TSettings::Section, "infomsg_filename_format", true));
    EXPECT_EQ(main().statusText(), "Camera connection closed");
}

// The folder search runs while the window answers: its progress reaches the
// status bar, and the Stop pressed there ends it with nothing listed.
TEST_F(FileManagerTest, FolderSearchShowsProgressAndStopsAtTheStopButton) {
    TSettings().writeBool(TSettings::Section, "infomsg_filename_format", false);
    const QString tree = testenv::newFolder("tree");
    // Big enough that the search is still going when its first report is shown,
    // even on a busy machine.
    for (int f = 0; f < 300; ++f)
        for (int n = 0; n < 50; ++n)
            fixture::writeFile(
                QString("%1/%2/IMG_%3.JPG").arg(tree).arg(f).arg(n, 4, 10, QChar('0')), "x");
    QStringList progress;
    setup = [&progress](TForm_filemanager& w) {
        QObject::connect(control<QStatusBar>(w, "StatusBar1"), &QStatusBar::messageChanged, &w,
                         [&progress, &w](const QString& text) {
                             if (!text.startsWith("Searching the folder: "))
                                 return;
                             progress << text;
                             if (progress.size() == 1)
                                 control<QPushButton>(w, "Button_StartTransfer")->click();
                         });
    };
    main().EditPCSourceDir->setText(tree);
    whenShown([](TForm_filemanager& w) {
        EXPECT_EQ(listed(w), QStringList());
        EXPECT_EQ(control<QStatusBar>(w, "StatusBar1")->currentMessage(),
                  "Search stopped: no files listed");
        EXPECT_EQ(control<QPushButton>(w, "Button_StartTransfer")->text(), w.transferCaption);
    });
    main().Getpicturesfromcomputer1Click();
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_TRUE(logMessages().contains("Folder search stopped"));
    EXPECT_EQ(main().statusText(), "Camera connection closed");
}

// Without a folder the search would start at the file system's root.
TEST_F(FileManagerTest, FlowBWithoutAnExistingFolderAsksForOneAndListsNothing) {
    TSettings().writeBool(TSettings::Section, "infomsg_filename_format", false);
    const QString file = testenv::newFolder("plain") + "/IMG_0001.JPG";
    testfiles::Write(file, "not a folder");
    for (const QString& folder : {QString("/no/such/folder"), file, QString("  "), QString()}) {
        SCOPED_TRACE(folder.toStdString());
        TDialogScript answers;
        main().EditPCSourceDir->setText(folder);
        main().Getpicturesfromcomputer1Click();
        ASSERT_EQ(answers.asked().size(), 1);
        EXPECT_EQ(answers.asked()[0].type, mtError);
        EXPECT_TRUE(
            answers.asked()[0].text.startsWith("Choose the folder that holds your pictures"));
        EXPECT_NE(main().statusText(), "Connects to camera");
    }
}

// The desktop starts "Lumvik_utilities DIR" for a brand-new user: the
// transfer runs at once, and the language and the USB autostart are asked at
// the next start without a command line.
TEST_F(FileManagerTest, FreshUsersCommandLineTransferRunsWithoutAQuestion) {
    TSettings().eraseSection(TSettings::Section);
    plugInStandardCamera();
    int offers = 0;
    TMainFlows flows = WithFileManagerFlows(WithCameraConnection({}), setup);
    flows.addUSBAutostart = [&offers](const TMainContext&) { ++offers; };
    const QString into = testenv::newFolder("into") + "/";
    const auto received = [&into] {
        return QDir(into).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
    };
    whenShown([&received](TForm_filemanager&) {
        ASSERT_TRUE(QTest::qWaitFor([&received] { return received() > 0; }));
    });
    {
        TForm_main w(flows, {into});
        w.show();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&w, &activate);
    }
    EXPECT_EQ(offers, 0);
    // The file manager (no language window), then at most the report that
    // the pictures arrived.
    ASSERT_GE(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].kind, TDialogRequest::Window);
    for (const TDialogRequest& request : script.asked().mid(1)) {
        EXPECT_EQ(request.type, mtInformation) << request.text.toStdString();
        EXPECT_EQ(request.buttons, unsigned(mbOK)) << request.text.toStdString();
    }
    EXPECT_GT(received(), 0);
    EXPECT_EQ(TSettings().readString(TSettings::Section, "language", "default"), "default");
    EXPECT_EQ(TSettings().readInteger(TSettings::Section, "USBSelected", 0), 0);
}

TEST_F(FileManagerTest, ActivationSelectsOnlyEntriesNotTransferredUnderTheCurrentPatterns) {
    plugInStandardCamera();
    testfiles::Write(target + "IMG_0005.jpg", "x");
    testfiles::Write(target + "2004-05-08/CRW_0004.crw", "x");
    runFlowA([this](TForm_filemanager& w) {
        EXPECT_EQ(selectedNames(w), QStringList({"IMG_0003.JPG", "CRW_0004.CRW", "MVI_0007.AVI"}));
        control<QAction>(w, "Createsubdirectorywithdate1")->trigger();
        EXPECT_EQ(control<QLabel>(w, "LabelSubDirData")->text(), "$YYYY-$MM-$DD/");
        w.FormActivate();
        waitForItems(w);
        EXPECT_EQ(selectedNames(w), QStringList({"IMG_0003.JPG", "IMG_0005.JPG", "MVI_0007.AVI"}));
        // Everything there: nothing is selected, the status still counts all entries.
        for (const char* name :
             {"2004-05-06/IMG_0005.jpg", "2004-05-07/MVI_0007.avi", "2004-05-09/IMG_0003.jpg"})
            testfiles::Write(target + name, "x");
        w.FormActivate();
        waitForItems(w);
        EXPECT_TRUE(w.selectedIndexes().isEmpty());
        const qint64 all = w.model().totalSize({0, 1, 2, 3});
        EXPECT_EQ(control<QStatusBar>(w, "StatusBar1")->currentMessage(),
                  "Picture data received, total filesize " +
                      QString::number(std::llround(all / 1024.0)) + " kB");
    });
}

TEST_F(FileManagerTest, PressOnThePreviousSelectionKeepsItAndDoubleClickClearsIt) {
    plugInStandardCamera();
    runFlowA([](TForm_filemanager& w) {
        QListWidget* list = fileList(w);
        w.Button_Unselect_allClick();
        w.SetEntrySelected(0, true);
        w.SetEntrySelected(2, true);
        makeCurrent(w, "IMG_0005.JPG"); // the click step remembers the selection
        const QPoint onFirst = list->visualItemRect(list->item(0)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onFirst);
        EXPECT_EQ(selectedNames(w), QStringList({"IMG_0003.JPG", "IMG_0005.JPG"}));
        EXPECT_EQ(list->currentRow(), 0);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onFirst);

        const QPoint onOther = list->visualItemRect(list->item(1)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onOther);
        EXPECT_EQ(selectedNames(w), QStringList({"CRW_0004.CRW"}));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onOther);

        w.Button_sel_allClick();
        w.ListBox_Cam_File_NamesDblClick();
        EXPECT_TRUE(w.selectedIndexes().isEmpty());
        EXPECT_EQ(list->currentRow(), 1);
        EXPECT_EQ(control<QStatusBar>(w, "StatusBar1")->currentMessage(),
                  "Picture data received, total filesize 0 kB");
    });
}

TEST_F(FileManagerTest, RebuiltListForgetsThePreviousSelection) {
    plugInStandardCamera();
    runFlowA([this](TForm_filemanager& w) {
        QListWidget* list = fileList(w);
        w.Button_Unselect_allClick();
        w.SetEntrySelected(0, true);
        w.SetEntrySelected(2, true);
        makeCurrent(w, "IMG_0005.JPG"); // remembers entries 0 and 2
        testfiles::Write(target + "IMG_0003.jpg", "x");
        w.FormActivate(); // entry 0 is transferred now and left unselected
        const QPoint onThird = list->visualItemRect(list->item(2)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, onThird);
        EXPECT_FALSE(selectedNames(w).contains("IMG_0003.JPG"));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onThird);
    });
}

TEST_F(FileManagerTest, KeysChangeTheCurrentRecordWithinTheirLimits) {
    plugInStandardCamera();
    runFlowA([](TForm_filemanager& w) {
        makeCurrent(w, "IMG_0005.JPG");
        TJPEGImage* r = recordOf(w, "IMG_0005.JPG");
        ASSERT_NE(r, nullptr);
        key(w, Qt::Key_Right);
        EXPECT_EQ(r->rotation(), 90);
        EXPECT_EQ(fileList(w)->currentRow(), 2) << "the arrow key stays";
        EXPECT_EQ(control<QLabel>(w, "Label_Rotate")->text(), "Rotate: 90 degrees");
        key(w, Qt::Key_Left);
        key(w, Qt::Key_Left);
        EXPECT_EQ(r->rotation(), 270);
        EXPECT_FALSE(r->modified()) << "rotation alone needs no re-encoding";

        for (int i = 0; i < 4; ++i)
            key(w, Qt::Key_Left, Qt::ControlModifier);
        EXPECT_EQ(r->scale(), TJPEGScale::Eighth) << "an eighth is the smallest";
        EXPECT_EQ(control<QLabel>(w, "Label_Resize")->text(), "Resize: eighth");
        key(w, Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(r->scale(), TJPEGScale::Quarter);

        for (int i = 0; i < 12; ++i)
            key(w, Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(r->compressionQuality(), 100) << "100 is the best";
        key(w, Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(r->compressionQuality(), 99);
        EXPECT_EQ(control<QLabel>(w, "Label_Compression")->text(), "Compression: 99");
        EXPECT_EQ(fileList(w)->currentRow(), 2);

        key(w, Qt::Key_G);
        EXPECT_TRUE(r->grayscale());
        EXPECT_EQ(control<QLabel>(w, "Label_Gray")->text(), "Gray: yes");
        EXPECT_TRUE(r->modified());

        // Reset: a fresh record with no transformation, shown as such.
        key(w, Qt::Key_Backspace, Qt::ControlModifier);
        r = recordOf(w, "IMG_0005.JPG");
        EXPECT_EQ(r->rotation(), 0);
        EXPECT_FALSE(r->modified());
        EXPECT_EQ(r->scale(), TJPEGScale::Full);
        EXPECT_EQ(control<QLabel>(w, "Label_Rotate")->text(), "Rotate: 0 degrees");
        EXPECT_EQ(control<QLabel>(w, "Label_Gray")->text(), "Gray:");
    });
}

// Keys typed in the comment memo are the memo's: their releases must not make
// the entry of an earlier key on the list current and selected again.
TEST_F(FileManagerTest, KeysTypedInTheCommentLeaveTheSelectionAlone) {
    const fixture::CameraFolder camera(testenv::newFolder("camera"));
    for (int n = 1; n <= 10; ++n)
        fixture::writePicture(camera.volume("CF") +
                              QString("/DCIM/100CANON/IMG_%1.JPG").arg(n, 4, 10, QChar('0')));
    camera.plugIn();
    runFlowA([](TForm_filemanager& w) {
        QListWidget* list = fileList(w);
        const auto click = [list](const QString& name) {
            QListWidgetItem* item = list->findItems(name, Qt::MatchExactly).value(0);
            ASSERT_NE(item, nullptr) << name.toStdString();
            list->scrollToItem(item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(item).center());
        };
        click("IMG_0001.JPG");
        key(w, Qt::Key_Down);
        click("IMG_0010.JPG");
        auto* memo = control<QPlainTextEdit>(w, "Memo_Comment");
        QTest::keyClick(memo, Qt::Key_X);
        QTest::keyClick(memo, Qt::Key_Left);
        auto* timer = control<QTimer>(w, "Timer_UpdateItemIndex");
        EXPECT_FALSE(timer->isActive());
        if (timer->isActive())
            w.Timer_UpdateItemIndexTimer();
        EXPECT_EQ(selectedNames(w), QStringList({"IMG_0010.JPG"}));
        EXPECT_EQ(list->currentItem()->text(), "IMG_0010.JPG");
        EXPECT_EQ(memo->toPlainText(), "x");
        EXPECT_EQ(recordOf(w, "IMG_0010.JPG")->rotation(), 0);
    });
}

// In a computer folder nothing can be deleted, not even by the Delete key,
// before or after a transfer.
TEST_F(FileManagerTest, NothingIsDeletedFromAComputerFolder) {
    const fixture::CameraFolder card = fixture::standardCamera(testenv::newFolder("card"));
    TSettings().writeBool(TSettings::Section, "infomsg_filename_format", false);
    main().EditPCSourceDir->setText(card.volume("CF"));
    whenShown([this, &card](TForm_filemanager& w) {
        auto* button = control<QPushButton>(w, "Button_Delete");
        w.EnableStep(false);
        w.EnableStep(true); // as at the end of a transfer
        EXPECT_TRUE(button->isHidden());
        EXPECT_FALSE(button->isEnabled());
        const qsizetype asked = script.asked().size();
        w.Button_sel_allClick();
        key(w, Qt::Key_Delete);
        EXPECT_EQ(script.asked().size(), asked) << "no question, nothing deleted";
        EXPECT_TRUE(QFileInfo::exists(card.volume("CF") + "/DCIM/100CANON/IMG_0005.JPG"));
        EXPECT_EQ(listed(w).size(), StandardEntries.size());
    });
    main().Getpicturesfromcomputer1Click();
}

// Coming back from another program keeps the user's selection; becoming active
// again from a window of the program itself rebuilds the list.
TEST_F(FileManagerTest, ActivationFromAnotherProgramKeepsTheSelection) {
    plugInStandardCamera();
    runFlowA([](TForm_filemanager& w) {
        w.show();
        QApplication::setActiveWindow(&w);
        waitForItems(w);
        w.Button_Unselect_allClick();
        w.SetEntrySelected(2, true);
        QApplication::setActiveWindow(nullptr); // the user switches to another program
        QApplication::setActiveWindow(&w);      // and back
        EXPECT_EQ(selectedNames(w), QStringList({"IMG_0005.JPG"}));

        QWidget ours;
        ours.show();
        QApplication::setActiveWindow(&ours);
        QApplication::setActiveWindow(&w);
        waitForItems(w);
        EXPECT_EQ(selectedNames(w), StandardEntries) << "rebuilt: nothing transferred yet";
        w.hide();
    });
}

TEST_F(FileManagerTest, ResetUndoesTheCameraRotationAndKeysWithoutARecordDoNothing) {
    plugInStandardCamera();
    runFlowA([](TForm_filemanager& w) {
        makeCurrent(w, "IMG_0003.JPG");
        EXPECT_EQ(recordOf(w, "IMG_0003.JPG")->rotation(), 90);
        key(w, Qt::Key_Backspace, Qt::ControlModifier);
        EXPECT_EQ(recordOf(w, "IMG_0003.JPG")->rotation(), 0);

        makeCurrent(w, "MVI_0007.AVI");
        for (Qt::Key k : {Qt::Key_Right, Qt::Key_Left, Qt::Key_G})
            key(w, k);
        key(w, Qt::Key_Backspace, Qt::ControlModifier);
        EXPECT_EQ(w.model().records.size(), 3u);
        for (TJPEGImage& r : w.model().records)
            EXPECT_FALSE(r.modified());
    });
}

TEST_F(FileManagerTest, TargetFieldEndsInSlashAndAFileStandsForItsFolder) {
    plugInStandardCamera();
    const QString folder = testenv::newFolder("pictures");
    testfiles::Write(folder + "/old.jpg", "x");
    runFlowA([&](TForm_filemanager& w) {
        const struct {
            QString typed, shown;
        } cases[] = {
            {folder, folder + "/"},
            {folder + "/", folder + "/"},
            {folder + "/old.jpg", folder + "/"},
            {"/no/such/folder", "/no/such/folder/"},
            {"", ""},
        };
        for (const auto& c : cases) {
            control<QLineEdit>(w, "Edit_DirEdit")->setText(c.typed);
            EXPECT_EQ(control<QLineEdit>(w, "Edit_DirEdit")->text(), c.shown)
                << c.typed.toStdString();
            EXPECT_EQ(w.model().targetDirectory, c.shown);
            EXPECT_EQ(TSettings().readString(TSettings::Section, "DirOnPC", "?"), c.shown);
        }
        // Typed key by key, a "/" of the user's own is not doubled.
        QLineEdit* edit = control<QLineEdit>(w, "Edit_DirEdit");
        edit->clear();
        QTest::keyClicks(edit, folder + "/");
        EXPECT_EQ(edit->text(), folder + "/");
        QTest::keyClicks(edit, "new/");
        EXPECT_EQ(edit->text(), folder + "/new/");
        // Dropped paths: the last one wins.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/tmp"), QUrl::fromLocalFile(folder + "/old.jpg")});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &drop);
        EXPECT_EQ(control<QLineEdit>(w, "Edit_DirEdit")->text(), folder + "/");
    });
}

TEST_F(FileManagerTest, UserTextIsAskedOncePerTransferClickAndNeverWhileTheListBuilds) {
    plugInStandardCamera();
    TSettings().writeString(TSettings::Section, "LabelFileNameData", "$CAM $TEXT");
    whenListed([this](TForm_filemanager& w) {
        TFileManagerModel& m = w.model();
        ASSERT_TRUE(m.loading());
        m.GetPictureData(3, false);
        script.enter("holiday");
        EXPECT_EQ(m.DestinationPath(), target + "IMG_0005 holiday.jpg") << "asked while items load";
        waitForItems(w);
        EXPECT_EQ(script.asked().size(), 2) << "the list was built without asking";
        m.GetPictureData(1, false);
        EXPECT_EQ(m.DestinationPath(), target + "IMG_0003 holiday.jpg");
        m.ForgetUserText();
        script.press(mrCancel);
        EXPECT_EQ(m.DestinationPath(), target + "IMG_0003.jpg") << "no text, no blank";
        ASSERT_EQ(script.asked().size(), 3); // the flow's window and two questions
        EXPECT_EQ(script.asked()[1].caption, "Custom text added to filename");
        EXPECT_EQ(script.asked()[1].text, "Your text:");
    });
    main().Getpictures1Click();
}

TEST_F(FileManagerTest, OptionsSetThePatternsAndPersist) {
    plugInStandardCamera();
    runFlowA([](TForm_filemanager& w) {
        control<QAction>(w, "UseZoomBrowserfilenames1")->trigger();
        EXPECT_EQ(control<QLabel>(w, "LabelFileNameData")->text(), "$ZB");
        control<QAction>(w, "Usedatetimeasfilename1")->trigger();
        EXPECT_FALSE(control<QAction>(w, "UseZoomBrowserfilenames1")->isChecked());
        EXPECT_EQ(w.model().fileNamePattern, "$YYYY-$MM-$DD $HH-$MIN-$SEC");
        control<QAction>(w, "Usedatetimeasfilename1")->trigger();
        EXPECT_EQ(w.model().fileNamePattern, "$CAM");
        control<QAction>(w, "UseZoomBrowserfilenames1")->trigger();
        control<QAction>(w, "Createsubdirectorywithdate1")->trigger();
        EXPECT_FALSE(control<QAction>(w, "CreateJPEGpreviewforRAWpictures1")->isEnabled());
        EXPECT_TRUE(control<QPushButton>(w, "Button_MovieOptions")->isHidden());
        EXPECT_TRUE(control<QCheckBox>(w, "CheckBoxBurnCD")->isHidden());
    });
    runFlowA([](TForm_filemanager& w) {
        EXPECT_TRUE(control<QAction>(w, "UseZoomBrowserfilenames1")->isChecked());
        EXPECT_EQ(control<QLabel>(w, "LabelFileNameData")->text(), "$ZB");
        EXPECT_EQ(control<QLabel>(w, "LabelSubDirData")->text(), "$YYYY-$MM-$DD/");
        w.model().GetPictureData(3, false);
        EXPECT_EQ(QFileInfo(w.model().DestinationPath()).fileName(), "100-0005_IMG.jpg");
    });
}

TEST_F(FileManagerTest, NameSelectionComposesBothPatternsFromTheTokenList) {
    plugInStandardCamera();
    runFlowA([this](TForm_filemanager& w) {
        control<QAction>(w, "UseZoomBrowserfilenames1")->trigger();
        script.then([](const TDialogRequest& request) {
            auto* n = qobject_cast<TFormNameSelect*>(request.window);
            EXPECT_NE(n, nullptr);
            if (!n)
                return TDialogAnswer{QDialog::Rejected, {}};
            n->FormShow();
            EXPECT_EQ(control<QListWidget>(*n, "ListBoxAttr")->count(), 22);
            EXPECT_EQ(control<QListWidget>(*n, "ListBoxAttr")->item(0)->text(), "User text");
            EXPECT_EQ(control<QListWidget>(*n, "ListBoxAttr")->item(2)->text(), "$YYYY Year");
            EXPECT_EQ(control<QLineEdit>(*n, "EditFilename")->text(), "$ZB");
            // Shown, every token's description is whole.
            n->show();
            QCoreApplication::processEvents();
            QListWidget* tokens = control<QListWidget>(*n, "ListBoxAttr");
            EXPECT_GE(tokens->viewport()->width(), tokens->sizeHintForColumn(0));
            n->hide();
            control<QLineEdit>(*n, "EditDir")->clear();
            control<QLineEdit>(*n, "EditFilename")->clear();
            control<QListWidget>(*n, "ListBoxAttr")->setCurrentRow(2);
            n->ButtonDirAddClick();
            n->ButtonAddSubdirClick();
            control<QListWidget>(*n, "ListBoxAttr")->setCurrentRow(9); // $CAM
            n->ButtonDirAddClick();
            n->ButtonFilenameAddClick();
            control<QListWidget>(*n, "ListBoxAttr")->setCurrentRow(0);
            n->ButtonFilenameAddClick(); // asks for the user's text
            n->ButtonOKClick();
            return TDialogAnswer{n->result(), {}};
        });
        script.then([](const TDialogRequest& request) {
            EXPECT_EQ(request.caption, "Add user text");
            return TDialogAnswer{mrOk, "_x"};
        });
        w.Button_SelSubdirFilenameClick();
        EXPECT_EQ(control<QLabel>(w, "LabelSubDirData")->text(), "$YYYY/$CAM/");
        EXPECT_EQ(control<QLabel>(w, "LabelFileNameData")->text(), "$CAM_x");
        EXPECT_FALSE(control<QAction>(w, "UseZoomBrowserfilenames1")->isChecked());
        w.model().GetPictureData(3, false);
        EXPECT_EQ(w.model().DestinationPath(), target + "2004/IMG_0005/IMG_0005_x.jpg");
    });
}

TEST_F(FileManagerTest, PreviewSelectionBecomesTheListSelection) {
    plugInStandardCamera();
    runFlowA([](TForm_filemanager& w) {
        w.Button_Unselect_allClick();
        w.SetEntrySelected(0, true);
        QList<int> markedWhenShown;
        w.showPreview = [&](TForm_filemanager& fm) {
            markedWhenShown = fm.model().MarkedIndexes();
            for (TJPEGImage& r : fm.model().records)
                r.selected = r.name == "IMG_0003.JPG";
        };
        w.Button1Click();
        EXPECT_EQ(markedWhenShown, QList<int>({0}));
        EXPECT_EQ(selectedNames(w), QStringList({"IMG_0003.JPG"}));
    });
}

TEST_F(FileManagerTest, CameraEventReachesTheMessageThreadWhileTheWindowRuns) {
    plugInStandardCamera();
    runFlowA([this](TForm_filemanager& w) {
        cdsimInjectEvent(0x00040000 | 13);
        ASSERT_TRUE(QTest::qWaitFor([this] { return script.asked().size() >= 2; }, 10000));
        ASSERT_EQ(script.asked().size(), 2);
        EXPECT_EQ(script.asked()[1].caption, "Camera event");
        EXPECT_EQ(script.asked()[1].text, "USB connection lost");
        EXPECT_EQ(script.asked()[1].type, mtError);
        // The window goes on working meanwhile.
        makeCurrent(w, "IMG_0005.JPG");
        EXPECT_EQ(control<QLabel>(w, "Label_Size")->text(), "Size:64x48");
    });
    EXPECT_TRUE(logMessages().contains("Callback Event=4Reason =13"));
}

TEST_F(FileManagerTest, FailedConnectEndsFlowAWithItsTexts) {
    qunsetenv("LUMVIK_CAMERA");
    main().Getpictures1->trigger();
    EXPECT_FALSE(main().session().connected());
    EXPECT_EQ(main().statusText(), "Get pictures dialog requires a connection to camera");
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text,
              "Error communicating with camera. Is it connected to computer? Try restart camera "
              "and restart Lumvik utilities.");
    const QStringList log = logMessages();
    EXPECT_TRUE(log.filter("Connect_to_tessel. Exception=Canon drivers error").size() == 1);
    EXPECT_TRUE(log.filter("Getpictures1Click. Exception=Error communicating").size() == 1);
}

// Runs the flows through every text they read and checks them against the
// shipped English file.
// The list names every item before any is read; each entry says it is still
// loading until its data and thumbnail arrive, and the sizes the listing gave
// are those the items' properties give.
TEST_F(FileManagerTest, ListNamesEveryItemAtOnceAndFillsInBehind) {
    plugInStandardCamera();
    whenListed([](TForm_filemanager& w) {
        EXPECT_EQ(w.model().entries(), StandardEntries);
        QStringList marked;
        for (const QString& name : StandardEntries)
            marked << name + " (loading...)";
        EXPECT_EQ(listed(w), marked);
        EXPECT_TRUE(w.model().records.empty());
        EXPECT_TRUE(w.model().loading());
        EXPECT_EQ(control<QStatusBar>(w, "StatusBar1")->currentMessage(),
                  "Getting picture data for picture 0 of 4");
        const qint64 listedTotal = w.model().totalSize({0, 1, 2, 3});
        EXPECT_GT(listedTotal, 0);

        waitForItems(w);
        EXPECT_EQ(listed(w), StandardEntries);
        EXPECT_EQ(selectedNames(w), StandardEntries) << "nothing was transferred yet";
        EXPECT_EQ(w.model().records.size(), 3u);
        EXPECT_EQ(w.model().totalSize({0, 1, 2, 3}), listedTotal);
        EXPECT_EQ(w.model().selectedTotal, listedTotal);
        EXPECT_TRUE(w.model().item(4).isMovie());
    });
    main().Getpictures1Click();
}

// A transfer started before the items loaded reads what it needs itself: every
// selected file arrives, the picture the camera tagged as turned arrives turned.
TEST_F(FileManagerTest, TransferStartedWhileItemsLoadGetsEverySelectedFile) {
    plugInStandardCamera();
    whenListed([this](TForm_filemanager& w) {
        ASSERT_TRUE(w.model().loading());
        w.Button_sel_allClick();
        w.Button_StartTransferClick();
        QStringList received;
        for (const QString& path : w.receivedFiles)
            received << QFileInfo(path).fileName();
        for (const char* name : {"IMG_0003.jpg", "CRW_0004.crw", "IMG_0005.jpg", "MVI_0007.avi"})
            EXPECT_TRUE(received.contains(name))
                << name << " in " << received.join(" ").toStdString();
        const QImage turned(target + "IMG_0003.jpg");
        EXPECT_GT(turned.height(), turned.width()) << "turned the way the camera tagged it";
        waitForItems(w);
        EXPECT_EQ(listed(w), StandardEntries);
    });
    main().Getpictures1Click();
}

// A delete while items load takes what the user selected, no more, and no
// reading of the old list lands on the new one, whose item numbers name
// other items.
TEST_F(FileManagerTest, DeleteWhileItemsLoadRebuildsAListWhoseRecordsMatchTheirEntries) {
    const fixture::CameraFolder camera = fixture::standardCamera(testenv::newFolder("camera"));
    camera.plugIn();
    whenListed([this](TForm_filemanager& w) {
        // The user's choice: items loaded from now on do not join it.
        w.Button_Unselect_allClick();
        fileList(w)->item(0)->setSelected(true);
        EXPECT_TRUE(w.model().loading());
        script.press(mrYes);
        w.Button_DeleteClick();
        waitForItems(w);
        EXPECT_EQ(w.model().entries(),
                  QStringList({"CRW_0004.CRW", "IMG_0005.JPG", "MVI_0007.AVI"}));
        EXPECT_EQ(listed(w), w.model().entries());
        EXPECT_EQ(w.model().records.size(), 2u);
        for (const TJPEGImage& record : w.model().records)
            EXPECT_EQ(record.name, w.model().entries().value(record.itemNumber - 1));
    });
    main().Getpictures1Click();
    EXPECT_FALSE(QFileInfo::exists(camera.volume("CF") + "/DCIM/101CANON/IMG_0003.JPG"));
}

// Closing the window while its items load leaves nothing running: what the
// camera thread still answers finds no window, and the camera keeps no item open.
TEST_F(FileManagerTest, ClosingWhileItemsLoadLeavesNothingBehind) {
    plugInStandardCamera();
    whenListed([](TForm_filemanager& w) { EXPECT_TRUE(w.model().loading()); });
    main().Getpictures1Click();
    cameraThread::Call([] {});
    QCoreApplication::processEvents();
    cdsimOpenCounts counts{};
    cdsimGetOpenCounts(&counts);
    EXPECT_EQ(counts.itemOpens, 0u);
}

TEST_F(FileManagerTest, EnglishFileHoldsEveryTextTheFileManagerReads) {
    TLanguageReadRecorder recorder;
    plugInStandardCamera();
    TSettings().writeString(TSettings::Section, "LabelFileNameData", "$TEXT");
    runFlowA([this](TForm_filemanager& w) {
        makeCurrent(w, "IMG_0005.JPG");
        key(w, Qt::Key_G);
        for (int i = 0; i < 3; ++i)
            key(w, Qt::Key_Left, Qt::ControlModifier);
        makeCurrent(w, "MVI_0007.AVI");
        w.ListBox_Cam_File_NamesDblClick();
        script.press(mrOk);
        w.model().DestinationPath();
        script.then([](const TDialogRequest& request) {
            if (auto* n = qobject_cast<TFormNameSelect*>(request.window))
                n->FormShow();
            return TDialogAnswer{QDialog::Rejected, {}};
        });
        w.Button_SelSubdirFilenameClick();
        script.press(mrOk).then([](const TDialogRequest&) { return TDialogAnswer{mrCancel, {}}; });
        control<QLineEdit>(w, "Edit_DirEdit")->setText("/no/such/folder");
        w.show();
        w.Edit_DirEditExit();
        w.hide();
    });
    TSettings().writeBool(TSettings::Section, "infomsg_filename_format", true);
    main().EditPCSourceDir->setText(
        fixture::standardCamera(testenv::newFolder("card")).volume("CF"));
    script.press(mrYes);
    whenShown([](TForm_filemanager&) {});
    main().Getpicturesfromcomputer1Click();
    qunsetenv("LUMVIK_CAMERA");
    main().Getpictures1->trigger();
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}
