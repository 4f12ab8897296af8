#include "Dlg_Filemanager.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "Dialogs.h"
#include "Dlg_FilenameSel.h"
#include "LanguageFile.h"
#include "Log.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr int DesignWidth = 641;
constexpr int DesignHeight = 533;
constexpr int ThumbnailArea = 160;

QString withSlash(QString path) {
    if (!path.isEmpty() && !path.endsWith('/'))
        path += '/';
    return path;
}

// The Options menu items that only carry a check mark stored under their name.
struct TOption {
    QAction* TForm_filemanager::*item;
    const char* name;
    const char* caption;
    const char* key;
};

const TOption Options[] = {
    {&TForm_filemanager::UseZoomBrowserfilenames1, "UseZoomBrowserfilenames1",
     "&Use ZoomBrowser filenames", "use_ZB_filenames"},
    {&TForm_filemanager::Createsubdirectorywithdate1, "Createsubdirectorywithdate1",
     "&Create subdirectory with date", "create_subdir_with_date_menu"},
    {&TForm_filemanager::Usedatetimeasfilename1, "Usedatetimeasfilename1",
     "Use &date/time as filename", "use_date_time_as_filename_menu"},
    {&TForm_filemanager::Emailpictures1, "Emailpictures1", "&Email pictures", "email_pics_menu"},
    {&TForm_filemanager::ShowHint1, "ShowHint1", "Show &Hint", "show_hint_menu"},
    {&TForm_filemanager::Addtranformationtocomment1, "Addtranformationtocomment1",
     "&Add transformation to comment", "add_transformation_to_comment_menu"},
    {&TForm_filemanager::Openexploreraftertransfer1, "Openexploreraftertransfer1",
     "&Open explorer after transfer", "open_explorer_after_transfer_menu"},
    {&TForm_filemanager::Opencustomprogramaftertransfer1, "Opencustomprogramaftertransfer1",
     "Open &custom program after transfer...", "open_custom_prg_after_transfer_menu"},
    {&TForm_filemanager::Recompressmovies1, "Recompressmovies1", "&Recompress movies...",
     "recompress_movies_menu"},
    {&TForm_filemanager::Setreadonlytotransferedfiles1, "Setreadonlytotransferedfiles1",
     "&Set read-only to transferred files", "set_read_only_menu"},
    {&TForm_filemanager::Downloadmoviestodirectory1, "Downloadmoviestodirectory1",
     "Download &movies to directory...", "movies_download_menu"},
    {&TForm_filemanager::CreateJPEGpreviewforRAWpictures1, "CreateJPEGpreviewforRAWpictures1",
     "Create &JPEG preview for RAW pictures...", "raw_jpeg_preview_menu"},
    {&TForm_filemanager::CreateTXTfilewithEXIFinfo1, "CreateTXTfilewithEXIFinfo1",
     "Create &TXT-file with EXIF information", "create_EXIF_text_menu"},
};

const char* const RawOptions[] = {"TIFF Format", "Raw format", "BMP Format"};

} // namespace

TForm_filemanager::TForm_filemanager(TAppServices& services, TFormNameSelect& nameSelect,
                                     QWidget* parent)
    : QDialog(parent), services_(services), nameSelect_(nameSelect),
      model_(std::make_unique<TFileManagerModel>(services.language(), *this)) {
    setObjectName(Section);
    setWindowTitle("Lumvik Filemanager");
    setAcceptDrops(true);
    texts_ = std::make_unique<TWindowLocaliser>(*this, Section);
    texts_->rememberSize("BrowserWidth", "BrowserHeight");
    texts_->text(this, "form");
    buildMenu();
    buildControls();
    resize(DesignWidth, DesignHeight);
    model_->askUserText = [this]() -> std::optional<QString> {
        QString text;
        const TLanguageFile& language = services_.language();
        if (InputQuery(
                language.read(Section, "dialogue_text_add_text", "Custom text added to filename"),
                language.read(Section, "dialogue_text_your_text", "Your text:"), text))
            return text;
        return std::nullopt;
    };
    readSettings();
}

TForm_filemanager::~TForm_filemanager() {
    writeSettings();
}

