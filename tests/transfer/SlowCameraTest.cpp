// The transfer from a camera as slow as one on USB 2: a big movie moves the
// progress bar while it arrives, and a stop click in its middle ends the
// transfer at once.

#include "CameraFixture.h"
#include "Dlg_Filemanager.h"
#include "TestFiles.h"
#include "TransferFixture.h"
#include "WindowControls.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>

using testenv::control;

namespace {

constexpr qint64 MovieBytes = 20'000'000;

class SlowCameraTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        // A second of movie at this rate: tens of progress steps.
        QFile description(camera + "/camera.ini");
        ASSERT_TRUE(description.open(QIODevice::Append));
        description.write("ReadBytesPerSecond=20000000\nCallLatencyMs=1\n");
        movie = camera + "/CF/DCIM/100CANON/MVI_0099.AVI";
        fixture::writeMovie(movie);
        ASSERT_TRUE(QFile::resize(movie, MovieBytes));
    }

    // Transfers IMG_0001.JPG and then the big movie, handing each value the
    // progress bar takes while the movie is received to duringMovie.
    void transferWatchingMovie(TForm_filemanager& w, const std::function<void(int)>& duringMovie) {
        QObject::connect(control<QProgressBar>(w, "ProgressBar"), &QProgressBar::valueChanged, &w,
                         [&w, duringMovie](int value) {
                             if (w.receivedFiles.size() == 1)
                                 duringMovie(value);
                         });
        transfer(w, {"IMG_0001.JPG", "MVI_0099.AVI"});
    }

    QStringList hiddenLeftovers() const {
        return QDir(target).entryList({".lumvik-*"}, QDir::Files | QDir::Hidden);
    }

    QString movie; // on the card
};

TEST_F(SlowCameraTest, ABigMovieMovesTheProgressBarWhileItArrivesWhole) {
    QSet<int> shown;
    withFileManager([&](TForm_filemanager& w) {
        transferWatchingMovie(w, [&](int value) {
            if (value > 0 && value < 100)
                shown.insert(value);
        });
        EXPECT_EQ(control<QStatusBar>(w, "StatusBar1")->currentMessage(), "All pictures received!");
    });
    EXPECT_GE(shown.size(), 10);
    const QStringList received = receivedTree();
    ASSERT_TRUE(received.contains("MVI_0099.avi")) << received.join(" ").toStdString();
    EXPECT_EQ(testfiles::Read(target + "MVI_0099.avi"), testfiles::Read(movie));
}

TEST_F(SlowCameraTest, AStopClickInTheMiddleOfAMovieEndsAtOnceAndLeavesNoPartOfIt) {
    withFileManager([&](TForm_filemanager& w) {
        auto* button = control<QPushButton>(w, "Button_StartTransfer");
        bool stopped = false;
        transferWatchingMovie(w, [&](int value) {
            if (value >= 10 && !stopped) {
                stopped = true;
                button->click();
            }
        });
        EXPECT_TRUE(stopped);
        EXPECT_EQ(button->text(), w.transferCaption);
        EXPECT_EQ(control<QProgressBar>(w, "ProgressBar")->value(), 0);
        EXPECT_EQ(control<QStatusBar>(w, "StatusBar1")->currentMessage(),
                  "Some picture received. Transfer aborted.");
        EXPECT_EQ(w.receivedFiles, QStringList{target + "IMG_0001.jpg"});
    });
    EXPECT_EQ(receivedTree(), QStringList{"IMG_0001.jpg"});
    EXPECT_EQ(hiddenLeftovers(), QStringList());
    EXPECT_EQ(QFileInfo(movie).size(), MovieBytes) << "the card keeps the movie";
}

} // namespace
