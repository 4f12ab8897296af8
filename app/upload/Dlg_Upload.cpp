#include "Dlg_Upload.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "Dialogs.h"
#include "Errors.h"
#include "JPEGImage.h"
#include "LanguageFile.h"
#include "Log.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

constexpr int DesignWidth = 435;
constexpr int DesignHeight = 357;
// Remote control once stored its choices under the same names as this
// window; each now keeps its own, and the shared one is read until then.
constexpr const char* SizeKey = "UploadComboBoxSize";
constexpr const char* QualityKey = "UploadComboBoxQuality";
constexpr const char* SharedSizeKey = "ComboBoxSize";
constexpr const char* SharedQualityKey = "ComboBoxQuality";
constexpr const char* WorkFileName = "rgb_file.dta";

struct TQualityItem {
    const char* key;
    const char* text;
};
constexpr TQualityItem QualityItems[] = {{"quality_option_1", "Low"},
                                         {"quality_option_2", "Normal"},
                                         {"quality_option_3", "High"},
                                         {"quality_option_4", "Very high"}};

// Selects index, or nothing when the list has no such item.
void selectIndex(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

// Selects the first item when none is selected.
void selectFirstIfNone(QComboBox* list) {
    if (list->currentIndex() < 0 && list->count() > 0)
        list->setCurrentIndex(0);
}

} // namespace

TFormUpload::TFormUpload(TAppServices& services, TCameraSession& session, QWidget* parent)
    : QDialog(parent), services_(services), session_(session) {
    setObjectName(Section);
    setWindowTitle("Upload pictures to camera");
    setAcceptDrops(true);
    texts_ = std::make_unique<TWindowLocaliser>(*this, Section);
    texts_->rememberSize("FormUploadWidth", "FormUploadHeight");
    buildControls();
    resize(DesignWidth, DesignHeight);
}

TFormUpload::~TFormUpload() {
    texts_->storeSize(services_.settings());
}

void TFormUpload::buildControls() {
    const auto named = [this](auto* control, const char* name) {
        control->setObjectName(name);
        return control;
    };
    ListBoxFiles = named(new QListWidget(this), "ListBoxFiles");
    ListBoxFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBoxFiles->installEventFilter(this);
    LabelFiles = named(new QLabel("Files to upload:", this), "LabelFiles");
    ComboBoxSize = named(new QComboBox(this), "ComboBoxSize");
    LabelSize = named(new QLabel("Resize pictures to:", this), "LabelSize");
    ComboBoxQuality = named(new QComboBox(this), "ComboBoxQuality");
    LabelQuality = named(new QLabel("Upload with quality:", this), "LabelQuality");
    for (const TQualityItem& item : QualityItems)
        ComboBoxQuality->addItem(item.text);
    ButtonAddFiles = named(new QPushButton("&Add files", this), "ButtonAddFiles");
    ButtonUpload = named(new QPushButton("&Upload", this), "ButtonUpload");
    BitBtnClose = named(new QPushButton("&Close", this), "BitBtnClose");
    ProgressBar = named(new QProgressBar(this), "ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    StatusBar = named(new QStatusBar(this), "StatusBar");
    StatusBar->setSizeGripEnabled(false);
    LabelFiles->setBuddy(ListBoxFiles);
    LabelSize->setBuddy(ComboBoxSize);
    LabelQuality->setBuddy(ComboBoxQuality);

    auto* choices = new QGridLayout;
    choices->addWidget(LabelSize, 0, 0);
    choices->addWidget(ComboBoxSize, 0, 1);
    choices->addWidget(LabelQuality, 1, 0);
    choices->addWidget(ComboBoxQuality, 1, 1);
    choices->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonAddFiles);
    buttons->addWidget(ButtonUpload);
    buttons->addStretch(1);
    buttons->addWidget(BitBtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelFiles);
    layout->addWidget(ListBoxFiles, 1);
    layout->addLayout(choices);
    layout->addWidget(ProgressBar);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar);

    texts_->text(this, "form")
        .text(LabelFiles, "files_to_upload_label")
        .text(LabelSize, "resize_label")
        .text(LabelQuality, "quality_label")
        .text(ButtonAddFiles, "add_files_button")
        .text(ButtonUpload, "upload_button")
        .text(BitBtnClose, "close_button");

    connect(ButtonAddFiles, &QPushButton::clicked, this,
            Guarded(this, &TFormUpload::ButtonAddFilesClick));
    connect(ButtonUpload, &QPushButton::clicked, this,
            Guarded(this, &TFormUpload::ButtonUploadClick));
    connect(BitBtnClose, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFormUpload::text(const char* key, const char* def) const {
    return services_.language().read(Section, key, def);
}

void TFormUpload::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunGuarded([this] { FormShow(); });
}

void TFormUpload::FormShow() {
    LogLine("Enters TFormUpload.FormShow");
    TSettings& settings = services_.settings();
    if (firstShow_) {
        texts_->restoreSize(settings);
        firstShow_ = false;
    }
    ListBoxFiles->clear();
    ProgressBar->setValue(0);
    rebuildSizes();
    texts_->localise(services_.language());
    for (int i = 0; i < ComboBoxQuality->count(); ++i)
        ComboBoxQuality->setItemText(i, text(QualityItems[i].key, QualityItems[i].text));
    const auto stored = [&settings](const char* key, const char* shared) {
        return settings.readInteger(TSettings::Section, key,
                                    settings.readInteger(TSettings::Section, shared, 0));
    };
    selectIndex(ComboBoxSize, stored(SizeKey, SharedSizeKey));
    selectIndex(ComboBoxQuality, stored(QualityKey, SharedQualityKey));
}

