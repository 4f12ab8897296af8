#include "MailFlows.h"

#include "AppServices.h"
#include "Contacts.h"
#include "Dialogs.h"
#include "Dlg_Properties.h"
#include "Dlg_SendEmail.h"
#include "LanguageFile.h"
#include "Log.h"

namespace {

using Windows = std::shared_ptr<TMailWindows>;

// A mail to the program's makers: to the support address and the users' group.
TForm_SendEmail& supportMail(TMailWindows& windows, const TMainContext& context,
                             const QString& subject) {
    TForm_SendEmail& mail = windows.newMail(context.services);
    mail.addRecipient(SupportAddress);
    mail.addRecipient(UserGroupAddress);
    mail.setSubject(subject);
    return mail;
}

TMainFlows::Hook supportMailFlow(const Windows& windows, const char* subject) {
    return [windows, subject](const TMainContext& context) {
        supportMail(*windows, context, subject);
        windows->showMail();
    };
}

// The debug log goes along as it stands: closed so that nothing is written to
// it while it is sent, and opened again afterwards, appending.
void errorReport(TMailWindows& windows, const TMainContext& context) {
    TForm_SendEmail& mail = supportMail(windows, context, "Lumvik error report");
    if (!context.services.debugEnabled()) {
        MessageDlg(context.services.language().read(
                       TAppServices::MainSection, "infomsg_send_err_report",
                       "To send an errorreport enable the Debug switch in the about menu. Then "
                       "make the error, so it is logged into the log-file. After that use this "
                       "menu to send the error report"),
                   mtError, mbOK);
        return;
    }
    TDebugLog& log = TDebugLog::instance();
    log.close();
    mail.addAttachment(LogPath());
    struct TReopen {
        TDebugLog& log;
        ~TReopen() { log.reopen(); }
    } reopen{log};
    windows.showMail();
}

} // namespace

TMailWindows::TMailWindows() = default;

TMailWindows::~TMailWindows() = default;

TFormProperties& TMailWindows::properties(TAppServices& services) {
    if (!properties_)
        properties_ = std::make_unique<TFormProperties>(services);
    return *properties_;
}

TForm_SendEmail& TMailWindows::newMail(TAppServices& services) {
    if (!mail_)
        mail_ = std::make_unique<TForm_SendEmail>(services, properties(services));
    mail_->Clear();
    return *mail_;
}

void TMailWindows::showMail() {
    // Destroyed also when the window ends by an error.
    const std::unique_ptr<TForm_SendEmail> mail = std::move(mail_);
    if (mail)
        mail->showModal();
}

TMainFlows WithMailFlows(TMainFlows flows, Windows windows) {
    flows.emailPictures = [windows](const TMainContext& context) {
        windows->newMail(context.services);
        windows->showMail();
    };
    flows.requestOfFunction = supportMailFlow(windows, "Lumvik request for function");
    flows.question = supportMailFlow(windows, "Lumvik support question");
    flows.errorReport = [windows](const TMainContext& context) { errorReport(*windows, context); };
    flows.properties = [windows](const TMainContext& context) {
        windows->properties(context.services).showModal();
    };
    return flows;
}
