#include "Dlg_Filemanager.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "Dialogs.h"
#include "Dlg_FilenameSel.h"
#include "Errors.h"
#include "FileManagerControls.h"
#include "FileManagerKeys.h"
#include "FileManagerRules.h"
#include "LanguageFile.h"
#include "Log.h"
#include "ReceivedFilesDrag.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <utility>

using fmkeys::Section;

namespace {

constexpr int DesignWidth = 641;
constexpr int DesignHeight = 533;

QString withSlash(QString path) {
    if (!path.isEmpty() && !path.endsWith('/'))
        path += '/';
    return path;
}

} // namespace

TForm_filemanager::TForm_filemanager(TAppServices& services, TCameraSession& session,
                                     TFormNameSelect& nameSelect, QWidget* parent)
    : QDialog(parent), services_(services), session_(session), nameSelect_(nameSelect),
      texts_(std::make_unique<TWindowLocaliser>(*this, Section)),
      c_(std::make_unique<TFileManagerControls>(*this, *texts_)),
      model_(std::make_unique<TFileManagerModel>(services.language(), *this, session)),
      transfer_(std::make_unique<TTransfer>(*model_, *this, *this, session, services.language(),
                                            receivedFiles)),
      cdBurn_(std::make_unique<TCDBurnStep>(*this, services.language())) {
    setObjectName(Section);
    setWindowTitle("Lumvik Filemanager");
    setAcceptDrops(true);
    texts_->rememberSize(fmkeys::Width, fmkeys::Height);
    texts_->text(this, "form");
    resize(DesignWidth, DesignHeight);
    connectControls();
    TTransferHooks& hooks = transfer_->hooks;
    hooks.startDisc = [this] { cdBurn_->newLayout(); };
    hooks.addToDisc = [this](const QString& discDirectory, const QString& path) {
        cdBurn_->add(discDirectory, path);
    };
    hooks.writeDisc = [this](qint64 selectedTotal) { return cdBurn_->burn(selectedTotal); };
    model_->askUserText = [this]() -> std::optional<QString> {
        QString answer;
        if (InputQuery(text("dialogue_text_add_text", "Custom text added to filename"),
                       text("dialogue_text_your_text", "Your text:"), answer))
            return answer;
        return std::nullopt;
    };
    model_->transferredBefore = [this](const TCameraItem& item) {
        return onlyNewFiles() && transferredBefore && transferredBefore(item);
    };
    readSettings();
    connect(&session, &TCameraSession::cameraEvent, this, [this](int event, int /*reason*/) {
        if (event == TS_EVENT_CARD_CHANGED && !model_->computerDirectory &&
            !std::exchange(cardChangePending_, true))
            RunGuarded([this] { cardChanged(); });
    });
}

TForm_filemanager::~TForm_filemanager() {
    writeSettings();
    // The list's selection changes as it goes, after the model is gone.
    disconnect(c_->ListBox_Cam_File_Names, nullptr, this, nullptr);
}

QString TForm_filemanager::text(const char* key, const char* def) const {
    return services_.language().read(Section, key, def);
}

