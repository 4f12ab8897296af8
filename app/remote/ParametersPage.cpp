#include "ParametersPage.h"

#include "RemoteKeys.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

TParametersPage::TParametersPage(QWidget* parent, TWindowLocaliser& texts) : QWidget(parent) {
    setObjectName("TabSheetParameters");
    auto* grid = new QGridLayout(this);
    LabelZoom = new QLabel("Zoom:", this);
    LabelZoom->setObjectName("LabelZoom");
    TrackBarZoom = new QSlider(Qt::Horizontal, this);
    TrackBarZoom->setObjectName(remotekey::Zoom);
    TrackBarZoom->setRange(0, 1);
    TrackBarZoom->setTickPosition(QSlider::TicksBelow);
    LabelZoomPos = new QLabel("0", this);
    LabelZoomPos->setObjectName("LabelZoomPos");
    grid->addWidget(LabelZoom, 0, 0);
    grid->addWidget(TrackBarZoom, 0, 1);
    grid->addWidget(LabelZoomPos, 0, 2);
    texts.text(LabelZoom, "zoom_label");
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const TParameterBox& spec = ParameterBoxes[b];
        auto* label = new QLabel(spec.labelText, this);
        label->setObjectName(spec.label);
        auto* box = new QComboBox(this);
        box->setObjectName(spec.box);
        box->setEnabled(false);
        label->setBuddy(box);
        grid->addWidget(label, b + 1, 0);
        grid->addWidget(box, b + 1, 1, 1, 2);
        texts.text(label, spec.labelKey);
        boxes[b] = box;
    }
    CheckBoxBeep = new QCheckBox("Camera beep", this);
    CheckBoxBeep->setObjectName(remotekey::Beep);
    CheckBoxBeep->setEnabled(false);
    ButtonGetCamSet = new QPushButton("&Get camera settings", this);
    ButtonGetCamSet->setObjectName("ButtonGetCamSet");
    ButtonSetCameraSettings = new QPushButton("&Set camera settings", this);
    ButtonSetCameraSettings->setObjectName("ButtonSetCameraSettings");
    grid->addWidget(CheckBoxBeep, ParameterBoxCount + 1, 0, 1, 3);
    grid->addWidget(ButtonGetCamSet, ParameterBoxCount + 2, 0, 1, 3);
    grid->addWidget(ButtonSetCameraSettings, ParameterBoxCount + 3, 0, 1, 3);
    grid->setRowStretch(ParameterBoxCount + 4, 1);
    texts.text(CheckBoxBeep, "camera_beep_checkbox")
        .text(ButtonGetCamSet, "get_camera_settings_button")
        .text(ButtonSetCameraSettings, "set_camera_settings_button");
}

void TParametersPage::translate(const TLanguageFile& language) {
    texts_.translate(language);
}

void TParametersPage::fillBoxes() {
    for (int b = 0; b < ParameterBoxCount; ++b) {
        QComboBox* box = boxes[b];
        const QStringList items = texts_.items(b, available_.*ParameterBoxes[b].list);
        box->setEnabled(false);
        box->clear();
        box->addItems(items);
        box->setEnabled(!items.isEmpty());
        box->setCurrentIndex(-1);
    }
    CheckBoxBeep->setEnabled(available_.Beep.size() >= 2);
}

void TParametersPage::showRecord(const tsRemoteReleaseParameters& record) {
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const TParameterBox& spec = ParameterBoxes[b];
        boxes[b]->setCurrentIndex(
            texts_.itemFor(b, available_.*spec.list, FieldValue(record, spec.field)));
    }
    CheckBoxBeep->setChecked(record.Beep == tsRemoteFormatBeepOn);
}

tsRemoteReleaseParameters TParametersPage::collectRecord() const {
    tsRemoteReleaseParameters record;
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const TParameterBox& spec = ParameterBoxes[b];
        SetFieldValue(
            record, spec.field,
            ValueOfItem(available_.*spec.list, boxes[b]->isEnabled(), boxes[b]->currentIndex()));
    }
    if (CheckBoxBeep->isEnabled())
        record.Beep = CheckBoxBeep->isChecked() ? tsRemoteFormatBeepOn : tsRemoteFormatBeepOff;
    return record;
}

bool TParametersPage::rawSelected() const {
    return boxes[QualityBox]->currentText() == texts_.text(QualityBox, tsRemoteFormatQualityRAW);
}

void TParametersPage::showZoom(const tsRemoteZoomPosition& zoom) {
    TrackBarZoom->setMaximum(zoom.secondMaximum);
    TrackBarZoom->setValue(zoom.position);
    LabelZoomPos->setNum(zoom.position);
    TrackBarZoom->setTickInterval(zoom.secondMaximum / 10);
}

void TParametersPage::hideZoom() {
    LabelZoom->hide();
    TrackBarZoom->hide();
}
