#pragma once
// The file manager window: the camera's (or a card-like folder's) files in a
// list, the data and thumbnail of the current picture, the per-picture changes
// made by keys, the target directory and the naming patterns, and the transfer
// of the selected files. What it knows lives in its TFileManagerModel and its
// TTransfer; the window shows them, asks the user, and turns clicks and keys
// into their calls.

#include "CDBurnStep.h"
#include "FileManagerModel.h"
#include "FileManagerRules.h"
#include "Transfer.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class TAppServices;
class TCameraOperation;
class TCameraSession;
class TFormNameSelect;
class TPicCollection;
class TReceivedFilesMimeData;
class TWindowLocaliser;
struct TFileManagerControls;

class TForm_filemanager : public QDialog,
                          public TFileManagerView,
                          public TTransferWindow,
                          public TCDBurnWindow {
    Q_OBJECT
  public:
    // Runs the create step: the settings go into the controls.
    TForm_filemanager(TAppServices& services, TCameraSession& session, TFormNameSelect& nameSelect,
                      QWidget* parent = nullptr);
    // Writes the settings.
    ~TForm_filemanager() override;

    TFileManagerModel& model() { return *model_; }
    TTransfer& transfer() { return *transfer_; }
    TCDBurnStep& cdBurn() { return *cdBurn_; }
    TAppServices& services() { return services_; }

    // Set by the flows before the window is shown.
    bool autoTransfer = false;
    // Whether the camera's item was transferred before. With Select only new
    // files such entries are marked and left unselected, and the automatic
    // transfer takes only the others.
    std::function<bool(const TCameraItem&)> transferredBefore;
    // Options > Select only new files.
    bool onlyNewFiles() const;
    // Full paths written by the last transfer.
    QStringList receivedFiles;
    // The localised captions of the transfer button; its caption is the state.
    QString transferCaption, stopCaption;
    // Shows the preview window modally over the model's records.
    std::function<void(TForm_filemanager&)> showPreview;
    // Shows the movie recompression window modally.
    std::function<void()> showMovieOptions;
    // The saved settings of the RAW JPEG preview.
    int rawJpegMaxSize = 0, rawJpegCompression = 0;

    // A camera's card, or a computer folder laid out like one: a folder has one
    // volume and nothing can be deleted from it.
    void setComputerDirectory(bool on);
    // The computer folder whose pictures the window searches for at its next
    // activation, before the list is built; Stop and closing end the search.
    void setSearchFolder(const QString& folder);
    // Closes the folder's collection, raising its failure; nothing when no
    // search found one.
    void closeFolderCollection();
    // The target directory field's text as the user typed it, with its rules.
    void setTargetDirectory(const QString& text);
    // Sets the volume selector's range; one volume hides it at the next show.
    void setVolumeCount(int count);

    // Handlers.
    void FormShow();
    void FormActivate();
    void FormClose();
    void ListBox_Cam_File_NamesClick();
    void ListBox_Cam_File_NamesDblClick();
    void Button_sel_allClick();
    void Button_Unselect_allClick();
    void Button1Click(); // preview
    void Button_MovieOptionsClick();
    void Button_StartTransferClick();
    void Button_DeleteClick();
    void Button_Comment_AddClick();
    void Opencustomprogramaftertransfer1Click();
    void Edit_DirEditChange();
    void Edit_DirEditExit();
    void BitBtn_ExplorerClick();
    void Button_SelSubdirFilenameClick();
    void SpinEdit_VolumeNrChange();
    void Timer_UpdateItemIndexTimer();
    void SetHint(bool on);
    // Enables or disables the controls a running transfer must not touch.
    void EnableStep(bool on);
    // Starts the move-only drag of the selected files; the transfer runs at
    // the drop. Returns the action the target took.
    Qt::DropAction StartDrag();
    // The drag's data, for a drop target of our own making.
    TReceivedFilesMimeData* newDragData();

    // TFileManagerView.
    void SetStatusText(const QString& text) override;
    void ClearEntries() override;
    void AddEntry(const QString& text) override;
    void SetEntryText(int index, const QString& text) override;
    void MarkEntryTransferred(int index) override;
    void SetEntrySelected(int index, bool selected) override;
    void SelectEntries(const QList<int>& indexes) override;
    void ShowPictureData(const TPictureDataLines& lines) override;
    void ShowThumbnail(const TThumbnail& thumbnail) override;
    void LetMessagesRun() override;

    // TTransferWindow.
    QList<int> selectedIndexes() const override;
    TTransferOptions transferOptions() const override;
    void showRunning(bool running) override;
    void setProgress(int percent) override;
    void bringToFront() override;
    bool confirm(const QString& question) override;
    void notify(const QString& text, TNotice kind) override;

    // TCDBurnWindow.
    void showBurnOption(bool shown) override;
    void uncheckBurnOption() override;
    void setBurnStatus(const QString& text) override;
    bool askForMedium(const QString& text) override;
    void showBurnError(const QString& text) override;
    void showBurnInformation(const QString& text) override;
    void burnFinished() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void connectControls();
    void readSettings();
    void writeSettings();
    void localise();
    bool handleKey(QKeyEvent* event);
    void handleKeyUp(QKeyEvent* event);
    void showCurrentAgain(bool reload);
    void ListBox_Cam_File_NamesMouseDown();
    void optionClicked(QAction* item);
    void setFileNamePattern(const QString& pattern);
    void setSubDirPattern(const QString& pattern);
    int currentItemNumber() const;
    // Tells the model which entries are in sight.
    void showingEntries();
    QString text(const char* key, const char* def) const;
    void cardChanged();
    // The automatic transfer's selection: false when there is nothing to take.
    bool selectForAutoTransfer();
    bool searchFolder();

    TAppServices& services_;
    TCameraSession& session_;
    TFormNameSelect& nameSelect_;
    std::unique_ptr<TWindowLocaliser> texts_;
    std::unique_ptr<TFileManagerControls> c_;
    std::unique_ptr<TFileManagerModel> model_;
    std::unique_ptr<TTransfer> transfer_;
    std::unique_ptr<TCDBurnStep> cdBurn_;
    QList<int> selectionMemory_;
    int savedItemIndex_ = -1;
    // The last key pressed on the list and what it did.
    int pressedKey_ = 0;
    TKeyCommand pressedCommand_;
    bool firstShow_ = true;
    bool hintsOn_ = true;
    bool activating_ = false;         // a box shown while the list builds activates again
    bool rebuildAtActivation_ = true; // false after the user switched to another program
    bool lettingMessagesRun_ = false; // inside a list building or a transfer
    bool cardChangePending_ = false;
    QString searchFolder_;
    TCameraOperation* search_ = nullptr; // while the folder search runs
    std::unique_ptr<TPicCollection> folderCollection_;
};
