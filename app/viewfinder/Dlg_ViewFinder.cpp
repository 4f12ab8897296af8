#include "Dlg_ViewFinder.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "Dialogs.h"
#include "Dlg_EncoderSettings.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr QSize ShownSize{320, 240};

// The output modes in the box, with the argument each sends to the camera.
constexpr const char* ModeItems[] = {"Viewfinder off on camera", "Viewfinder to video out",
                                     "Viewfinder to LCD"};
constexpr int ModeArguments[] = {2, 1, 0};

constexpr const char* QualityItems[] = {"Highest", "Very High", "High", "Medium", "Low"};
constexpr int Qualities[] = {10000, 9000, 8000, 6000, 4000};

constexpr int SampleBits[] = {8, 16};
constexpr int SampleRates[] = {22050, 44100, 48000};

// Settings keys: the controls' names.
constexpr const char* WidthKey = "EditWidth";
constexpr const char* HeightKey = "EditHeight";
constexpr const char* OnTheFlyKey = "CheckBoxOnTheFly";
constexpr const char* IncludeSoundKey = "CheckBoxWAV";
constexpr const char* RecordSoundKey = "CheckBoxRecordSound";
constexpr const char* DelayKey = "EditVideoDelay";
constexpr const char* FileNameKey = "EditAviFileName";
constexpr const char* ResolutionKey = "RadioGroupResoltion";
constexpr const char* FrequencyKey = "RadioGroupFreq";
constexpr const char* ChannelsKey = "RadioGroupChannels";
constexpr const char* CompressionKey = "ComboBoxCompression";
// Remote control's picture quality once shared this name; the old one is
// read until this window has stored its own.
constexpr const char* QualityKey = "ViewFinderComboBoxQuality";
constexpr const char* SharedQualityKey = "ComboBoxQuality";

int integerOf(const QLineEdit* edit) {
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    if (!ok)
        throw EConvertError("'" + edit->text() + "' is not a valid integer value");
    return value;
}

void log(const char* handler) {
    LogLine(QString("Enters TFormViewFinder.") + handler);
}

} // namespace

TFormViewFinder::TFormViewFinder(TAppServices& services, TCameraSession& session, QWidget* parent)
    : QDialog(parent), services_(services), session_(session),
      recording_({[this](TAviWriter& writer) { writerCreated(writer); },
                  [this](int done) { progress(done); }}) {
    setObjectName(Section);
    setWindowTitle("ViewFinder");
    setModal(false);
    texts_ = std::make_unique<TWindowLocaliser>(*this, Section);
    texts_->rememberSize("FormViewFinderWidth", "FormViewFinderHeight");
    texts_->text(this, "form");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns({viewfinderGroup(), soundGroup()}, {videoGroup()}));
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    layout->addWidget(StatusBar);
    resize(sizeHint());
    connect(&sound_, &TSoundRecorder::playingStopped, this,
            [this] { ButtonPlayWAV->setStyleSheet({}); });
}

TFormViewFinder::~TFormViewFinder() {
    frames_.reset();
    try {
        endRecording();
    } catch (const ELumvikError& error) {
        LogLine("TFormViewFinder.FormDestroy. Exception=" + error.message());
    }
    // A window never shown read no settings: writing its defaults back
    // would lose the user's.
    if (settingsRead_) {
        texts_->storeSize(services_.settings());
        storeSettings();
    }
}

// A recording still running when no more frames come: the sound stops first,
// so that its WAV file is complete when the AVI file takes it.
void TFormViewFinder::endRecording() {
    const TRecordingState state = recording_.state();
    if (state != TRecordingState::Recording && state != TRecordingState::StopRequested)
        return;
    sound_.StopRecording();
    enableButtons(true);
    recording_.FinishNow();
}

