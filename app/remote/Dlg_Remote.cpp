#include "Dlg_Remote.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "ParametersPage.h"
#include "ProgramFolder.h"
#include "RemoteKeys.h"
#include "RemoteNaming.h"
#include "RemotePage.h"
#include "RemoteWidgets.h"
#include "RequestFile.h"
#include "Settings.h"
#include "TimingPage.h"
#include "WebcamPage.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
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

} // namespace

TForm_Remote::TForm_Remote(TAppServices& services, TCameraSession& session, QWidget* parent)
    : QDialog(parent), services_(services), camera_(session), remote_(services, session) {
    LogLine("Enters TForm_Remote.FormCreate");
    setObjectName(remotekey::Section);
    setWindowTitle("Remote control");
    texts_ = std::make_unique<TWindowLocaliser>(*this, remotekey::Section);
    texts_->rememberSize(remotekey::Width, remotekey::Height);
    buildControls();
    remote_.onProgress = [this](int percent) { remotePage_->ProgressBar->setValue(percent); };
    resize(DesignWidth, DesignHeight);
    readSettings();
    timingPage_->showToday(Now());
    SetHint(remotePage_->CheckBox_ShowHintRemote->isChecked());
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
    remotePage_ = new TRemotePage(this, *texts_);
    webcamPage_ = new TWebcamPage(this, *texts_);
    timingPage_ = new TTimingPage(this, *texts_);
    parametersPage_ = new TParametersPage(this, *texts_);
    PageControl->addTab(remotePage_, "&Remote");
    PageControl->addTab(webcamPage_, "&Webcam");
    PageControl->addTab(timingPage_, "&Timing");
    PageControl->addTab(parametersPage_, "&Parameters");
    StatusBar = named(new QLabel(this), "StatusBar");
    StatusBar->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addWidget(StatusBar);
    texts_->text(this, "form");
    connectRemotePage();
    connect(timingPage_->Button_StartAutoTrf, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::Button_StartAutoTrfClick));
    connectParametersPage();
}

void TForm_Remote::connectRemotePage() {
    const TRemotePage* page = remotePage_;
    page->CheckBoxEnableParameters->installEventFilter(this);
    connect(page->Button_StartRemoteProcess, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::Button_StartRemoteProcessClick));
    connect(page->Button_TakePic, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::Button_TakePicClick));
    connect(page->ButtonViewFinder, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::ButtonViewFinderClick));
    connect(page->CheckBox_ShowHintRemote, &QCheckBox::clicked, this,
            Guarded(this, &TForm_Remote::CheckBox_ShowHintClick));
    connect(page->DirectoryEdit, &QLineEdit::editingFinished, this,
            Guarded(this, &TForm_Remote::DirectoryEditExit));
    connect(page->DirectoryEditBrowse, &QToolButton::clicked, this, [this] {
        QString directory = remotePage_->DirectoryEdit->text();
        if (SelectDirectory(text("computer_directory_label", "Computer Directory:"), directory)) {
            remotePage_->DirectoryEdit->setText(directory);
            DirectoryEditExit();
        }
    });
    connect(page->BitBtn_Close, &QPushButton::clicked, this, &QDialog::close);
}

void TForm_Remote::readSettings() {
    const TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    remotePage_->DirectoryEdit->setText(s.readString(section, remotekey::Directory, ""));
    remotePage_->CheckBox_ShowHintRemote->setChecked(
        s.readBool(section, remotekey::ShowHint, true));
    remotePage_->CheckBoxShutDown->setChecked(s.readBool(section, remotekey::ShutDown, false));
    remotePage_->CheckBoxEnableParameters->setChecked(
        s.readBool(section, remotekey::EnableParameters, false));
    remotePage_->ComboBox_TransMode->setCurrentIndex(
        s.readInteger(section, remotekey::TransferMode, 0));
    webcamPage_->Edit_Webcamname->setText(s.readString(section, remotekey::WebcamName, ""));
    webcamPage_->SpinEdit_Compression->setValue(s.readInteger(section, remotekey::Compression, 75));
    webcamPage_->ComboBox_Resize->setCurrentIndex(s.readInteger(section, remotekey::Resize, 0));
    webcamPage_->CheckBox_DeleteCamPic->setChecked(
        s.readBool(section, remotekey::DeleteCamPic, false));
}