void TForm_filemanager::connectControls() {
    const auto guarded = [this](void (TForm_filemanager::*handler)()) {
        return Guarded(this, handler);
    };
    const auto onClick = [&](QAbstractButton* button, void (TForm_filemanager::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, Guarded(this, handler));
    };
    TFileManagerControls& c = *c_;
    QListWidget* list = c.ListBox_Cam_File_Names;
    connect(list, &QListWidget::clicked, this,
            guarded(&TForm_filemanager::ListBox_Cam_File_NamesClick));
    connect(list, &QListWidget::doubleClicked, this,
            guarded(&TForm_filemanager::ListBox_Cam_File_NamesDblClick));
    connect(list, &QListWidget::pressed, this,
            guarded(&TForm_filemanager::ListBox_Cam_File_NamesMouseDown));
    connect(list, &QListWidget::itemSelectionChanged, this, [this] { model_->KeepSelection(); });
    // The rows in sight load first.
    const auto showing = [this] { showingEntries(); };
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, showing);
    connect(list->verticalScrollBar(), &QScrollBar::rangeChanged, this, showing);
    onClick(c.Button_sel_all, &TForm_filemanager::Button_sel_allClick);
    onClick(c.Button_Unselect_all, &TForm_filemanager::Button_Unselect_allClick);
    onClick(c.Button1, &TForm_filemanager::Button1Click);
    onClick(c.Button_MovieOptions, &TForm_filemanager::Button_MovieOptionsClick);
    onClick(c.Button_StartTransfer, &TForm_filemanager::Button_StartTransferClick);
    onClick(c.Button_Delete, &TForm_filemanager::Button_DeleteClick);
    onClick(c.Button_Apply, &TForm_filemanager::Button_Comment_AddClick);
    onClick(c.BitBtn_Explorer, &TForm_filemanager::BitBtn_ExplorerClick);
    onClick(c.Button_SelSubdirFilename, &TForm_filemanager::Button_SelSubdirFilenameClick);
    connect(c.BitBtn_Close, &QPushButton::clicked, this, &QDialog::accept);
    connect(c.Edit_DirEdit, &QLineEdit::textChanged, this,
            guarded(&TForm_filemanager::Edit_DirEditChange));
    connect(c.Edit_DirEdit, &QLineEdit::editingFinished, this,
            guarded(&TForm_filemanager::Edit_DirEditExit));
    connect(c.SpinEdit_VolumeNr, &QSpinBox::valueChanged, this,
            guarded(&TForm_filemanager::SpinEdit_VolumeNrChange));
    connect(c.Timer_UpdateItemIndex, &QTimer::timeout, this,
            guarded(&TForm_filemanager::Timer_UpdateItemIndexTimer));
    for (const TFileManagerControls::TOption& option : TFileManagerControls::Options) {
        QAction* item = c.*option.item;
        connect(item, &QAction::triggered, this, [this, item] { optionClicked(item); });
    }
    connect(c.Opencustomprogramaftertransfer1, &QAction::triggered, this,
            guarded(&TForm_filemanager::Opencustomprogramaftertransfer1Click));
    for (QWidget* w : std::initializer_list<QWidget*>{
             c.SpinEdit_VolumeNr, list, c.Button_sel_all, c.Button_StartTransfer, c.Button_Delete,
             c.Button_Unselect_all, c.Button1, c.Button_Apply, c.Edit_DirEdit, c.Memo_Comment,
             c.ComboBox_Raw})
        w->installEventFilter(this);
    new TDragStarter(
        *list->viewport(), [this] { return !selectedIndexes().isEmpty(); },
        [this] { RunGuarded([this] { StartDrag(); }); });
}

// Settings.

void TForm_filemanager::readSettings() {
    const TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    for (const TFileManagerControls::TOption& option : TFileManagerControls::Options)
        ((*c_).*option.item)->setChecked(s.readBool(section, option.name, false));
    // A new user starts with it; one who has used the window keeps what it did.
    c_->Selectonlynewfiles1->setChecked(
        s.readBool(section, fmkeys::OnlyNewFiles, !s.contains(section, fmkeys::DirOnPC)));
    c_->ShowHint1->setChecked(s.readBool(section, fmkeys::ShowHint, true));
    c_->CheckBoxBurnCD->setChecked(s.readBool(section, fmkeys::BurnCD, false));
    // A hand-edited value outside the list would choose no entry and drop RAW files.
    c_->ComboBox_Raw->setCurrentIndex(
        std::clamp(s.readInteger(section, fmkeys::RawOption, 1), 0, c_->ComboBox_Raw->count() - 1));
    setFileNamePattern(s.readString(section, fmkeys::FileNamePattern, "$CAM"));
    setSubDirPattern(s.readString(section, fmkeys::SubDirPattern, ""));
    model_->moviesDirectory = s.readString(section, fmkeys::MoviesDir, "");
    rawJpegMaxSize = s.readInteger(section, fmkeys::RawJpegMaxSize, 0);
    rawJpegCompression = s.readInteger(section, fmkeys::RawJpegCompression, 0);
    setTargetDirectory(s.readString(section, fmkeys::DirOnPC, ""));
    SetHint(c_->ShowHint1->isChecked());
    c_->Button_MovieOptions->setVisible(c_->Recompressmovies1->isChecked());
}

void TForm_filemanager::writeSettings() {
    TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    for (const TFileManagerControls::TOption& option : TFileManagerControls::Options)
        s.writeBool(section, option.name, ((*c_).*option.item)->isChecked());
    s.writeBool(section, fmkeys::OnlyNewFiles, c_->Selectonlynewfiles1->isChecked());
    s.writeString(section, fmkeys::DirOnPC, c_->Edit_DirEdit->text());
    s.writeBool(section, fmkeys::BurnCD, c_->CheckBoxBurnCD->isChecked());
    s.writeInteger(section, fmkeys::RawOption, c_->ComboBox_Raw->currentIndex());
    s.writeString(section, fmkeys::FileNamePattern, model_->fileNamePattern);
    s.writeString(section, fmkeys::SubDirPattern, model_->subDirPattern);
    s.writeString(section, fmkeys::MoviesDir, model_->moviesDirectory);
    s.writeInteger(section, fmkeys::RawJpegMaxSize, rawJpegMaxSize);
    s.writeInteger(section, fmkeys::RawJpegCompression, rawJpegCompression);
    texts_->storeSize(s);
}

void TForm_filemanager::setFileNamePattern(const QString& pattern) {
    model_->fileNamePattern = pattern;
    c_->LabelFileNameData->setText(pattern);
}