// One column of groups would be taller than a laptop's screen: two columns
// side by side keep every control in view without scrolling.
QHBoxLayout* TFormViewFinder::columns(std::initializer_list<QWidget*> left,
                                      std::initializer_list<QWidget*> right) {
    auto* row = new QHBoxLayout;
    for (const auto& groups : {left, right}) {
        auto* column = new QVBoxLayout;
        for (QWidget* group : groups)
            column->addWidget(group);
        column->addStretch(1);
        row->addLayout(column, 1);
    }
    return row;
}

QPushButton* TFormViewFinder::button(const char* name, const char* caption, const char* key,
                                     void (TFormViewFinder::*handler)()) {
    auto* pushButton = new QPushButton(caption, this);
    pushButton->setObjectName(name);
    connect(pushButton, &QPushButton::clicked, this, Guarded(this, handler));
    texts_->text(pushButton, key);
    return pushButton;
}

QWidget* TFormViewFinder::viewfinderGroup() {
    auto* group = new QGroupBox("Viewfinder", this);
    group->setObjectName("GroupBoxViewfinder");
    Image = new QLabel(group);
    Image->setObjectName("Image");
    Image->setFixedSize(ShownSize);
    Image->setStyleSheet("background: black");
    ComboBoxViewFinderMode = new QComboBox(group);
    ComboBoxViewFinderMode->setObjectName("ComboBoxViewFinderMode");
    for (const char* item : ModeItems)
        ComboBoxViewFinderMode->addItem(item);
    connect(ComboBoxViewFinderMode, &QComboBox::activated, this,
            Guarded(this, &TFormViewFinder::ComboBoxViewFinderModeChange));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(Image, 0, Qt::AlignHCenter);
    layout->addWidget(ComboBoxViewFinderMode);
    ButtonSetAE = button("ButtonSetAE", "Set AE, AF and WB", "button_set_aeafwb",
                         &TFormViewFinder::ButtonSetAEClick);
    layout->addWidget(ButtonSetAE);
    texts_->text(group, "group_viewfinder");
    return group;
}

QWidget* TFormViewFinder::videoGroup() {
    auto* group = new QGroupBox("Video", this);
    group->setObjectName("GroupBoxAvi");
    auto* form = new QFormLayout(group);
    auto edit = [&](const char* name, const QString& value) {
        auto* field = new QLineEdit(value, group);
        field->setObjectName(name);
        return field;
    };
    auto label = [&](const char* text, const char* key) {
        auto* caption = new QLabel(text, group);
        texts_->text(caption, key);
        return caption;
    };
    EditWidth = edit(WidthKey, "320");
    EditHeight = edit(HeightKey, "240");
    auto* size = new QHBoxLayout;
    size->addWidget(EditWidth);
    size->addWidget(new QLabel("X", group));
    size->addWidget(EditHeight);
    form->addRow(label("Resolution:", "label_resolution"), size);
    ComboBoxCompression = new QComboBox(group);
    ComboBoxCompression->setObjectName(CompressionKey);
    connect(ComboBoxCompression, &QComboBox::activated, this,
            Guarded(this, &TFormViewFinder::ComboBoxCompressionChange));
    // The compressor names and the file name are long: each gets a whole row.
    form->addRow(label("AVI Compression", "label_compression"));
    form->addRow(ComboBoxCompression);
    ComboBoxQuality = new QComboBox(group);
    ComboBoxQuality->setObjectName("ComboBoxQuality");
    for (const char* item : QualityItems)
        ComboBoxQuality->addItem(item);
    ComboBoxQuality->setCurrentIndex(2);
    connect(ComboBoxQuality, &QComboBox::activated, this,
            Guarded(this, &TFormViewFinder::ComboBoxQualityChange));
    form->addRow(label("AVI Comp. Quality", "label_comp_quality"), ComboBoxQuality);
    form->addRow(button("ButtonCompressOptions", "AVI Compress Options (if available)",
                        "button_compress_option", &TFormViewFinder::ButtonCompressOptionsClick));
    auto check = [&](const char* name, const char* text, const char* key) {
        auto* box = new QCheckBox(text, group);
        box->setObjectName(name);
        box->setChecked(true);
        texts_->text(box, key);
        form->addRow(box);
        return box;
    };
    CheckBoxOnTheFly = check(OnTheFlyKey, "On the fly compression", "checkbox_on_the_fly");
    CheckBoxWAV = check(IncludeSoundKey, "Include sound in AVI", "checkbox_include_sound");
    connect(CheckBoxWAV, &QCheckBox::clicked, this,
            Guarded(this, &TFormViewFinder::CheckBoxWAVClick));
    CheckBoxRecordSound = check(RecordSoundKey, "Record sound to WAV", "checkbox_record_sound");
    EditVideoDelay = edit(DelayKey, "0");
    connect(EditVideoDelay, &QLineEdit::editingFinished, this,
            Guarded(this, &TFormViewFinder::EditVideoDelayExit));
    auto* delay = new QHBoxLayout;
    delay->addWidget(EditVideoDelay);
    delay->addWidget(button("ButtonCalcDelay", "Calculate", "button_calc_delay",
                            &TFormViewFinder::ButtonCalcDelayClick));
    form->addRow(label("Delay in percent between frames:", "label_delay_in_percent"), delay);
    EditAviFileName = edit(FileNameKey, {});
    auto* file = new QHBoxLayout;
    file->addWidget(EditAviFileName);
    auto* browse = new QPushButton("...", group);
    browse->setObjectName("ButtonBrowseAvi");
    connect(browse, &QPushButton::clicked, this,
            Guarded(this, &TFormViewFinder::ButtonBrowseAviClick));
    file->addWidget(browse);
    form->addRow(label("AVI filename:", "label_avi_file_name"));
    form->addRow(file);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(button("ButtonStartAvi", "Record AVI", "button_start_avi_record",
                              &TFormViewFinder::ButtonStartAviClick));
    ButtonStopAvi = button("ButtonStopAvi", "Stop AVI recording", "button_stop_avi_record",
                           &TFormViewFinder::ButtonStopAviClick);
    buttons->addWidget(ButtonStopAvi);
    form->addRow(buttons);
    texts_->text(group, "group_avi");
    return group;
}