void TForm_filemanager::buildMenu() {
    MainMenu1 = new QMenuBar(this);
    Options1 = MainMenu1->addMenu("&Options");
    Options1->setObjectName("Options1");
    texts_->text(Options1, "options_menu");
    for (const TOption& option : Options) {
        QAction* item = Options1->addAction(option.caption);
        item->setObjectName(option.name);
        item->setCheckable(true);
        texts_->text(item, option.key);
        this->*option.item = item;
        connect(item, &QAction::triggered, this, [this, item] { optionClicked(item); });
    }
    CreateJPEGpreviewforRAWpictures1->setEnabled(false);
}

void TForm_filemanager::buildControls() {
    const auto label = [this](const char* text, const char* key) {
        auto* l = new QLabel(text, this);
        if (key)
            texts_->text(l, key);
        return l;
    };
    const auto button = [this](const char* name, const char* text, const char* key) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        texts_->text(b, key);
        return b;
    };

    Label_CameraFiles = label("Camera files:", "camera_files_label");
    ListBox_Cam_File_Names = new QListWidget(this);
    ListBox_Cam_File_Names->setObjectName("ListBox_Cam_File_Names");
    ListBox_Cam_File_Names->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox_Cam_File_Names->setToolTip("Single click:\nShows picture data for file, if picture "
                                       "data is available.\nDouble click:\nReceives picture data.");
    Label_Card = label("Card:", "card_label");
    SpinEdit_VolumeNr = new QSpinBox(this);
    SpinEdit_VolumeNr->setObjectName("SpinEdit_VolumeNr");
    SpinEdit_VolumeNr->setRange(1, 1);
    SpinEdit_VolumeNr->setToolTip("Select the volume of pictures in the camera.");
    Button_sel_all = button("Button_sel_all", "Select &all", "select_all_button");
    Button_sel_all->setToolTip("Selects all camera files.");
    Button_Unselect_all = button("Button_Unselect_all", "&Unselect all", "unselect_button");
    Button_Unselect_all->setToolTip("Deselects all pictures in Camera files dialog.");
    Button1 = button("Button1", "Pre&view pics", "preview_button");
    Button1->setToolTip("Preview pictures on the camera");
    Button_StartTransfer = button("Button_StartTransfer", "&Transfer", "transfer_button");
    Button_StartTransfer->setToolTip(
        "Transfer selected files from the camera to your computer.\nTo transfer files do as "
        "follows:\n1. Select files in the camera files\n2. Select a computer directory on your "
        "computer.\n3. Press this button to start the transfer.");
    Button_Delete = button("Button_Delete", "&Delete", "delete_button");
    Button_Delete->setToolTip("Deletes pictures that is selecetd in the camera files list.");

    Label_PictureData = label("Picture data:", "picture_data_label");
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setFixedSize(ThumbnailArea, ThumbnailArea);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setFrameShape(QFrame::StyledPanel);
    Image1->setStyleSheet("QLabel#Image1 { background: #202020; }");
    // The panel lines stay empty until the first item is read; then each
    // shows its localised caption with the item's value.
    for (QLabel** line :
         {&Label_ShutterSpeed, &Label_Aperture, &Label_ExposureComp, &Label_DateAndTime,
          &Label_Filesize, &Label_Size, &Label_Flash, &Label_Macro, &Label_Protected, &Label_Rotate,
          &Label_Resize, &Label_Compression, &Label_Gray})
        *line = label("", nullptr);

    Label_PictureComment = label("Picture comment:", "picture_comment_label");
    Memo_Comment = new QPlainTextEdit(this);
    Memo_Comment->setObjectName("Memo_Comment");
    Memo_Comment->setToolTip("Add comments in the COM-tag in your pictures.");
    Memo_Comment->setMaximumHeight(64);
    Button_Apply = button("Button_Apply", "A&pply", "apply_button");
    Button_Apply->setToolTip("Stores the text in picture comment memo, into the picture");
    Button_MovieOptions =
        button("Button_MovieOptions", "Movie recompress options", "recompress_button");
    Button_MovieOptions->hide();

    Button_SelSubdirFilename =
        button("Button_SelSubdirFilename", "Select subdirectory and &filename",
               "sel_subdir_filename_button");
    Label_ComputerDirectory = label("Computer directory:", "computer_directory_label");
    Edit_DirEdit = new QLineEdit(this);
    Edit_DirEdit->setObjectName("Edit_DirEdit");
    Edit_DirEdit->setToolTip(
        "The directory on your computer where\npictures from the camera will be transferred to.");
    BitBtn_Explorer = new QToolButton(this);
    BitBtn_Explorer->setObjectName("BitBtn_Explorer");
    BitBtn_Explorer->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    Label_RawDownloadOption = label("RAW download option:", "raw_download_option_label");
    ComboBox_Raw = new QComboBox(this);
    ComboBox_Raw->setObjectName("ComboBox_Raw");
    for (const char* option : RawOptions)
        ComboBox_Raw->addItem(option);
    ComboBox_Raw->setToolTip("RAW download format");
    ComboBox_Raw->setEnabled(false);
    Label_Filename = label("Filename:", "filename_label");
    LabelFileNameData = label("$CAM", nullptr);
    Label_Subdirectory = label("Subdirectory:", "subdirectory_label");
    LabelSubDirData = label("", nullptr);
    for (QLabel* data : {LabelFileNameData, LabelSubDirData})
        data->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CheckBoxBurnCD = new QCheckBox("&Burn CD with transferred pictures and movies", this);
    CheckBoxBurnCD->setObjectName("CheckBoxBurnCD");
    texts_->text(CheckBoxBurnCD, "cdburn_checkbox");
    CheckBoxBurnCD->hide();
    BitBtn_Close = button("BitBtn_Close", "&Close", "close_button");
    ProgressBar = new QProgressBar(this);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(true);
    Timer_UpdateItemIndex = new QTimer(this);
    Timer_UpdateItemIndex->setInterval(1);
    Timer_UpdateItemIndex->setSingleShot(false);

    texts_->hint(SpinEdit_VolumeNr, "hint_card_spinedit")
        .hint(ListBox_Cam_File_Names, "hint_camerafile_list")
        .hint(Button_sel_all, "hint_select_all_button")
        .hint(Button_Unselect_all, "hint_deselect_all_button")
        .hint(Button1, "hint_preview_button")
        .hint(Button_StartTransfer, "hint_transfer_button")
        .hint(Button_Delete, "hint_delete_pictures_button")
        .hint(Memo_Comment, "hint_picture_comment_memo")
        .hint(ComboBox_Raw, "hint_RAW_download_combobox")
        .hint(Button_Apply, "hint_comment_apply_button")
        .hint(Edit_DirEdit, "hint_computer_dir_diredit");
    for (QWidget* w : std::initializer_list<QWidget*>{
             SpinEdit_VolumeNr, ListBox_Cam_File_Names, Button_sel_all, Button_StartTransfer,
             Button_Delete, Button_Unselect_all, Button1, Button_Apply, Edit_DirEdit, Memo_Comment,
             ComboBox_Raw})
        w->installEventFilter(this);

    // Left: the camera files and what selects them.
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(Label_Card);
    volumeRow->addWidget(SpinEdit_VolumeNr);
    volumeRow->addStretch(1);
    auto* selectRow = new QHBoxLayout;
    selectRow->addWidget(Button_sel_all);
    selectRow->addWidget(Button_Unselect_all);
    auto* left = new QVBoxLayout;
    left->addWidget(Label_CameraFiles);
    left->addWidget(ListBox_Cam_File_Names, 1);
    left->addLayout(volumeRow);
    left->addLayout(selectRow);
    left->addWidget(Button1);

    // Right: the current picture.
    auto* lines = new QVBoxLayout;
    lines->setSpacing(1);
    for (QLabel* line : {Label_ShutterSpeed, Label_Aperture, Label_ExposureComp, Label_DateAndTime,
                         Label_Filesize, Label_Size, Label_Flash, Label_Macro, Label_Protected,
                         Label_Rotate, Label_Resize, Label_Compression, Label_Gray})
        lines->addWidget(line);
    lines->addStretch(1);
    auto* picture = new QHBoxLayout;
    picture->addWidget(Image1, 0, Qt::AlignTop);
    picture->addLayout(lines, 1);
    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(Memo_Comment, 1);
    commentRow->addWidget(Button_Apply, 0, Qt::AlignBottom);
    auto* right = new QVBoxLayout;
    QFont bold = Label_PictureData->font();
    bold.setBold(true);
    Label_PictureData->setFont(bold);
    right->addWidget(Label_PictureData);
    right->addLayout(picture);
    right->addWidget(Label_PictureComment);
    right->addLayout(commentRow);
    right->addWidget(Button_MovieOptions);

    // Bottom: where and how the files go.
    auto* target = new QGridLayout;
    target->addWidget(Label_ComputerDirectory, 0, 0);
    auto* dirRow = new QHBoxLayout;
    dirRow->addWidget(Edit_DirEdit, 1);
    dirRow->addWidget(BitBtn_Explorer);
    target->addLayout(dirRow, 0, 1, 1, 2);
    target->addWidget(Label_Subdirectory, 1, 0);
    target->addWidget(LabelSubDirData, 1, 1);
    target->addWidget(Label_Filename, 2, 0);
    target->addWidget(LabelFileNameData, 2, 1);
    target->addWidget(Button_SelSubdirFilename, 1, 2, 2, 1);
    target->addWidget(Label_RawDownloadOption, 3, 0);
    target->addWidget(ComboBox_Raw, 3, 1, Qt::AlignLeft);
    target->addWidget(CheckBoxBurnCD, 4, 0, 1, 3);
    target->setColumnStretch(1, 1);

    auto* actions = new QHBoxLayout;
    actions->addWidget(Button_StartTransfer);
    actions->addWidget(Button_Delete);
    actions->addWidget(ProgressBar, 1);
    actions->addWidget(BitBtn_Close);
    Button_StartTransfer->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(MainMenu1);
    layout->addLayout(top, 1);
    layout->addLayout(target);
    layout->addLayout(actions);
    layout->addWidget(StatusBar1);

    connect(ListBox_Cam_File_Names, &QListWidget::clicked, this,
            Guarded(this, &TForm_filemanager::ListBox_Cam_File_NamesClick));
    connect(ListBox_Cam_File_Names, &QListWidget::doubleClicked, this,
            Guarded(this, &TForm_filemanager::ListBox_Cam_File_NamesDblClick));
    connect(ListBox_Cam_File_Names, &QListWidget::pressed, this,
            Guarded(this, &TForm_filemanager::ListBox_Cam_File_NamesMouseDown));
    connect(Button_sel_all, &QPushButton::clicked, this,
            Guarded(this, &TForm_filemanager::Button_sel_allClick));
    connect(Button_Unselect_all, &QPushButton::clicked, this,
            Guarded(this, &TForm_filemanager::Button_Unselect_allClick));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TForm_filemanager::Button1Click));
    connect(Edit_DirEdit, &QLineEdit::textChanged, this,
            Guarded(this, &TForm_filemanager::Edit_DirEditChange));
    connect(Edit_DirEdit, &QLineEdit::editingFinished, this,
            Guarded(this, &TForm_filemanager::Edit_DirEditExit));
    connect(BitBtn_Explorer, &QToolButton::clicked, this,
            Guarded(this, &TForm_filemanager::BitBtn_ExplorerClick));
    connect(Button_SelSubdirFilename, &QPushButton::clicked, this,
            Guarded(this, &TForm_filemanager::Button_SelSubdirFilenameClick));
    connect(SpinEdit_VolumeNr, &QSpinBox::valueChanged, this,
            Guarded(this, &TForm_filemanager::SpinEdit_VolumeNrChange));
    connect(Timer_UpdateItemIndex, &QTimer::timeout, this,
            Guarded(this, &TForm_filemanager::Timer_UpdateItemIndexTimer));
    connect(BitBtn_Close, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm_filemanager::readSettings() {
    const TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    for (const TOption& option : Options)
        (this->*option.item)->setChecked(s.readBool(section, option.name, false));
    ShowHint1->setChecked(s.readBool(section, "ShowHint1", true));
    CheckBoxBurnCD->setChecked(s.readBool(section, "CheckBoxBurnCD", false));
    ComboBox_Raw->setCurrentIndex(s.readInteger(section, "ComboBox_Raw", 1));
    setFileNamePattern(s.readString(section, "LabelFileNameData", "$CAM"));
    setSubDirPattern(s.readString(section, "LabelSubDirData", ""));
    model_->moviesDirectory = s.readString(section, "MoviesDir", "");
    rawJpegMaxSize = s.readInteger(section, "RawJpegMaxSizeName", 0);
    rawJpegCompression = s.readInteger(section, "RawJpegCompressionName", 0);
    setTargetDirectory(s.readString(section, "DirOnPC", ""));
    SetHint(ShowHint1->isChecked());
    Button_MovieOptions->hide();
}

void TForm_filemanager::writeSettings() {
    TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    for (const TOption& option : Options)
        s.writeBool(section, option.name, (this->*option.item)->isChecked());
    s.writeString(section, "DirOnPC", Edit_DirEdit->text());
    s.writeBool(section, "CheckBoxBurnCD", CheckBoxBurnCD->isChecked());
    s.writeInteger(section, "ComboBox_Raw", ComboBox_Raw->currentIndex());
    s.writeString(section, "LabelFileNameData", model_->fileNamePattern);
    s.writeString(section, "LabelSubDirData", model_->subDirPattern);
    s.writeString(section, "MoviesDir", model_->moviesDirectory);
    s.writeInteger(section, "RawJpegMaxSizeName", rawJpegMaxSize);
    s.writeInteger(section, "RawJpegCompressionName", rawJpegCompression);
    texts_->storeSize(s);
}

void TForm_filemanager::setFileNamePattern(const QString& pattern) {
    model_->fileNamePattern = pattern;
    LabelFileNameData->setText(pattern);
}

void TForm_filemanager::setSubDirPattern(const QString& pattern) {
    model_->subDirPattern = pattern;
    LabelSubDirData->setText(pattern);
}

void TForm_filemanager::setTargetDirectory(const QString& text) {
    Edit_DirEdit->setText(text);
    Edit_DirEditChange();
}

void TForm_filemanager::setVolumeCount(int count) {
    SpinEdit_VolumeNr->setMaximum(std::max(count, 1));
    SpinEdit_VolumeNr->setSingleStep(count == 1 ? 0 : 1);
}

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
    transferCaption = services_.language().read(Section, "transfer_button", "&Transfer");
    stopCaption = services_.language().read(Section, "stop_transfer_button", "S&top transfer");
    SetStatusText(services_.language().read(Section, "statusbar_select_pictures",
                                            "Select pictures to receive or delete"));
    Button_StartTransfer->setText(transferCaption);
    const bool oneVolume = SpinEdit_VolumeNr->maximum() == 1;
    SpinEdit_VolumeNr->setVisible(!oneVolume);
    Label_Card->setVisible(!oneVolume);
}