void TFormUpload::rebuildSizes() {
    ComboBoxSize->clear();
    sizes_.clear();
    const int count = tesselink::GetNrOfImageSizeSupported();
    for (int i = 0; i < count; ++i) {
        const tsImageSize size = tesselink::GetImageSizeSupported(i);
        sizes_.append(QSize(size.width, size.height));
        ComboBoxSize->addItem(QString::number(size.width) + "x" + QString::number(size.height));
    }
}

void TFormUpload::ButtonAddFilesClick() {
    LogLine("Enters TFormUpload.ButtonAddFilesClick");
    QStringList files;
    if (OpenFilesDialog(text("add_dialog_caption", "Open"),
                        text("add_dialog_filter", JPEGFileFilter), files))
        ListBoxFiles->addItems(files);
}

void TFormUpload::ListBoxFilesDelete() {
    LogLine("Enters TFormUpload.ListBoxFilesDelete");
    qDeleteAll(ListBoxFiles->selectedItems());
}

bool TFormUpload::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListBoxFiles && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        ListBoxFilesDelete();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Files dropped from a file manager join the list, in the order dropped.

void TFormUpload::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && !uploading_)
        event->acceptProposedAction();
}

void TFormUpload::dropEvent(QDropEvent* event) {
    LogLine("Enters TFormUpload.dropEvent");
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            ListBoxFiles->addItem(url.toLocalFile());
    }
    event->acceptProposedAction();
}

void TFormUpload::ButtonUploadClick() {
    LogLine("Enters TFormUpload.ButtonUploadClick");
    selectFirstIfNone(ComboBoxSize);
    selectFirstIfNone(ComboBoxQuality);
    if (ListBoxFiles->count() == 0) {
        MessageDlg(text("errormsg_no_files_to_upload", "There are no files to upload"),
                   mtInformation, mbOK);
        return;
    }
    QStringList files;
    for (int i = 0; i < ListBoxFiles->count(); ++i)
        files.append(ListBoxFiles->item(i)->text());
    const int sizeIndex = ComboBoxSize->currentIndex();
    const TUploadChoice choice{sizeIndex >= 0 ? sizes_[sizeIndex] : QSize(),
                               ComboBoxQuality->currentIndex()};
    setUploading(true);
    QList<TSkippedFile> skipped;
    try {
        skipped = TUploadJob(session_, *this, ProgramFile(WorkFileName)).run(files, choice);
    } catch (const ELumvikError& error) {
        setUploading(false);
        LogLine("TFormUpload.ButtonUploadClick. Exception=" + error.message());
        bringToFront();
        MessageDlg(text("errormsg_problems_uploading",
                        "Problems when uploading pictures. The problems could be caused if there "
                        "is no space on the compact flash card left or if the baudrate for RS232 "
                        "transmission is set to 115.2kBaud (64kBaud is allowed)"),
                   mtError, mbOK);
        throw;
    }
    setUploading(false);
    bringToFront();
    if (skipped.isEmpty())
        MessageDlg(text("infomsg_all_pictures_uploaded", "All pictures uploaded"), mtInformation,
                   mbOK);
    else
        reportSkipped(skipped);
}

void TFormUpload::reportSkipped(const QList<TSkippedFile>& skipped) {
    QString lines;
    for (const TSkippedFile& file : skipped)
        lines += "\n" + file.path + " (" + file.reason + ")";
    MessageDlg(services_.language().readFormatted(
                   Section, "errormsg_files_not_uploaded",
                   "The other pictures were uploaded. These files were not, because they are "
                   "not JPEG pictures that can be read:%s",
                   {lines}),
               mtWarning, mbOK);
}

void TFormUpload::setUploading(bool uploading) {
    uploading_ = uploading;
    for (QWidget* control : std::initializer_list<QWidget*>{
             ComboBoxSize, ComboBoxQuality, ButtonAddFiles, ButtonUpload, BitBtnClose})
        control->setEnabled(!uploading);
}

void TFormUpload::bringToFront() {
    raise();
    activateWindow();
}

void TFormUpload::done(int result) {
    if (uploading_)
        return;
    TSettings& settings = services_.settings();
    settings.writeInteger(TSettings::Section, SizeKey, ComboBoxSize->currentIndex());
    settings.writeInteger(TSettings::Section, QualityKey, ComboBoxQuality->currentIndex());
    QDialog::done(result);
}

void TFormUpload::transforming(int number, int total, int percent) {
    StatusBar->showMessage(services_.language().readFormatted(
        Section, "statusbar_transforms_pic", "Transforms %s of %s done %s percent",
        {QString::number(number), QString::number(total), QString::number(percent)}));
}

void TFormUpload::uploading(int number, int total) {
    StatusBar->showMessage(services_.language().readFormatted(
        Section, "statusbar_uploads_pic", "Uploads picture %s of %s",
        {QString::number(number), QString::number(total)}));
}

void TFormUpload::showProgress(int position) {
    ProgressBar->setValue(position);
}

void TFormUpload::letMessagesRun() {
    QCoreApplication::processEvents();
}
