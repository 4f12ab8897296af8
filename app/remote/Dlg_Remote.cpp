#include "Dlg_Remote.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "ProgramFolder.h"
#include "RemoteKeys.h"
#include "RemoteNaming.h"
#include "RemoteWidgets.h"
#include "RequestFile.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int DesignWidth = 340;
constexpr int DesignHeight = 551;
constexpr int RequestPollMs = 250;
constexpr int AlarmExaminationMs = 450;

// The two item lists of the window: their items' keys and design texts.
constexpr const char* TransferModeItems[] = {"Only to PC", "To PC and camera", "To camera only"};
constexpr const char* ResizeItems[] = {"To full", "To half", "To quarter", "To eighth"};

} // namespace

TForm_Remote::TForm_Remote(TAppServices& services, TCameraSession& session, QWidget* parent)
    : QDialog(parent), services_(services), camera_(session), remote_(services, session) {
    LogLine("Enters TForm_Remote.FormCreate");
    setObjectName(remotekey::Section);
    setWindowTitle("Remote control");
    texts_ = std::make_unique<TWindowLocaliser>(*this, remotekey::Section);
    texts_->rememberSize(remotekey::Width, remotekey::Height);
    buildControls();
    remote_.onProgress = [this](int percent) { ProgressBar->setValue(percent); };
    resize(DesignWidth, DesignHeight);
    readSettings();
    timingDatesToToday();
    SetHint(CheckBox_ShowHintRemote->isChecked());
    Initvar();
    EnableButtoms(false);
    PageControl->setCurrentIndex(0);
    requestPoll_ = TClock::current().periodic(RequestPollMs, [this] {
        // The error box of a failed request lets the poll run again; the
        // request waits until the box is closed and is then tried once more.
        if (handlingRequest_)
            return;
        handlingRequest_ = true;
        RunGuarded([this] { TimerRequestTimer(); });
        handlingRequest_ = false;
    });
    alarmClock_ = TClock::current().periodic(AlarmExaminationMs, [this] { examineAlarms(); });
}

TForm_Remote::~TForm_Remote() {
    LogLine("Enters TForm_Remote.FormDestroy");
    writeSettings();
}

QString TForm_Remote::text(const char* key, const char* def) const {
    return services_.language().read(remotekey::Section, key, def);
}

void TForm_Remote::buildControls() {
    PageControl = named(new QTabWidget(this), "PageControl");
    PageControl->addTab(remotePage(), "&Remote");
    PageControl->addTab(webcamPage(), "&Webcam");
    PageControl->addTab(timingPage(), "&Timing");
    PageControl->addTab(parametersPage(), "&Parameters");
    StatusBar = named(new QLabel(this), "StatusBar");
    StatusBar->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addWidget(StatusBar);
    texts_->text(this, "form");
}