void TForm_filemanager::localise() {
    texts_->localise(services_.language());
    const int chosen = ComboBox_Raw->currentIndex();
    for (int n = 1; n <= ComboBox_Raw->count(); ++n)
        ComboBox_Raw->setItemText(
            n - 1, services_.language().read(Section, "raw_download_option_" + QString::number(n),
                                             ComboBox_Raw->itemText(n - 1)));
    ComboBox_Raw->setCurrentIndex(chosen);
}

bool TForm_filemanager::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && !activating_) {
        activating_ = true;
        RunGuarded([this] { FormActivate(); });
        activating_ = false;
    }
    return handled;
}

void TForm_filemanager::FormActivate() {
    LogLine("Enters TForm_filemanager.FormActivate");
    LetMessagesRun();
    model_->GetAllThumnails();
    if (autoTransfer) {
        autoTransfer = false;
        Button_sel_allClick();
        if (startTransfer)
            startTransfer(*this);
    }
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
    model_->records.clear();
}

// TFileManagerView.

void TForm_filemanager::SetStatusText(const QString& text) {
    StatusBar1->showMessage(text);
}

// The selection memory holds positions in the list, which mean nothing once
// the list is rebuilt (after a delete they would name other files).
void TForm_filemanager::ClearEntries() {
    ListBox_Cam_File_Names->clear();
    selectionMemory_.clear();
}

