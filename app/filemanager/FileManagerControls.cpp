#include "FileManagerControls.h"

#include "FileManagerKeys.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <type_traits>

using C = TFileManagerControls;

const C::TOption C::Options[13] = {
    {&C::UseZoomBrowserfilenames1, "UseZoomBrowserfilenames1", "&Use ZoomBrowser filenames",
     "use_ZB_filenames"},
    {&C::Createsubdirectorywithdate1, "Createsubdirectorywithdate1",
     "&Create subdirectory with date", "create_subdir_with_date_menu"},
    {&C::Usedatetimeasfilename1, "Usedatetimeasfilename1", "Use &date/time as filename",
     "use_date_time_as_filename_menu"},
    {&C::Emailpictures1, "Emailpictures1", "&Email pictures", "email_pics_menu"},
    {&C::ShowHint1, "ShowHint1", "Show &Hint", "show_hint_menu"},
    {&C::Addtranformationtocomment1, fmkeys::AddTransformationToComment,
     "&Add transformation to comment", "add_transformation_to_comment_menu"},
    {&C::Openexploreraftertransfer1, "Openexploreraftertransfer1",
     "&Open the folder after transfer", "open_explorer_after_transfer_menu"},
    {&C::Opencustomprogramaftertransfer1, "Opencustomprogramaftertransfer1",
     "Open custom &program after transfer...", "open_custom_prg_after_transfer_menu"},
    {&C::Recompressmovies1, "Recompressmovies1", "&Recompress movies...", "recompress_movies_menu"},
    {&C::Setreadonlytotransferedfiles1, fmkeys::SetReadOnly, "&Set read-only to transferred files",
     "set_read_only_menu"},
    {&C::Downloadmoviestodirectory1, fmkeys::MoviesToDirectory, "Download &movies to directory...",
     "movies_download_menu"},
    {&C::CreateJPEGpreviewforRAWpictures1, "CreateJPEGpreviewforRAWpictures1",
     "Create &JPEG preview for RAW pictures...", "raw_jpeg_preview_menu"},
    {&C::CreateTXTfilewithEXIFinfo1, fmkeys::CreateExifText,
     "Create &TXT-file with EXIF information", "create_EXIF_text_menu"},
};

namespace {

const char* const RawOptions[] = {"TIFF Format", "Raw format", "BMP Format"};

template <typename T> T* named(T* control, const char* name, const char* tip = nullptr) {
    control->setObjectName(name);
    if constexpr (std::is_base_of_v<QWidget, T>)
        if (tip)
            control->setToolTip(tip);
    return control;
}

// A label or button with its design text, localised under key unless none.
template <typename T>
T* control(QDialog& window, TWindowLocaliser& texts, const char* name, const char* text,
           const char* key) {
    auto* c = named(new T(text, &window), name);
    if (key)
        texts.text(c, key);
    return c;
}

QLabel* label(QDialog& window, TWindowLocaliser& texts, const char* name, const char* text,
              const char* key = nullptr) {
    return control<QLabel>(window, texts, name, text, key);
}

QPushButton* button(QDialog& window, TWindowLocaliser& texts, const char* name, const char* text,
                    const char* key, const char* tip = nullptr) {
    QPushButton* b = control<QPushButton>(window, texts, name, text, key);
    if (tip)
        b->setToolTip(tip);
    return b;
}

QVBoxLayout* column(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QVBoxLayout;
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return layout;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    for (QWidget* w : widgets)
        layout->addWidget(w);
    return layout;
}

} // namespace

TFileManagerControls::TFileManagerControls(QDialog& window, TWindowLocaliser& texts) {
    buildMenu(window, texts);
    buildCameraFiles(window, texts);
    buildPictureData(window, texts);
    buildTarget(window, texts);
    buildActions(window, texts);
    addHints(texts);
    layOut(window);
}

void TFileManagerControls::buildMenu(QDialog& window, TWindowLocaliser& texts) {
    MainMenu1 = new QMenuBar(&window);
    Options1 = named(MainMenu1->addMenu("&Options"), "Options1");
    texts.text(Options1, "options_menu");
    for (const TOption& option : Options) {
        QAction* item = named(Options1->addAction(option.caption), option.name);
        item->setCheckable(true);
        texts.text(item, option.key);
        this->*option.item = item;
    }
    CreateJPEGpreviewforRAWpictures1->setEnabled(false);
    Options1->addSeparator();
    Selectonlynewfiles1 =
        named(Options1->addAction("Select only &new files"), "Selectonlynewfiles1");
    Selectonlynewfiles1->setCheckable(true);
    texts.text(Selectonlynewfiles1, "select_only_new_files_menu");
}