QWidget* TForm_Remote::remotePage() {
    auto* page = named(new QWidget(this), "TabSheetRemote");
    auto* modeLabel = named(new QLabel("Transfer mode:", page), "Label_TransMode");
    ComboBox_TransMode = named(new QComboBox(page), remotekey::TransferMode);
    for (const char* item : TransferModeItems)
        ComboBox_TransMode->addItem(item);
    ComboBox_TransMode->setToolTip("Select where the pictures go");
    CheckBox_ShowHintRemote =
        checkBox(page, remotekey::ShowHint, "Show &Hint", "Show hints on the controls");
    CheckBoxShutDown = checkBox(page, remotekey::ShutDown, "&Disconnect between shots",
                                "Leave release control between\ntimed pictures");
    CheckBoxEnableParameters =
        checkBox(page, remotekey::EnableParameters, "&Enable all remote parameters",
                 "List every value of every parameter,\nalso those the camera does not report");
    CheckBoxEnableParameters->installEventFilter(this);
    auto* previewLabel = named(new QLabel("Preview:", page), "Label_Preview");
    Image = named(new QLabel(page), "Image");
    Image->setFixedSize(160, 120);
    Image->setScaledContents(true);
    Image->setFrameShape(QFrame::Box);
    Image->setToolTip("Preview picture of last taken picture.");
    Button_StartRemoteProcess =
        named(new QPushButton("Start remote process", page), "Button_StartRemoteProcess");
    Button_StartRemoteProcess->setToolTip("Opens or closes the remote process");
    Button_TakePic = named(new QPushButton("&Take a picture", page), "Button_TakePic");
    Button_TakePic->setToolTip("Takes one picture");
    ButtonViewFinder = named(new QPushButton("Start ViewFinder", page), "ButtonViewFinder");
    auto* directoryLabel = named(new QLabel("Computer Directory:", page), "Label_Directory");
    DirectoryEdit = named(new QLineEdit(page), remotekey::Directory);
    DirectoryEdit->setToolTip("The directory on the computer\nwhere the pictures go");
    auto* browse = named(new QToolButton(page), "DirectoryEditBrowse");
    browse->setText("...");
    ProgressBar = named(new QProgressBar(page), "ProgressBar");
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    BitBtn_Close = named(new QPushButton("Close", page), "BitBtn_Close");

    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(DirectoryEdit, 1);
    directoryRow->addWidget(browse);
    auto* layout = new QVBoxLayout(page);
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

    connect(Button_StartRemoteProcess, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::Button_StartRemoteProcessClick));
    connect(Button_TakePic, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::Button_TakePicClick));
    connect(ButtonViewFinder, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::ButtonViewFinderClick));
    connect(CheckBox_ShowHintRemote, &QCheckBox::clicked, this,
            Guarded(this, &TForm_Remote::CheckBox_ShowHintClick));
    connect(DirectoryEdit, &QLineEdit::editingFinished, this,
            Guarded(this, &TForm_Remote::DirectoryEditExit));
    connect(browse, &QToolButton::clicked, this, [this] {
        QString directory = DirectoryEdit->text();
        if (SelectDirectory(text("computer_directory_label", "Computer Directory:"), directory)) {
            DirectoryEdit->setText(directory);
            DirectoryEditExit();
        }
    });
    connect(BitBtn_Close, &QPushButton::clicked, this, &QDialog::close);
    texts_->text(modeLabel, "transfer_mode_label")
        .text(CheckBox_ShowHintRemote, "show_hint_checkbox")
        .text(CheckBoxShutDown, "show_disconnect_checkbox")
        .text(CheckBoxEnableParameters, "enable_all_remote_param_checkbox")
        .text(previewLabel, "preview_label")
        .text(Button_TakePic, "take_a_picture_button")
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
    return page;
}

QWidget* TForm_Remote::webcamPage() {
    auto* page = named(new QWidget(this), "TabSheetWebcam");
    auto* group = named(new QGroupBox("Webcam", page), "GroupBox_webcam");
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
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch(1);
    texts_->text(group, "webcam_groupbox")
        .text(CheckBox_DeleteCamPic, "delete_original_pics_checkbox")
        .text(nameLabel, "webcam_filename_label")
        .text(qualityLabel, "compression_quality_label")
        .text(resizeLabel, "resize_label")
        .hint(CheckBox_DeleteCamPic, "hint_delete_original_pic")
        .hint(Edit_Webcamname, "hint_webcam_filename")
        .hint(SpinEdit_Compression, "hint_compression_quality")
        .hint(ComboBox_Resize, "hint_resize");
    return page;
}

void TForm_Remote::readSettings() {
    const TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    DirectoryEdit->setText(s.readString(section, remotekey::Directory, ""));
    CheckBox_ShowHintRemote->setChecked(s.readBool(section, remotekey::ShowHint, true));
    CheckBoxShutDown->setChecked(s.readBool(section, remotekey::ShutDown, false));
    CheckBoxEnableParameters->setChecked(s.readBool(section, remotekey::EnableParameters, false));
    ComboBox_TransMode->setCurrentIndex(s.readInteger(section, remotekey::TransferMode, 0));
    Edit_Webcamname->setText(s.readString(section, remotekey::WebcamName, ""));
    SpinEdit_Compression->setValue(s.readInteger(section, remotekey::Compression, 75));
    ComboBox_Resize->setCurrentIndex(s.readInteger(section, remotekey::Resize, 0));
    CheckBox_DeleteCamPic->setChecked(s.readBool(section, remotekey::DeleteCamPic, false));
}

