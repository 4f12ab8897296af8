#include "Dlg_Properties.h"

#include "AppException.h"
#include "AppServices.h"
#include "AtomicFile.h"
#include "Dialogs.h"
#include "Errors.h"
#include "InternetError.h"
#include "LanguageFile.h"
#include "Log.h"
#include "MailAddress.h"
#include "OffThread.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

// One text field of the window: its label and texts; its name is its
// settings key.
struct TFormProperties::Field {
    QLineEdit* TFormProperties::*edit;
    const char* name;
    const char* labelName;
    const char* labelText;
    const char* labelKey;
};

const TFormProperties::Field TFormProperties::Fields[8] = {
    {&TFormProperties::EditInternetUsername, "EditInternetUsername", "LabelInternetUsername",
     "Username", "internet_username_label"},
    {&TFormProperties::EditInternetPassword, "EditInternetPassword", "LabelInternetPassword",
     "Password", "internet_password_label"},
    {&TFormProperties::EditInternetServer, "EditInternetServer", "LabelInternetServer", "Server",
     "internet_server_label"},
    {&TFormProperties::EditInternetPort, "EditInternetPort", "LabelInternetPort", "Port",
     "internet_port_label"},
    {&TFormProperties::Edit_YourName, "Edit_YourName", "Label_your_name",
     "Your name:", "your_name_label"},
    {&TFormProperties::Edit_EmailAdr, "Edit_EmailAdr", "Label_email_adress",
     "Your email address:", "your_email_label"},
    {&TFormProperties::Edit_SMTPServer, "Edit_SMTPServer", "Label_SMTP_server",
     "SMTP Server:", "smtp_server_label"},
    {&TFormProperties::Edit1_UserID, "Edit1_UserID", "Label_user_id", "UserID:", "userid_label"},
};

namespace {

constexpr int DesignWidth = 420;
constexpr int DesignHeight = 300;
constexpr const char* PortKey = "SpinEdit_SMTPPort";
constexpr const char* SecurityKey = "ComboBox_SMTPSecurity";
constexpr const char* LoginKey = "CheckBox_SMTPLogin";
constexpr const char* TestMailSubject = "Testmail from Lumvik";
constexpr const char* UpdateIniFile = "upgrade_lumvik.ini";

// The security list's items with their keys, in the order of TSmtpSecurity.
constexpr const char* SecurityItems[][2] = {
    {"smtp_security_item_1", "None"},
    {"smtp_security_item_2", "STARTTLS"},
    {"smtp_security_item_3", "SSL/TLS"},
};

// Shows the busy cursor while it lives.
struct TBusyCursor {
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

bool TMailAccount::complete() const {
    return !name.isEmpty() && !address.isEmpty() && !server.host.isEmpty() && !userId.isEmpty();
}

TFormProperties::TFormProperties(TAppServices& services, QWidget* parent, const QUrl& testAddress)
    : QDialog(parent), services_(services), testAddress_(testAddress) {
    setObjectName(Section);
    setWindowTitle("Properties");
    texts_ = std::make_unique<TWindowLocaliser>(*this, Section);
    texts_->rememberSize("FormPropertiesWidth", "FormPropertiesHeight");
    buildControls();
    resize(DesignWidth, DesignHeight);
    texts_->restoreSize(services_.settings());
    restoreFields();
    PageControlEmail->setCurrentIndex(0);
}

TFormProperties::~TFormProperties() = default;

void TFormProperties::buildControls() {
    PageControlEmail = new QTabWidget(this);
    PageControlEmail->setObjectName("PageControlEmail");
    PageControlEmail->addTab(internetPage(), "&Internet");
    PageControlEmail->addTab(emailPage(), "&Email");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControlEmail);
    texts_->text(this, "form");
}

void TFormProperties::addFields(QFormLayout* form, std::span<const Field> fields) {
    for (const Field& f : fields) {
        QLineEdit* edit = new QLineEdit(this);
        edit->setObjectName(f.name);
        this->*f.edit = edit;
        auto* label = new QLabel(f.labelText, this);
        label->setObjectName(f.labelName);
        label->setBuddy(edit);
        form->addRow(label, edit);
        texts_->text(label, f.labelKey);
    }
}

QWidget* TFormProperties::internetPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheetInternetProp");
    auto* group = new QGroupBox("Internet Proxy Properties", page);
    group->setObjectName("GroupBoxInternet");
    auto* form = new QFormLayout(group);
    addFields(form, std::span(Fields).first(4));
    EditInternetPassword->setEchoMode(QLineEdit::Password);
    auto* test = new QPushButton("&Test communications", page);
    test->setObjectName("ButtonInternetTestComm");
    connect(test, &QPushButton::clicked, this,
            Guarded(this, &TFormProperties::ButtonInternetTestCommClick));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addWidget(test, 0, Qt::AlignLeft);
    layout->addStretch(1);
    texts_->text(group, "internet_proxy_prop_group_box_label")
        .text(test, "test_communication_button");
    return page;
}

