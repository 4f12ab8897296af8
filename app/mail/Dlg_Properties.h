#pragma once
// The internet and e-mail properties window: the proxy used by the web update
// and the connection test, and the user's mail identity and SMTP server used
// by the send-mail window and the test mail. It lives for the whole run; what
// is typed stays in the fields and is stored each time the window closes.
// The SMTP password is asked for when a mail is sent and kept in memory only.

#include "Contacts.h"
#include "HttpClient.h"
#include "MailMessage.h"
#include "NetworkLimits.h"
#include "SmtpClient.h"

#include <QDialog>
#include <QUrl>
#include <memory>
#include <span>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QWidget;
class TAppServices;
class TWindowLocaliser;

// The e-mail page as a value: who sends and through which server.
struct TMailAccount {
    QString name;
    QString address;
    QString userId;
    TSmtpServer server; // without the password

    // The four fields a mail needs: name, address, SMTP server and user ID.
    bool complete() const;
    bool operator==(const TMailAccount&) const = default;
};

class TFormProperties : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "FormProperties";

    // Restores the size and the fields (FormCreate). The connection test
    // fetches `testAddress`.
    TFormProperties(TAppServices& services, QWidget* parent = nullptr,
                    const QUrl& testAddress = UpdateIniAddress());
    ~TFormProperties() override;

    // Shows the window modally; the fields and the size are stored when it closes.
    void showModal();
    void selectEmailPage();

    TProxySettings proxy() const;
    TMailAccount account() const;

    // Sends `message` from the account (sender, date filled in here), off
    // the window thread. With login on, asks for the password first unless
    // this run knows it. False when the user declined (password question
    // cancelled, `cancel` set meanwhile, or a sender address that is none or
    // a login without encryption, both reported); throws when the sending
    // fails, after which the password is asked for again.
    bool send(TMailMessage message, TCancelFlag& cancel);

    void FormShow();
    void ButtonInternetTestCommClick();
    void Button_TestmailClick();

    // Closing the window also cancels a test that runs.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct Field;
    // The proxy page's four fields, then the e-mail page's four.
    static const Field Fields[8];
    void buildControls();
    void addFields(QFormLayout* form, std::span<const Field> fields);
    QWidget* internetPage();
    QWidget* emailPage();
    void restoreFields();
    void storeFields() const;
    bool askPassword();
    bool loginEncrypted(const TMailAccount& account) const;
    void runTest(const std::function<void()>& work);

    TAppServices& services_;
    QUrl testAddress_;
    std::unique_ptr<TWindowLocaliser> texts_;
    QString smtpPassword_;
    TCancelFlag cancel_ = false;
    QTabWidget* PageControlEmail;
    QLineEdit* EditInternetUsername;
    QLineEdit* EditInternetPassword;
    QLineEdit* EditInternetServer;
    QLineEdit* EditInternetPort;
    QLineEdit* Edit_YourName;
    QLineEdit* Edit_EmailAdr;
    QLineEdit* Edit_SMTPServer;
    QLineEdit* Edit1_UserID;
    QSpinBox* SpinEdit_SMTPPort;
    QComboBox* ComboBox_SMTPSecurity;
    QCheckBox* CheckBox_SMTPLogin;
};