void TForm_filemanager::setSubDirPattern(const QString& pattern) {
    model_->subDirPattern = pattern;
    c_->LabelSubDirData->setText(pattern);
}

// A hidden button still runs when clicked by code, as the Delete key does;
// only a disabled one does nothing.
void TForm_filemanager::setComputerDirectory(bool on) {
    model_->computerDirectory = on;
    c_->Button_Delete->setHidden(on);
    c_->Button_Delete->setEnabled(!on);
    if (on)
        setVolumeCount(1);
}

void TForm_filemanager::setTargetDirectory(const QString& text) {
    c_->Edit_DirEdit->setText(text);
    Edit_DirEditChange();
}

void TForm_filemanager::setVolumeCount(int count) {
    c_->SpinEdit_VolumeNr->setMaximum(std::max(count, 1));
    c_->SpinEdit_VolumeNr->setSingleStep(count == 1 ? 0 : 1);
}

// The computer folder's search.

void TForm_filemanager::setSearchFolder(const QString& folder) {
    searchFolder_ = folder;
}

void TForm_filemanager::closeFolderCollection() {
    if (folderCollection_)
        std::exchange(folderCollection_, nullptr)->close();
}

// Runs on the camera thread, so the window keeps painting over a big tree;
// false when it was stopped, which leaves the list empty.
bool TForm_filemanager::searchFolder() {
    if (searchFolder_.isEmpty())
        return true;
    const QString folder = std::exchange(searchFolder_, QString());
    constexpr tsFileKinds FolderKinds{1, 1, 1, 0}; // JPEG, RAW and movies; no sound files
    TCameraOperation search;
    search.onProgress = [this](int searched) {
        SetStatusText(services_.language().readFormatted(Section, "statusbar_searching_folder",
                                                         "Searching the folder: %s names looked at",
                                                         {QString::number(searched)}));
    };
    const QScopedValueRollback running(search_, &search);
    showRunning(true);
    const auto idle = qScopeGuard([this] { showRunning(false); });
    try {
        session_.perform(search, [&] {
            folderCollection_ =
                std::make_unique<TPicCollection>(TS_SOURCE_FOLDER, folder, FolderKinds);
        });
    } catch (const ECameraCancelled&) {
        LogLine("Folder search stopped");
        SetStatusText(text("statusbar_search_stopped", "Search stopped: no files listed"));
        return false;
    }
    return true;
}

// Showing, activation and closing.

void TForm_filemanager::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunGuarded([this] { FormShow(); });
    // The list is built at activation, which not every window manager gives a
    // new window by itself (none does when there is none).
    activateWindow();
}

void TForm_filemanager::FormShow() {
    LogLine("Enters TForm_filemanager.FormShow");
    if (firstShow_) {
        texts_->restoreSize(services_.settings());
        firstShow_ = false;
    }
    localise();
    transferCaption = fmkeys::Read(services_.language(), fmkeys::TransferCaption);
    stopCaption = fmkeys::Read(services_.language(), fmkeys::StopCaption);
    SetStatusText(text("statusbar_select_pictures", "Select pictures to receive or delete"));
    c_->Button_StartTransfer->setText(transferCaption);
    const bool oneVolume = c_->SpinEdit_VolumeNr->maximum() == 1;
    c_->SpinEdit_VolumeNr->setVisible(!oneVolume);
    c_->Label_Card->setVisible(!oneVolume);
}

void TForm_filemanager::localise() {
    texts_->localise(services_.language());
    QComboBox* raw = c_->ComboBox_Raw;
    const int chosen = raw->currentIndex();
    for (int n = 1; n <= raw->count(); ++n)
        raw->setItemText(
            n - 1, services_.language().read(Section, "raw_download_option_" + QString::number(n),
                                             raw->itemText(n - 1)));
    raw->setCurrentIndex(chosen);
}

// The list is rebuilt when the window becomes active from inside the program
// (its first show, a box of ours closing), not when the user comes back from
// another program: the selection made before the switch stays.
bool TForm_filemanager::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowDeactivate)
        rebuildAtActivation_ = QApplication::activeWindow() != nullptr;
    if (event->type() == QEvent::WindowActivate && rebuildAtActivation_ && !activating_) {
        activating_ = true;
        RunGuarded([this] { FormActivate(); });
        activating_ = false;
    }
    return handled;
}

void TForm_filemanager::FormActivate() {
    LogLine("Enters TForm_filemanager.FormActivate");
    cdBurn_->detectWriter();
    LetMessagesRun();
    if (!searchFolder())
        return;
    model_->GetAllThumnails();
    if (autoTransfer) {
        autoTransfer = false;
        if (selectForAutoTransfer())
            Button_StartTransferClick();
    }
}

