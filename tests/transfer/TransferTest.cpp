#include "CameraConnection.h"
#include "Dates.h"
#include "DemoCard.h"
#include "Dlg_Filemanager.h"
#include "Dlg_Preview.h"
#include "FakeClock.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "JPEGImage.h"
#include "PreviewGrid.h"
#include "ReceivedFilesDrag.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TransferFixture.h"
#include "WindowControls.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testenv::control;

namespace {

QDateTime modified(const QString& path) {
    return QFileInfo(path).lastModified();
}

// A program for the after-transfer actions that notes each start in a file.
QString notingProgram(const QString& name, const QString& notes) {
    const QString path = testenv::newFolder("bin-" + name) + "/" + name;
    testfiles::Write(path, ("#!/bin/sh\necho \"$@\" >> '" + notes + "'\n").toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

// The lines noted by such a program, once `count` have arrived (or after 5 s).
void clickCell(TForm_Preview& preview, int cell, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(&preview.grid(), Qt::LeftButton, modifiers,
                      preview.grid().imageRect(cell).center());
}

QStringList notedStarts(const QString& notes, int count) {
    QStringList lines;
    for (int i = 0; i < 500 && lines.size() < count; ++i) {
        QTest::qWait(10);
        lines = QString::fromUtf8(testfiles::Read(notes)).split('\n', Qt::SkipEmptyParts);
    }
    return lines;
}

} // namespace

TEST_F(TransferTest, PictureTaggedRotatedArrivesTurnedWithItsDateAndComment) {
    withFileManager([&](TForm_filemanager& w) {
        control<QAction>(w, "Addtranformationtocomment1")->trigger();
        transfer(w, {"IMG_0004.JPG", "IMG_0005.JPG"});
    });
    const QString turned = target + "IMG_0004.jpg";
    TJPEGImage picture;
    picture.loadFromFile(turned);
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(1200, 1600));
    EXPECT_EQ(OrientationText(turned), "top, left");
    EXPECT_EQ(modified(turned), DemoTakenAt(4));
    EXPECT_EQ(JpegComment(testfiles::Read(turned)),
              "Lumvik rotated picture 90 degrees to the right.\r\n");
    // The upright picture next to it is left as the camera delivered it.
    EXPECT_EQ(testfiles::Read(target + "IMG_0005.jpg"),
              testfiles::Read(cameraFile("IMG_0005.JPG")));
}

TEST_F(TransferTest, HalfSizeGrayReencodeKeepsTheCameraExifBlock) {
    withFileManager([&](TForm_filemanager& w) {
        select(w, {"IMG_0001.JPG"});
        TJPEGImage* record = recordOf(w, "IMG_0001.JPG");
        ASSERT_NE(record, nullptr);
        record->setScale(TJPEGScale::Half);
        record->setGrayscale(true);
        record->setCompressionQuality(75);
        control<QPushButton>(w, "Button_StartTransfer")->click();
    });
    const QStringList shown = shownTexts();
    ASSERT_GE(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("The following pictures will be transformed without lossless"));
    EXPECT_TRUE(shown[0].endsWith("\nIMG_0001.JPG"));
    const QString received = target + "IMG_0001.jpg";
    TJPEGImage picture;
    picture.loadFromFile(received);
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(800, 600));
    EXPECT_TRUE(picture.isGrayscaleJPEG());
    const QByteArray app1 = App1Data(testfiles::Read(received));
    EXPECT_FALSE(app1.isEmpty());
    EXPECT_EQ(app1, App1Data(testfiles::Read(cameraFile("IMG_0001.JPG"))));
    EXPECT_EQ(modified(received), DemoTakenAt(1));
}