QWidget* TFormProperties::emailPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheetEmail");
    auto* form = new QFormLayout;
    addFields(form, std::span(Fields).last(4));
    // Beyond the classic fields: what today's mail servers ask for.
    SpinEdit_SMTPPort = new QSpinBox(page);
    SpinEdit_SMTPPort->setObjectName(PortKey);
    SpinEdit_SMTPPort->setRange(1, 65535);
    auto* portLabel = new QLabel("Port:", page);
    form->addRow(portLabel, SpinEdit_SMTPPort);
    ComboBox_SMTPSecurity = new QComboBox(page);
    ComboBox_SMTPSecurity->setObjectName(SecurityKey);
    for (const auto& item : SecurityItems)
        ComboBox_SMTPSecurity->addItem(item[1]);
    auto* securityLabel = new QLabel("Security:", page);
    form->addRow(securityLabel, ComboBox_SMTPSecurity);
    CheckBox_SMTPLogin = new QCheckBox("Log in with the UserID and a password", page);
    CheckBox_SMTPLogin->setObjectName(LoginKey);
    form->addRow(CheckBox_SMTPLogin);
    auto* testMail = new QPushButton("&Send testmail", page);
    testMail->setObjectName("Button_Testmail");
    connect(testMail, &QPushButton::clicked, this,
            Guarded(this, &TFormProperties::Button_TestmailClick));
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(testMail, 0, Qt::AlignLeft);
    layout->addStretch(1);
    texts_->text(portLabel, "smtp_port_label")
        .text(securityLabel, "smtp_security_label")
        .text(CheckBox_SMTPLogin, "smtp_login_label")
        .text(testMail, "send_testmail_button");
    return page;
}

void TFormProperties::restoreFields() {
    const TSettings& settings = services_.settings();
    for (const Field& f : Fields)
        (this->*f.edit)->setText(settings.readString(TSettings::Section, f.name, {}));
    SpinEdit_SMTPPort->setValue(
        settings.readInteger(TSettings::Section, PortKey, TSmtpServer::DefaultPort));
    ComboBox_SMTPSecurity->setCurrentIndex(
        std::clamp(settings.readInteger(TSettings::Section, SecurityKey, 0), 0, 2));
    CheckBox_SMTPLogin->setChecked(settings.readBool(TSettings::Section, LoginKey, false));
}

void TFormProperties::storeFields() const {
    TSettings& settings = services_.settings();
    for (const Field& f : Fields)
        settings.writeString(TSettings::Section, f.name, (this->*f.edit)->text());
    settings.writeInteger(TSettings::Section, PortKey, SpinEdit_SMTPPort->value());
    settings.writeInteger(TSettings::Section, SecurityKey, ComboBox_SMTPSecurity->currentIndex());
    settings.writeBool(TSettings::Section, LoginKey, CheckBox_SMTPLogin->isChecked());
}

void TFormProperties::showModal() {
    ExecModal(*this);
    // Stored at every close rather than only at exit: nothing typed is lost
    // if the program ends abnormally.
    storeFields();
    texts_->storeSize(services_.settings());
}

void TFormProperties::selectEmailPage() {
    PageControlEmail->setCurrentIndex(1);
}

void TFormProperties::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormProperties::FormShow() {
    const TLanguageFile& language = services_.language();
    texts_->localise(language);
    PageControlEmail->setTabText(
        0, language.read(Section, "internet_tabsheet_label", PageControlEmail->tabText(0)));
    PageControlEmail->setTabText(
        1, language.read(Section, "email_tabsheet_label", PageControlEmail->tabText(1)));
    for (int i = 0; i < ComboBox_SMTPSecurity->count(); ++i)
        ComboBox_SMTPSecurity->setItemText(
            i, language.read(Section, SecurityItems[i][0], SecurityItems[i][1]));
}

TProxySettings TFormProperties::proxy() const {
    return {EditInternetServer->text(), EditInternetPort->text(), EditInternetUsername->text(),
            EditInternetPassword->text()};
}

TMailAccount TFormProperties::account() const {
    TMailAccount a;
    a.name = Edit_YourName->text();
    a.address = Edit_EmailAdr->text();
    a.userId = Edit1_UserID->text();
    a.server.host = Edit_SMTPServer->text();
    a.server.port = SpinEdit_SMTPPort->value();
    a.server.security = TSmtpSecurity(ComboBox_SMTPSecurity->currentIndex());
    a.server.login = CheckBox_SMTPLogin->isChecked();
    a.server.user = a.userId;
    return a;
}

