#include "DemoCard.h"
#include "Dialogs.h"
#include "Dlg_Preview.h"
#include "FakeServices.h"
#include "LanguageCheck.h"
#include "LanguageFile.h"
#include "Log.h"
#include "PreviewGrid.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestLog.h"
#include "WindowControls.h"

#include <QAction>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using testenv::control;

namespace {

// Records of n camera pictures with 160x120 thumbnails, item numbers 2, 4, ...
TArrayPic makeRecords(int n) {
    const QString thumbnail = testenv::newFolder("thumbs") + "/thumbnail.jpg";
    TArrayPic records;
    for (int i = 0; i < n; ++i) {
        testfiles::Write(
            thumbnail, DemoJpeg(DemoShotAt(100, i + 1, QDateTime::currentDateTime(), {160, 120})));
        records.push_back(NewPictureRecord(thumbnail, 2 * (i + 1),
                                           QString("IMG_%1.JPG").arg(i + 1, 4, 10, QChar('0')),
                                           1600, 1200, 1024 * 700 + i));
    }
    return records;
}

QString marks(const TArrayPic& records) {
    QString text;
    for (const TJPEGImage& record : records)
        text += record.selected ? 'x' : '.';
    return text;
}

class PreviewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        languagecheck::InstallShippedLanguages();
        TDebugLog::instance().create(LogPath());
    }
    void TearDown() override { TDebugLog::instance().close(); }

    void open(int n, int width = 532) {
        records = makeRecords(n);
        TSettings().writeInteger(TSettings::Section, "Form_Preview.Width", width);
        window = std::make_unique<TForm_Preview>(services, records,
                                                 [this](int item) { reloaded << item; });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_EQ(grid().count(), n);
    }

    TPreviewGrid& grid() { return window->grid(); }

    void click(int cell, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&grid(), button, modifiers, grid().imageRect(cell).center());
    }

    // The cell's thumbnail square as painted.
    QImage shownImage(int cell) { return grid().grab(grid().imageRect(cell)).toImage(); }

    // The colour behind the label's first line, which is shorter than its second.
    QColor labelColour(int cell) {
        const QRect label = grid().labelRect(cell);
        return grid().grab(label).toImage().pixelColor(label.width() - 1, 0);
    }

    TFakeServices services;
    TArrayPic records;
    QList<int> reloaded;
    std::unique_ptr<TForm_Preview> window;
    TDialogScript script;
};

} // namespace

TEST_F(PreviewTest, CellsFillRowsOfAsManyColumnsAsTheWindowWidthHolds) {
    struct Case {
        int width;
        QPoint cell4; // where the fifth cell's image lands
    } cases[] = {
        {532, {171, 197}},       // three columns
        {700, {1, 197}},         // four columns
        {150, {1, 4 * 196 + 1}}, // narrower than a cell: still one column from the top
    };
    for (const Case& c : cases) {
        open(5, c.width);
        EXPECT_EQ(window->width(), c.width);
        EXPECT_EQ(grid().imageRect(4), QRect(c.cell4, QSize(160, 160))) << c.width;
        EXPECT_EQ(grid().frameRect(4), QRect(c.cell4, QSize(160, 194))) << c.width;
        EXPECT_EQ(grid().labelRect(4).topLeft(), c.cell4 + QPoint(2, 159)) << c.width;
        EXPECT_EQ(grid().labelText(4), "IMG_0005.JPG\n1600x1200 700 kB");
        // A press on the image is a press on that cell.
        click(4);
        EXPECT_EQ(marks(records).toStdString(), "....x") << c.width;
        window.reset();
    }
}

TEST_F(PreviewTest, ResizingRecoloursAndFollowsTheColumnCount) {
    open(4, 532);
    EXPECT_EQ(labelColour(3), QColor(Qt::white));
    records[3].selected = true;
    window->resize(520, 480); // still three columns
    EXPECT_EQ(grid().imageRect(3).topLeft(), QPoint(1, 197));
    EXPECT_EQ(labelColour(3), QColor(0, 255, 0));
    window->resize(700, 480); // four columns
    EXPECT_EQ(grid().imageRect(3).topLeft(), QPoint(511, 1));
}