bool TForm_filemanager::onlyNewFiles() const {
    return c_->Selectonlynewfiles1->isChecked();
}

bool TForm_filemanager::selectForAutoTransfer() {
    if (!onlyNewFiles()) {
        Button_sel_allClick();
        return true;
    }
    // The items' facts tell which are new: the list must have loaded.
    if (!model_->WaitForLoading())
        return false;
    if (!selectedIndexes().isEmpty()) {
        ListBox_Cam_File_NamesClick();
        return true;
    }
    // Taking every file again would give each a second copy under a new name.
    const QString none = text("infomsg_no_new_pictures",
                              "No new pictures: every file on the camera was transferred before.");
    LogLine(none);
    SetStatusText(none);
    notify(none, TNotice::Information);
    return false;
}

void TForm_filemanager::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TForm_filemanager::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TForm_filemanager::FormClose() {
    LogLine("Enters TForm_filemanager.FormClose");
    if (search_)
        search_->cancel();
    model_->StopLoading();
    transfer_->Stop();
    model_->records.clear();
}

// TFileManagerView.

void TForm_filemanager::SetStatusText(const QString& text) {
    c_->StatusBar1->showMessage(text);
}

// The selection memory holds positions in the list, which mean nothing once
// the list is rebuilt (after a delete they would name other files).
void TForm_filemanager::ClearEntries() {
    c_->ListBox_Cam_File_Names->clear();
    selectionMemory_.clear();
}

void TForm_filemanager::AddEntry(const QString& text) {
    c_->ListBox_Cam_File_Names->addItem(text);
}

void TForm_filemanager::SetEntryText(int index, const QString& text) {
    if (QListWidgetItem* item = c_->ListBox_Cam_File_Names->item(index))
        item->setText(text);
}

void TForm_filemanager::showingEntries() {
    const QListWidget* list = c_->ListBox_Cam_File_Names;
    const int first = std::max(list->indexAt(QPoint(0, 0)).row(), 0);
    const int last = list->indexAt(QPoint(0, list->viewport()->height() - 1)).row();
    model_->ShowingEntries(first, last < 0 ? list->count() - 1 : last);
}

void TForm_filemanager::MarkEntryTransferred(int index) {
    if (QListWidgetItem* item = c_->ListBox_Cam_File_Names->item(index)) {
        item->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
        item->setToolTip(text("text_transferred_before", "Transferred before"));
    }
}

void TForm_filemanager::SetEntrySelected(int index, bool selected) {
    if (QListWidgetItem* item = c_->ListBox_Cam_File_Names->item(index))
        item->setSelected(selected);
}

// Runs of neighbouring entries become one range each: selecting thousands of
// entries one by one would compare each new selection with the whole old one.
void TForm_filemanager::SelectEntries(const QList<int>& indexes) {
    QListWidget* list = c_->ListBox_Cam_File_Names;
    QItemSelection selection;
    for (qsizetype i = 0; i < indexes.size();) {
        qsizetype last = i;
        while (last + 1 < indexes.size() && indexes[last + 1] == indexes[last] + 1)
            ++last;
        const QModelIndex first = list->model()->index(indexes[i], 0);
        const QModelIndex end = list->model()->index(indexes[last], 0);
        if (first.isValid() && end.isValid())
            selection.select(first, end);
        i = last + 1;
    }
    list->selectionModel()->select(selection, QItemSelectionModel::Select);
}

void TForm_filemanager::ShowPictureData(const TPictureDataLines& lines) {
    const TFileManagerControls& c = *c_;
    const std::pair<QLabel*, const QString*> texts[] = {
        {c.Label_ShutterSpeed, &lines.shutterSpeed},
        {c.Label_Aperture, &lines.aperture},
        {c.Label_ExposureComp, &lines.exposureComp},
        {c.Label_DateAndTime, &lines.dateAndTime},
        {c.Label_Filesize, &lines.fileSize},
        {c.Label_Size, &lines.size},
        {c.Label_Flash, &lines.flash},
        {c.Label_Macro, &lines.macro},
        {c.Label_Protected, &lines.isProtected},
        {c.Label_Rotate, &lines.rotate},
        {c.Label_Resize, &lines.resize},
        {c.Label_Compression, &lines.compression},
        {c.Label_Gray, &lines.gray},
    };
    for (const auto& [label, text] : texts)
        if (!text->isEmpty())
            label->setText(*text);
    for (QLabel* line : {c.Label_Flash, c.Label_Macro, c.Label_Protected, c.Label_Rotate,
                         c.Label_Resize, c.Label_Compression, c.Label_Gray})
        line->setVisible(lines.pictureLinesVisible);
}