QButtonGroup* TFormViewFinder::radioGroup(QWidget* box, const char* prefix,
                                          const QStringList& items) {
    auto* buttons = new QButtonGroup(box);
    auto* layout = new QHBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], box);
        buttons->addButton(radio, i);
        layout->addWidget(radio);
        texts_->text(radio, prefix + QString("_option_") + QString::number(i + 1));
    }
    buttons->button(1)->setChecked(true);
    texts_->text(box, prefix);
    return buttons;
}

QWidget* TFormViewFinder::soundGroup() {
    auto* group = new QGroupBox("Sound", this);
    group->setObjectName("GroupBoxWav");
    auto* layout = new QVBoxLayout(group);
    auto radios = [&](const char* name, const char* title) {
        auto* box = new QGroupBox(title, group);
        box->setObjectName(name);
        layout->addWidget(box);
        return box;
    };
    RadioGroupResoltion = radioGroup(radios(ResolutionKey, "Resolution"), "radiogroup_resolution",
                                     {"8 bit", "16 bit"});
    RadioGroupFreq = radioGroup(radios(FrequencyKey, "Frequency"), "radiogroup_frequency",
                                {"22050 Hz", "44100 Hz", "48000 Hz"});
    RadioGroupChannels =
        radioGroup(radios(ChannelsKey, "Channels"), "radiogroup_channels", {"Mono", "Stereo"});
    auto* test = new QGridLayout;
    ButtonStartTestWav =
        button("ButtonStartTestWav", "Record test audio", "button_record_test_audio",
               &TFormViewFinder::ButtonStartTestWavClick);
    ButtonStopRecording = button("ButtonStopRecording", "Stop recording", "button_stop_recording",
                                 &TFormViewFinder::ButtonStopRecordingClick);
    ButtonPlayWAV = button("ButtonPlayWAV", "Play recorded audio", "button_play_recorded_audio",
                           &TFormViewFinder::ButtonPlayWAVClick);
    ButtonStopPlay = button("ButtonStopPlay", "Stop playing", "button_stop_playing",
                            &TFormViewFinder::ButtonStopPlayClick);
    test->addWidget(ButtonStartTestWav, 0, 0);
    test->addWidget(ButtonStopRecording, 0, 1);
    test->addWidget(ButtonPlayWAV, 1, 0);
    test->addWidget(ButtonStopPlay, 1, 1);
    layout->addLayout(test);
    texts_->text(group, "group_sound");
    soundTestIdle();
    return group;
}

