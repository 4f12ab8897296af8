#include "MainDlg.h"

#include "AppException.h"
#include "CameraConnection.h"
#include "CameraSession.h"
#include "Dialogs.h"
#include "Dlg_Language.h"
#include "Log.h"
#include "MainActions.h"
#include "OsVersion.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "ThreadMessage.h"
#include "ToolkitTexts.h"
#include "Version.h"
#include "WindowLocaliser.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString MissingLanguageFile =
    "Lumvik could not open the language file! Lumvik will work, since default texts are "
    "available (in english).";

constexpr int DesignWidth = 224;
constexpr int DesignHeight = 147;
constexpr int MenuBarRoom = 24;

// The main window's settings, in the program's section of the store.
namespace key {
constexpr const char* Language = "language";
constexpr const char* Width = "MainDlgWidth";
constexpr const char* Height = "MainDlgHeight";
constexpr const char* Debug = "Debug";
constexpr const char* AutomaticUpdates = "Automatucwebupdates1";
constexpr const char* SourceDirectory = "EditPCSourceDir";
constexpr const char* USBSelected = "USBSelected";
constexpr const char* Program = "Lumvik_exe";
} // namespace key

} // namespace

TForm_main::TForm_main(TMainFlows flows, QStringList arguments)
    : flows_(std::move(flows)), arguments_(std::move(arguments)) {
    setObjectName(Section);
    setWindowTitle(ProgramTitle);
    texts_ = std::make_unique<TWindowLocaliser>(*this, Section);
    texts_->rememberSize(key::Width, key::Height);
    session_ = std::make_unique<TCameraSession>(*this);
    connect(session_.get(), &TCameraSession::cameraEvent, this, [this](int event, int reason) {
        if (messageThread_)
            PostCameraEvent(*messageThread_, language_, event, reason);
    });
    buildControls();
    buildMenus();
    // Large enough for the whole menu bar in the platform's font.
    resize(QSize(DesignWidth, DesignHeight)
               .expandedTo(sizeHint())
               .expandedTo(QSize(menuBar()->sizeHint().width() + MenuBarRoom, 0)));
    RunGuarded([this] { FormCreate(); });
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
    languageWindow_ = std::make_unique<TForm_language>(this);
    SetAppMarkerWindow(this);
}

TForm_main::~TForm_main() {
    RunGuarded([this] { FormDestroy(); });
}

void TForm_main::buildControls() {
    auto* central = new QWidget(this);
    LabelPCSourceDir = new QLabel("Source directory for pictures:", central);
    EditPCSourceDir = new QLineEdit(central);
    LabelPCSourceDir->setBuddy(EditPCSourceDir);
    EditPCSourceDir->installEventFilter(this);
    BitBtn_Explorer = new QToolButton(central);
    BitBtn_Explorer->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    BitBtnClose = new QPushButton("&Quit", central);
    connect(BitBtn_Explorer, &QToolButton::clicked, this,
            Guarded(this, &TForm_main::BitBtn_ExplorerClick));
    connect(BitBtnClose, &QPushButton::clicked, this, &QWidget::close);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(EditPCSourceDir, 1);
    folderRow->addWidget(BitBtn_Explorer);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(BitBtnClose);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(LabelPCSourceDir);
    layout->addLayout(folderRow);
    layout->addStretch(1);
    layout->addLayout(buttonRow);
    setCentralWidget(central);

    StatusBar1 = new QStatusBar(this);
    statusPanel_ = new QLabel(StatusBar1);
    // Set in like the controls above rather than against the window's edge.
    statusPanel_->setIndent(layout->contentsMargins().left());
    // A long status text must not widen the window for good: it is cut, and
    // shown whole as the panel's tip.
    statusPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    StatusBar1->addWidget(statusPanel_, 1);
    setStatusBar(StatusBar1);
}

QAction* TForm_main::addItem(QMenu* menu, const char* name, const char* caption,
                             void (TForm_main::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, Guarded(this, handler));
    return action;
}