TEST_F(PreviewTest, MouseAndKeysMarkCells) {
    struct Step {
        int cell; // -1: Ctrl+A; -2: a click on the window between the cells
        Qt::KeyboardModifiers modifiers;
        const char* marks;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{3, Qt::ShiftModifier, "xxxx.."}}, // no anchor yet: from the first cell
        {{2, {}, "..x..."}, {4, {}, "....x."}, {1, Qt::ShiftModifier, ".xxxx."}},
        {{4, {}, "....x."}, {1, Qt::ShiftModifier, ".xxxx."}, {5, Qt::ShiftModifier, "....xx"}},
        {{1, {}, ".x...."},
         {3, Qt::ControlModifier, ".x.x.."},
         {1, Qt::ControlModifier, "...x.."},
         {5, Qt::ShiftModifier | Qt::ControlModifier, ".xxxxx"}}, // Ctrl moved the anchor
        {{-1, {}, "xxxxxx"}, {-2, {}, "......"}},
    };
    for (const auto& sequence : sequences) {
        open(6, 900);
        for (const Step& step : sequence) {
            if (step.cell == -1)
                QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
            else if (step.cell == -2)
                QTest::mouseClick(&grid(), Qt::LeftButton, {},
                                  QPoint(165, 50)); // between the first two cells
            else
                click(step.cell, step.modifiers);
            EXPECT_EQ(marks(records).toStdString(), step.marks);
        }
        for (std::size_t i = 0; i < records.size(); ++i)
            EXPECT_EQ(labelColour(int(i)),
                      records[i].selected ? QColor(0, 255, 0) : QColor(Qt::white));
        window.reset();
    }
}

TEST_F(PreviewTest, RightButtonAndClicksOnALabelOrFrameLeaveTheMarks) {
    open(3);
    click(1);
    click(2, {}, Qt::RightButton);
    QTest::mouseClick(&grid(), Qt::LeftButton, {}, grid().labelRect(0).center());
    QTest::mouseClick(&grid(), Qt::LeftButton, {}, grid().frameRect(0).bottomRight());
    EXPECT_EQ(marks(records).toStdString(), ".x.");
}

TEST_F(PreviewTest, RotationsTurnTheMarkedThumbnailsAndAddUp) {
    open(3);
    click(0);
    click(2, Qt::ControlModifier);
    control<QAction>(*window, "RotateRight901")->trigger();
    control<QAction>(*window, "RotateRight901")->trigger();
    control<QAction>(*window, "RotateLeft901")->trigger();
    EXPECT_EQ(records[0].rotation(), 90);
    EXPECT_EQ(records[1].rotation(), 0);
    EXPECT_EQ(records[2].rotation(), 90);
    // The thumbnail itself is turned, and the cell shows it so.
    EXPECT_EQ(records[2].bitmap().size(), QSize(120, 160));
    EXPECT_EQ(shownImage(2).pixelColor(130, 10), QColor(Qt::white));
    EXPECT_NE(shownImage(2).pixelColor(10, 130), QColor(Qt::white));
    EXPECT_EQ(shownImage(1).pixelColor(10, 130), QColor(Qt::white));
    control<QAction>(*window, "Rotate1801")->trigger();
    EXPECT_EQ(records[0].rotation(), 270);
    EXPECT_FALSE(records[0].modified());
    EXPECT_TRUE(testlog::Messages().contains("Entering TForm_Preview.Rotate. Degrees=270"));
    EXPECT_TRUE(testlog::Messages().contains("Rotates picture 2"));
    EXPECT_TRUE(testlog::Messages().contains("Assigns picture 2"));
}

TEST_F(PreviewTest, GrayAndResizeChangeOnlyTheMarkedRecords) {
    open(3);
    click(1);
    control<QAction>(*window, "ConvertToGray1")->trigger();
    control<QAction>(*window, "ResizeToQuarter1")->trigger();
    EXPECT_TRUE(records[1].grayscale());
    EXPECT_EQ(records[1].scale(), TJPEGScale::Quarter);
    EXPECT_TRUE(records[1].modified());
    EXPECT_FALSE(records[0].modified());
    EXPECT_FALSE(records[2].grayscale());
    // The cell shows the thumbnail at a quarter of its size.
    const QImage shown = shownImage(1);
    EXPECT_NE(shown.pixelColor(30, 20), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(45, 35), QColor(Qt::white));
    // Back to full size is again a change; the same size is not.
    control<QAction>(*window, "ResizeToFull1")->trigger();
    EXPECT_EQ(records[1].scale(), TJPEGScale::Full);
    click(0);
    control<QAction>(*window, "ResizeToFull1")->trigger();
    EXPECT_FALSE(records[0].modified());
}

TEST_F(PreviewTest, CompressionQualityGoesToEveryMarkedRecord) {
    struct Case {
        const char* answer;
        int quality; // of the marked records afterwards
        const char* error;
    } cases[] = {
        {"75", 75, nullptr},
        {" 100", 100, nullptr},
        {"", 90, nullptr},
        {"7x", 90, "'7x' is not a valid integer value."},
        {"0", 90, "Compression quality 0 is not between 1 and 100."},
        {"101", 90, "Compression quality 101 is not between 1 and 100."},
    };
    for (const Case& c : cases) {
        open(3);
        click(0);
        click(2, Qt::ControlModifier);
        TDialogScript answers;
        answers.enter(c.answer).press(mrOk);
        control<QAction>(*window, "Compression1")->trigger();
        const QList<TDialogRequest> asked = answers.asked();
        ASSERT_GE(asked.size(), 1);
        EXPECT_EQ(asked[0].caption, "Compression");
        EXPECT_EQ(asked[0].text, "Compression quality 1..100 (100 = best)");
        EXPECT_EQ(records[0].compressionQuality(), c.quality) << c.answer;
        EXPECT_EQ(records[2].compressionQuality(), c.quality) << c.answer;
        EXPECT_EQ(records[1].compressionQuality(), 90);
        EXPECT_EQ(records[0].modified(), c.quality != 90) << c.answer;
        EXPECT_EQ(asked.size(), c.error ? 2 : 1) << c.answer;
        if (c.error && asked.size() == 2) {
            EXPECT_EQ(asked[1].text, c.error);
        }
        window.reset();
    }
}