QString TFormViewFinder::text(const char* key, const char* def) const {
    return services_.language().read(Section, key, def);
}

void TFormViewFinder::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        RunGuarded([this] { FormShow(); });
}

void TFormViewFinder::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        RunGuarded([this] { FormClose(); });
}

void TFormViewFinder::FormShow() {
    log("FormShow");
    frames_ = session_.watchFrames(
        [this](const QByteArray& jpeg) { RunGuarded([this, &jpeg] { FrameReceived(jpeg); }); });
    texts_->restoreSize(services_.settings());
    readSettings();
    ComboBoxViewFinderMode->setEnabled(true);
    texts_->localise(services_.language());
    for (int i = 0; i < ComboBoxViewFinderMode->count(); ++i)
        ComboBoxViewFinderMode->setItemText(
            i, services_.language().read(Section, "viewfinder_option_" + QString::number(i + 1),
                                         ModeItems[i]));
    for (int i = 0; i < ComboBoxQuality->count(); ++i)
        ComboBoxQuality->setItemText(
            i, services_.language().read(
                   Section, "avi_comp_quality_option_" + QString::number(i + 1), QualityItems[i]));
    ComboBoxViewFinderMode->setCurrentIndex(0);
    enableButtons(true);
    // Controls the camera cannot serve are not offered.
    ComboBoxViewFinderMode->setVisible(tesselink::ReleaseDoSupportViewFinderOutput());
    ButtonSetAE->setVisible(tesselink::ReleaseDoSupportViewFinderAuto());
    tesselink::ReleaseStartViewFinder();
}

void TFormViewFinder::FormClose() {
    log("FormClose");
    frames_.reset();
    emit closed();
    tesselink::ReleaseStopViewFinder();
    endRecording();
}

void TFormViewFinder::readSettings() {
    settingsRead_ = true;
    const TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    EditWidth->setText(QString::number(s.readInteger(section, WidthKey, 320)));
    EditHeight->setText(QString::number(s.readInteger(section, HeightKey, 240)));
    CheckBoxOnTheFly->setChecked(s.readBool(section, OnTheFlyKey, true));
    CheckBoxWAV->setChecked(s.readBool(section, IncludeSoundKey, true));
    CheckBoxRecordSound->setChecked(s.readBool(section, RecordSoundKey, true));
    EditVideoDelay->setText(s.readString(section, DelayKey, "0"));
    EditAviFileName->setText(s.readString(section, FileNameKey, {}));
    for (auto [group, key] : {std::pair{RadioGroupResoltion, ResolutionKey},
                              {RadioGroupFreq, FrequencyKey},
                              {RadioGroupChannels, ChannelsKey}})
        if (QAbstractButton* chosen = group->button(s.readInteger(section, key, 1)))
            chosen->setChecked(true);
}

void TFormViewFinder::storeSettings() const {
    TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    s.writeInteger(section, WidthKey, EditWidth->text().toInt());
    s.writeInteger(section, HeightKey, EditHeight->text().toInt());
    s.writeBool(section, OnTheFlyKey, CheckBoxOnTheFly->isChecked());
    s.writeBool(section, IncludeSoundKey, CheckBoxWAV->isChecked());
    s.writeBool(section, RecordSoundKey, CheckBoxRecordSound->isChecked());
    s.writeString(section, DelayKey, EditVideoDelay->text());
    s.writeString(section, FileNameKey, EditAviFileName->text());
    s.writeInteger(section, ResolutionKey, RadioGroupResoltion->checkedId());
    s.writeInteger(section, FrequencyKey, RadioGroupFreq->checkedId());
    s.writeInteger(section, ChannelsKey, RadioGroupChannels->checkedId());
    s.writeInteger(section, CompressionKey, ComboBoxCompression->currentIndex());
    s.writeInteger(section, QualityKey, ComboBoxQuality->currentIndex());
}

