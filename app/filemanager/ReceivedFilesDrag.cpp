#include "FileManagerActions.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "Dialogs.h"
#include "Dlg_Filemanager.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "Settings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDrag>
#include <QFileInfo>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr const char* Section = "Form_filemanager";
constexpr const char* UriList = "text/uri-list";
constexpr int DragDistance = 10;

bool onlyOneButton(Qt::MouseButtons buttons) {
    return buttons == Qt::LeftButton || buttons == Qt::RightButton;
}

} // namespace

TReceivedFilesMimeData::TReceivedFilesMimeData(std::function<QStringList()> transfer)
    : transfer_(std::move(transfer)) {}

QStringList TReceivedFilesMimeData::formats() const {
    return {UriList};
}

bool TReceivedFilesMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == UriList;
}

QVariant TReceivedFilesMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != UriList)
        return QMimeData::retrieveData(mimeType, type);
    if (!urls_) {
        urls_.emplace();
        for (const QString& path : transfer_())
            urls_->append(QUrl::fromLocalFile(path));
    }
    QVariantList urls;
    for (const QUrl& url : *urls_)
        urls << url;
    return urls;
}

TFileManagerActions::TFileManagerActions(TForm_filemanager& window)
    : QObject(&window), window_(window),
      transfer_(window.model(), window, *this, window.services().language(), window.receivedFiles) {
    const auto guarded = [this](void (TFileManagerActions::*handler)()) {
        return [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); };
    };
    connect(window.Button_StartTransfer, &QPushButton::clicked, this,
            guarded(&TFileManagerActions::Button_StartTransferClick));
    connect(window.Button_Delete, &QPushButton::clicked, this,
            guarded(&TFileManagerActions::Button_DeleteClick));
    connect(window.Button_Apply, &QPushButton::clicked, this,
            guarded(&TFileManagerActions::Button_Comment_AddClick));
    connect(window.Opencustomprogramaftertransfer1, &QAction::triggered, this,
            guarded(&TFileManagerActions::Opencustomprogramaftertransfer1Click));
    window.startTransfer = [this](TForm_filemanager&) { Button_StartTransferClick(); };
    window.ListBox_Cam_File_Names->viewport()->installEventFilter(this);
}

QString TFileManagerActions::text(const char* key, const char* def) const {
    return window_.services().language().read(Section, key, def);
}

void TFileManagerActions::Button_StartTransferClick() {
    transfer_.Button_StartTransferClick();
}

QList<int> TFileManagerActions::selectedIndexes() const {
    return window_.selectedIndexes();
}

TTransferOptions TFileManagerActions::transferOptions() const {
    const TForm_filemanager& w = window_;
    TTransferOptions o;
    o.emailPictures = w.Emailpictures1->isChecked();
    o.addTransformationToComment = w.Addtranformationtocomment1->isChecked();
    o.openExplorer = w.Openexploreraftertransfer1->isChecked();
    o.openCustomProgram = w.Opencustomprogramaftertransfer1->isChecked();
    o.customProgram =
        window_.services().settings().readString(TSettings::Section, "UserCustomProgram", "");
    o.recompressMovies = w.Recompressmovies1->isChecked();
    o.setReadOnly = w.Setreadonlytotransferedfiles1->isChecked();
    o.downloadMoviesToDirectory = w.Downloadmoviestodirectory1->isChecked();
    o.createExifText = w.CreateTXTfilewithEXIFinfo1->isChecked();
    o.burnCD = w.CheckBoxBurnCD->isChecked();
    o.rawOption = w.ComboBox_Raw->currentIndex();
    o.rawOptionText = w.ComboBox_Raw->currentText();
    return o;
}

void TFileManagerActions::showRunning(bool running) {
    window_.Button_StartTransfer->setText(running ? window_.stopCaption : window_.transferCaption);
    window_.EnableStep(!running);
}

void TFileManagerActions::setProgress(int percent) {
    window_.ProgressBar->setValue(percent);
}

void TFileManagerActions::bringToFront() {
    window_.raise();
    window_.activateWindow();
}

void TFileManagerActions::Button_DeleteClick() {
    LogLine("Enters Button_DeleteClick");
    const QList<int> selected = selectedIndexes();
    if (selected.isEmpty())
        throw ERangeError(text("errormsg_no_pics_to_delete", "No pictures selected to delete"));
    if (MessageDlg(
            text("infomsg_sure_to_delete_pictures", "Are you sure to delete these pictures?"),
            mtWarning, mbYes | mbNo) == mrNo)
        return;
    // From the last to the first, so the indexes still to come stay valid.
    int running = 1;
    for (auto index = selected.rbegin(); index != selected.rend(); ++index, ++running) {
        window_.SetStatusText(window_.services().language().readFormatted(
            Section, "statusbar_deleting_picture", "Deleting picture %s of %s",
            {QString::number(running), QString::number(selected.size())}));
        LogLine(QString("DeletePictures i=%1").arg(*index + 1));
        tesselink::DeletePicture(*index);
    }
    window_.model().records.clear();
    window_.ClearEntries();
    window_.FormShow();
    LogLine("Getting all Thumbnails");
    window_.Button_sel_allClick();
    window_.model().GetAllThumnails();
}

void TFileManagerActions::Button_Comment_AddClick() {
    const QString memo = window_.Memo_Comment->toPlainText();
    LogLine("Enters TForm_filemanager.Button_Comment_AddClick");
    LogLine("Comment added=" + memo);
    const QStringList entries = window_.model().entries();
    for (int index : selectedIndexes())
        for (TJPEGImage& record : window_.model().records)
            if (record.name == entries[index])
                record.commentLines = memo.isEmpty() ? QStringList() : memo.split('\n');
}

void TFileManagerActions::Opencustomprogramaftertransfer1Click() {
    if (!window_.Opencustomprogramaftertransfer1->isChecked())
        return;
    MessageDlg(
        text("infomsg_select_custom_program", "Select your program to start when transfer is done"),
        mtInformation, mbOK);
    window_.ListBox_Cam_File_Names->clearSelection();
    QString program;
    if (!OpenFileDialog(QString(window_.Opencustomprogramaftertransfer1->text()).remove('&'),
                        "Executable files (*)", program))
        return;
    // The choosers show every file; only a program can be started.
    if (!QFileInfo(program).isFile() || !QFileInfo(program).isExecutable())
        throw ERangeError(program + " is not an executable file");
    window_.services().settings().writeString(TSettings::Section, "UserCustomProgram", program);
}

TReceivedFilesMimeData* TFileManagerActions::newDragData() {
    return new TReceivedFilesMimeData([this] {
        RunGuarded([this] { Button_StartTransferClick(); });
        return window_.receivedFiles;
    });
}

Qt::DropAction TFileManagerActions::StartDrag() {
    auto* drag = new QDrag(window_.ListBox_Cam_File_Names);
    drag->setMimeData(newDragData());
    const Qt::DropAction action = drag->exec(Qt::MoveAction);
    if (action != Qt::MoveAction)
        MessageDlg(text("errormsg_when_moving_files", "Error during move of files!"), mtInformation,
                   mbOK);
    return action;
}

bool TFileManagerActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        pressedAt_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QPoint distance = move->position().toPoint() - pressedAt_;
        if (onlyOneButton(move->buttons()) && move->modifiers() == Qt::NoModifier &&
            (std::abs(distance.x()) >= DragDistance || std::abs(distance.y()) >= DragDistance) &&
            !selectedIndexes().isEmpty()) {
            RunGuarded([this] { StartDrag(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