TEST_F(TransferTest, NoToTheLossyQuestionReceivesNothingAndStartsNothing) {
    const QString notes = testenv::newFolder("notes") + "/starts";
    TSettings().writeString(TSettings::Section, "UserCustomProgram", notingProgram("prg", notes));
    withFileManager([&](TForm_filemanager& w) {
        script.press(mrNo);
        control<QAction>(w, "Opencustomprogramaftertransfer1")->setChecked(true);
        recordOf(w, "IMG_0002.JPG")->setGrayscale(true);
        transfer(w, {"IMG_0002.JPG"});
        EXPECT_EQ(control<QPushButton>(w, "Button_StartTransfer")->text(), w.transferCaption);
        const QList<TDialogRequest> asked = script.asked();
        EXPECT_EQ(asked.last().buttons, TMsgDlgButtons(mbYes | mbNo));
    });
    EXPECT_TRUE(receivedTree().isEmpty());
    QTest::qWait(200);
    EXPECT_FALSE(QFileInfo::exists(notes));
}

// The camera's seconds are an instant: the .thm of a movie shot in summer
// time gets the movie's own time also while the computer is in winter time.
TEST_F(TransferTest, MovieThumbnailKeepsTheCameraTimeAcrossADaylightSavingChange) {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    uint32_t seconds = 0;
    {
        TFakeClock winter(QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC));
        withFileManager([&](TForm_filemanager& w) {
            transfer(w, {"MVI_0013.AVI"});
            seconds = w.model().currentMovie.shootingTime;
        });
    }
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
    ASSERT_EQ(QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date().month(), 5);
    EXPECT_EQ(modified(target + "MVI_0013.thm").toSecsSinceEpoch(), seconds);
    EXPECT_EQ(modified(target + "MVI_0013.avi").toSecsSinceEpoch(), seconds);
}

// The demo card through libgphoto2's "Directory Browse" driver, real
// libgphoto2 code over the card's folder: the same list, and the files arrive
// byte for byte with their camera dates.
TEST_F(TransferTest, OverLibgphoto2TheCardArrivesByteForByteWithItsDates) {
    qputenv("LUMVIK_CAMERA", ("gphoto2:Directory Browse@disk:" + camera + "/CF").toUtf8());
    QStringList listed;
    withFileManager([&](TForm_filemanager& w) {
        const auto* list = testenv::control<QListWidget>(w, "ListBox_Cam_File_Names");
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        transfer(w, {"MVI_0013.AVI", "IMG_0003.JPG", "IMG_0005.JPG"});
    });
    for (const char* name : {"IMG_0001.JPG", "IMG_0004.JPG", "MVI_0013.AVI", "CRW_0026.CRW"})
        EXPECT_TRUE(listed.contains(name)) << name;
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0003.jpg", "IMG_0003.jpg.wav", "IMG_0005.jpg",
                                           "MVI_0013.avi", "MVI_0013.thm"}));
    for (const auto& [received, original] :
         {std::pair("IMG_0005.jpg", "IMG_0005.JPG"), std::pair("MVI_0013.avi", "MVI_0013.AVI"),
          std::pair("MVI_0013.thm", "MVI_0013.THM"), std::pair("IMG_0003.jpg.wav", "IMG_0003.WAV")})
        EXPECT_EQ(testfiles::Read(target + received), testfiles::Read(cameraFile(original)))
            << received;
    EXPECT_EQ(modified(target + "IMG_0005.jpg"), DemoTakenAt(5));
    EXPECT_EQ(modified(target + "IMG_0003.jpg"), DemoTakenAt(3));
    EXPECT_EQ(modified(target + "MVI_0013.thm"), modified(target + "MVI_0013.avi"));
}

// The movies folder is joined to the name, never glued to it, and without
// one chosen the movies stay in the target directory.
TEST_F(TransferTest, MoviesGoToTheirOwnDirectoryWhenAsked) {
    const QString movies = testenv::newFolder("movies");
    struct Case {
        QString moviesDirectory;
        QString arrivesIn;
    } cases[] = {
        {movies + "/", movies + "/"},
        {movies, movies + "/"},
        {"", target},
    };
    for (const Case& c : cases) {
        QDir(target).removeRecursively();
        QDir(movies).removeRecursively();
        QDir().mkpath(target);
        QDir().mkpath(movies);
        withFileManager([&](TForm_filemanager& w) {
            control<QAction>(w, "Downloadmoviestodirectory1")->setChecked(true);
            w.model().moviesDirectory = c.moviesDirectory;
            transfer(w, {"MVI_0013.AVI", "IMG_0002.JPG"});
        });
        EXPECT_TRUE(QFileInfo::exists(target + "IMG_0002.jpg")) << c.moviesDirectory.toStdString();
        EXPECT_TRUE(QFileInfo::exists(c.arrivesIn + "MVI_0013.avi"))
            << c.moviesDirectory.toStdString();
        EXPECT_TRUE(QFileInfo::exists(c.arrivesIn + "MVI_0013.thm"))
            << c.moviesDirectory.toStdString();
        EXPECT_TRUE(shownTexts().contains("All pictures received!"))
            << c.moviesDirectory.toStdString();
    }
}