void TFormViewFinder::FrameReceived(const QByteArray& jpeg) {
    // A box shown by an earlier frame runs an event loop; frames arriving
    // meanwhile are let go rather than handled inside the earlier one.
    if (handlingFrame_)
        return;
    handlingFrame_ = true;
    const auto done = qScopeGuard([this] { handlingFrame_ = false; });
    const QImage picture = QImage::fromData(jpeg, "JPEG");
    if (picture.isNull())
        throw EConvertError("JPEG error: the viewfinder frame is no JPEG picture");
    Image->setPixmap(QPixmap::fromImage(
        picture.scaled(ShownSize, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    record(picture);
}

void TFormViewFinder::record(const QImage& picture) {
    const double delay = recording_.state() == TRecordingState::Recording ? delayPercent() : 0;
    const bool stopping = recording_.state() == TRecordingState::StopRequested;
    try {
        recording_.Frame(picture, delay);
        // The encoding's last percentage would otherwise stay as if unfinished.
        if (stopping && recording_.state() == TRecordingState::Idle)
            StatusBar->showMessage(services_.language().readFormatted(
                Section, "statusbar_movie_saved", "Movie saved as %s", {EditAviFileName->text()}));
    } catch (const ERecordingStopped& stopped) {
        if (CheckBoxRecordSound->isChecked())
            sound_.StopRecording();
        enableButtons(true);
        soundTestIdle();
        throw EInOutError(services_.language().readFormatted(
            Section,
            stopped.kept ? "errormsg_recording_stopped_kept" : "errormsg_recording_stopped",
            stopped.kept ? "The recording stopped: %s. What was recorded until then is in %s."
                         : "The recording stopped: %s.",
            {stopped.message(), EditAviFileName->text()}));
    }
}

void TFormViewFinder::writerCreated(TAviWriter& writer) {
    const int selected = ComboBoxCompression->currentIndex();
    ComboBoxCompression->clear();
    ComboBoxCompression->addItems(TAviWriter::ListCompressors());
    ComboBoxCompression->setItemText(0, text("no_compression_item", TAviWriter::NoCompression));
    const TSettings& s = services_.settings();
    const int stored = s.readInteger(TSettings::Section, CompressionKey, std::max(selected, 0));
    ComboBoxCompression->setCurrentIndex(stored < ComboBoxCompression->count() ? stored : 0);
    const int quality = s.readInteger(
        TSettings::Section, QualityKey,
        s.readInteger(TSettings::Section, SharedQualityKey, ComboBoxQuality->currentIndex()));
    ComboBoxQuality->setCurrentIndex(std::clamp(quality, 0, 4));
    chooseCompressor();
    writer.SetQuality(Qualities[ComboBoxQuality->currentIndex()]);
}

void TFormViewFinder::chooseCompressor() {
    if (TAviWriter* writer = recording_.writer()) {
        const int index = ComboBoxCompression->currentIndex();
        writer->ChooseCompressor(index > 0 ? ComboBoxCompression->currentText().left(4)
                                           : QString());
        // Settings the user made for this encoder win over the quality box.
        writer->SetEncoderSettings(
            StoredEncoderSettings(services_.settings(), writer->encoderName())
                .value_or(TEncoderSettings()));
    }
}

void TFormViewFinder::progress(int done) {
    if (recording_.state() == TRecordingState::Recording) {
        StatusBar->showMessage(services_.language().readFormatted(
            Section, "statusbar_recording_movie", "Recording movie. %s pictures received",
            {QString::number(recording_.frameCounter())}));
    } else {
        const int counter = std::max(recording_.frameCounter(), 1);
        StatusBar->showMessage(services_.language().readFormatted(
            Section, "statusbar_encoding_movie", "Encoding movie. %s percent done",
            {QString::number(qRound(done * 100.0 / counter))}));
        StatusBar->repaint();
    }
}

double TFormViewFinder::delayPercent() {
    bool ok = false;
    const double delay = EditVideoDelay->text().trimmed().toDouble(&ok);
    if (ok)
        return delay;
    const QString wrong = EditVideoDelay->text();
    EditVideoDelay->setText("0");
    throw EConvertError("'" + wrong + "' is not a valid floating point value");
}

QString TFormViewFinder::wavName() const {
    const QFileInfo avi(EditAviFileName->text());
    return avi.path() + "/" + avi.completeBaseName() + ".wav";
}

TSoundFormat TFormViewFinder::soundFormat() const {
    return {SampleBits[std::max(RadioGroupResoltion->checkedId(), 0)],
            SampleRates[std::max(RadioGroupFreq->checkedId(), 0)],
            RadioGroupChannels->checkedId() == 0 ? 1 : 2};
}

void TFormViewFinder::enableButtons(bool on) {
    for (QPushButton* pushButton : findChildren<QPushButton*>())
        pushButton->setEnabled(on);
    ButtonStopAvi->setEnabled(!on);
    // Only starting a sound test makes sense until one runs.
    if (on)
        soundTestIdle();
}

void TFormViewFinder::soundTestIdle() {
    ButtonStopRecording->setEnabled(false);
    ButtonStartTestWav->setEnabled(true);
    ButtonPlayWAV->setEnabled(false);
    ButtonStopPlay->setEnabled(false);
}

void TFormViewFinder::ComboBoxViewFinderModeChange() {
    log("ComboBoxViewFinderModeChange");
    tesselink::ReleaseSetViewFinderOutput(
        ModeArguments[std::max(ComboBoxViewFinderMode->currentIndex(), 0)]);
    ComboBoxViewFinderMode->setEnabled(false);
}

void TFormViewFinder::ButtonSetAEClick() {
    log("ButtonSetAEClick");
    tesselink::ReleaseActivateViewFinderAuto();
}

void TFormViewFinder::ButtonBrowseAviClick() {
    QString name = EditAviFileName->text();
    if (SaveFileDialog(text("savedialog_avi", "AVI filename"), "AVI files (*.avi)", name))
        EditAviFileName->setText(name);
}

void TFormViewFinder::ButtonStartAviClick() {
    log("ButtonStartAviClick");
    // Nothing is written before the user chose the file's name.
    if (EditAviFileName->text().trimmed().isEmpty())
        ButtonBrowseAviClick();
    if (EditAviFileName->text().trimmed().isEmpty())
        return;
    TAviFileSettings file;
    file.fileName = EditAviFileName->text();
    const QFileInfo avi(file.fileName);
    file.tempFileName = avi.path() + "/~AWTemp" + avi.fileName();
    file.width = integerOf(EditWidth);
    file.height = integerOf(EditHeight);
    if (file.width <= 0 || file.height <= 0)
        throw ERangeError("'" + EditWidth->text() + " X " + EditHeight->text() +
                          "' is not a valid resolution");
    file.onTheFly = CheckBoxOnTheFly->isChecked();
    if (CheckBoxWAV->isChecked())
        file.wavFileName = wavName();
    if (CheckBoxRecordSound->isChecked()) {
        sound_.SetFormat(soundFormat());
        startSound([this] { sound_.RecordToFile(wavName()); });
    }
    recording_.RequestStart(file);
    enableButtons(false);
}

void TFormViewFinder::ButtonStopAviClick() {
    log("ButtonStopAviClick");
    if (CheckBoxRecordSound->isChecked())
        sound_.StopRecording();
    enableButtons(true);
    soundTestIdle();
    recording_.RequestStop();
}

void TFormViewFinder::ComboBoxCompressionChange() {
    chooseCompressor();
}

void TFormViewFinder::ComboBoxQualityChange() {
    if (TAviWriter* writer = recording_.writer())
        writer->SetQuality(Qualities[std::max(ComboBoxQuality->currentIndex(), 0)]);
}

void TFormViewFinder::ButtonCompressOptionsClick() {
    TAviWriter* writer = recording_.writer();
    if (!writer || ComboBoxCompression->currentIndex() <= 0)
        return;
    const QString encoder = writer->encoderName();
    const TEncoderOffer offer = EncoderOffer(encoder);
    if (offer.quality == TEncoderOffer::Quality::None && !offer.bitRate)
        MessageDlg(
            text("infomsg_no_compress_options", "This compressor has no options of its own."),
            mtInformation, mbOK);
    else if (EditEncoderSettings(services_, encoder, this))
        writer->SetEncoderSettings(LoadEncoderSettings(services_.settings(), encoder));
}

void TFormViewFinder::CheckBoxWAVClick() {
    if (CheckBoxWAV->isChecked())
        CheckBoxRecordSound->setChecked(true);
}

void TFormViewFinder::EditVideoDelayExit() {
    delayPercent();
}

void TFormViewFinder::ButtonCalcDelayClick() {
    log("ButtonCalcDelayClick");
    const QString question = services_.language().readMultiLine(
        Section, "infomsg_calculate_video",
        "To perform this calculation you must%s 1. Set the \"Delay in percent between frames\" "
        "to 0%s 2. Uncheck the \"Include sound in AVI\" checkbox%s 3. Check the \"Record sound "
        "sound to WAV\" checkbox%s 4. Record a long video, at least 3 minutes%s Have you done "
        "that press OK to perform the calculation");
    if (MessageDlg(question, mtInformation, mbOK | mbCancel) != mrOk)
        return;
    const qint64 sound = WavSoundLength(wavName());
    const qint64 video = AviPlayingLength(EditAviFileName->text());
    if (video <= 0)
        throw EInOutError("The AVI file " + EditAviFileName->text() + " holds no video");
    EditVideoDelay->setText(QString::number(double(sound - video) / double(video) * 100));
}

// Without a microphone the user must know what to do instead.
void TFormViewFinder::startSound(const std::function<void()>& start) {
    try {
        start();
    } catch (const ENoSoundInput&) {
        throw EInOutError(text("errormsg_no_sound_input",
                               "No microphone was found, so no sound can be recorded. Connect "
                               "one, or untick \"Include sound in AVI\" and \"Record sound to "
                               "WAV\" to record the movie without sound."));
    }
}

void TFormViewFinder::ButtonStartTestWavClick() {
    log("ButtonStartTestWavClick");
    sound_.SetFormat(soundFormat());
    testLeft_.clear();
    testRight_.clear();
    startSound([this] {
        sound_.RecordToMemory([this](const QByteArray& left, const QByteArray& right) {
            testLeft_ += left;
            testRight_ += right;
        });
    });
    ButtonStopRecording->setEnabled(true);
    ButtonStartTestWav->setEnabled(false);
    ButtonPlayWAV->setEnabled(false);
    ButtonStopPlay->setEnabled(false);
}

void TFormViewFinder::ButtonStopRecordingClick() {
    sound_.StopRecording();
    ButtonStopRecording->setEnabled(false);
    ButtonStartTestWav->setEnabled(true);
    ButtonPlayWAV->setEnabled(true);
    ButtonStopPlay->setEnabled(true);
}

void TFormViewFinder::ButtonPlayWAVClick() {
    if (testLeft_.isEmpty())
        return;
    ButtonPlayWAV->setStyleSheet("color: red");
    sound_.Play(testLeft_, testRight_);
}

void TFormViewFinder::ButtonStopPlayClick() {
    sound_.StopPlaying();
}
