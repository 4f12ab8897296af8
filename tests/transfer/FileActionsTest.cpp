#include "CameraFixture.h"
#include "Dlg_Filemanager.h"
#include "JPEGImage.h"
#include "LanguageCheck.h"
#include "LanguageFile.h"
#include "ReceivedFilesDrag.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TransferFixture.h"
#include "WindowControls.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <optional>

using testenv::control;

TEST_F(TransferTest, DeleteRemovesFromTheLastToTheFirstAndRebuildsTheList) {
    QStringList before;
    withFileManager([&](TForm_filemanager& w) {
        before = w.model().entries();
        const std::size_t records = w.model().records.size();
        select(w, {before[1], before[3]});
        control<QPushButton>(w, "Button_Delete")->click();
        waitForItems(w);
        EXPECT_EQ(w.model().entries().size(), before.size() - 2);
        EXPECT_FALSE(w.model().entries().contains(before[1]));
        EXPECT_FALSE(w.model().entries().contains(before[3]));
        EXPECT_EQ(w.model().records.size(), records - 2);
    });
    EXPECT_TRUE(shownTexts().contains("Are you sure to delete these pictures?\n\n" + before[1] +
                                      "\n" + before[3]));
    const QStringList log = logMessages();
    const auto fourth = log.indexOf("DeletePictures i=4");
    const auto second = log.indexOf("DeletePictures i=2");
    EXPECT_GE(fourth, 0);
    EXPECT_GT(second, fourth);
    EXPECT_GT(log.indexOf("Getting all Thumbnails"), second);
    EXPECT_TRUE(cameraFile("IMG_0002.JPG").isEmpty());
    EXPECT_FALSE(cameraFile("IMG_0001.JPG").isEmpty());
}

TEST_F(TransferTest, DeleteAsksFirstAndNeedsASelection) {
    withFileManager([&](TForm_filemanager& w) {
        script.press(mrNo);
        select(w, {"IMG_0001.JPG"});
        control<QPushButton>(w, "Button_Delete")->click(); // answered No
        select(w, {});
        QTest::keyClick(control<QListWidget>(w, "ListBox_Cam_File_Names"), Qt::Key_Delete);
    });
    EXPECT_FALSE(cameraFile("IMG_0001.JPG").isEmpty());
    EXPECT_TRUE(shownTexts().contains("No pictures selected to delete."));
}

TEST_F(TransferTest, ApplyGivesTheSelectedPicturesTheMemoAsCommentLines) {
    withFileManager([&](TForm_filemanager& w) {
        select(w, {"IMG_0001.JPG", "IMG_0002.JPG", "MVI_0013.AVI"});
        control<QPlainTextEdit>(w, "Memo_Comment")->setPlainText("Summer\nat the lake");
        control<QPushButton>(w, "Button_Apply")->click();
        EXPECT_EQ(recordOf(w, "IMG_0001.JPG")->commentLines,
                  QStringList({"Summer", "at the lake"}));
        EXPECT_EQ(recordOf(w, "IMG_0002.JPG")->commentLines,
                  QStringList({"Summer", "at the lake"}));
        EXPECT_TRUE(recordOf(w, "IMG_0003.JPG")->commentLines.isEmpty());
        select(w, {"IMG_0002.JPG"});
        control<QPlainTextEdit>(w, "Memo_Comment")->clear();
        control<QPushButton>(w, "Button_Apply")->click(); // an empty memo removes the comment
        EXPECT_TRUE(recordOf(w, "IMG_0002.JPG")->commentLines.isEmpty());
        transfer(w, {"IMG_0001.JPG"});
    });
    EXPECT_EQ(JpegComment(testfiles::Read(target + "IMG_0001.jpg")), "Summer\r\nat the lake\r\n");
    // Writing the comment rewrote the file; its date is the picture's again.
    EXPECT_EQ(QFileInfo(target + "IMG_0001.jpg").lastModified(), DemoTakenAt(1));
}

// A card holds 100CANON/IMG_0001.JPG and 101CANON/IMG_0001.JPG once the camera
// restarts its numbering: each keeps its own rotation, comment and key changes.
TEST_F(TransferTest, SameNamesInTwoFoldersKeepTheirOwnRecords) {
    const fixture::CameraFolder card(testenv::newFolder("card"));
    fixture::writePicture(card.volume("CF") + "/DCIM/100CANON/IMG_0001.JPG");
    fixture::writePicture(card.volume("CF") + "/DCIM/101CANON/IMG_0001.JPG",
                          fixture::shotAt("2004:05:09 12:00:00", 6));
    card.plugIn();
    int turned = 0; // the item the camera tagged as turned
    withFileManager([&](TForm_filemanager& w) {
        const TArrayPic& records = w.model().records;
        ASSERT_EQ(records.size(), 2u);
        turned = records[0].rotation() == 90 ? 1 : 2;
        const int plain = 3 - turned;
        EXPECT_EQ(w.model().FindRecord(plain)->rotation(), 0);
        QListWidget* list = control<QListWidget>(w, "ListBox_Cam_File_Names");
        list->clearSelection();
        list->item(plain - 1)->setSelected(true);
        control<QPlainTextEdit>(w, "Memo_Comment")->setPlainText("mine");
        control<QPushButton>(w, "Button_Apply")->click();
        EXPECT_TRUE(w.model().FindRecord(turned)->commentLines.isEmpty());
        list->selectAll();
        control<QPushButton>(w, "Button_StartTransfer")->click();

        list->setCurrentRow(turned - 1);
        QTest::keyClick(list, Qt::Key_G);
        EXPECT_TRUE(w.model().FindRecord(turned)->grayscale());
        EXPECT_FALSE(w.model().FindRecord(plain)->grayscale());
    });
    ASSERT_NE(turned, 0);
    // The first item transferred takes the name, the second the next free one.
    const QString files[] = {target + "IMG_0001.jpg", target + "IMG_0001_1.jpg"};
    const QString turnedFile = files[turned - 1], plainFile = files[2 - turned];
    TJPEGImage picture;
    picture.loadFromFile(turnedFile);
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(48, 64));
    EXPECT_TRUE(JpegComment(testfiles::Read(turnedFile)).isEmpty());
    picture.loadFromFile(plainFile);
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(64, 48)) << "arrives unturned";
    EXPECT_EQ(JpegComment(testfiles::Read(plainFile)), "mine\r\n");
}