bool TFormProperties::askPassword() {
    const TMailAccount a = account();
    QString password;
    const TLanguageFile& language = services_.language();
    if (!PasswordQuery(language.read(Section, "password_query_caption", "SMTP login"),
                       language.readFormatted(Section, "password_query_prompt",
                                              "Password of %s on %s:", {a.userId, a.server.host}),
                       password))
        return false;
    smtpPassword_ = password;
    return true;
}

// Credentials never travel in clear: a login needs STARTTLS or SSL/TLS.
bool TFormProperties::loginEncrypted(const TMailAccount& a) const {
    if (!a.server.login || a.server.security != TSmtpSecurity::None)
        return true;
    MessageDlg(services_.language().read(
                   Section, "errormsg_login_needs_encryption",
                   "Your password would go to the SMTP server unencrypted, so it is not sent. "
                   "Choose STARTTLS or SSL/TLS as Security, or turn the login off."),
               mtError, mbOK);
    return false;
}

bool TFormProperties::send(TMailMessage message, TCancelFlag& cancel) {
    TMailAccount a = account();
    if (!IsMailAddress(a.address)) {
        MessageDlg(services_.language().readFormatted(
                       Section, "errormsg_invalid_sender",
                       "Your email address is not an e-mail address: %s", {a.address}),
                   mtError, mbOK);
        return false;
    }
    if (!loginEncrypted(a))
        return false;
    if (a.server.login && smtpPassword_.isEmpty() && !askPassword())
        return false;
    a.server.password = smtpPassword_;
    message.fromName = a.name;
    message.fromAddress = a.address;
    message.date = QDateTime::currentDateTime();
    try {
        TBusyCursor busy;
        RunOffThread([&] { SendMail(a.server, message, &cancel); }, cancel);
    } catch (const EInternetError& e) {
        if (e.cancelled()) {
            LogLine("Sending cancelled");
            return false;
        }
        // A refused login must not be tried again unasked.
        smtpPassword_.clear();
        throw EInternetError(e.text(services_.language()), e.kind());
    } catch (...) {
        smtpPassword_.clear();
        throw;
    }
    return true;
}

void TFormProperties::reject() {
    cancel_ = true;
    QDialog::reject();
}

// A test runs with the pages disabled, so it cannot start twice; the window
// stays open and answers, and closing it cancels the test.
void TFormProperties::runTest(const std::function<void()>& work) {
    cancel_ = false;
    PageControlEmail->setEnabled(false);
    struct TEnable {
        QWidget* pages;
        ~TEnable() { pages->setEnabled(true); }
    } enable{PageControlEmail};
    work();
}

void TFormProperties::ButtonInternetTestCommClick() {
    LogLine("Enters TFormProperties.ButtonInternetTestCommClick");
    const TLanguageFile& language = services_.language();
    try {
        runTest([this] {
            TBusyCursor busy;
            QByteArray answer;
            THttpOptions options;
            options.cancel = &cancel_;
            const TProxySettings through = proxy();
            RunOffThread([&] { answer = HttpGet(testAddress_, through, options); }, cancel_);
            // The file is replaced only by a complete answer.
            WriteFileAtomically(ProgramFile(UpdateIniFile), answer);
        });
    } catch (const ELumvikError& e) {
        LogLine("Exception!. No internet. Message = " + e.message());
        const auto* internet = dynamic_cast<const EInternetError*>(&e);
        if (internet && internet->cancelled())
            return;
        MessageDlg(internet && internet->kind() == EInternetError::TKind::TimedOut
                       ? internet->text(language)
                       : language.read(Section, "errormsg_no_internet",
                                       "No internet connection was found"),
                   mtWarning, mbOK);
        return;
    }
    MessageDlg(language.read(Section, "infomsg_internet_conn_ok", "Internet connection tested ok"),
               mtInformation, mbOK);
}

void TFormProperties::Button_TestmailClick() {
    LogLine("Enters TFormProperties.Button_TestmailClick");
    const TLanguageFile& language = services_.language();
    const TMailAccount a = account();
    if (!a.complete()) {
        MessageDlg(language.read(Section, "infomsg_all_fields_must_be_entered",
                                 "All fields in the dialog must be entered"),
                   mtError, mbOK);
        return;
    }
    TMailMessage message;
    message.to = {a.address};
    message.subject = TestMailSubject;
    message.body = language.read(Section, "infomsg_test_email_body_text",
                                 "If you receive this mail, lumvik has successfully sent an email");
    try {
        bool sent = false;
        runTest([&] { sent = send(message, cancel_); });
        if (!sent)
            return;
        MessageDlg(language.readFormatted(Section, "infomsg_test_mail_sent",
                                          "Testmail has been sent to %s", {a.address}),
                   mtInformation, mbOK);
    } catch (const ELumvikError&) {
        MessageDlg(language.read(Section, "infomsg_problems_connecting_to_SMTP_server",
                                 "Could not connect to SMTP-server"),
                   mtError, mbOK);
        throw;
    }
}