// Ticking the option asks for the folder; a cancelled choice leaves it unticked.
TEST_F(TransferTest, TickingMoviesToDirectoryAsksForTheFolder) {
    const QString movies = testenv::newFolder("movies");
    withFileManager([&](TForm_filemanager& w) {
        QAction* option = control<QAction>(w, "Downloadmoviestodirectory1");
        script.enter(movies);
        option->trigger();
        EXPECT_TRUE(option->isChecked());
        EXPECT_EQ(w.model().moviesDirectory, movies + "/");
        option->trigger();
        script.press(mrCancel);
        option->trigger();
        EXPECT_FALSE(option->isChecked());
        transfer(w, {"MVI_0013.AVI"});
    });
    EXPECT_TRUE(QFileInfo::exists(target + "MVI_0013.avi"));
    EXPECT_FALSE(QFileInfo::exists(movies + "/MVI_0013.avi"));
}

// A hand-edited setting outside the list is taken as its nearest entry, so
// a RAW file is never dropped while the transfer reports success.
TEST_F(TransferTest, SavedRawOptionOutsideTheListIsClampedToIt) {
    struct Case {
        int saved;
        int shown;
    } cases[] = {{-3, 0}, {7, 2}, {1, 1}};
    for (const Case& c : cases) {
        TSettings().writeInteger(TSettings::Section, "ComboBox_Raw", c.saved);
        int shown = -1;
        withFileManager([&](TForm_filemanager& w) {
            shown = control<QComboBox>(w, "ComboBox_Raw")->currentIndex();
            transfer(w, {"CRW_0026.CRW"});
        });
        EXPECT_EQ(shown, c.shown) << c.saved;
        EXPECT_TRUE(QFileInfo::exists(target + "CRW_0026.thm")) << c.saved;
        QDir(target).removeRecursively();
        QDir().mkpath(target);
    }
}

TEST_F(TransferTest, ProgressBarFollowsTheBridgeAndEndsAtZero) {
    QList<int> progress;
    withFileManager([&](TForm_filemanager& w) {
        QObject::connect(control<QProgressBar>(w, "ProgressBar"), &QProgressBar::valueChanged, &w,
                         [&](int value) { progress << value; });
        transfer(w, {"IMG_0001.JPG"});
    });
    EXPECT_TRUE(progress.contains(100));
    EXPECT_EQ(progress.value(progress.size() - 1), 0);
}

TEST_F(TransferTest, UserTextIsAskedOnceAndCannotMakeFolders) {
    withFileManager([&](TForm_filemanager& w) {
        w.model().fileNamePattern = "$TEXT";
        script.enter("holiday/2026");
        transfer(w, {"IMG_0001.JPG", "IMG_0002.JPG"});
    });
    EXPECT_EQ(receivedTree(), QStringList({"holiday_2026.jpg", "holiday_2026_1.jpg"}));
    int questions = 0;
    for (const TDialogRequest& request : script.asked())
        questions += request.kind == TDialogRequest::Input;
    EXPECT_EQ(questions, 1);
}

