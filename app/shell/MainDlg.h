#pragma once
// The main window: the hub whose menus open every other window, and the owner
// of the application services (settings, language file, debug log, message
// thread) that every window reaches through TAppServices, and of the camera
// session.

#include "AppServices.h"
#include "LanguageFile.h"
#include "MainFlows.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;
class TCameraSession;
class TForm_language;
class TMessageThread;
class TSettings;
class TWindowLocaliser;

class TForm_main : public QMainWindow, public TAppServices {
    Q_OBJECT
  public:
    static constexpr const char* Section = TAppServices::MainSection;

    // Runs the create step; `arguments` is the command line without the program.
    explicit TForm_main(TMainFlows flows = {}, QStringList arguments = {});
    // Runs the exit sequence.
    ~TForm_main() override;

    TSettings& settings() override;
    const TLanguageFile& language() const override;
    QString currentLanguage() const override;

    // The one panel of the status bar.
    void SetStatusText(const QString& text) override;
    QString statusText() const;
    bool debugEnabled() const override;
    TMessageThread* messageThread() const;
    TCameraSession& session() { return *session_; }

    // Steps and menu handlers.
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormDestroy();
    void Connect1Click();
    void Disconnect1Click();
    void Selectlanguage1Click();
    void PropertiesMenuClick();
    void Quit1Click();
    void Getpictures1Click();
    void Getpicturesfromcomputer1Click();
    void Takepictureremote1Click();
    void Uploadpictures1Click();
    void Add1Click();
    void DeleteUSBAutostart2Click();
    void Emailpictures1Click();
    void Sendarequestoffunction1Click();
    void Senderrorreportorrequestoffunction1Click();
    void Sendaquestion1Click();
    void Debug1Click();
    void Searchforanupdate1Click();
    void About2Click();
    void BitBtn_ExplorerClick();

    // The controls, named as in the language file and the settings.
    QLabel* LabelPCSourceDir;
    QLineEdit* EditPCSourceDir;
    QToolButton* BitBtn_Explorer;
    QPushButton* BitBtnClose;
    QStatusBar* StatusBar1;
    QMenu* Camera1;
    QAction* Connect1;
    QAction* Disconnect1;
    QAction* Selectlanguage1;
    QAction* PropertiesMenu;
    QAction* Quit1;
    QMenu* Pictures1;
    QAction* Getpictures1;
    QAction* Getpicturesfromcomputer1;
    QAction* Takepictureremote1;
    QAction* Uploadpictures1;
    QMenu* USB1;
    QAction* AddUSBAutostart1;
    QAction* DeleteUSBAutostart2;
    QMenu* Email1;
    QAction* Emailpictures1;
    QAction* Sendarequestoffunction1;
    QAction* Senderrorreportorrequestoffunction1;
    QAction* Sendaquestion1;
    QMenu* About1;
    QAction* Debug1;
    QAction* Automatucwebupdates1;
    QAction* Searchforanupdate1;
    QAction* About2;

  protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    QAction* addItem(QMenu* menu, const char* name, const char* caption,
                     void (TForm_main::*handler)());
    void runFlow(const char* handler, const TMainFlows::Hook& hook);
    void run(const TMainFlows::Hook& hook);
    TMainContext context();
    void cleanUpOldDrivers();
    bool languageChosen() const;
    void logStartup();

    TMainFlows flows_;
    QStringList arguments_;
    QString currentLanguage_;
    std::unique_ptr<TSettings> settings_;
    TLanguageFile language_;
    std::unique_ptr<TWindowLocaliser> texts_;
    std::unique_ptr<TMessageThread> messageThread_;
    std::unique_ptr<TCameraSession> session_;
    std::unique_ptr<TForm_language> languageWindow_;
    QLabel* statusPanel_;
    bool shown_ = false;
    bool activated_ = false;
};
