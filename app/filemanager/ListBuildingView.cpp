#include "ListBuildingView.h"

#include "Clock.h"

#include <utility>

TListBuildingView::TListBuildingView(TFileManagerView& window) : window_(window) {}

TListBuildingView::TBuilding::TBuilding(TListBuildingView& view) : view_(view) {
    view_.building_ = true;
    view_.lastHandOver_ = QDateTime();
}

TListBuildingView::TBuilding::~TBuilding() {
    view_.handOver();
    view_.building_ = false;
}

void TListBuildingView::SetStatusText(const QString& text) {
    if (building_)
        status_ = text;
    else
        window_.SetStatusText(text);
}

void TListBuildingView::ClearEntries() {
    entries_.clear();
    selected_.clear();
    windowEntries_ = 0;
    window_.ClearEntries();
}

void TListBuildingView::AddEntry(const QString& text) {
    if (building_) {
        entries_ << text;
        selected_.push_back(false);
        return;
    }
    window_.AddEntry(text);
    ++windowEntries_;
}

void TListBuildingView::SetEntryText(int index, const QString& text) {
    const int kept = index - windowEntries_;
    if (kept >= 0 && kept < entries_.size())
        entries_[kept] = text;
    else
        window_.SetEntryText(index, text);
}

void TListBuildingView::SetEntrySelected(int index, bool selected) {
    const int kept = index - windowEntries_;
    if (kept >= 0 && kept < qsizetype(selected_.size()))
        selected_[kept] = selected;
    else
        window_.SetEntrySelected(index, selected);
}

// Kept entries go first, so that every index names an entry of the window.
void TListBuildingView::SelectEntries(const QList<int>& indexes) {
    handOver();
    window_.SelectEntries(indexes);
}

void TListBuildingView::ShowPictureData(const TPictureDataLines& lines) {
    if (building_)
        lines_ = lines;
    else
        window_.ShowPictureData(lines);
}

void TListBuildingView::ShowThumbnail(const TThumbnail& thumbnail) {
    if (building_)
        thumbnail_ = thumbnail;
    else
        window_.ShowThumbnail(thumbnail);
}

void TListBuildingView::LetMessagesRun() {
    if (building_ && handOverDue())
        handOver();
    window_.LetMessagesRun();
}

// At the first item, then once the interval has passed; a clock set back
// counts as due.
bool TListBuildingView::handOverDue() {
    const QDateTime now = Now();
    const qint64 passed = lastHandOver_.isValid() ? lastHandOver_.msecsTo(now) : -1;
    if (passed >= 0 && passed < HandOverMilliseconds)
        return false;
    lastHandOver_ = now;
    return true;
}

void TListBuildingView::handOver() {
    QList<int> selected;
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        window_.AddEntry(entries_[i]);
        if (selected_[i])
            selected << windowEntries_;
        ++windowEntries_;
    }
    entries_.clear();
    selected_.clear();
    if (!selected.isEmpty())
        window_.SelectEntries(selected);
    if (status_)
        window_.SetStatusText(*std::exchange(status_, std::nullopt));
    if (lines_)
        window_.ShowPictureData(*std::exchange(lines_, std::nullopt));
    if (thumbnail_)
        window_.ShowThumbnail(std::exchange(thumbnail_, nullptr));
}