// A thumbnail larger than the area is scaled down smoothly at the screen's
// pixel density; a smaller one is shown pixel for pixel, so it stays sharp.
void TForm_filemanager::ShowThumbnail(const TThumbnail& thumbnail) {
    const QImage image = thumbnail ? thumbnail() : QImage();
    const qreal ratio = devicePixelRatio();
    const int area = int(TFileManagerControls::ThumbnailArea * ratio);
    QImage shown = image;
    if (image.width() > area || image.height() > area)
        shown = image.scaled(area, area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(shown);
    pixmap.setDevicePixelRatio(shown.size() == image.size() ? 1.0 : ratio);
    c_->Image1->setPixmap(pixmap);
}

void TForm_filemanager::LetMessagesRun() {
    const QScopedValueRollback letting(lettingMessagesRun_, true);
    QCoreApplication::processEvents();
}

// The camera added or removed a file by itself: the card is listed again, so
// that the list shows what the card holds. A list building or transfer under
// way holds positions in the list, so the listing waits for its end.
void TForm_filemanager::cardChanged() {
    if (lettingMessagesRun_) {
        QTimer::singleShot(0, this, [this] { RunGuarded([this] { cardChanged(); }); });
        return;
    }
    cardChangePending_ = false;
    LogLine("Enters TForm_filemanager.cardChanged");
    SpinEdit_VolumeNrChange();
}

// TTransferWindow.

QList<int> TForm_filemanager::selectedIndexes() const {
    QList<int> indexes;
    const QListWidget* list = c_->ListBox_Cam_File_Names;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            indexes << i;
    return indexes;
}

TTransferOptions TForm_filemanager::transferOptions() const {
    const TFileManagerControls& c = *c_;
    TTransferOptions o;
    o.emailPictures = c.Emailpictures1->isChecked();
    o.addTransformationToComment = c.Addtranformationtocomment1->isChecked();
    o.openExplorer = c.Openexploreraftertransfer1->isChecked();
    o.openCustomProgram = c.Opencustomprogramaftertransfer1->isChecked();
    o.customProgram =
        services_.settings().readString(TSettings::Section, fmkeys::UserCustomProgram, "");
    o.recompressMovies = c.Recompressmovies1->isChecked();
    o.setReadOnly = c.Setreadonlytotransferedfiles1->isChecked();
    o.downloadMoviesToDirectory = c.Downloadmoviestodirectory1->isChecked();
    o.createExifText = c.CreateTXTfilewithEXIFinfo1->isChecked();
    o.burnCD = c.CheckBoxBurnCD->isChecked();
    o.rawOption = c.ComboBox_Raw->currentIndex();
    o.rawOptionText = c.ComboBox_Raw->currentText();
    o.targetDirectory = model_->targetDirectory;
    o.moviesDirectory = model_->moviesDirectory;
    o.patterns = {model_->subDirPattern, model_->fileNamePattern};
    return o;
}

void TForm_filemanager::showRunning(bool running) {
    c_->Button_StartTransfer->setText(running ? stopCaption : transferCaption);
    EnableStep(!running);
}

void TForm_filemanager::setProgress(int percent) {
    c_->ProgressBar->setValue(percent);
}

void TForm_filemanager::bringToFront() {
    raise();
    activateWindow();
}

bool TForm_filemanager::confirm(const QString& question) {
    return MessageDlg(question, mtWarning, mbYes | mbNo) != mrNo;
}

void TForm_filemanager::notify(const QString& text, TNotice kind) {
    MessageDlg(text, kind == TNotice::Warning ? mtWarning : mtInformation, mbOK);
}

// TCDBurnWindow.

void TForm_filemanager::showBurnOption(bool shown) {
    c_->CheckBoxBurnCD->setVisible(shown);
}

void TForm_filemanager::uncheckBurnOption() {
    c_->CheckBoxBurnCD->setChecked(false);
}

void TForm_filemanager::setBurnStatus(const QString& text) {
    SetStatusText(text);
}

bool TForm_filemanager::askForMedium(const QString& text) {
    return MessageDlg(text, mtInformation, mbOK | mbCancel) == mrOk;
}

void TForm_filemanager::showBurnError(const QString& text) {
    MessageDlg(text, mtError, mbOK);
}

void TForm_filemanager::showBurnInformation(const QString& text) {
    MessageDlg(text, mtInformation, mbOK);
}

void TForm_filemanager::burnFinished() {
    transfer_->DiscWriteDone();
}

// The list.

int TForm_filemanager::currentItemNumber() const {
    return c_->ListBox_Cam_File_Names->currentRow() + 1;
}

void TForm_filemanager::ListBox_Cam_File_NamesClick() {
    LogLine("Enters TForm_filemanager.ListBox_Cam_File_NamesClick");
    QListWidget* list = c_->ListBox_Cam_File_Names;
    if (list->count() == 0)
        return;
    const TLanguageFile& language = services_.language();
    SetStatusText(fmkeys::Read(language, fmkeys::GettingPictureInfo));
    model_->GetPictureData(std::max(list->currentRow(), 0) + 1, false);
    SetStatusText(fmkeys::Read(language, fmkeys::PictureDataReceived));
    selectionMemory_ = selectedIndexes();
    const qint64 total = model_->totalSize(selectionMemory_);
    SetStatusText(fmkeys::ReadFormatted(language, fmkeys::TotalToReceive,
                                        {QString::number(std::llround(double(total) / 1024.0))}));
    c_->Memo_Comment->clear();
    if (const TJPEGImage* record = model_->FindRecord(currentItemNumber()))
        for (const QString& line : record->commentLines)
            c_->Memo_Comment->appendPlainText(line);
}

void TForm_filemanager::ListBox_Cam_File_NamesDblClick() {
    LogLine("Enters TForm_filemanager.ListBox_Cam_File_NamesDblClick");
    const TLanguageFile& language = services_.language();
    SetStatusText(fmkeys::Read(language, fmkeys::GettingPictureInfo));
    model_->GetPictureData(std::max(c_->ListBox_Cam_File_Names->currentRow(), 0) + 1, false);
    SetStatusText(fmkeys::Read(language, fmkeys::PictureDataReceived));
    c_->ListBox_Cam_File_Names->clearSelection();
    // The user's choice, also when nothing was selected yet: items that load
    // from now on stay unselected.
    model_->KeepSelection();
    ListBox_Cam_File_NamesClick();
}

// A plain press on an entry of the last multi-selection keeps that selection,
// so that all of it can be dragged.
void TForm_filemanager::ListBox_Cam_File_NamesMouseDown() {
    if (c_->ListBox_Cam_File_Names->count() == 0)
        return;
    if (QApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    const QList<int> selected = selectedIndexes();
    const bool onPrevious = std::any_of(selected.begin(), selected.end(),
                                        [this](int i) { return selectionMemory_.contains(i); });
    if (onPrevious)
        for (int i : selectionMemory_)
            SetEntrySelected(i, true);
}

void TForm_filemanager::Button_sel_allClick() {
    LogLine("Enters Button_sel_allClick. Selected=" +
            QString::number(c_->ListBox_Cam_File_Names->count()));
    c_->ListBox_Cam_File_Names->selectAll();
    ListBox_Cam_File_NamesClick();
}

void TForm_filemanager::Button_Unselect_allClick() {
    LogLine("Enters TForm_filemanager.Button_Unselect_allClick");
    c_->ListBox_Cam_File_Names->clearSelection();
    // The user's choice, also when nothing was selected yet: items that load
    // from now on stay unselected.
    model_->KeepSelection();
    ListBox_Cam_File_NamesClick();
}

void TForm_filemanager::Button_MovieOptionsClick() {
    LogLine("Enters TForm_filemanager.Button_MovieOptionsClick");
    if (showMovieOptions)
        showMovieOptions();
}

void TForm_filemanager::Button1Click() {
    LogLine("Enters TForm_filemanager.Button1Click (Preview pics bottom)");
    model_->MarkSelected(selectedIndexes());
    if (showPreview) {
        // The preview keeps the records while it is open.
        const TItemLoader::THold held = model_->HoldLoading();
        showPreview(*this);
    }
    c_->ListBox_Cam_File_Names->clearSelection();
    SelectEntries(model_->MarkedIndexes());
    ListBox_Cam_File_NamesClick();
}

// The actions on the selected files.

void TForm_filemanager::Button_StartTransferClick() {
    if (search_) {
        search_->cancel();
        return;
    }
    // The transfer reads the items it needs itself, and keeps records meanwhile.
    const TItemLoader::THold held = model_->HoldLoading();
    transfer_->Button_StartTransferClick();
}

void TForm_filemanager::Button_DeleteClick() {
    LogLine("Enters Button_DeleteClick");
    const QList<int> selected = selectedIndexes();
    if (selected.isEmpty())
        throw ERangeError(text("errormsg_no_pics_to_delete", "No pictures selected to delete"));
    // The question names what goes, so a selection the user did not expect shows.
    QString question =
        text("infomsg_sure_to_delete_pictures", "Are you sure to delete these pictures?") + "\n";
    for (int index : selected)
        question += "\n" + model_->entries().value(index);
    if (MessageDlg(question, mtWarning, mbYes | mbNo) == mrNo)
        return;
    model_->DeletePictures(selected);
    FormShow();
    LogLine("Getting all Thumbnails");
    Button_sel_allClick();
    model_->GetAllThumnails();
}

void TForm_filemanager::Button_Comment_AddClick() {
    const QString memo = c_->Memo_Comment->toPlainText();
    LogLine("Enters TForm_filemanager.Button_Comment_AddClick");
    LogLine("Comment added=" + memo);
    model_->ApplyComment(selectedIndexes(), memo);
}

void TForm_filemanager::Opencustomprogramaftertransfer1Click() {
    QAction* item = c_->Opencustomprogramaftertransfer1;
    if (!item->isChecked())
        return;
    MessageDlg(
        text("infomsg_select_custom_program", "Select your program to start when transfer is done"),
        mtInformation, mbOK);
    c_->ListBox_Cam_File_Names->clearSelection();
    QString program;
    if (!OpenFileDialog(QString(item->text()).remove('&'), "Executable files (*)", program))
        return;
    // The choosers show every file; only a program can be started.
    if (!QFileInfo(program).isFile() || !QFileInfo(program).isExecutable())
        throw ERangeError(program + " is not an executable file");
    services_.settings().writeString(TSettings::Section, fmkeys::UserCustomProgram, program);
}

TReceivedFilesMimeData* TForm_filemanager::newDragData() {
    return new TReceivedFilesMimeData([this] {
        RunGuarded([this] { Button_StartTransferClick(); });
        return receivedFiles;
    });
}

Qt::DropAction TForm_filemanager::StartDrag() {
    auto* drag = new QDrag(c_->ListBox_Cam_File_Names);
    drag->setMimeData(newDragData());
    const Qt::DropAction action = drag->exec(Qt::MoveAction);
    if (action != Qt::MoveAction)
        MessageDlg(text("errormsg_when_moving_files", "Error during move of files!"), mtInformation,
                   mbOK);
    return action;
}

// Keys.

// Only keys typed on the list act on pictures: the same keys edit the text of
// the comment memo and the directory field.
bool TForm_filemanager::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && !hintsOn_)
        return true;
    if (watched == c_->ListBox_Cam_File_Names && event->type() == QEvent::KeyPress) {
        // The list's own key handling would move the current entry.
        bool handled = false;
        RunGuarded([&] { handled = handleKey(static_cast<QKeyEvent*>(event)); });
        return handled;
    }
    if (watched == c_->ListBox_Cam_File_Names && event->type() == QEvent::KeyRelease)
        handleKeyUp(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

// The keys that change the current picture's record; true when the key was one.
bool TForm_filemanager::handleKey(QKeyEvent* event) {
    savedItemIndex_ = c_->ListBox_Cam_File_Names->currentRow();
    const TKeyCommand command = KeyCommand(event->key(), event->modifiers() & Qt::ControlModifier);
    pressedKey_ = event->key();
    pressedCommand_ = command;
    switch (command.kind) {
    case TKeyCommand::None:
        return false;
    case TKeyCommand::ChangeRecord:
        // Gray shows at once; the other changes when the key is released.
        if (model_->ChangeRecord(currentItemNumber(), command.change) &&
            command.change == TRecordChange::Gray)
            showCurrentAgain(false);
        return true;
    case TKeyCommand::Delete:
        c_->Button_Delete->click();
        return true;
    case TKeyCommand::Reset:
        if (model_->FindRecord(currentItemNumber()))
            showCurrentAgain(true);
        return true;
    case TKeyCommand::SelectAll:
        Button_sel_allClick();
        return true;
    }
    return false;
}

// Reads the entry the key was pressed on again (reload: with a fresh record).
void TForm_filemanager::showCurrentAgain(bool reload) {
    model_->GetPictureData(savedItemIndex_ + 1, reload);
    SetEntrySelected(savedItemIndex_, true);
}

void TForm_filemanager::handleKeyUp(QKeyEvent* event) {
    if (!event->isAutoRepeat() && event->key() == pressedKey_ &&
        KeyReleaseRestoresEntry(pressedCommand_))
        c_->Timer_UpdateItemIndex->start();
}

// After a key changed a record: the saved entry becomes current again and the
// panel shows the record as it now stands.
void TForm_filemanager::Timer_UpdateItemIndexTimer() {
    c_->Timer_UpdateItemIndex->stop();
    QListWidget* list = c_->ListBox_Cam_File_Names;
    if (QListWidgetItem* item = list->currentItem())
        item->setSelected(false);
    if (savedItemIndex_ < 0 || savedItemIndex_ >= list->count())
        return;
    list->setCurrentRow(savedItemIndex_, QItemSelectionModel::NoUpdate);
    showCurrentAgain(false);
}

// Hints and enabling.

void TForm_filemanager::SetHint(bool on) {
    hintsOn_ = on;
}

void TForm_filemanager::EnableStep(bool on) {
    const TFileManagerControls& c = *c_;
    for (QWidget* w : std::initializer_list<QWidget*>{
             c.BitBtn_Close, c.Button_sel_all, c.SpinEdit_VolumeNr, c.Edit_DirEdit,
             c.Button_Unselect_all, c.Button_Apply, c.ComboBox_Raw, c.Button1})
        w->setEnabled(on);
    c.Button_Delete->setEnabled(on && !model_->computerDirectory);
}

// The target directory.

void TForm_filemanager::Edit_DirEditChange() {
    QLineEdit* edit = c_->Edit_DirEdit;
    QString typed = edit->text();
    // Typing goes on before the added "/"; a "/" typed there takes its place.
    const int cursor = edit->cursorPosition();
    const bool overtyped = typed.endsWith("//") && cursor == typed.size() - 1;
    if (overtyped)
        typed.chop(1);
    const QString folder =
        TargetFolder(typed, [](const QString& path) { return QFileInfo(path).isFile(); });
    if (folder != edit->text()) {
        const QSignalBlocker block(edit);
        edit->setText(folder);
        edit->setCursorPosition(overtyped ? folder.size()
                                          : std::min<int>(cursor, folder.size() - 1));
    }
    services_.settings().writeString(TSettings::Section, fmkeys::DirOnPC, folder);
    model_->targetDirectory = folder;
    LogLine("New Edit_DirEdit.Text" + folder);
}

void TForm_filemanager::Edit_DirEditExit() {
    const QString folder = c_->Edit_DirEdit->text();
    if (!isVisible() || folder.isEmpty() || QDir(folder).exists())
        return;
    MessageDlg(text("errormsg_select_valid_dir",
                    "Directory does not exists. You have to enter a valid directory!"),
               mtError, mbOK);
    BitBtn_ExplorerClick();
}

void TForm_filemanager::BitBtn_ExplorerClick() {
    LogLine("Enters TForm_filemanager.BitBtn_ExplorerClick");
    QString folder = c_->Edit_DirEdit->text();
    if (SelectDirectory(QString(c_->Label_ComputerDirectory->text()).remove('&'), folder))
        setTargetDirectory(withSlash(folder));
}

void TForm_filemanager::Button_SelSubdirFilenameClick() {
    LogLine("Enters TForm_filemanager.Button_SelSubdirFilenameClick");
    TNameChoice choice{c_->Edit_DirEdit->text(), model_->subDirPattern, model_->fileNamePattern};
    if (!nameSelect_.choose(choice))
        return;
    setTargetDirectory(choice.computerDirectory);
    setSubDirPattern(choice.subDirPattern);
    setFileNamePattern(choice.fileNamePattern);
    for (QAction* option : {c_->UseZoomBrowserfilenames1, c_->Createsubdirectorywithdate1,
                            c_->Usedatetimeasfilename1})
        option->setChecked(false);
}

// The other card's list is built at once: the old one's entries and records
// would name the new card's objects by their item numbers.
void TForm_filemanager::SpinEdit_VolumeNrChange() {
    model_->ChangeVolume(c_->SpinEdit_VolumeNr->value());
    FormShow();
    model_->GetAllThumnails();
}

// The Options menu: the check mark has flipped already.
void TForm_filemanager::optionClicked(QAction* item) {
    LogLine("Enters TForm_filemanager." + item->objectName() + "Click");
    const bool on = item->isChecked();
    const std::pair<QAction*, TPatternOption> patternItems[] = {
        {c_->UseZoomBrowserfilenames1, TPatternOption::ZoomBrowserNames},
        {c_->Usedatetimeasfilename1, TPatternOption::DateTimeNames},
        {c_->Createsubdirectorywithdate1, TPatternOption::DateSubdirectory},
    };
    for (const auto& [patternItem, option] : patternItems) {
        if (patternItem != item)
            continue;
        const TPatternChoice choice = PatternChoice(option, on);
        for (const auto& [other, otherOption] : patternItems)
            if (choice.uncheck == otherOption)
                other->setChecked(false);
        if (choice.fileNamePattern)
            setFileNamePattern(*choice.fileNamePattern);
        if (choice.subDirPattern)
            setSubDirPattern(*choice.subDirPattern);
    }
    if (item == c_->ShowHint1) {
        SetHint(on);
    } else if (item == c_->Recompressmovies1) {
        c_->Button_MovieOptions->setVisible(on);
        if (on)
            Button_MovieOptionsClick();
    } else if (item == c_->Downloadmoviestodirectory1 && on) {
        // Without a folder of their own the option means nothing: a cancelled
        // choice unticks it rather than leaving it ticked with no folder.
        QString folder = c_->Edit_DirEdit->text();
        if (SelectDirectory(QString(item->text()).remove('&'), folder))
            model_->moviesDirectory = withSlash(folder);
        else
            item->setChecked(false);
    }
}

// Paths dropped from a file manager set the target directory; the last wins.

void TForm_filemanager::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm_filemanager::dropEvent(QDropEvent* event) {
    LogLine("Enters WMDropFiles");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        LogLine("Dragged directory =" + path);
        setTargetDirectory(path);
    }
    QApplication::restoreOverrideCursor();
    event->acceptProposedAction();
}