void TForm_Remote::writeSettings() {
    TSettings& s = services_.settings();
    const QString section = TSettings::Section;
    texts_->storeSize(s);
    s.writeBool(section, remotekey::ShowHint, remotePage_->CheckBox_ShowHintRemote->isChecked());
    s.writeString(section, remotekey::WebcamName, webcamPage_->Edit_Webcamname->text());
    s.writeString(section, remotekey::Directory, remotePage_->DirectoryEdit->text());
    s.writeInteger(section, remotekey::TransferMode,
                   remotePage_->ComboBox_TransMode->currentIndex());
    s.writeInteger(section, remotekey::Compression, webcamPage_->SpinEdit_Compression->value());
    s.writeInteger(section, remotekey::Resize, webcamPage_->ComboBox_Resize->currentIndex());
    s.writeBool(section, remotekey::DeleteCamPic, webcamPage_->CheckBox_DeleteCamPic->isChecked());
    s.writeBool(section, remotekey::ShutDown, remotePage_->CheckBoxShutDown->isChecked());
    s.writeBool(section, remotekey::EnableParameters,
                remotePage_->CheckBoxEnableParameters->isChecked());
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
    parametersPage_->translate(language);
    texts_->localise(language);
    localiseLists();
    startProcessText_ = text("start_remote_process_button", "Start remote process");
    stopProcessText_ = text("stop_remote_process_button", "Stop remote process");
    startTakingText_ = text("start_taking_pics_button", "Start taking pictures remote");
    stopTakingText_ = text("stop_taking_pics_button", "Stop taking pictures remote");
    remotePage_->Button_StartRemoteProcess->setText(remote_.processActive() ? stopProcessText_
                                                                            : startProcessText_);
    timingPage_->Button_StartAutoTrf->setText(timed_.active() ? stopTakingText_ : startTakingText_);
    parametersPage_->fillBoxes();
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
    localise(remotePage_->ComboBox_TransMode, "transfer_mode_option_");
    localise(webcamPage_->ComboBox_Resize, "resize_option_");
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
             remotePage_->CheckBox_ShowHintRemote, remotePage_->CheckBoxShutDown,
             remotePage_->CheckBoxEnableParameters, remotePage_->ComboBox_TransMode,
             timingPage_->GroupBox_Auto, timingPage_->CheckBox_Start, timingPage_->CheckBox_Stop,
             timingPage_->Button_StartAutoTrf, remotePage_->Image, remotePage_->Button_TakePic,
             remotePage_->DirectoryEdit, remotePage_->Button_StartRemoteProcess,
             webcamPage_->Edit_Webcamname, webcamPage_->SpinEdit_Compression,
             webcamPage_->ComboBox_Resize, webcamPage_->CheckBox_DeleteCamPic}) {
        control->removeEventFilter(this);
        control->installEventFilter(this);
    }
}

bool TForm_Remote::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && !property("hintsOn").toBool())
        return true;
    if (watched == remotePage_->CheckBoxEnableParameters && event->type() == QEvent::FocusOut)
        RunGuarded([this] { FormShow(); });
    return QDialog::eventFilter(watched, event);
}

void TForm_Remote::CheckBox_ShowHintClick() {
    LogLine("Enters TForm_Remote.CheckBox_ShowHintClick");
    SetHint(remotePage_->CheckBox_ShowHintRemote->isChecked());
}

void TForm_Remote::EnableButtoms(bool on) {
    LogLine("Enters TForm_Remote.EnableButtoms");
    for (QWidget* button : std::initializer_list<QWidget*>{
             remotePage_->Button_TakePic, timingPage_->Button_StartAutoTrf,
             parametersPage_->ButtonGetCamSet, parametersPage_->ButtonSetCameraSettings,
             remotePage_->ButtonViewFinder})
        button->setEnabled(on);
}

void TForm_Remote::DirectoryEditExit() {
    if (!QDir(remotePage_->DirectoryEdit->text()).exists()) {
        MessageDlg(text("errormsg_dir_dont_exists",
                        "Directory does not exists. You have to enter a valid directory!"),
                   mtError, mbOK);
        remotePage_->DirectoryEdit->setFocus();
    }
    services_.settings().writeString(TSettings::Section, remotekey::Directory,
                                     remotePage_->DirectoryEdit->text());
}

