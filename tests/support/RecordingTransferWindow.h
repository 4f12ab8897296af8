#pragma once
// The file manager window as a transfer and its model see it, without a
// window: it records what reached it, answers the questions as the test set,
// and hands out the selection and options the test set. For tests of the
// model and the transfer below the windows.

#include "FileManagerModel.h"
#include "Transfer.h"

#include <QStringList>
#include <functional>

class TRecordingTransferWindow : public TFileManagerView, public TTransferWindow {
  public:
    // What the window showed, one line per call that changes what the user sees.
    QStringList statuses;
    QStringList questions; // the Yes/No questions asked
    QStringList notices;   // the message boxes shown
    QList<bool> running;   // each showRunning
    QList<int> progress;   // each setProgress
    QStringList entries;

    // What the test sets.
    QList<int> selection;
    TTransferOptions options;
    bool answer = true; // to the Yes/No questions
    // Told every progress report, so that a test can act in the middle of a file.
    std::function<void(int percent)> onProgress;

    // TFileManagerView
    void SetStatusText(const QString& text) override { statuses << text; }
    void ClearEntries() override { entries.clear(); }
    void AddEntry(const QString& text) override { entries << text; }
    void SetEntryText(int index, const QString& text) override { entries[index] = text; }
    void SetEntrySelected(int, bool) override {}
    void SelectEntries(const QList<int>&) override {}
    void ShowPictureData(const TPictureDataLines&) override {}
    void ShowThumbnail(const TThumbnail&) override {}
    void LetMessagesRun() override {}

    // TTransferWindow
    QList<int> selectedIndexes() const override { return selection; }
    TTransferOptions transferOptions() const override { return options; }
    void showRunning(bool on) override { running << on; }
    void setProgress(int percent) override {
        progress << percent;
        if (onProgress)
            onProgress(percent);
    }
    void bringToFront() override {}
    bool confirm(const QString& question) override {
        questions << question;
        return answer;
    }
    void notify(const QString& text, TNotice) override { notices << text; }

    // The list indexes of the entries of those names.
    QList<int> indexesOf(const QStringList& names) const {
        QList<int> indexes;
        for (const QString& name : names)
            indexes << int(entries.indexOf(name));
        return indexes;
    }
};