// The menus in the order of their localisation: each menu and item with its
// key, the six shortcuts with theirs, then the label.
void TForm_main::buildMenus() {
    const auto menu = [this](const char* name, const char* caption, const char* key) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(name);
        texts_->text(m, key);
        return m;
    };
    const auto item = [this](QMenu* m, const char* name, const char* caption, const char* key,
                             void (TForm_main::*handler)()) {
        QAction* action = addItem(m, name, caption, handler);
        texts_->text(action, key);
        return action;
    };

    Camera1 = menu("Camera1", "&Camera", "camera_menu");
    Connect1 =
        item(Camera1, "Connect1", "&Connect", "camera_connect_menu", &TForm_main::Connect1Click);
    Disconnect1 = item(Camera1, "Disconnect1", "&Disconnect", "camera_disconnect_menu",
                       &TForm_main::Disconnect1Click);
    Selectlanguage1 = item(Camera1, "Selectlanguage1", "Select &language...",
                           "camera_select_language_menu", &TForm_main::Selectlanguage1Click);
    PropertiesMenu = item(Camera1, "PropertiesMenu", "&Properties...", "camera_properties_menu",
                          &TForm_main::PropertiesMenuClick);
    Camera1->addSeparator();
    Quit1 = item(Camera1, "Quit1", "&Quit", "camera_quit_menu", &TForm_main::Quit1Click);
    texts_->shortcut(Quit1, "shortcut_quit_menu", "Ctrl+Q");

    Pictures1 = menu("Pictures1", "&Pictures", "pictures_menu");
    Getpictures1 = item(Pictures1, "Getpictures1", "&Get pictures from camera...",
                        "pictures_get_pic_from_cam_menu", &TForm_main::Getpictures1Click);
    texts_->shortcut(Getpictures1, "shortcut_get_pic_from_cam_menu", "Ctrl+G");
    Getpicturesfromcomputer1 =
        item(Pictures1, "Getpicturesfromcomputer1", "Get &pictures from computer directory...",
             "pictures_get_pic_from_computer_drive", &TForm_main::Getpicturesfromcomputer1Click);
    texts_->shortcut(Getpicturesfromcomputer1, "shortcut_get_pic_from_CF_drive_menu", "Ctrl+P");
    Takepictureremote1 =
        item(Pictures1, "Takepictureremote1", "&Take picture remote...",
             "pictures_take_pic_remote_menu", &TForm_main::Takepictureremote1Click);
    texts_->shortcut(Takepictureremote1, "shortcut_take_pic_remote_menu", "Ctrl+T");
    Uploadpictures1 = item(Pictures1, "Uploadpictures1", "&Upload pictures...",
                           "pictures_upload_pictures", &TForm_main::Uploadpictures1Click);
    texts_->shortcut(Uploadpictures1, "shortcut_upload_menu", "Ctrl+U");

    USB1 = menu("USB1", "&USB", "USB_menu");
    AddUSBAutostart1 = item(USB1, "AddUSBAutostart1", "&Add USB Autostart", "USB_add_usb_auto_menu",
                            &TForm_main::Add1Click);
    DeleteUSBAutostart2 = item(USB1, "DeleteUSBAutostart2", "&Delete USB Autostart",
                               "USB_delete_USB_auto_menu", &TForm_main::DeleteUSBAutostart2Click);

    Email1 = menu("Email1", "&Email", "email_menu");
    Emailpictures1 = item(Email1, "Emailpictures1", "&Email pictures...", "email_pictures_menu",
                          &TForm_main::Emailpictures1Click);
    texts_->shortcut(Emailpictures1, "shortcut_email_menu", "Ctrl+E");
    Sendarequestoffunction1 =
        item(Email1, "Sendarequestoffunction1", "Send &a request of function...",
             "email_send_a_request_menu", &TForm_main::Sendarequestoffunction1Click);
    Senderrorreportorrequestoffunction1 = item(
        Email1, "Senderrorreportorrequestoffunction1", "&Send an errorreport...",
        "email_send_an_errorreport_menu", &TForm_main::Senderrorreportorrequestoffunction1Click);
    Sendaquestion1 = item(Email1, "Sendaquestion1", "Send a &question...",
                          "email_send_a_question_menu", &TForm_main::Sendaquestion1Click);

    About1 = menu("About1", "&About", "about_menu");
    Debug1 = item(About1, "Debug1", "&Debug", "about_debug_menu", &TForm_main::Debug1Click);
    Debug1->setCheckable(true);
    Automatucwebupdates1 = About1->addAction("Automatic &web updates");
    Automatucwebupdates1->setObjectName("Automatucwebupdates1");
    Automatucwebupdates1->setCheckable(true);
    texts_->text(Automatucwebupdates1, "about_autowebupdate_menu");
    Searchforanupdate1 = item(About1, "Searchforanupdate1", "&Search for an web update",
                              "about_searchwebupdate_menu", &TForm_main::Searchforanupdate1Click);
    About1->addSeparator();
    About2 = item(About1, "About2", "&About", "about_about_menu", &TForm_main::About2Click);

    texts_->text(LabelPCSourceDir, "pictures_source_directory");
}