void TForm_Remote::Button_StartRemoteProcessClick() {
    LogLine("Enters TForm_Remote.Button_StartRemoteProcessClick");
    if (remote_.processActive()) {
        if (closeViewFinder)
            closeViewFinder();
        StopReleasePic();
        remotePage_->Button_StartRemoteProcess->setText(startProcessText_);
        return;
    }
    StartReleasePic();
    remotePage_->Button_StartRemoteProcess->setText(stopProcessText_);
    SetStatus(
        text("statusbar_remote_probing_parameters", "Probing camera parameters. Please wait."));
    tesselink::GetAvailableParameters(remotePage_->CheckBoxEnableParameters->isChecked(),
                                      parametersPage_->available());
    parametersPage_->fillBoxes();
    SetStatus("");
    readCameraParameters();
}

void TForm_Remote::StartReleasePic() {
    const TRemoteFaculties faculties = remote_.StartReleasePic(
        remotePage_->ComboBox_TransMode->currentIndex(), remotePage_->DirectoryEdit->text());
    zoomSupported_ = faculties.zoom;
    remotePage_->ButtonViewFinder->setVisible(faculties.viewFinder);
    if (!zoomSupported_)
        parametersPage_->hideZoom();
    EnableButtoms(true);
    SetStatus(text("statusbar_remote_proc_opened", "Remote process is opened"));
}

void TForm_Remote::StopReleasePic() {
    const bool wasActive = remote_.processActive();
    remote_.StopReleasePic();
    if (wasActive) {
        EnableButtoms(false);
        remotePage_->Button_StartRemoteProcess->setText(startProcessText_);
    }
    SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
    Initvar();
}

void TForm_Remote::Initvar() {
    LogLine("Enters Initvar");
    timed_.stop();
    setCountdown(false);
    timingPage_->Button_StartAutoTrf->setText(startTakingText_);
    releaseEnd_ = false;
    remote_.setBusy(false);
    if (remote_.processActive()) {
        remotePage_->Button_TakePic->setEnabled(true);
        timingPage_->Button_StartAutoTrf->setEnabled(true);
    }
}

void TForm_Remote::Button_TakePicClick() {
    LogLine("Enters Button_TakePicClick");
    try {
        Initvar();
        remotePage_->Button_TakePic->setEnabled(false);
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
    remote_.TakePicture(remotePage_->ComboBox_TransMode->currentIndex(),
                        parametersPage_->collectRecord(), zoomSupported_,
                        parametersPage_->TrackBarZoom->value(),
                        parametersPage_->TrackBarZoom->maximum());
}

TShot TForm_Remote::shot() const {
    TShot shot;
    shot.mode = remotePage_->ComboBox_TransMode->currentIndex();
    shot.directory = remotePage_->DirectoryEdit->text();
    shot.requestedName = requestedName_;
    shot.convertToBmp = convertToBmp_;
    shot.raw = parametersPage_->rawSelected();
    shot.counter = timed_.counter();
    shot.webcam = webcamPage_->options();
    return shot;
}

void TForm_Remote::PictureTaken() {
    LogLine("Enters PictureTaken");
    try {
        if (!remote_.processActive()) {
            LogLine("Exception, nearly. mReleaseProcessActive");
        } else {
            remote_.TransferPicture(
                shot(), [this](const QString& thumbnail) { remotePage_->showPreview(thumbnail); });
            if (releaseEnd_) {
                LogLine("PictureTaken.mReleaseEnd");
                SetStatus(text("statusbar_picture_arrived", "The picture is taken"));
                Initvar();
            } else if (remotePage_->CheckBoxShutDown->isChecked()) {
                remote_.LeaveBetweenShots();
            }
            remote_.setBusy(false);
        }
    } catch (const ELumvikError& error) {
        LogLine("Exception=" + error.message());
        Initvar();
        SetStatus(text("statusbar_remote_proc_stopped", "Remote process stopped"));
        remotePage_->ProgressBar->setValue(0);
        throw;
    }
    remotePage_->ProgressBar->setValue(0);
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