void TForm_filemanager::AddEntry(const QString& text) {
    ListBox_Cam_File_Names->addItem(text);
}

void TForm_filemanager::SetEntrySelected(int index, bool selected) {
    if (QListWidgetItem* item = ListBox_Cam_File_Names->item(index))
        item->setSelected(selected);
}

void TForm_filemanager::ShowPictureData(const TPictureDataLines& lines) {
    const std::pair<QLabel*, const QString*> texts[] = {
        {Label_ShutterSpeed, &lines.shutterSpeed},
        {Label_Aperture, &lines.aperture},
        {Label_ExposureComp, &lines.exposureComp},
        {Label_DateAndTime, &lines.dateAndTime},
        {Label_Filesize, &lines.fileSize},
        {Label_Size, &lines.size},
        {Label_Flash, &lines.flash},
        {Label_Macro, &lines.macro},
        {Label_Protected, &lines.isProtected},
        {Label_Rotate, &lines.rotate},
        {Label_Resize, &lines.resize},
        {Label_Compression, &lines.compression},
        {Label_Gray, &lines.gray},
    };
    for (const auto& [label, text] : texts)
        if (!text->isEmpty())
            label->setText(*text);
    for (QLabel* line : {Label_Flash, Label_Macro, Label_Protected, Label_Rotate, Label_Resize,
                         Label_Compression, Label_Gray})
        line->setVisible(lines.pictureLinesVisible);
}