void TForm_main::FormCreate() {
    // The application-wide handler: every step and menu action runs guarded.
    settings_ = std::make_unique<TSettings>();
    const TSettings& s = *settings_;
    currentLanguage_ = s.readString(TSettings::Section, key::Language, "english");
    language_.open(currentLanguage_);
    UseToolkitTexts(language_);
    if (language_.version() == 0)
        MessageDlg(MissingLanguageFile, mtWarning, mbYes);
    texts_->restoreSize(s);
    Debug1->setChecked(s.readBool(TSettings::Section, key::Debug, true));
    Automatucwebupdates1->setChecked(s.readBool(TSettings::Section, key::AutomaticUpdates, false));
    EditPCSourceDir->setText(s.readString(TSettings::Section, key::SourceDirectory, ""));
    if (Debug1->isChecked())
        TDebugLog::instance().open(LogPath());
    logStartup();
    SetStatusText("");
    cleanUpOldDrivers();
    run(flows_.startSDK);
    // The first start offers the USB autostart once, whatever the answer; not
    // before a transfer the desktop started, which must run unattended.
    if (flows_.addUSBAutostart && arguments_.isEmpty() &&
        s.readInteger(TSettings::Section, key::USBSelected, 0) == 0) {
        Add1Click();
        settings_->writeInteger(TSettings::Section, key::USBSelected, 1);
    }
    // Logged times are "HH:mm:ss" throughout (see TDebugLog::timeStamp()).
    run(flows_.registerEventCallback);
    messageThread_ = std::make_unique<TMessageThread>();
}

void TForm_main::logStartup() {
    LogLine("");
    LogLine("");
    LogLine("Lumvik version " + VersionText() + " started");
    LogLine("Language=" + currentLanguage_);
    LogLine("Date and time=" + TDebugLog::timeStamp());
    LogOSVersion();
}

// Drivers of an old release are uninstalled once; then the legacy settings go.
void TForm_main::cleanUpOldDrivers() {
    const QString installer = OldDriverUninstaller(TSettings::LegacyPath());
    if (!installer.isEmpty()) {
        MessageDlg(language_.read(Section, "infomsg_old_drivers_uninstall",
                                  "Old Lumvik drivers found and will be uninstalled"),
                   mtInformation, mbOK);
        QProcess::startDetached(installer, {"uninstall"}, QFileInfo(installer).path());
    }
    QFile::remove(TSettings::LegacyPath());
}

void TForm_main::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    RunGuarded([this] { FormShow(); });
    // Not every window manager activates a new window by itself (none does
    // when there is none), and the activation step waits for it.
    activateWindow();
}

bool TForm_main::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // Every other window is modal, so only the first activation matters; later
    // ones (a modal window closing) must not start the command-line flow again.
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        RunGuarded([this] { FormActivate(); });
    }
    return handled;
}

// A line edit claims keys such as Ctrl+U (erase to the line's start) and
// Ctrl+E (to its end) before the menus see them; the menu's shortcuts win.
bool TForm_main::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* action : findChildren<QAction*>())
            if (action->isEnabled() && action->shortcut() == pressed) {
                event->ignore();
                return true;
            }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm_main::FormShow() {
    // Likewise the language is chosen at the first start without a command
    // line; until then the built-in English serves.
    if (!languageChosen() && arguments_.isEmpty()) {
        // The selection ends by running this step again with the chosen language.
        Selectlanguage1Click();
        return;
    }
    texts_->localise(language_);
    BitBtnClose->setText(language_.read(Section, "camera_quit_menu", Quit1->text()));
    if (flows_.updatesByPackageManager) {
        Searchforanupdate1->setText(
            language_.read(Section, "about_updates_by_package_manager",
                           "Updates come from your system's package manager"));
        Searchforanupdate1->setEnabled(false);
        Automatucwebupdates1->setEnabled(false);
    }
    if (Automatucwebupdates1->isChecked())
        run(flows_.automaticUpdateCheck);
}

void TForm_main::FormActivate() {
    if (arguments_.size() != 1)
        return;
    if (arguments_[0] == "/remote")
        run(flows_.remoteAtStart);
    else if (flows_.transferAtStart)
        flows_.transferAtStart(context(), arguments_[0]);
}

void TForm_main::FormDestroy() {
    LogLine("Entering TForm_main.FormDestroy");
    // A camera that fails to disconnect must not cost the user the settings.
    RunGuarded([this] { run(flows_.disconnect); });
    TSettings& s = *settings_;
    s.writeString(TSettings::Section, key::Program, QCoreApplication::applicationFilePath());
    if (languageChosen())
        s.writeString(TSettings::Section, key::Language, currentLanguage_);
    texts_->storeSize(s);
    s.writeBool(TSettings::Section, key::Debug, Debug1->isChecked());
    s.writeBool(TSettings::Section, key::AutomaticUpdates, Automatucwebupdates1->isChecked());
    s.writeString(TSettings::Section, key::SourceDirectory, EditPCSourceDir->text());
    settings_.reset();
    language_.close();
    run(flows_.stopUpdateThread);
    if (Debug1->isChecked())
        TDebugLog::instance().close();
    CloseAppMarker();
    messageThread_.reset();
    run(flows_.finishSDK);
}