void TForm_Remote::writeSettings() {
    TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    texts_->storeSize(s);
    s.writeBool(section, remotekey::ShowHint, CheckBox_ShowHintRemote->isChecked());
    s.writeString(section, remotekey::WebcamName, Edit_Webcamname->text());
    s.writeString(section, remotekey::Directory, DirectoryEdit->text());
    s.writeInteger(section, remotekey::TransferMode, ComboBox_TransMode->currentIndex());
    s.writeInteger(section, remotekey::Compression, SpinEdit_Compression->value());
    s.writeInteger(section, remotekey::Resize, ComboBox_Resize->currentIndex());
    s.writeBool(section, remotekey::DeleteCamPic, CheckBox_DeleteCamPic->isChecked());
    s.writeBool(section, remotekey::ShutDown, CheckBoxShutDown->isChecked());
    s.writeBool(section, remotekey::EnableParameters, CheckBoxEnableParameters->isChecked());
}

void TForm_Remote::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        RunGuarded([this] { FormShow(); });
}

void TForm_Remote::FormShow() {
    if (firstShow_) {
        firstShow_ = false;
        texts_->restoreSize(services_.settings());
    }
    const TLanguageFile& language = services_.language();
    parameterTexts_.translate(language);
    texts_->localise(language);
    localiseLists();
    startProcessText_ = text("start_remote_process_button", "Start remote process");
    stopProcessText_ = text("stop_remote_process_button", "Stop remote process");
    startTakingText_ = text("start_taking_pics_button", "Start taking pictures remote");
    stopTakingText_ = text("stop_taking_pics_button", "Stop taking pictures remote");
    Button_StartRemoteProcess->setText(remote_.processActive() ? stopProcessText_
                                                               : startProcessText_);
    Button_StartAutoTrf->setText(timed_.active() ? stopTakingText_ : startTakingText_);
    fillBoxes();
    if (autoStart_) {
        autoStart_ = false;
        Button_StartRemoteProcessClick();
    }
}

void TForm_Remote::localiseLists() {
    const auto localise = [this](QComboBox* box, const char* prefix) {
        const int selected = box->currentIndex();
        for (int i = 0; i < box->count(); ++i)
            box->setItemText(i, services_.language().read(remotekey::Section,
                                                          prefix + QString::number(i + 1),
                                                          box->itemText(i)));
        box->setCurrentIndex(selected);
    };
    localise(ComboBox_TransMode, "transfer_mode_option_");
    localise(ComboBox_Resize, "resize_option_");
    const char* const pageKeys[] = {"remote_tab_sheet", "webcam_tab_sheet", "timing_tab_sheet",
                                    "release_parameters_tab_sheet"};
    for (int i = 0; i < PageControl->count(); ++i)
        PageControl->setTabText(
            i, services_.language().read(remotekey::Section, pageKeys[i], PageControl->tabText(i)));
}

void TForm_Remote::SetStatus(const QString& status) {
    StatusBar->setText(status);
}

void TForm_Remote::SetHint(bool on) {
    LogLine("Enters TForm_Remote.SetHint");
    setProperty("hintsOn", on);
    for (QWidget* control : std::initializer_list<QWidget*>{
             CheckBox_ShowHintRemote, CheckBoxShutDown, CheckBoxEnableParameters,
             ComboBox_TransMode, GroupBox_Auto, CheckBox_Start, CheckBox_Stop, Button_StartAutoTrf,
             Image, Button_TakePic, DirectoryEdit, Button_StartRemoteProcess, Edit_Webcamname,
             SpinEdit_Compression, ComboBox_Resize, CheckBox_DeleteCamPic}) {
        control->removeEventFilter(this);
        control->installEventFilter(this);
    }
}