// A thumbnail larger than the area is scaled down smoothly at the screen's
// pixel density; a smaller one is shown pixel for pixel, so it stays sharp.
void TForm_filemanager::ShowThumbnail(const QImage& image) {
    const qreal ratio = devicePixelRatio();
    const int area = int(ThumbnailArea * ratio);
    QImage shown = image;
    if (image.width() > area || image.height() > area)
        shown = image.scaled(area, area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(shown);
    pixmap.setDevicePixelRatio(shown.size() == image.size() ? 1.0 : ratio);
    Image1->setPixmap(pixmap);
}

void TForm_filemanager::LetMessagesRun() {
    QCoreApplication::processEvents();
}

// The list.

QList<int> TForm_filemanager::selectedIndexes() const {
    QList<int> indexes;
    for (int i = 0; i < ListBox_Cam_File_Names->count(); ++i)
        if (ListBox_Cam_File_Names->item(i)->isSelected())
            indexes << i;
    return indexes;
}

QString TForm_filemanager::currentName() const {
    const QListWidgetItem* item = ListBox_Cam_File_Names->currentItem();
    return item ? item->text() : QString();
}

void TForm_filemanager::ListBox_Cam_File_NamesClick() {
    LogLine("Enters TForm_filemanager.ListBox_Cam_File_NamesClick");
    if (ListBox_Cam_File_Names->count() == 0)
        return;
    const TLanguageFile& language = services_.language();
    SetStatusText(language.read(Section, "statusbar_gets_pic_info", "Getting picture information"));
    model_->GetPictureData(std::max(ListBox_Cam_File_Names->currentRow(), 0) + 1, false);
    SetStatusText(language.read(Section, "statusbar_pic_data_received", "Picture data received"));
    selectionMemory_ = selectedIndexes();
    const qint64 total = model_->totalSize(selectionMemory_);
    SetStatusText(language.readFormatted(Section, "statusbar_tot_kB_to_receive",
                                         "Picture data received, total filesize %s kB",
                                         {QString::number(std::llround(double(total) / 1024.0))}));
    Memo_Comment->clear();
    if (const TJPEGImage* record = model_->FindRecord(currentName()))
        for (const QString& line : record->commentLines)
            Memo_Comment->appendPlainText(line);
}

void TForm_filemanager::ListBox_Cam_File_NamesDblClick() {
    LogLine("Enters TForm_filemanager.ListBox_Cam_File_NamesDblClick");
    const TLanguageFile& language = services_.language();
    SetStatusText(language.read(Section, "statusbar_gets_pic_info", "Getting picture information"));
    model_->GetPictureData(std::max(ListBox_Cam_File_Names->currentRow(), 0) + 1, false);
    SetStatusText(language.read(Section, "statusbar_pic_data_received", "Picture data received"));
    ListBox_Cam_File_Names->clearSelection();
    ListBox_Cam_File_NamesClick();
}

// A plain press on an entry of the last multi-selection keeps that selection,
// so that all of it can be dragged.
void TForm_filemanager::ListBox_Cam_File_NamesMouseDown() {
    if (ListBox_Cam_File_Names->count() == 0)
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
            QString::number(ListBox_Cam_File_Names->count()));
    ListBox_Cam_File_Names->selectAll();
    ListBox_Cam_File_NamesClick();
}