TEST_F(TransferTest, StopClickEndsAtOnceKeepingTheEarlierFilesAndRunsTheActionsTwice) {
    const QString notes = testenv::newFolder("notes") + "/starts";
    const QString bin = QFileInfo(notingProgram("xdg-open", notes)).path();
    qputenv("PATH", (bin + ":" + qgetenv("PATH")).toUtf8());
    withFileManager([&](TForm_filemanager& w) {
        control<QAction>(w, "Openexploreraftertransfer1")->setChecked(true);
        select(w, {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0005.JPG", "IMG_0006.JPG"});
        // The stop click arrives while the second file is about to be
        // received: it does not arrive any more.
        QTimer stopper;
        QObject::connect(&stopper, &QTimer::timeout, &w, [&] {
            if (QString(w.model().currentPicture.fileName) != "IMG_0002.JPG")
                return;
            stopper.stop();
            EXPECT_EQ(control<QPushButton>(w, "Button_StartTransfer")->text(), w.stopCaption);
            EXPECT_FALSE(control<QPushButton>(w, "Button_Delete")->isEnabled());
            control<QPushButton>(w, "Button_StartTransfer")->click();
        });
        stopper.start(0);
        control<QPushButton>(w, "Button_StartTransfer")->click();
        EXPECT_EQ(control<QPushButton>(w, "Button_StartTransfer")->text(), w.transferCaption);
        EXPECT_TRUE(control<QPushButton>(w, "Button_Delete")->isEnabled());
        EXPECT_EQ(control<QStatusBar>(w, "StatusBar1")->currentMessage(),
                  "Some picture received. Transfer aborted.");
        // The stop click did not forget what the transfer had received.
        EXPECT_EQ(w.receivedFiles, QStringList({target + "IMG_0001.jpg"}));
    });
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0001.jpg"}));
    EXPECT_TRUE(shownTexts().contains("Some picture received. Transfer aborted."));
    EXPECT_EQ(notedStarts(notes, 2), QStringList({target, target}));
}

TEST_F(TransferTest, PreviewMarksBecomeTheSelectionAndItsRotationsReachTheTransfer) {
    withFileManager([&](TForm_filemanager& w) {
        select(w, {"IMG_0001.JPG"});
        previewWith([](TForm_Preview& preview) {
            // The cells follow the records: IMG_0001, IMG_0002, ...
            clickCell(preview, 1);
            clickCell(preview, 5, Qt::ControlModifier);
            control<QAction>(preview, "RotateRight901")->trigger();
        });
        control<QPushButton>(w, "Button1")->click();
        const QStringList entries = w.model().entries();
        QStringList selected;
        for (int index : w.selectedIndexes())
            selected << entries[index];
        EXPECT_EQ(selected, QStringList({"IMG_0002.JPG", "IMG_0006.JPG"}));
        control<QPushButton>(w, "Button_StartTransfer")->click();
    });
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0002.jpg", "IMG_0006.jpg"}));
    for (const char* name : {"IMG_0002.jpg", "IMG_0006.jpg"}) {
        TJPEGImage picture;
        picture.loadFromFile(target + name);
        EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(1200, 1600)) << name;
    }
}

TEST_F(TransferTest, ClearTransformationsInThePreviewUndoesTheCameraRotation) {
    withFileManager([&](TForm_filemanager& w) {
        select(w, {"IMG_0004.JPG"});
        previewWith([](TForm_Preview& preview) {
            clickCell(preview, 3); // IMG_0004, tagged as turned
            control<QAction>(preview, "ClearTransformations1")->trigger();
            clickCell(preview, 3);
        });
        control<QPushButton>(w, "Button1")->click();
        EXPECT_EQ(recordOf(w, "IMG_0004.JPG")->rotation(), 0);
        EXPECT_EQ(w.selectedIndexes().size(), 1);
        control<QPushButton>(w, "Button_StartTransfer")->click();
    });
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0004.jpg"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0004.jpg"),
              testfiles::Read(cameraFile("IMG_0004.JPG")));
}