bool TForm_main::languageChosen() const {
    return settings_->readString(TSettings::Section, key::Language, "default") != "default";
}

TSettings& TForm_main::settings() {
    return *settings_;
}

const TLanguageFile& TForm_main::language() const {
    return language_;
}

QString TForm_main::currentLanguage() const {
    return currentLanguage_;
}

void TForm_main::SetStatusText(const QString& text) {
    statusPanel_->setText(text);
    statusPanel_->setToolTip(text);
}

QString TForm_main::statusText() const {
    return statusPanel_->text();
}

bool TForm_main::debugEnabled() const {
    return Debug1->isChecked();
}

TMessageThread* TForm_main::messageThread() const {
    return messageThread_.get();
}

TMainContext TForm_main::context() {
    return {*this, *session_, this, EditPCSourceDir->text()};
}

void TForm_main::run(const TMainFlows::Hook& hook) {
    if (hook)
        hook(context());
}

void TForm_main::runFlow(const char* handler, const TMainFlows::Hook& hook) {
    LogLine(QStringLiteral("Entering TForm_main.") + handler);
    run(hook);
}

void TForm_main::Connect1Click() {
    runFlow("Connect1Click", flows_.connect);
}

void TForm_main::Disconnect1Click() {
    runFlow("Disconnect1Click", flows_.disconnect);
}

void TForm_main::Selectlanguage1Click() {
    LogLine("Entering TForm_main.Selectlanguage1Click");
    languageWindow_->setLanguageText(currentLanguage_);
    for (;;) {
        ExecModal(*languageWindow_);
        if (languageWindow_->isListed())
            break;
        MessageDlg("Language selection is not valid. Try again!", mtError, mbOK);
    }
    currentLanguage_ = languageWindow_->languageText();
    language_.close();
    language_.open(currentLanguage_);
    UseToolkitTexts(language_);
    settings_->writeString(TSettings::Section, key::Language, currentLanguage_);
    FormShow();
}

void TForm_main::PropertiesMenuClick() {
    LogLine("Enters TForm_main.PropertiesMenuClick");
    run(flows_.properties);
}

void TForm_main::Quit1Click() {
    LogLine("Entering TForm_main.Quit1Click");
    run(flows_.disconnect);
    close();
}

void TForm_main::Getpictures1Click() {
    runFlow("Getpictures1Click", flows_.getPicturesFromCamera);
}

void TForm_main::Getpicturesfromcomputer1Click() {
    runFlow("Getpicturesfromcomputer1Click", flows_.getPicturesFromComputer);
}

void TForm_main::Takepictureremote1Click() {
    runFlow("Takepictureremote1Click", flows_.takePictureRemote);
}

void TForm_main::Uploadpictures1Click() {
    runFlow("Uploadpictures1Click", flows_.uploadPictures);
}

void TForm_main::Add1Click() {
    runFlow("Add1Click", flows_.addUSBAutostart);
}

void TForm_main::DeleteUSBAutostart2Click() {
    runFlow("DeleteUSBAutostart2Click", flows_.deleteUSBAutostart);
}

void TForm_main::Emailpictures1Click() {
    runFlow("Emailpictures1Click", flows_.emailPictures);
}

void TForm_main::Sendarequestoffunction1Click() {
    runFlow("Sendarequestoffunction1Click", flows_.requestOfFunction);
}

void TForm_main::Senderrorreportorrequestoffunction1Click() {
    runFlow("Senderrorreportorrequestoffunction1Click", flows_.errorReport);
}

void TForm_main::Sendaquestion1Click() {
    runFlow("Sendaquestion1Click", flows_.question);
}

void TForm_main::Searchforanupdate1Click() {
    runFlow("Searchforanupdate1Click", flows_.searchForUpdate);
}

void TForm_main::About2Click() {
    runFlow("About2Click", flows_.about);
}

// Runs after the check mark has flipped: the new state decides.
void TForm_main::Debug1Click() {
    const bool on = Debug1->isChecked();
    MessageDlg(DebugSwitchText(on, language_), mtInformation, mbYes);
    SwitchDebugLog(on);
}

void TForm_main::BitBtn_ExplorerClick() {
    QString folder = EditPCSourceDir->text();
    if (SelectDirectory(LabelPCSourceDir->text().remove('&'), folder))
        EditPCSourceDir->setText(folder);
}
