#include "RemotePage.h"

#include "Errors.h"
#include "RemoteKeys.h"
#include "RemoteWidgets.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The items of the transfer mode list: their keys' order and design texts.
constexpr const char* TransferModeItems[] = {"Only to PC", "To PC and camera", "To camera only"};

} // namespace

TRemotePage::TRemotePage(QWidget* parent, TWindowLocaliser& texts) : QWidget(parent) {
    setObjectName("TabSheetRemote");
    auto* modeLabel = named(new QLabel("Transfer mode:", this), "Label_TransMode");
    ComboBox_TransMode = named(new QComboBox(this), remotekey::TransferMode);
    for (const char* item : TransferModeItems)
        ComboBox_TransMode->addItem(item);
    ComboBox_TransMode->setToolTip("Select where the pictures go");
    CheckBox_ShowHintRemote =
        checkBox(this, remotekey::ShowHint, "Show &Hint", "Show hints on the controls");
    CheckBoxShutDown = checkBox(this, remotekey::ShutDown, "&Disconnect between shots",
                                "Leave release control between\ntimed pictures");
    CheckBoxEnableParameters =
        checkBox(this, remotekey::EnableParameters, "&Enable all remote parameters",
                 "List every value of every parameter,\nalso those the camera does not report");
    auto* previewLabel = named(new QLabel("Preview:", this), "Label_Preview");
    Image = named(new QLabel(this), "Image");
    Image->setFixedSize(160, 120);
    Image->setScaledContents(true);
    Image->setFrameShape(QFrame::Box);
    Image->setToolTip("Preview picture of last taken picture.");
    Button_StartRemoteProcess =
        named(new QPushButton("Start remote process", this), "Button_StartRemoteProcess");
    Button_StartRemoteProcess->setToolTip("Opens or closes the remote process");
    Button_TakePic = named(new QPushButton("&Take a picture", this), "Button_TakePic");
    Button_TakePic->setToolTip("Takes one picture");
    ButtonViewFinder = named(new QPushButton("Start ViewFinder", this), "ButtonViewFinder");
    auto* directoryLabel = named(new QLabel("Computer Directory:", this), "Label_Directory");
    DirectoryEdit = named(new QLineEdit(this), remotekey::Directory);
    DirectoryEdit->setToolTip("The directory on the computer\nwhere the pictures go");
    DirectoryEditBrowse = named(new QToolButton(this), "DirectoryEditBrowse");
    DirectoryEditBrowse->setText("...");
    ProgressBar = named(new QProgressBar(this), "ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    BitBtn_Close = named(new QPushButton("Close", this), "BitBtn_Close");

    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(DirectoryEdit, 1);
    directoryRow->addWidget(DirectoryEditBrowse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modeLabel);
    layout->addWidget(ComboBox_TransMode);
    layout->addWidget(CheckBox_ShowHintRemote);
    layout->addWidget(CheckBoxShutDown);
    layout->addWidget(CheckBoxEnableParameters);
    layout->addWidget(previewLabel);
    layout->addWidget(Image, 0, Qt::AlignHCenter);
    layout->addWidget(Button_StartRemoteProcess);
    layout->addWidget(Button_TakePic);
    layout->addWidget(ButtonViewFinder);
    layout->addWidget(directoryLabel);
    layout->addLayout(directoryRow);
    layout->addWidget(ProgressBar);
    layout->addStretch(1);
    layout->addWidget(BitBtn_Close, 0, Qt::AlignRight);

    texts.text(modeLabel, "transfer_mode_label")
        .text(CheckBox_ShowHintRemote, "show_hint_checkbox")
        .text(CheckBoxShutDown, "show_disconnect_checkbox")
        .text(CheckBoxEnableParameters, "enable_all_remote_param_checkbox")
        .text(previewLabel, "preview_label")
        .text(Button_TakePic, "take_a_picture_button")
        .text(ButtonViewFinder, "start_viewfinder_button")
        .text(directoryLabel, "computer_directory_label")
        .text(BitBtn_Close, "close_button")
        .hint(ComboBox_TransMode, "hint_select_transfer_mode")
        .hint(CheckBox_ShowHintRemote, "hint_hint_checkbox")
        .hint(CheckBoxShutDown, "hint_disconnect_between_pictures")
        .hint(CheckBoxEnableParameters, "hint_enables_all_remote_parameters")
        .hint(Image, "hint_preview_pic")
        .hint(Button_StartRemoteProcess, "hint_start_remote_process")
        .hint(Button_TakePic, "hint_take_a_pic")
        .hint(DirectoryEdit, "hint_PC_dir");
}

void TRemotePage::showPreview(const QString& thumbnail) {
    const QPixmap preview(thumbnail);
    if (preview.isNull())
        throw EConvertError("Can not load " + thumbnail);
    Image->setPixmap(preview);
}
