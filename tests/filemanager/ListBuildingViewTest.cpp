#include "ListBuildingView.h"
#include "FakeClock.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The window as a log of what reached it, one line per call.
class RecordingWindow : public TFileManagerView {
  public:
    QStringList calls;
    int thumbnailsDrawn = 0;

    void SetStatusText(const QString& text) override { calls << "status " + text; }
    void ClearEntries() override { calls << "clear"; }
    void AddEntry(const QString& text) override { calls << "add " + text; }
    void SetEntrySelected(int index, bool selected) override {
        calls << QString("entry %1 %2").arg(index).arg(selected ? "on" : "off");
    }
    void SelectEntries(const QList<int>& indexes) override {
        QStringList numbers;
        for (int index : indexes)
            numbers << QString::number(index);
        calls << "select " + numbers.join(',');
    }
    void ShowPictureData(const TPictureDataLines& lines) override {
        calls << "panel " + lines.fileSize;
    }
    void ShowThumbnail(const TThumbnail& thumbnail) override {
        calls << QString("thumbnail %1").arg(thumbnail().width());
        ++thumbnailsDrawn;
    }
    void LetMessagesRun() override { calls << "messages"; }

    QStringList take() { return std::exchange(calls, {}); }
};

TThumbnail thumbnailOfWidth(int width) {
    return [width] { return QImage(width, 1, QImage::Format_RGB32); };
}

// One item as the model reads it: its entry, status, panel, thumbnail and
// selection, then the messages.
void readItem(TListBuildingView& view, int index) {
    view.AddEntry(QString("IMG_%1").arg(index));
    view.SetStatusText(QString("item %1").arg(index));
    TPictureDataLines lines;
    lines.fileSize = QString::number(index);
    view.ShowPictureData(lines);
    view.ShowThumbnail(thumbnailOfWidth(index));
    view.SetEntrySelected(index, index % 2 == 0);
    view.LetMessagesRun();
}

TEST(ListBuildingView, PassesEverythingOnAtOnceOutsideListBuilding) {
    TFakeClock clock;
    RecordingWindow window;
    TListBuildingView view(window);
    readItem(view, 0);
    EXPECT_EQ(window.take(), QStringList({"add IMG_0", "status item 0", "panel 0", "thumbnail 0",
                                          "entry 0 on", "messages"}));
}

TEST(ListBuildingView, HandsTheNewestOverAtMostEveryIntervalAndAtTheEnd) {
    TFakeClock clock;
    RecordingWindow window;
    TListBuildingView view(window);
    {
        const TListBuildingView::TBuilding building(view);
        readItem(view, 0); // the first item shows at once
        EXPECT_EQ(window.take(), QStringList({"add IMG_0", "select 0", "status item 0", "panel 0",
                                              "thumbnail 0", "messages"}));
        for (int index = 1; index <= 4; ++index) {
            clock.sleep(30);
            readItem(view, index);
        }
        // 90 ms passed at the third item's messages, 120 ms at the fourth's.
        EXPECT_EQ(window.take(),
                  QStringList({"messages", "messages", "messages", "add IMG_1", "add IMG_2",
                               "add IMG_3", "add IMG_4", "select 2,4", "status item 4", "panel 4",
                               "thumbnail 4", "messages"}));
        readItem(view, 5);
        readItem(view, 6);
        EXPECT_EQ(window.take(), QStringList({"messages", "messages"}));
    }
    // The end hands over what was kept; of the thumbnails only those handed over are drawn.
    EXPECT_EQ(window.take(), QStringList({"add IMG_5", "add IMG_6", "select 6", "status item 6",
                                          "panel 6", "thumbnail 6"}));
    EXPECT_EQ(window.thumbnailsDrawn, 3);
}

TEST(ListBuildingView, AFailedBuildingStillHandsOverAndEntriesOfTheWindowChangeAtOnce) {
    TFakeClock clock;
    RecordingWindow window;
    TListBuildingView view(window);
    view.AddEntry("IMG_0");
    try {
        const TListBuildingView::TBuilding building(view);
        readItem(view, 1);
        window.take();
        readItem(view, 2);
        view.SetEntrySelected(0, true); // already the window's
        throw std::runtime_error("camera gone");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(window.take(), QStringList({"messages", "entry 0 on", "add IMG_2", "select 2",
                                          "status item 2", "panel 2", "thumbnail 2"}));
    view.ClearEntries();
    view.AddEntry("IMG_7");
    view.SetEntrySelected(0, true);
    EXPECT_EQ(window.take(), QStringList({"clear", "add IMG_7", "entry 0 on"}));
}

} // namespace