bool TForm_Remote::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && !property("hintsOn").toBool())
        return true;
    if (watched == CheckBoxEnableParameters && event->type() == QEvent::FocusOut)
        RunGuarded([this] { FormShow(); });
    return QDialog::eventFilter(watched, event);
}

void TForm_Remote::CheckBox_ShowHintClick() {
    LogLine("Enters TForm_Remote.CheckBox_ShowHintClick");
    SetHint(CheckBox_ShowHintRemote->isChecked());
}

void TForm_Remote::EnableButtoms(bool on) {
    LogLine("Enters TForm_Remote.EnableButtoms");
    for (QWidget* button :
         std::initializer_list<QWidget*>{Button_TakePic, Button_StartAutoTrf, ButtonGetCamSet,
                                         ButtonSetCameraSettings, ButtonViewFinder})
        button->setEnabled(on);
}

void TForm_Remote::DirectoryEditExit() {
    if (!QDir(DirectoryEdit->text()).exists()) {
        MessageDlg(text("errormsg_dir_dont_exists",
                        "Directory does not exists. You have to enter a valid directory!"),
                   mtError, mbOK);
        DirectoryEdit->setFocus();
    }
    services_.settings().writeString(TSettings::Section, remotekey::Directory,
                                     DirectoryEdit->text());
}

void TForm_Remote::Button_StartRemoteProcessClick() {
    LogLine("Enters TForm_Remote.Button_StartRemoteProcessClick");
    if (remote_.processActive()) {
        if (closeViewFinder)
            closeViewFinder();
        StopReleasePic();
        Button_StartRemoteProcess->setText(startProcessText_);
        return;
    }
    StartReleasePic();
    Button_StartRemoteProcess->setText(stopProcessText_);
    SetStatus(
        text("statusbar_remote_probing_parameters", "Probing camera parameters. Please wait."));
    tesselink::GetAvailableParameters(CheckBoxEnableParameters->isChecked(), available_);
    fillBoxes();
    SetStatus("");
    readCameraParameters();
}

void TForm_Remote::StartReleasePic() {
    const TRemoteFaculties faculties =
        remote_.StartReleasePic(ComboBox_TransMode->currentIndex(), DirectoryEdit->text());
    zoomSupported_ = faculties.zoom;
    ButtonViewFinder->setVisible(faculties.viewFinder);
    if (!zoomSupported_)
        hideZoom();
    EnableButtoms(true);
    SetStatus(text("statusbar_remote_proc_opened", "Remote process is opened"));
}

void TForm_Remote::StopReleasePic() {
    const bool wasActive = remote_.processActive();
    remote_.StopReleasePic();
    if (wasActive) {
        EnableButtoms(false);
        Button_StartRemoteProcess->setText(startProcessText_);
    }
    SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
    Initvar();
}

void TForm_Remote::Initvar() {
    LogLine("Enters Initvar");
    timed_.stop();
    setCountdown(false);
    Button_StartAutoTrf->setText(startTakingText_);
    releaseEnd_ = false;
    remote_.setBusy(false);
    if (remote_.processActive()) {
        Button_TakePic->setEnabled(true);
        Button_StartAutoTrf->setEnabled(true);
    }
}

void TForm_Remote::Button_TakePicClick() {
    LogLine("Enters Button_TakePicClick");
    try {
        Initvar();
        Button_TakePic->setEnabled(false);
        releaseEnd_ = true;
        SetStatus(text("statusbar_taking_the_picture", "Taking the picture"));
        takeAndTransfer();
    } catch (const ELumvikError& error) {
        LogLine("Button_TakePicClick Exception=" + error.message());
        Initvar();
        SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
        throw;
    }
}

void TForm_Remote::takeAndTransfer() {
    TakePicture();
    PictureTaken();
}