TEST_F(PreviewTest, AddCommentAppendsOneLineToEveryMarkedRecord) {
    open(3);
    click(1);
    click(2, Qt::ShiftModifier);
    script.enter("Summer").enter("").press(mrCancel);
    control<QAction>(*window, "AddComment1")->trigger();
    control<QAction>(*window, "AddComment1")->trigger(); // an empty answer is a line too
    control<QAction>(*window, "AddComment1")->trigger(); // Cancel adds nothing
    EXPECT_EQ(records[1].commentLines, QStringList({"Summer", ""}));
    EXPECT_EQ(records[2].commentLines, QStringList({"Summer", ""}));
    EXPECT_TRUE(records[0].commentLines.isEmpty());
    EXPECT_EQ(script.asked()[0].caption, "Add comment to pictures");
    EXPECT_EQ(script.asked()[0].text, "Your comment:");
    EXPECT_TRUE(testlog::Messages().contains("Comment added=Summer"));
}

TEST_F(PreviewTest, ClearTransformationsReloadsEveryMarkedPicture) {
    open(4);
    click(1);
    click(3, Qt::ControlModifier);
    control<QAction>(*window, "ClearTransformations1")->trigger();
    EXPECT_EQ(reloaded, QList<int>({4, 8}));
}

TEST_F(PreviewTest, CellsAreRebuiltAtEveryActivationFromTheRecords) {
    open(2);
    EXPECT_NE(shownImage(0).pixelColor(150, 110), QColor(Qt::white));
    records.push_back(records[1]);
    records[0].setScale(TJPEGScale::Eighth); // changed behind the window's back
    window->hide();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(grid().count(), 3);
    EXPECT_EQ(grid().columns(), 3) << "the second showing keeps the columns";
    EXPECT_EQ(grid().labelText(2), "IMG_0002.JPG\n1600x1200 700 kB");
    EXPECT_EQ(shownImage(0).pixelColor(150, 110), QColor(Qt::white));
}

TEST_F(PreviewTest, EscapeAndTheCloseButtonCloseTheWindow) {
    for (const bool byKey : {true, false}) {
        open(2);
        if (byKey)
            QTest::keyClick(window.get(), Qt::Key_Escape);
        else
            control<QPushButton>(*window, "ButtonClose")->click();
        EXPECT_FALSE(window->isVisible()) << (byKey ? "Escape" : "Close");
        window.reset();
    }
}

TEST_F(PreviewTest, OnlyTheCellsInSightAreDecoded) {
    open(60);
    const auto decodes = [] { return testlog::Messages().count("Assigns the bitmap"); };
    QCoreApplication::processEvents();
    grid().repaint();
    const int shown = decodes();
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 20);
    grid().repaint(); // drawn again from what was decoded
    EXPECT_EQ(decodes(), shown);
    auto* area = window->findChild<QScrollArea*>();
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    area->viewport()->repaint();
    EXPECT_GT(decodes(), shown);
    EXPECT_LT(decodes(), 2 * shown + 4);
}

TEST_F(PreviewTest, WindowSizeIsRestoredAtTheFirstShowAndStoredAtTheEnd) {
    TSettings().writeInteger(TSettings::Section, "Form_Preview.Height", 300);
    open(1, 400);
    EXPECT_EQ(window->size(), QSize(400, 300));
    window->resize(610, 333);
    window.reset();
    EXPECT_EQ(TSettings().readInteger(TSettings::Section, "Form_Preview.Width", 0), 610);
    EXPECT_EQ(TSettings().readInteger(TSettings::Section, "Form_Preview.Height", 0), 333);
}

TEST_F(PreviewTest, EnglishFileHoldsEveryTextThePreviewReads) {
    TLanguageReadRecorder recorder;
    open(1);
    click(0);
    script.enter("80");
    control<QAction>(*window, "Compression1")->trigger();
    EXPECT_EQ(window->windowTitle(), "Preview all pictures");
    EXPECT_EQ(control<QAction>(*window, "RotateRight901")->text(),
              QString::fromUtf8("Rotate right 90°"));
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}
