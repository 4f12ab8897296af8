#pragma once
// The file manager's transfer without its window, for `lumvik-import`: the
// same list model and transfer, with the selection made here (only the files
// not taken before, or all), nothing asked, and each file reported on the
// standard output: a progress bar on a terminal, a line per file otherwise,
// or one JSON object per file.

#include "FileManagerModel.h"
#include "ImportRequest.h"
#include "Transfer.h"

#include <QStringList>
#include <memory>
#include <vector>

class TAppServices;
class TCameraSession;
class TConsoleOutput;
class TTransferRecord;

class TConsoleImport : public TFileManagerView, public TTransferWindow {
  public:
    // The camera is connected and its collection open.
    TConsoleImport(TAppServices& services, TCameraSession& session, const TImportRequest& request);
    ~TConsoleImport() override;

    // Lists the camera's files and transfers the chosen ones, or prints
    // where they would go. Raises the transfer's errors; returns the number
    // of files received (planned in a dry run).
    int run();
    // Ctrl+C: the file under way is removed whole, the files before it stay.
    void stop();
    bool stopped() const { return stopped_; }

    // TFileManagerView.
    void SetStatusText(const QString&) override {}
    void ClearEntries() override;
    void AddEntry(const QString& text) override;
    void SetEntrySelected(int index, bool selected) override;
    void SelectEntries(const QList<int>& indexes) override;
    void ShowPictureData(const TPictureDataLines&) override {}
    void ShowThumbnail(const TThumbnail&) override {}
    void LetMessagesRun() override;

    // TTransferWindow.
    QList<int> selectedIndexes() const override;
    TTransferOptions transferOptions() const override;
    void showRunning(bool) override {}
    void setProgress(int percent) override;
    void bringToFront() override {}
    // Only changes the user asked for lose quality; none are asked for here.
    bool confirm(const QString&) override { return true; }
    void notify(const QString& text, TNotice kind) override;

  private:
    int plan();
    int rotationOf(int itemNumber) const;
    void received(int itemNumber);

    TAppServices& services_;
    const TImportRequest request_;
    TTransferOptions options_;
    std::unique_ptr<TConsoleOutput> output_;
    std::unique_ptr<TTransferRecord> record_;
    std::unique_ptr<TFileManagerModel> model_;
    QStringList receivedFiles_;
    std::unique_ptr<TTransfer> transfer_;
    std::vector<bool> selected_;
    int chosen_ = 0; // the files the transfer takes
    int done_ = 0;
    bool stopped_ = false;
};