void TForm_filemanager::Button_Unselect_allClick() {
    LogLine("Enters TForm_filemanager.Button_Unselect_allClick");
    ListBox_Cam_File_Names->clearSelection();
    ListBox_Cam_File_NamesClick();
}

void TForm_filemanager::Button1Click() {
    LogLine("Enters TForm_filemanager.Button1Click (Preview pics bottom)");
    model_->MarkSelected(selectedIndexes());
    if (showPreview)
        showPreview(*this);
    ListBox_Cam_File_Names->clearSelection();
    for (int index : model_->MarkedIndexes())
        SetEntrySelected(index, true);
    ListBox_Cam_File_NamesClick();
}

// Keys.

bool TForm_filemanager::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && !hintsOn_)
        return true;
    // The list's own key handling would move the current entry; its key
    // releases reach the window anyway.
    if (watched == ListBox_Cam_File_Names && event->type() == QEvent::KeyPress) {
        bool handled = false;
        RunGuarded([&] { handled = handleKey(static_cast<QKeyEvent*>(event)); });
        return handled;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_filemanager::keyPressEvent(QKeyEvent* event) {
    bool handled = false;
    RunGuarded([&] { handled = handleKey(event); });
    if (!handled)
        QDialog::keyPressEvent(event);
}

void TForm_filemanager::keyReleaseEvent(QKeyEvent* event) {
    handleKeyUp(event);
    QDialog::keyReleaseEvent(event);
}

// The keys that change the current picture's record; true when the key was one.
bool TForm_filemanager::handleKey(QKeyEvent* event) {
    savedItemIndex_ = ListBox_Cam_File_Names->currentRow();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const QString name = currentName();
    const auto change = [&](TRecordChange c) { model_->ChangeRecord(name, c); };
    switch (event->key()) {
    case Qt::Key_Left:
        change(ctrl ? TRecordChange::Smaller : TRecordChange::RotateLeft);
        return true;
    case Qt::Key_Right:
        change(ctrl ? TRecordChange::Larger : TRecordChange::RotateRight);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!ctrl)
            return false;
        change(event->key() == Qt::Key_Up ? TRecordChange::QualityUp : TRecordChange::QualityDown);
        return true;
    case Qt::Key_G:
        if (ctrl)
            return false;
        if (model_->ChangeRecord(name, TRecordChange::Gray)) {
            model_->GetPictureData(savedItemIndex_ + 1, false);
            SetEntrySelected(savedItemIndex_, true);
        }
        return true;
    case Qt::Key_Delete:
        if (ctrl)
            return false;
        Button_Delete->click();
        return true;
    case Qt::Key_Backspace:
        if (!ctrl)
            return false;
        if (model_->FindRecord(name)) {
            model_->GetPictureData(savedItemIndex_ + 1, true);
            SetEntrySelected(savedItemIndex_, true);
        }
        return true;
    case Qt::Key_A:
        if (!ctrl)
            return false;
        Button_sel_allClick();
        return true;
    default:
        return false;
    }
}