TEST_F(TransferTest, ChecksStopTheTransferWithTheirRangeErrors) {
    struct Case {
        QString targetDirectory;
        QStringList selection;
        qint64 freeBytes; // -1: as the file system says
        QString error;
    };
    const Case cases[] = {
        {"", {"IMG_0001.JPG"}, -1, "You have to select a destination on your computer."},
        {target + "missing/",
         {"IMG_0001.JPG"},
         -1,
         "You have to select a valid computer directory."},
        {target, {}, -1, "No pictures selected to copy."},
        {target, {"IMG_0001.JPG", "IMG_0002.JPG"}, 1000, ""},
    };
    for (const Case& c : cases) {
        qint64 required = 0;
        QStringList texts;
        withFileManager([&](TForm_filemanager& w) {
            TDialogScript boxes;
            w.model().targetDirectory = c.targetDirectory;
            if (c.freeBytes >= 0)
                w.transfer().freeSpace = [&](const QString&) { return c.freeBytes; };
            select(w, c.selection);
            required = w.model().totalSize(w.selectedIndexes());
            control<QPushButton>(w, "Button_StartTransfer")->click();
            EXPECT_EQ(control<QPushButton>(w, "Button_StartTransfer")->text(), w.transferCaption);
            for (const TDialogRequest& request : boxes.asked())
                texts << request.text;
        });
        const QString error =
            c.error.isEmpty()
                ? QString("You do not have enough disk space. Required=%1 bytes,available=1000 "
                          "bytes.")
                      .arg(required)
                : c.error;
        EXPECT_EQ(texts, QStringList({error}));
        EXPECT_TRUE(receivedTree().isEmpty());
    }
}

TEST_F(TransferTest, SubdirectoryThatCannotBeMadeEndsTheTransfer) {
    testfiles::Write(target + "taken", "a file where the folder should be");
    withFileManager([&](TForm_filemanager& w) {
        w.model().subDirPattern = "taken/";
        transfer(w, {"IMG_0001.JPG"});
    });
    EXPECT_TRUE(shownTexts().contains("Could not create directory " + target + "taken."));
    EXPECT_EQ(receivedTree(), QStringList({"taken"}));
}

TEST_F(TransferTest, FailedCommentLeavesThePictureAsTheCameraDeliveredIt) {
    withFileManager([&](TForm_filemanager& w) {
        TJPEGImage* record = recordOf(w, "IMG_0004.JPG");
        ASSERT_NE(record, nullptr);
        record->commentLines = QStringList({QString(70000, 'x')});
        transfer(w, {"IMG_0004.JPG", "IMG_0005.JPG"});
    });
    // The transfer ends at the error; the rotated picture is back as delivered.
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0004.jpg"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0004.jpg"),
              testfiles::Read(cameraFile("IMG_0004.JPG")));
    EXPECT_TRUE(shownTexts().contains("Comment too long for one comment segment."));
}

TEST_F(TransferTest, ExifTextAndReadOnlyFollowTheOptions) {
    withFileManager([&](TForm_filemanager& w) {
        control<QAction>(w, "CreateTXTfilewithEXIFinfo1")->setChecked(true);
        control<QAction>(w, "Setreadonlytotransferedfiles1")->setChecked(true);
        transfer(w, {"IMG_0003.JPG", "MVI_0013.AVI"});
    });
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0003.jpg", "IMG_0003.jpg.wav", "IMG_0003.txt",
                                           "MVI_0013.avi", "MVI_0013.thm"}));
    EXPECT_TRUE(testfiles::Read(target + "IMG_0003.txt").startsWith("File Name: IMG_0003.jpg\r\n"));
    const auto writable = [&](const char* name) {
        return bool(QFile::permissions(target + name) & QFile::WriteOwner);
    };
    EXPECT_FALSE(writable("IMG_0003.jpg"));
    EXPECT_FALSE(writable("MVI_0013.avi"));
    EXPECT_TRUE(writable("IMG_0003.jpg.wav"));
    EXPECT_TRUE(writable("MVI_0013.thm"));
}

TEST_F(TransferTest, AnExistingExifTextFileMakesThePictureTakeAFreeName) {
    testfiles::Write(target + "IMG_0003.txt", "kept");
    withFileManager([&](TForm_filemanager& w) {
        control<QAction>(w, "CreateTXTfilewithEXIFinfo1")->setChecked(true);
        transfer(w, {"IMG_0003.JPG"});
    });
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0003.txt", "IMG_0003_1.jpg", "IMG_0003_1.jpg.wav",
                                           "IMG_0003_1.txt"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0003.txt"), "kept");
    EXPECT_TRUE(
        testfiles::Read(target + "IMG_0003_1.txt").startsWith("File Name: IMG_0003_1.jpg\r\n"));
    EXPECT_TRUE(shownTexts().contains("All pictures received!"));
}

