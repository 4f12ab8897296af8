#include "WebcamPage.h"

#include "RemoteKeys.h"
#include "RemoteWidgets.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The items of the resize list: their keys' order and design texts.
constexpr const char* ResizeItems[] = {"To full", "To half", "To quarter", "To eighth"};

} // namespace

TWebcamPage::TWebcamPage(QWidget* parent, TWindowLocaliser& texts) : QWidget(parent) {
    setObjectName("TabSheetWebcam");
    auto* group = named(new QGroupBox("Webcam", this), "GroupBox_webcam");
    CheckBox_DeleteCamPic =
        checkBox(group, remotekey::DeleteCamPic, "&Delete original pictures from camera",
                 "The released pictures is deleted \nafter the Webcam file is updated.");
    Edit_Webcamname = named(new QLineEdit(group), remotekey::WebcamName);
    Edit_Webcamname->setToolTip(
        "The filename for the file on PC\nwhere the latest taken picture\nwill be updated.");
    SpinEdit_Compression = named(new QSpinBox(group), remotekey::Compression);
    SpinEdit_Compression->setRange(0, 100);
    SpinEdit_Compression->setValue(75);
    SpinEdit_Compression->setToolTip("Compression quality:\n75=Default\n100=best");
    ComboBox_Resize = named(new QComboBox(group), remotekey::Resize);
    for (const char* item : ResizeItems)
        ComboBox_Resize->addItem(item);
    ComboBox_Resize->setToolTip("Change size of picture for webcam");
    auto* nameLabel = named(new QLabel("Webcam filename:", group), "Label_Webcamname");
    auto* qualityLabel = named(new QLabel("Compression quality:", group), "Label_Compression");
    auto* resizeLabel = named(new QLabel("Resize:", group), "Label_Resize");
    auto* form = new QFormLayout(group);
    form->addRow(CheckBox_DeleteCamPic);
    form->addRow(nameLabel, Edit_Webcamname);
    form->addRow(qualityLabel, SpinEdit_Compression);
    form->addRow(resizeLabel, ComboBox_Resize);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);
    texts.text(group, "webcam_groupbox")
        .text(CheckBox_DeleteCamPic, "delete_original_pics_checkbox")
        .text(nameLabel, "webcam_filename_label")
        .text(qualityLabel, "compression_quality_label")
        .text(resizeLabel, "resize_label")
        .hint(CheckBox_DeleteCamPic, "hint_delete_original_pic")
        .hint(Edit_Webcamname, "hint_webcam_filename")
        .hint(SpinEdit_Compression, "hint_compression_quality")
        .hint(ComboBox_Resize, "hint_resize");
}

TWebcamOptions TWebcamPage::options() const {
    TWebcamOptions options;
    options.fileName = Edit_Webcamname->text();
    options.quality = SpinEdit_Compression->value();
    options.scale = TJPEGScale(qMax(0, ComboBox_Resize->currentIndex()));
    options.deleteOriginal = CheckBox_DeleteCamPic->isChecked();
    return options;
}