void TForm_filemanager::handleKeyUp(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int key = event->key();
    if (key == Qt::Key_Left || key == Qt::Key_Right ||
        (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down)))
        Timer_UpdateItemIndex->start();
}

// After a key changed a record: the saved entry becomes current again and the
// panel shows the record as it now stands.
void TForm_filemanager::Timer_UpdateItemIndexTimer() {
    Timer_UpdateItemIndex->stop();
    if (QListWidgetItem* item = ListBox_Cam_File_Names->currentItem())
        item->setSelected(false);
    if (savedItemIndex_ < 0 || savedItemIndex_ >= ListBox_Cam_File_Names->count())
        return;
    ListBox_Cam_File_Names->setCurrentRow(savedItemIndex_, QItemSelectionModel::NoUpdate);
    model_->GetPictureData(savedItemIndex_ + 1, false);
    SetEntrySelected(savedItemIndex_, true);
}

// Hints and enabling.

void TForm_filemanager::SetHint(bool on) {
    hintsOn_ = on;
}

void TForm_filemanager::EnableStep(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             BitBtn_Close, Button_sel_all, Button_Delete, SpinEdit_VolumeNr, Edit_DirEdit,
             Button_Unselect_all, Button_Apply, ComboBox_Raw, Button1})
        w->setEnabled(on);
}