// A file-size limit stands in for a full disk: writes past it fail with
// EFBIG as writes to a full disk fail with ENOSPC.
TEST_F(TransferTest, AFullDiskStopsTheTransferNamingTheCauseAndLeavesNoPartialFile) {
    const qint64 picture = QFileInfo(cameraFile("IMG_0001.JPG")).size();
    const qint64 movie = QFileInfo(cameraFile("MVI_0013.AVI")).size();
    ASSERT_LT(picture, movie);
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    withFileManager([&](TForm_filemanager& w) {
        const rlimit limit{rlim_t(picture + movie / 2), before.rlim_max};
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        transfer(w, {"IMG_0001.JPG", "MVI_0013.AVI", "IMG_0014.JPG"});
        setrlimit(RLIMIT_FSIZE, &before);
        EXPECT_EQ(control<QPushButton>(w, "Button_StartTransfer")->text(), w.transferCaption);
    });
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(shownTexts(),
              QStringList({"No room for " + target +
                           "MVI_0013.avi: the disk is full or takes no file that large. The "
                           "transfer stopped; the files received before it are whole."}));
    EXPECT_EQ(QDir(target).entryList(QDir::Files | QDir::Hidden), QStringList({"IMG_0001.jpg"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0001.jpg"),
              testfiles::Read(cameraFile("IMG_0001.JPG")));
}

// What a transfer killed part way leaves: the picture's bytes so far in the
// temporary file of a process that has ended, nothing under its name. The
// next opening selects the picture again, and its transfer brings it whole.
TEST_F(TransferTest, APictureCutByAKilledTransferIsSelectedAgainAndArrivesWhole) {
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
    const QByteArray whole = testfiles::Read(cameraFile("IMG_0001.JPG"));
    testfiles::Write(target + QString(".lumvik-%1-0.part").arg(ended),
                     whole.left(whole.size() / 2));
    testfiles::Write(target + "IMG_0002.jpg", testfiles::Read(cameraFile("IMG_0002.JPG")));
    QStringList selected;
    withFileManager([&](TForm_filemanager& w) {
        const auto* list = control<QListWidget>(w, "ListBox_Cam_File_Names");
        for (int index : w.selectedIndexes())
            selected << list->item(index)->text();
        transfer(w, {"IMG_0001.JPG"});
    });
    EXPECT_TRUE(selected.contains("IMG_0001.JPG"));
    EXPECT_FALSE(selected.contains("IMG_0002.JPG"));
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0001.jpg", "IMG_0002.jpg"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0001.jpg"), whole);
}

TEST_F(TransferTest, CounterNamesTheNextPictureAndTheFirstRateWaitsASecond) {
    QStringList progress;
    withFileManager([&](TForm_filemanager& w) {
        QObject::connect(control<QStatusBar>(w, "StatusBar1"), &QStatusBar::messageChanged,
                         [&](const QString& text) {
                             if (text.startsWith("Receiving picture"))
                                 progress << text.section(". Time left: ", 0, 0) + " | " +
                                                 text.section(". Transfer rate: ", 1);
                         });
        transfer(w, {"IMG_0001.JPG", "IMG_0002.JPG"});
    });
    // The status names the next picture, of the selected count, with the rate last.
    ASSERT_EQ(progress.size(), 2);
    EXPECT_TRUE(progress[0].startsWith("Receiving picture 2 of 2 | ")) << progress[0].toStdString();
    EXPECT_TRUE(progress[1].startsWith("Receiving picture 3 of 2 | ")) << progress[1].toStdString();
    for (const QString& line : progress)
        EXPECT_TRUE(line.endsWith(" bytes/sec.")) << line.toStdString();
    QStringList counters;
    int firstSeconds = -1;
    for (const QString& line : logMessages()) {
        if (line.startsWith("pictures_received:="))
            counters << line;
        if (line.startsWith("seconds_since_start=") && firstSeconds < 0)
            firstSeconds = line.section('=', 1).toInt();
    }
    EXPECT_EQ(counters, QStringList({"pictures_received:=2", "pictures_received:=3"}));
    EXPECT_GE(firstSeconds, 1);
}