void TForm_Remote::TakePicture() {
    remote_.TakePicture(ComboBox_TransMode->currentIndex(), collectRecord(), zoomSupported_,
                        TrackBarZoom->value(), TrackBarZoom->maximum());
}

TShot TForm_Remote::shot() const {
    TShot shot;
    shot.mode = ComboBox_TransMode->currentIndex();
    shot.directory = DirectoryEdit->text();
    shot.requestedName = requestedName_;
    shot.convertToBmp = convertToBmp_;
    shot.raw = rawSelected();
    shot.counter = timed_.counter();
    shot.webcam.fileName = Edit_Webcamname->text();
    shot.webcam.quality = SpinEdit_Compression->value();
    shot.webcam.scale = TJPEGScale(qMax(0, ComboBox_Resize->currentIndex()));
    shot.webcam.deleteOriginal = CheckBox_DeleteCamPic->isChecked();
    return shot;
}

void TForm_Remote::PictureTaken() {
    LogLine("Enters PictureTaken");
    try {
        if (!remote_.processActive()) {
            LogLine("Exception, nearly. mReleaseProcessActive");
        } else {
            remote_.TransferPicture(shot(),
                                    [this](const QString& thumbnail) { showPreview(thumbnail); });
            if (releaseEnd_) {
                LogLine("PictureTaken.mReleaseEnd");
                SetStatus(text("statusbar_picture_arrived", "The picture is taken"));
                Initvar();
            } else if (CheckBoxShutDown->isChecked()) {
                remote_.LeaveBetweenShots();
            }
            remote_.setBusy(false);
        }
    } catch (const ELumvikError& error) {
        LogLine("Exception=" + error.message());
        Initvar();
        SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
        ProgressBar->setValue(0);
        throw;
    }
    ProgressBar->setValue(0);
}

void TForm_Remote::showPreview(const QString& thumbnail) {
    const QPixmap preview(thumbnail);
    if (preview.isNull())
        throw EConvertError("Can not load " + thumbnail);
    Image->setPixmap(preview);
}

void TForm_Remote::ButtonViewFinderClick() {
    viewFinderOpen_ = true;
    if (startViewFinder)
        startViewFinder();
}

void TForm_Remote::TimerRequestTimer() {
    const QString path = ProgramFile(remotekey::RequestFile);
    if (remote_.processActive() && QFile::exists(path) &&
        (!undeletedRequest_ || RequestStampOf(path) != undeletedRequest_))
        handleRequest(path);
}

// A request is taken at most once: one that cannot be deleted is not taken
// again (nor its failed deletion told again) while the same file stays.
void TForm_Remote::handleRequest(const QString& path) {
    const auto remove = [&] {
        if (!QFile::remove(path) && QFile::exists(path)) {
            undeletedRequest_ = RequestStampOf(path);
            throw EInOutError(services_.language().readFormatted(
                remotekey::Section, "errormsg_remote_delete_file", "Can not delete %s", {path}));
        }
    };
    TPictureRequest request;
    try {
        request = ReadPictureRequest(path);
        if (!request.fileName.isEmpty() && !IsPlainFileName(request.fileName))
            throw ERangeError("");
    } catch (const ELumvikError&) {
        // Another program's name must not reach outside the computer
        // directory: such a request is answered by its removal, unanswered.
        remove();
        const QString refused = services_.language().readFormatted(
            remotekey::Section, "statusbar_remote_request_refused",
            "The request in %s is no valid request and was removed", {path});
        LogLine(refused);
        SetStatus(refused);
        return;
    }
    requestedName_ = request.fileName;
    convertToBmp_ = request.convertToBmp;
    Button_TakePicClick();
    remove();
    LogLine("Remote: take_picture.ini deleted. Time = " + remote_.elapsed());
}

void TForm_Remote::reject() {
    LogLine("Enters TForm_Remote.FormClose");
    remote_.CancelShot();
    RunGuarded([this] {
        if (closeViewFinder)
            closeViewFinder();
        if (remote_.releaseEntered())
            StopReleasePic();
    });
    QDialog::reject();
}