void TFileManagerControls::buildCameraFiles(QDialog& window, TWindowLocaliser& texts) {
    Label_CameraFiles =
        label(window, texts, "Label_CameraFiles", "Camera files:", "camera_files_label");
    ListBox_Cam_File_Names =
        named(new QListWidget(&window), "ListBox_Cam_File_Names",
              "Single click:\nShows picture data for file, if picture data is available.\nDouble "
              "click:\nReceives picture data.");
    ListBox_Cam_File_Names->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // One line each: the list of a big card is laid out without measuring every name.
    ListBox_Cam_File_Names->setUniformItemSizes(true);
    Label_Card = label(window, texts, "Label_Card", "Card:", "card_label");
    SpinEdit_VolumeNr = named(new QSpinBox(&window), "SpinEdit_VolumeNr",
                              "Select the volume of pictures in the camera.");
    SpinEdit_VolumeNr->setRange(1, 1);
    Button_sel_all = button(window, texts, "Button_sel_all", "Select &all", "select_all_button",
                            "Selects all camera files.");
    Button_Unselect_all =
        button(window, texts, "Button_Unselect_all", "&Unselect all", "unselect_button",
               "Deselects all pictures in Camera files dialog.");
    Button1 = button(window, texts, "Button1", "Pre&view pics", "preview_button",
                     "Preview pictures on the camera");
}

void TFileManagerControls::buildPictureData(QDialog& window, TWindowLocaliser& texts) {
    Label_PictureData =
        label(window, texts, "Label_PictureData", "Picture data:", "picture_data_label");
    QFont bold = Label_PictureData->font();
    bold.setBold(true);
    Label_PictureData->setFont(bold);
    Image1 = named(new QLabel(&window), "Image1");
    Image1->setFixedSize(ThumbnailArea, ThumbnailArea);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setFrameShape(QFrame::StyledPanel);
    Image1->setStyleSheet("QLabel#Image1 { background: #202020; }");
    // The panel lines stay empty until the first item is read; then each
    // shows its localised caption with the item's value.
    const std::pair<QLabel * TFileManagerControls::*, const char*> lines[] = {
        {&C::Label_ShutterSpeed, "Label_ShutterSpeed"},
        {&C::Label_Aperture, "Label_Aperture"},
        {&C::Label_ExposureComp, "Label_ExposureComp"},
        {&C::Label_DateAndTime, "Label_DateAndTime"},
        {&C::Label_Filesize, "Label_Filesize"},
        {&C::Label_Size, "Label_Size"},
        {&C::Label_Flash, "Label_Flash"},
        {&C::Label_Macro, "Label_Macro"},
        {&C::Label_Protected, "Label_Protected"},
        {&C::Label_Rotate, "Label_Rotate"},
        {&C::Label_Resize, "Label_Resize"},
        {&C::Label_Compression, "Label_Compression"},
        {&C::Label_Gray, "Label_Gray"}};
    for (const auto& [line, name] : lines)
        this->*line = label(window, texts, name, "");
    Label_PictureComment =
        label(window, texts, "Label_PictureComment", "Picture comment:", "picture_comment_label");
    Memo_Comment = named(new QPlainTextEdit(&window), "Memo_Comment",
                         "Add comments in the COM-tag in your pictures.");
    Memo_Comment->setMaximumHeight(64);
    Button_Apply = button(window, texts, "Button_Apply", "A&pply", "apply_button",
                          "Stores the text in picture comment memo, into the picture");
    Button_MovieOptions = button(window, texts, "Button_MovieOptions", "Movie recompress options",
                                 "recompress_button");
    Button_MovieOptions->hide();
}