TEST(TransferRateTest, RateAndTimeLeft) {
    const QDateTime start(QDate(2026, 5, 1), QTime(10, 0));
    struct Case {
        qint64 received, total;
        int seconds;
        double rate;
        QString timeLeft;
    } cases[] = {
        {0, 5000, 3, 0, "--"},    // nothing received yet
        {1000, 5000, 0, 0, "--"}, // no time has passed
        // A duration: no time zone, no AM/PM, whatever the system's format.
        {1000, 5000, 2, 500, "00:00:08"},
        {1000, 400000000, 2, 500, "06:13:18"},
        {5000, 5000, 4, 1250, "00:00:00"},
    };
    for (const Case& c : cases) {
        const TTransferRate rate =
            TransferRate(c.received, c.total, start, start.addSecs(c.seconds));
        EXPECT_EQ(rate.seconds, c.seconds);
        EXPECT_DOUBLE_EQ(rate.bytesPerSecond, c.rate);
        EXPECT_EQ(rate.timeLeft, c.timeLeft) << c.received << " " << c.seconds;
    }
}

// The program started with the target directory as its argument, every box answered.
static void commandLineTransfer(TDialogScript& script, const QString& target) {
    TForm_main started(WithFileManagerFlows(WithCameraConnection({}), JoinFileManagerGroup),
                       {target});
    script.then([](const TDialogRequest& request) {
        auto* window = qobject_cast<TForm_filemanager*>(request.window);
        if (window) {
            window->FormShow();
            window->FormActivate();
        }
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    started.FormActivate();
}

TEST_F(TransferTest, CommandLineDirectoryTransfersEveryFile) {
    commandLineTransfer(script, target);
    const QStringList tree = receivedTree();
    // The pictures, a sound note, a movie and a RAW picture with their thumbnails.
    EXPECT_EQ(tree.size(), 24 + 1 + 2 + 2);
    EXPECT_TRUE(tree.contains("MVI_0013.thm"));
    EXPECT_TRUE(tree.contains("CRW_0026.crw"));
}

// A movie cut short before its ".THM" was written, and a RAW file that lost its own.
TEST_F(TransferTest, FilesWithoutThumbnailsAreListedAndTransferred) {
    for (const QString name : {"MVI_0013.THM", "CRW_0026.THM"})
        ASSERT_TRUE(QFile::remove(cameraFile(name)));
    commandLineTransfer(script, target);
    const QStringList tree = receivedTree();
    EXPECT_EQ(tree.size(), 24 + 1 + 1 + 1);
    EXPECT_TRUE(tree.contains("MVI_0013.avi"));
    EXPECT_TRUE(tree.contains("CRW_0026.crw"));
    EXPECT_EQ(testfiles::Read(target + "MVI_0013.avi"),
              testfiles::Read(cameraFile("MVI_0013.AVI")));
    EXPECT_EQ(shownTexts(), QStringList({"All pictures received!"}));
    EXPECT_FALSE(logMessages().filter("No thumbnail for entry").isEmpty());
}

TEST_F(TransferTest, DragOfTheListTransfersWhenTheTargetAsksForTheFiles) {
    withFileManager([&](TForm_filemanager& w) {
        select(w, {"IMG_0001.JPG", "IMG_0003.JPG"});
        std::unique_ptr<QMimeData> data(w.newDragData());
        EXPECT_TRUE(data->hasUrls());
        EXPECT_TRUE(receivedTree().isEmpty()); // nothing moves before the drop
        const QList<QUrl> urls = data->urls();
        EXPECT_EQ(urls, QList<QUrl>({QUrl::fromLocalFile(target + "IMG_0001.jpg"),
                                     QUrl::fromLocalFile(target + "IMG_0003.jpg")}));
        data->urls(); // asked again: no second transfer
    });
    EXPECT_EQ(receivedTree(), QStringList({"IMG_0001.jpg", "IMG_0003.jpg", "IMG_0003.jpg.wav"}));
}