// The target directory.

void TForm_filemanager::Edit_DirEditChange() {
    QString text = withSlash(Edit_DirEdit->text());
    const QFileInfo named(text.chopped(text.isEmpty() ? 0 : 1));
    if (!text.isEmpty() && named.isFile())
        text = withSlash(named.absolutePath());
    if (text != Edit_DirEdit->text()) {
        const int cursor = Edit_DirEdit->cursorPosition();
        const QSignalBlocker block(Edit_DirEdit);
        Edit_DirEdit->setText(text);
        // Typing goes on before the added "/".
        Edit_DirEdit->setCursorPosition(std::min<int>(cursor, text.size() - 1));
    }
    services_.settings().writeString(TSettings::Section, "DirOnPC", text);
    model_->targetDirectory = text;
    LogLine("New Edit_DirEdit.Text" + text);
}

void TForm_filemanager::Edit_DirEditExit() {
    if (!isVisible() || Edit_DirEdit->text().isEmpty() || QDir(Edit_DirEdit->text()).exists())
        return;
    MessageDlg(services_.language().read(
                   Section, "errormsg_select_valid_dir",
                   "Directory does not exists. You have to enter a valid directory!"),
               mtError, mbOK);
    BitBtn_ExplorerClick();
}

void TForm_filemanager::BitBtn_ExplorerClick() {
    LogLine("Enters TForm_filemanager.BitBtn_ExplorerClick");
    QString folder = Edit_DirEdit->text();
    if (SelectDirectory(QString(Label_ComputerDirectory->text()).remove('&'), folder))
        setTargetDirectory(withSlash(folder));
}

void TForm_filemanager::Button_SelSubdirFilenameClick() {
    LogLine("Enters TForm_filemanager.Button_SelSubdirFilenameClick");
    nameSelect_.EditComputerDir->setText(Edit_DirEdit->text());
    nameSelect_.EditDir->setText(model_->subDirPattern);
    nameSelect_.EditFilename->setText(model_->fileNamePattern);
    if (ExecModal(nameSelect_) != QDialog::Accepted)
        return;
    setTargetDirectory(nameSelect_.EditComputerDir->text());
    setSubDirPattern(nameSelect_.EditDir->text());
    setFileNamePattern(nameSelect_.EditFilename->text());
    UseZoomBrowserfilenames1->setChecked(false);
    Createsubdirectorywithdate1->setChecked(false);
    Usedatetimeasfilename1->setChecked(false);
}

void TForm_filemanager::SpinEdit_VolumeNrChange() {
    LogLine("Enters SpinEdit_VolumeNrChange. New vol=" +
            QString::number(SpinEdit_VolumeNr->value()));
    tesselink::ClosePicCollection();
    tesselink::GetVolume(SpinEdit_VolumeNr->value());
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{1, 1, 1, 0});
    FormShow();
}

// The Options menu: the check mark has flipped already.
void TForm_filemanager::optionClicked(QAction* item) {
    LogLine("Enters TForm_filemanager." + item->objectName() + "Click");
    const bool on = item->isChecked();
    if (item == UseZoomBrowserfilenames1) {
        if (on)
            Usedatetimeasfilename1->setChecked(false);
        setFileNamePattern(on ? "$ZB" : "$CAM");
    } else if (item == Usedatetimeasfilename1) {
        if (on)
            UseZoomBrowserfilenames1->setChecked(false);
        setFileNamePattern(on ? "$YYYY-$MM-$DD $HH-$MIN-$SEC" : "$CAM");
    } else if (item == Createsubdirectorywithdate1) {
        setSubDirPattern(on ? "$YYYY-$MM-$DD/" : "");
    } else if (item == ShowHint1) {
        SetHint(on);
    } else if (item == Downloadmoviestodirectory1 && on) {
        QString folder = Edit_DirEdit->text();
        if (SelectDirectory(QString(item->text()).remove('&'), folder))
            model_->moviesDirectory = withSlash(folder);
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
