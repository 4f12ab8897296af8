#pragma once
// The file manager model shows every item it reads: the status text, the
// picture data panel, the thumbnail and the new list entry. While the list of
// a card is built, laying out and repainting the window for each of thousands
// of items would cost far more than reading them, so this view stands between
// the model and the window. Outside list building it passes everything on at
// once. During it, it keeps the newest status, panel and thumbnail and the new
// entries with their selection, and hands them to the window at most every
// 100 ms of the clock in use, and once more at the end; the window's pending
// messages still run at every item, so it answers the user meanwhile.

#include "FileManagerModel.h"

#include <QDateTime>
#include <optional>
#include <vector>

class TListBuildingView : public TFileManagerView {
  public:
    static constexpr int HandOverMilliseconds = 100;

    explicit TListBuildingView(TFileManagerView& window);

    // Brackets a list building; ending it hands over what is still kept,
    // also when the building failed.
    class TBuilding {
      public:
        explicit TBuilding(TListBuildingView& view);
        ~TBuilding();
        TBuilding(const TBuilding&) = delete;
        TBuilding& operator=(const TBuilding&) = delete;

      private:
        TListBuildingView& view_;
    };

    void SetStatusText(const QString& text) override;
    void ClearEntries() override;
    void AddEntry(const QString& text) override;
    void SetEntryText(int index, const QString& text) override;
    // Marks come from loaded items, after the building has shown every entry.
    void MarkEntryTransferred(int index) override { window_.MarkEntryTransferred(index); }
    void SetEntrySelected(int index, bool selected) override;
    void SelectEntries(const QList<int>& indexes) override;
    void ShowPictureData(const TPictureDataLines& lines) override;
    void ShowThumbnail(const TThumbnail& thumbnail) override;
    // Hands over what is kept when it is due, then lets the messages run.
    void LetMessagesRun() override;

  private:
    bool handOverDue();
    void handOver();

    TFileManagerView& window_;
    bool building_ = false;
    QDateTime lastHandOver_;
    int windowEntries_ = 0; // the entries the window has
    std::optional<QString> status_;
    std::optional<TPictureDataLines> lines_;
    TThumbnail thumbnail_;
    QStringList entries_;        // added after the window's entries
    std::vector<bool> selected_; // one per kept entry
};