TEST_F(TransferTest, CustomProgramIsChosenAmongExecutableFiles) {
    const QString program = testenv::newFolder("bin") + "/viewer";
    testfiles::Write(program, "#!/bin/sh\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString text = testfiles::Write(testenv::newFolder("docs") + "/notes.txt", "x");
    const auto stored = [] {
        return TSettings().readString(TSettings::Section, "UserCustomProgram", "<none>");
    };
    withFileManager([&](TForm_filemanager& w) {
        QAction* item = control<QAction>(w, "Opencustomprogramaftertransfer1");
        select(w, {"IMG_0001.JPG"});
        {
            TDialogScript answers;
            answers.press(mrOk).enter(program);
            item->trigger();
            const QList<TDialogRequest> asked = answers.asked();
            ASSERT_EQ(asked.size(), 2);
            EXPECT_EQ(asked[0].text, "Select your program to start when transfer is done");
            EXPECT_EQ(asked[1].kind, TDialogRequest::OpenFile);
        }
        EXPECT_TRUE(w.selectedIndexes().isEmpty());
        EXPECT_EQ(stored(), program);
        item->trigger(); // unchecking keeps the program
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(stored(), program);
        {
            TDialogScript answers;
            answers.press(mrOk).press(mrCancel);
            item->trigger();
        }
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(stored(), program);
        item->trigger();
        {
            TDialogScript answers;
            answers.press(mrOk).enter(text).press(mrOk);
            item->trigger();
            const QList<TDialogRequest> asked = answers.asked();
            ASSERT_EQ(asked.size(), 3);
            EXPECT_EQ(asked[2].text, text + " is not an executable file.");
        }
        EXPECT_EQ(stored(), program);
        EXPECT_FALSE(control<QAction>(w, "CreateJPEGpreviewforRAWpictures1")->isEnabled());
    });
}

TEST_F(TransferTest, EnglishFileHoldsEveryTextTheTransferReads) {
    TLanguageReadRecorder recorder;
    withFileManager([&](TForm_filemanager& w) {
        control<QAction>(w, "Addtranformationtocomment1")->setChecked(true);
        TJPEGImage* record = recordOf(w, "IMG_0004.JPG");
        record->setScale(TJPEGScale::Quarter);
        record->setGrayscale(true);
        recordOf(w, "IMG_0009.JPG")->setScale(TJPEGScale::Full);
        recordOf(w, "IMG_0005.JPG")->rotateInMemory(180);
        recordOf(w, "IMG_0005.JPG")->setScale(TJPEGScale::Eighth);
        recordOf(w, "IMG_0006.JPG")->setScale(TJPEGScale::Half);
        transfer(w, {"IMG_0004.JPG", "IMG_0005.JPG", "IMG_0006.JPG", "IMG_0009.JPG", "MVI_0013.AVI",
                     "CRW_0026.CRW"});
        transfer(w, {});
        w.model().targetDirectory.clear();
        transfer(w, {"IMG_0001.JPG"});
        w.model().targetDirectory = target + "none/";
        transfer(w, {"IMG_0001.JPG"});
        w.transfer().freeSpace = [](const QString&) { return 0; };
        w.model().targetDirectory = target;
        transfer(w, {"IMG_0001.JPG"});
        control<QAction>(w, "Opencustomprogramaftertransfer1")->trigger();
        control<QPushButton>(w, "Button_StartTransfer")->click();
        QTimer::singleShot(0, &w,
                           [&w] { control<QPushButton>(w, "Button_StartTransfer")->click(); });
        transfer(w, {"IMG_0002.JPG", "IMG_0003.JPG"});
        std::unique_ptr<QMimeData>(w.newDragData());
    });
    EXPECT_TRUE(JpegComment(testfiles::Read(target + "IMG_0004.jpg"))
                    .endsWith("Lumvik picture transformation to Resize: quarter, Gray: true, "
                              "Compression: 90\r\n"));
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

// Deleting runs the window's show step again, which must read every caption
// with its built-in text, not with the picture data it shows at the time.
TEST_F(TransferTest, EnglishFileHoldsEveryTextTheDeleteReads) {
    std::optional<TLanguageReadRecorder> recorder;
    withFileManager([&](TForm_filemanager& w) {
        recorder.emplace();
        select(w, {});
        control<QPushButton>(w, "Button_Delete")->click();
        select(w, {"IMG_0001.JPG"});
        control<QPushButton>(w, "Button_Delete")->click();
    });
    const QStringList keys = {"errormsg_no_pics_to_delete", "infomsg_sure_to_delete_pictures",
                              "statusbar_deleting_picture"};
    const QList<TLanguageRead> reads = recorder->reads();
    for (const QString& key : keys)
        EXPECT_TRUE(std::any_of(reads.begin(), reads.end(), [&](const TLanguageRead& read) {
            return read.key == key;
        })) << key.toStdString();
    languagecheck::ExpectReadsMatchEnglishFile(reads);
}
