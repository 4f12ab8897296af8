#include "Dlg_EncoderSettings.h"

#include "AppServices.h"
#include "Dialogs.h"
#include "LanguageFile.h"
#include "WindowLocaliser.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

constexpr int MaxBitRate = 100000; // kbit/s
constexpr int MaxKeyFrameInterval = 1000;

template <typename T> T* named(T* control, const char* name) {
    control->setObjectName(name);
    return control;
}

} // namespace

TFormEncoderSettings::TFormEncoderSettings(const TLanguageFile& language, const QString& encoder,
                                           const TEncoderSettings& settings, QWidget* parent)
    : QDialog(parent), offer_(EncoderOffer(encoder)), encoder_(encoder),
      texts_(std::make_unique<TWindowLocaliser>(*this, Section)) {
    setObjectName(Section);
    setWindowTitle("Encoder settings");
    const auto read = [&](const char* key, const char* def) {
        return language.read(Section, key, def);
    };
    auto* name = named(new QLabel(encoder, this), "LabelEncoder");
    RadioQuality = named(new QRadioButton("Constant quality", this), "RadioQuality");
    RadioBitRate = named(new QRadioButton("Bit rate (kbit/s)", this), "RadioBitRate");
    SpinQuality = named(new QSpinBox(this), "SpinQuality");
    SpinQuality->setRange(offer_.qualityMin, offer_.qualityMax);
    const bool bestHigh = offer_.higherIsBetter;
    auto* scale = named(new QLabel(this), "LabelQualityScale");
    scale->setText(language.readFormatted(
        Section, "label_quality_scale", "best %s, smallest %s",
        {QString::number(bestHigh ? offer_.qualityMax : offer_.qualityMin),
         QString::number(bestHigh ? offer_.qualityMin : offer_.qualityMax)}));
    SpinBitRate = named(new QSpinBox(this), "SpinBitRate");
    SpinBitRate->setRange(8, MaxBitRate);
    auto* presetLabel = named(new QLabel("Speed preset", this), "LabelPreset");
    ComboPreset = named(new QComboBox(this), "ComboPreset");
    ComboPreset->addItem(read("preset_own", "The encoder's own"));
    ComboPreset->addItems(offer_.presets);
    auto* keyLabel = named(new QLabel("Key frame every (frames)", this), "LabelKeyFrames");
    SpinKeyFrames = named(new QSpinBox(this), "SpinKeyFrames");
    SpinKeyFrames->setRange(0, MaxKeyFrameInterval);
    SpinKeyFrames->setSpecialValueText(read("key_frames_own", "The encoder's own"));
    auto* defaults = named(new QPushButton("Defaults", this), "ButtonDefaults");
    auto* ok = named(new QPushButton("OK", this), "ButtonOK");
    auto* cancel = named(new QPushButton("Cancel", this), "ButtonCancel");
    ok->setDefault(true);
    texts_->text(this, "form")
        .text(RadioQuality, "radio_quality")
        .text(RadioBitRate, "radio_bit_rate")
        .text(presetLabel, "label_preset")
        .text(keyLabel, "label_key_frames")
        .text(defaults, "button_defaults")
        .text(ok, "button_ok")
        .text(cancel, "button_cancel");
    texts_->localise(language);

    auto* form = new QFormLayout(this);
    form->addRow(name);
    auto* quality = new QHBoxLayout;
    quality->addWidget(SpinQuality);
    quality->addWidget(scale);
    form->addRow(RadioQuality, quality);
    form->addRow(RadioBitRate, SpinBitRate);
    form->addRow(presetLabel, ComboPreset);
    form->addRow(keyLabel, SpinKeyFrames);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaults);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    form->addRow(buttons);
    // What the encoder does not offer is not shown.
    for (QWidget* w : {static_cast<QWidget*>(RadioQuality), static_cast<QWidget*>(SpinQuality),
                       static_cast<QWidget*>(scale)})
        w->setVisible(offer_.quality != TEncoderOffer::Quality::None);
    RadioBitRate->setVisible(offer_.bitRate);
    SpinBitRate->setVisible(offer_.bitRate);
    presetLabel->setVisible(!offer_.presets.isEmpty());
    ComboPreset->setVisible(!offer_.presets.isEmpty());
    keyLabel->setVisible(offer_.keyFrames);
    SpinKeyFrames->setVisible(offer_.keyFrames);

    connect(RadioQuality, &QRadioButton::toggled, this, &TFormEncoderSettings::enableRate);
    connect(defaults, &QPushButton::clicked, this,
            [this] { display(DefaultEncoderSettings(encoder_)); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    display(settings);
}

TFormEncoderSettings::~TFormEncoderSettings() = default;

void TFormEncoderSettings::display(const TEncoderSettings& settings) {
    const bool quality = offer_.quality != TEncoderOffer::Quality::None &&
                         (settings.rate == TEncoderSettings::Rate::Quality || !offer_.bitRate);
    (quality ? RadioQuality : RadioBitRate)->setChecked(true);
    SpinQuality->setValue(settings.quality.value_or(
        DefaultEncoderSettings(encoder_).quality.value_or(SpinQuality->minimum())));
    SpinBitRate->setValue(settings.bitRate.value_or(1000));
    ComboPreset->setCurrentIndex(std::max(0, ComboPreset->findText(settings.preset)));
    SpinKeyFrames->setValue(settings.keyFrameInterval.value_or(0));
    enableRate();
}

void TFormEncoderSettings::enableRate() {
    SpinQuality->setEnabled(RadioQuality->isChecked());
    SpinBitRate->setEnabled(RadioBitRate->isChecked());
}

TEncoderSettings TFormEncoderSettings::settings() const {
    TEncoderSettings s;
    s.rate = RadioBitRate->isChecked() ? TEncoderSettings::Rate::BitRate
                                       : TEncoderSettings::Rate::Quality;
    if (offer_.quality != TEncoderOffer::Quality::None)
        s.quality = SpinQuality->value();
    if (offer_.bitRate)
        s.bitRate = SpinBitRate->value();
    if (ComboPreset->currentIndex() > 0)
        s.preset = ComboPreset->currentText();
    if (SpinKeyFrames->value() > 0)
        s.keyFrameInterval = SpinKeyFrames->value();
    return s;
}

bool EditEncoderSettings(TAppServices& services, const QString& encoder, QWidget* parent) {
    TFormEncoderSettings dialog(services.language(), encoder,
                                LoadEncoderSettings(services.settings(), encoder), parent);
    if (ExecModal(dialog) != QDialog::Accepted)
        return false;
    StoreEncoderSettings(services.settings(), encoder, dialog.settings());
    return true;
}
