#include "CameraConnection.h"
#include "CameraFixture.h"
#include "CameraSession.h"
#include "Dlg_Upload.h"
#include "ExifRotation.h"
#include "LanguageCheck.h"
#include "MainWindowFixture.h"
#include "ProgramFolder.h"
#include "QuadrantPictures.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "UploadFit.h"
#include "UploadFlows.h"
#include "WindowControls.h"
#include "cdsdk_simcontrol.h"

#include <QComboBox>
#include <QDirIterator>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QtEndian>
#include <sys/stat.h>

// Test failures show texts as texts.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// The first value of the picture's first quantisation table (the EXIF
// thumbnail's are skipped with its segment): libjpeg scales the luminance
// table's 16 by the quality, so it tells the qualities apart.
int firstQuantizer(const QByteArray& jpeg) {
    for (qsizetype at = 2; at + 5 < jpeg.size();
         at += 2 + qFromBigEndian<quint16>(jpeg.constData() + at + 2)) {
        if (quint8(jpeg[at + 1]) == 0xDB)
            return quint8(jpeg[at + 5]);
    }
    return -1;
}

// Where each quadrant of a landscape picture of size picture lands in target.
struct TFitted {
    QSize target;
    QSize picture;
    QColor quadrants[4]; // top left, top right, bottom left, bottom right
};

void expectFitted(const QString& file, const TFitted& fitted) {
    const QImage stored(file);
    ASSERT_EQ(stored.size(), fitted.target) << file.toStdString();
    const QRect place = FitPlacement(fitted.picture, fitted.target);
    const int x = place.x(), y = place.y(), w = place.width(), h = place.height();
    const QPoint centres[4] = {{x + w / 4, y + h / 4},
                               {x + 3 * w / 4, y + h / 4},
                               {x + w / 4, y + 3 * h / 4},
                               {x + 3 * w / 4, y + 3 * h / 4}};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(NearColour(stored.pixelColor(centres[i]), fitted.quadrants[i]))
            << file.toStdString() << " quadrant " << i;
    // The borders outside the placement, a few pixels off its edges.
    QList<QPoint> borders;
    if (y >= 4)
        borders.append({fitted.target.width() / 2, y - 4});
    if (y + h + 4 < fitted.target.height())
        borders.append({fitted.target.width() / 2, y + h + 3});
    if (x >= 4)
        borders.append({x - 4, y + h / 2});
    for (const QPoint border : borders)
        EXPECT_TRUE(NearColour(stored.pixelColor(border), Qt::black))
            << file.toStdString() << " at " << border.x() << "," << border.y();
}

class UploadWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        TSettings settings;
        settings.writeString(TSettings::Section, "language", "english");
        settings.writeInteger(TSettings::Section, "USBSelected", 1);
        pictures = testenv::newFolder("pictures");
    }
    void TearDown() override {
        main_.reset();
        cdsimReset();
    }

    // A camera on volume "CF" with the description keys given.
    void plugIn(const QString& keys) {
        fixture::CameraFolder camera(testenv::newFolder("camera"));
        card = camera.volume("CF");
        camera.offer(keys);
        camera.plugIn();
    }

    TForm_main& main() {
        if (!main_)
            main_ = std::make_unique<TForm_main>(WithUploadFlows(WithCameraConnection({})));
        return *main_;
    }

    // Runs flow D with body in place of the user once the window is shown.
    void runFlowD(std::function<void(TFormUpload&)> body) {
        script.then([body](const TDialogRequest& request) {
            auto* window = qobject_cast<TFormUpload*>(request.window);
            EXPECT_NE(window, nullptr) << "the flow showed " << request.caption.toStdString();
            if (window) {
                window->FormShow();
                body(*window);
            }
            return TDialogAnswer{QDialog::Accepted, {}};
        });
        main().Uploadpictures1->trigger();
    }

    QString picture(const QString& name, QSize size, int orientation = 0) const {
        return WriteQuadrantPicture(pictures + "/" + name, size, orientation);
    }

    // The card's pictures, by name.
    QStringList cardPictures() const {
        QStringList found;
        QDirIterator it(card, {"*.JPG"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            found.append(it.next());
        found.sort();
        return found;
    }

    static void drop(TFormUpload& window, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        // A drop reaches the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
    }
    static void drop(TFormUpload& window, const QStringList& files) {
        QList<QUrl> urls;
        for (const QString& file : files)
            urls.append(QUrl::fromLocalFile(file));
        drop(window, urls);
    }
    static QStringList listed(TFormUpload& window) {
        QStringList entries;
        const auto* list = testenv::control<QListWidget>(window, "ListBoxFiles");
        for (int i = 0; i < list->count(); ++i)
            entries.append(list->item(i)->text());
        return entries;
    }
    static void choose(TFormUpload& window, int size, int quality) {
        testenv::control<QComboBox>(window, "ComboBoxSize")->setCurrentIndex(size);
        testenv::control<QComboBox>(window, "ComboBoxQuality")->setCurrentIndex(quality);
    }
    static void upload(TFormUpload& window) {
        testenv::control<QPushButton>(window, "ButtonUpload")->click();
    }
    QStringList messages() const { return MessageTexts(script); }
    // The problem box, then the application's error box with the error itself.
    void expectProblemBoxThen(const QString& error) const {
        const QStringList shown = messages();
        ASSERT_EQ(shown.size(), 2);
        EXPECT_TRUE(shown[0].startsWith("Problems when uploading pictures."));
        EXPECT_EQ(shown[1], error);
    }
    static bool workFileExists() { return QFileInfo::exists(ProgramFile("rgb_file.dta")); }

    QString pictures;
    QString card;

  private:
    std::unique_ptr<TForm_main> main_;
};

TEST_F(UploadWindowTest, PicturesArriveUprightFittedAtTheChosenSizeAndQuality) {
    plugIn("Upload=1\nUploadSizes=320x240,160x120\n");
    const QStringList files = {picture("landscape.jpg", {301, 151}),
                               picture("portrait.jpg", {151, 301}),
                               // A portrait as a camera turned it: stored landscape, shown upright.
                               picture("turned.jpg", {301, 151}, 6)};
    const struct {
        int sizeIndex;
        QSize size;
        int quality;
        int quantizer; // of the camera's JPEG quality for that index
    } runs[] = {{0, {320, 240}, 3, 2}, {1, {160, 120}, 0, 16}};
    QStringList before;
    for (const auto& run : runs) {
        runFlowD([&](TFormUpload& window) {
            choose(window, run.sizeIndex, run.quality);
            drop(window, files);
            upload(window);
            EXPECT_EQ(testenv::control<QProgressBar>(window, "ProgressBar")->value(), 100);
            EXPECT_EQ(testenv::control<QStatusBar>(window, "StatusBar")->currentMessage(),
                      "Uploads picture 3 of 3");
            EXPECT_TRUE(testenv::control<QPushButton>(window, "ButtonUpload")->isEnabled());
            EXPECT_TRUE(testenv::control<QPushButton>(window, "BitBtnClose")->isEnabled());
        });
        EXPECT_EQ(messages().last(), "All pictures uploaded");
        EXPECT_FALSE(workFileExists());
        const QStringList now = cardPictures();
        ASSERT_EQ(now.size(), before.size() + 3);
        const QStringList added = now.mid(before.size());
        before = now;
        // Turned counter-clockwise, the portrait's left half lies below.
        const QColor red = Qt::red, green = Qt::green, blue = Qt::blue, white = Qt::white;
        expectFitted(added[0], {run.size, {301, 151}, {red, green, blue, white}});
        expectFitted(added[1], {run.size, {301, 151}, {green, white, red, blue}});
        expectFitted(added[2], {run.size, {301, 151}, {red, green, blue, white}});
        const int orientations[] = {1, 6, 6};
        for (int i = 0; i < 3; ++i) {
            const QByteArray bytes = testfiles::Read(added[i]);
            EXPECT_EQ(ExifOrientation(bytes), orientations[i]) << added[i].toStdString();
            EXPECT_EQ(firstQuantizer(bytes), run.quantizer) << added[i].toStdString();
        }
    }
}

TEST_F(UploadWindowTest, AFileThatIsNoReadableJpegIsSkippedByNameAndTheOthersArrive) {
    plugIn("Upload=1\nUploadSizes=160x120\n");
    const QString notes = testfiles::Write(pictures + "/notes.jpg", "not a picture at all");
    const QString cut = testfiles::Write(pictures + "/cut.jpg",
                                         testfiles::Read(picture("whole.jpg", {64, 48})).left(40));
    // A FIFO dropped in a picture's place is skipped, not waited on.
    const QString fifo = pictures + "/fifo.jpg";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QStringList files = {picture("first.jpg", {64, 48}), notes, cut, pictures + "/gone.jpg",
                               fifo, picture("last.jpg", {48, 64})};
    runFlowD([&](TFormUpload& window) {
        drop(window, files);
        upload(window);
    });
    EXPECT_EQ(cardPictures().size(), 2);
    EXPECT_FALSE(workFileExists());
    ASSERT_FALSE(script.asked().isEmpty());
    const TDialogRequest& last = script.asked().last();
    EXPECT_EQ(last.type, mtWarning);
    EXPECT_TRUE(last.text.startsWith("The other pictures were uploaded. These files were not, "
                                     "because they are not JPEG pictures that can be read:\n"))
        << last.text.toStdString();
    for (const QString& skipped : {notes, cut, pictures + "/gone.jpg", fifo})
        EXPECT_TRUE(last.text.contains("\n" + skipped + " (")) << skipped.toStdString();
    EXPECT_FALSE(messages().contains("All pictures uploaded"));
}

TEST_F(UploadWindowTest, ACameraFailureEndsTheUploadWithTheProblemBoxAndTheCamerasError) {
    plugIn("Upload=1\nUploadSizes=160x120\n");
    cdsimFailCall("CDAddPicture", 2, 0x99);
    const QStringList files = {picture("a.jpg", {64, 48}), picture("b.jpg", {64, 48}),
                               picture("c.jpg", {64, 48})};
    runFlowD([&](TFormUpload& window) {
        drop(window, files);
        upload(window);
        EXPECT_TRUE(testenv::control<QPushButton>(window, "ButtonUpload")->isEnabled());
        EXPECT_TRUE(testenv::control<QComboBox>(window, "ComboBoxSize")->isEnabled());
    });
    // The picture before the failure stays; the ones after it are not sent.
    EXPECT_EQ(cardPictures().size(), 1);
    EXPECT_FALSE(workFileExists());
    expectProblemBoxThen("Canon drivers error. Errorcode 0x00000099, function tsUploadPicture.");
}

TEST_F(UploadWindowTest, ACameraWithoutSizesFailsWithTheProblemBox) {
    plugIn("Upload=1\nUploadSizes=\n");
    runFlowD([&](TFormUpload& window) {
        EXPECT_EQ(testenv::control<QComboBox>(window, "ComboBoxSize")->count(), 0);
        drop(window, QStringList{picture("a.jpg", {64, 48})});
        upload(window);
    });
    EXPECT_TRUE(cardPictures().isEmpty());
    expectProblemBoxThen("The camera offers no picture size to upload at.");
}

TEST_F(UploadWindowTest, AnEmptyListOnlySaysSo) {
    plugIn("Upload=1\n");
    runFlowD([&](TFormUpload& window) { upload(window); });
    EXPECT_EQ(messages(), QStringList{"There are no files to upload"});
    EXPECT_EQ(script.asked().last().type, mtInformation);
}

TEST_F(UploadWindowTest, ACameraWithoutUploadGetsAMessageInsteadOfTheWindow) {
    // One camera says no; the other does not even know the question.
    for (const QString keys : {"Upload=0\n", ""}) {
        plugIn(keys);
        const qsizetype asked = script.asked().size();
        main().Uploadpictures1->trigger();
        const QList<TDialogRequest> requests = script.asked().mid(asked);
        ASSERT_EQ(requests.size(), 1) << keys.toStdString();
        EXPECT_EQ(requests[0].kind, TDialogRequest::Message);
        EXPECT_EQ(requests[0].type, mtInformation);
        EXPECT_EQ(requests[0].text, "This camera does not take pictures from the computer");
        EXPECT_FALSE(main().session().connected());
    }
}

// The first show takes the choices stored when remote control shared them.
TEST_F(UploadWindowTest, EachShowListsTheCamerasSizesAndTheStoredChoices) {
    plugIn("Upload=1\nUploadSizes=320x240,160x120,80x60\n");
    storeSetting("ComboBoxSize", "2");
    storeSetting("ComboBoxQuality", "1");
    runFlowD([&](TFormUpload& window) {
        const auto* sizes = testenv::control<QComboBox>(window, "ComboBoxSize");
        const auto* quality = testenv::control<QComboBox>(window, "ComboBoxQuality");
        ASSERT_EQ(sizes->count(), 3);
        EXPECT_EQ(sizes->itemText(0), "320x240");
        EXPECT_EQ(sizes->itemText(2), "80x60");
        EXPECT_EQ(sizes->currentIndex(), 2);
        EXPECT_EQ(quality->currentIndex(), 1);
        EXPECT_EQ(quality->itemText(3), "Very high");
        // A second show starts with an empty list and the same sizes.
        drop(window, QStringList{picture("a.jpg", {64, 48})});
        window.FormShow();
        EXPECT_TRUE(listed(window).isEmpty());
        EXPECT_EQ(sizes->count(), 3);
        choose(window, 0, 3);
        testenv::control<QPushButton>(window, "BitBtnClose")->click();
        window.resize(500, 400);
    });
    // The choices are this window's own: remote control's stay as they were.
    EXPECT_EQ(storedSetting("UploadComboBoxSize"), "0");
    EXPECT_EQ(storedSetting("UploadComboBoxQuality"), "3");
    EXPECT_EQ(storedSetting("ComboBoxSize"), "2");
    EXPECT_EQ(storedSetting("ComboBoxQuality"), "1");
    EXPECT_EQ(storedSetting("FormUploadWidth"), "500");
    EXPECT_EQ(storedSetting("FormUploadHeight"), "400");
    // A stored index the camera's list does not reach selects nothing.
    storeSetting("UploadComboBoxSize", "3");
    runFlowD([&](TFormUpload& window) {
        EXPECT_EQ(testenv::control<QComboBox>(window, "ComboBoxSize")->currentIndex(), -1);
        EXPECT_EQ(window.size(), QSize(500, 400));
    });
}

TEST_F(UploadWindowTest, FilesJoinByDialogAndByDropAndTheDeleteKeyRemovesTheSelected) {
    plugIn("Upload=1\n");
    runFlowD([&](TFormUpload& window) {
        script.then([](const TDialogRequest& request) {
            EXPECT_EQ(request.kind, TDialogRequest::OpenFiles);
            return TDialogAnswer{mrOk, {}, {"/p/b.jpg", "/p/a.jpg"}};
        });
        testenv::control<QPushButton>(window, "ButtonAddFiles")->click();
        drop(window, {QUrl::fromLocalFile("/p/c.jpg"), QUrl("https://example.org/d.jpg"),
                      QUrl::fromLocalFile("/p/e.jpg")});
        EXPECT_EQ(listed(window), (QStringList{"/p/b.jpg", "/p/a.jpg", "/p/c.jpg", "/p/e.jpg"}));
        auto* list = testenv::control<QListWidget>(window, "ListBoxFiles");
        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        QTest::keyClick(list, Qt::Key_Delete);
        EXPECT_EQ(listed(window), (QStringList{"/p/a.jpg", "/p/e.jpg"}));
    });
}

TEST_F(UploadWindowTest, EveryTextComesFromTheEnglishFile) {
    TLanguageReadRecorder recorder;
    plugIn("Upload=1\nUploadSizes=160x120\n");
    runFlowD([&](TFormUpload& window) {
        upload(window);
        drop(window, QStringList{picture("a.jpg", {64, 48}),
                                 testfiles::Write(pictures + "/b.jpg", "words")});
        upload(window);
    });
    plugIn("Upload=0\n");
    main().Uploadpictures1->trigger();
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

} // namespace