void TFileManagerControls::buildTarget(QDialog& window, TWindowLocaliser& texts) {
    Button_SelSubdirFilename =
        button(window, texts, "Button_SelSubdirFilename", "Select subdirectory and &filename",
               "sel_subdir_filename_button");
    Label_ComputerDirectory = label(window, texts, "Label_ComputerDirectory",
                                    "Computer directory:", "computer_directory_label");
    Edit_DirEdit = named(
        new QLineEdit(&window), "Edit_DirEdit",
        "The directory on your computer where\npictures from the camera will be transferred to.");
    BitBtn_Explorer = named(new QToolButton(&window), "BitBtn_Explorer");
    BitBtn_Explorer->setIcon(window.style()->standardIcon(QStyle::SP_DirOpenIcon));
    Label_RawDownloadOption = label(window, texts, "Label_RawDownloadOption",
                                    "RAW download option:", "raw_download_option_label");
    ComboBox_Raw = named(new QComboBox(&window), "ComboBox_Raw", "RAW download format");
    for (const char* option : RawOptions)
        ComboBox_Raw->addItem(option);
    ComboBox_Raw->setEnabled(false);
    Label_Filename = label(window, texts, "Label_Filename", "Filename:", "filename_label");
    LabelFileNameData = label(window, texts, "LabelFileNameData", "$CAM");
    Label_Subdirectory =
        label(window, texts, "Label_Subdirectory", "Subdirectory:", "subdirectory_label");
    LabelSubDirData = label(window, texts, "LabelSubDirData", "");
    for (QLabel* data : {LabelFileNameData, LabelSubDirData})
        data->setTextInteractionFlags(Qt::TextSelectableByMouse);
    CheckBoxBurnCD =
        control<QCheckBox>(window, texts, "CheckBoxBurnCD",
                           "&Burn CD with transferred pictures and movies", "cdburn_checkbox");
    CheckBoxBurnCD->hide();
}

void TFileManagerControls::buildActions(QDialog& window, TWindowLocaliser& texts) {
    Button_StartTransfer = button(
        window, texts, "Button_StartTransfer", "&Transfer", "transfer_button",
        "Transfer selected files from the camera to your computer.\nTo transfer files do as "
        "follows:\n1. Select files in the camera files\n2. Select a computer directory on your "
        "computer.\n3. Press this button to start the transfer.");
    Button_StartTransfer->setDefault(true);
    Button_Delete = button(window, texts, "Button_Delete", "&Delete", "delete_button",
                           "Deletes pictures that is selecetd in the camera files list.");
    BitBtn_Close = button(window, texts, "BitBtn_Close", "&Close", "close_button");
    ProgressBar = named(new QProgressBar(&window), "ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    StatusBar1 = named(new QStatusBar(&window), "StatusBar1");
    StatusBar1->setSizeGripEnabled(true);
    Timer_UpdateItemIndex = named(new QTimer(&window), "Timer_UpdateItemIndex");
    Timer_UpdateItemIndex->setInterval(1);
    Timer_UpdateItemIndex->setSingleShot(false);
}

void TFileManagerControls::addHints(TWindowLocaliser& texts) {
    texts.hint(SpinEdit_VolumeNr, "hint_card_spinedit")
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
}

// Left the camera files, right the current picture, below where and how the
// files go, and the actions at the bottom.
void TFileManagerControls::layOut(QDialog& window) {
    QHBoxLayout* volumeRow = row({Label_Card, SpinEdit_VolumeNr});
    volumeRow->addStretch(1);
    QVBoxLayout* left = column({Label_CameraFiles});
    left->addWidget(ListBox_Cam_File_Names, 1);
    left->addLayout(volumeRow);
    left->addLayout(row({Button_sel_all, Button_Unselect_all}));
    left->addWidget(Button1);

    QVBoxLayout* lines =
        column({Label_ShutterSpeed, Label_Aperture, Label_ExposureComp, Label_DateAndTime,
                Label_Filesize, Label_Size, Label_Flash, Label_Macro, Label_Protected, Label_Rotate,
                Label_Resize, Label_Compression, Label_Gray});
    lines->setSpacing(1);
    lines->addStretch(1);
    auto* picture = new QHBoxLayout;
    picture->addWidget(Image1, 0, Qt::AlignTop);
    picture->addLayout(lines, 1);
    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(Memo_Comment, 1);
    commentRow->addWidget(Button_Apply, 0, Qt::AlignBottom);
    QVBoxLayout* right = column({Label_PictureData});
    right->addLayout(picture);
    right->addWidget(Label_PictureComment);
    right->addLayout(commentRow);
    right->addWidget(Button_MovieOptions);

    auto* target = new QGridLayout;
    target->addWidget(Label_ComputerDirectory, 0, 0);
    QHBoxLayout* dirRow = row({Edit_DirEdit, BitBtn_Explorer});
    dirRow->setStretch(0, 1);
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

    QHBoxLayout* actions = row({Button_StartTransfer, Button_Delete, ProgressBar, BitBtn_Close});
    actions->setStretch(2, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(right, 3);
    auto* layout = new QVBoxLayout(&window);
    layout->setMenuBar(MainMenu1);
    layout->addLayout(top, 1);
    layout->addLayout(target);
    layout->addLayout(actions);
    layout->addWidget(StatusBar1);
}
