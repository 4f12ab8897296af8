// The internet and e-mail properties window against real servers on loopback.

#include "Dlg_Properties.h"
#include "InternetError.h"
#include "Log.h"
#include "MailWindowFixture.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestLog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QJsonArray>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <functional>

namespace {

using loopback::ClosedPort;
using loopback::ParseMail;
using loopback::TEndlessTestServer;
using loopback::THttpTestServer;
using loopback::TNetworkLimitsForTest;
using loopback::TProxyTestServer;
using loopback::TSmtpTestServer;

constexpr const char* IniPath = "/lumvik/download/upgrade_lumvik.ini";
const QByteArray Ini = "[VERSION]\r\nLumvik_version=5.0.1 Build:3\r\n";

class PropertiesWindowTest : public MailWindowTest {
  protected:
    void setProxy(TFormProperties& w, int port, const QString& password) {
        control<QLineEdit>(w, "EditInternetServer").setText("127.0.0.1");
        control<QLineEdit>(w, "EditInternetPort").setText(QString::number(port));
        control<QLineEdit>(w, "EditInternetUsername").setText("alice");
        control<QLineEdit>(w, "EditInternetPassword").setText(password);
    }
    void useLogin(TFormProperties& w, TSmtpSecurity security) {
        control<QComboBox>(w, "ComboBox_SMTPSecurity").setCurrentIndex(int(security));
        control<QCheckBox>(w, "CheckBox_SMTPLogin").setChecked(true);
    }
    int passwordQuestions() const {
        int count = 0;
        for (const TDialogRequest& request : script.asked())
            count += request.kind == TDialogRequest::Password;
        return count;
    }
    QString webFolder() {
        const QString folder = testenv::newFolder("update-server");
        testfiles::Write(folder + IniPath, Ini);
        return folder;
    }
};

TEST_F(PropertiesWindowTest, TypedFieldsStayAndAreStoredWhenTheWindowCloses) {
    TFormProperties w(services);
    EXPECT_EQ(control<QTabWidget>(w, "PageControlEmail").currentIndex(), 0);
    setProxy(w, 3128, "proxy secret");
    fillAccount(w, 2525);
    useLogin(w, TSmtpSecurity::StartTls);
    script.press(QDialog::Rejected);
    w.showModal();
    EXPECT_EQ(w.proxy(), (TProxySettings{"127.0.0.1", "3128", "alice", "proxy secret"}));

    TFormProperties again(services);
    EXPECT_EQ(again.proxy(), w.proxy());
    EXPECT_EQ(again.account(), w.account());
    EXPECT_EQ(again.account().server.port, 2525);
    EXPECT_EQ(again.account().server.security, TSmtpSecurity::StartTls);
    EXPECT_TRUE(again.account().server.login);
    // The proxy password is kept in the settings as typed.
    EXPECT_EQ(services.settings().readString(TSettings::Section, "EditInternetPassword", ""),
              "proxy secret");
}

TEST_F(PropertiesWindowTest, TheDefaultsAreThoseOfAPlainMailServer) {
    const TMailAccount account = TFormProperties(services).account();
    EXPECT_EQ(account.server.port, 25);
    EXPECT_EQ(account.server.security, TSmtpSecurity::None);
    EXPECT_FALSE(account.server.login);
}

TEST_F(PropertiesWindowTest, TheConnectionTestGoesThroughTheProxy) {
    THttpTestServer web(webFolder());
    TProxyTestServer proxy("alice", "s3cret");
    TFormProperties w(services, nullptr, web.url(IniPath));
    setProxy(w, proxy.port(), "s3cret");
    w.ButtonInternetTestCommClick();
    EXPECT_EQ(boxTexts(), QStringList{"Internet connection tested ok"});
    EXPECT_EQ(script.asked().front().type, mtInformation);
    EXPECT_EQ(testfiles::Read(ProgramFile("upgrade_lumvik.ini")), Ini);
    EXPECT_TRUE(
        proxy.log().contains(QString("GET http://127.0.0.1:%1%2").arg(web.port()).arg(IniPath)))
        << proxy.log().toStdString();
}

TEST_F(PropertiesWindowTest, AFailedConnectionTestWarnsAndKeepsTheOldFile) {
    TDebugLog::instance().create(LogPath());
    THttpTestServer web(webFolder());
    TProxyTestServer proxy("alice", "s3cret");
    testfiles::Write(ProgramFile("upgrade_lumvik.ini"), "old");
    TFormProperties w(services, nullptr, web.url(IniPath));
    setProxy(w, proxy.port(), "wrong");
    w.ButtonInternetTestCommClick();
    EXPECT_EQ(boxTexts(), QStringList{"No internet connection was found"});
    EXPECT_EQ(script.asked().front().type, mtWarning);
    EXPECT_EQ(testfiles::Read(ProgramFile("upgrade_lumvik.ini")), "old");
    EXPECT_TRUE(testlog::Messages().filter("Exception!. No internet. Message = ").size() == 1)
        << testlog::Messages().join("\n").toStdString();
    TDebugLog::instance().close();
}

TEST_F(PropertiesWindowTest, TheTestMailGoesToTheOwnAddress) {
    TSmtpTestServer smtp;
    TFormProperties w(services);
    fillAccount(w, smtp.port());
    w.Button_TestmailClick();
    EXPECT_EQ(boxTexts(), QStringList{"Testmail has been sent to anna@example.com"});
    ASSERT_EQ(smtp.messages().size(), 1);
    const loopback::TParsedMail mail = ParseMail(smtp.messages().front());
    EXPECT_EQ(mail.header("Subject"), QStringList{"Testmail from Lumvik"});
    EXPECT_EQ(mail.body, "If you receive this mail, lumvik has successfully sent an email\n");
    EXPECT_EQ(mail.from,
              (QList<loopback::TParsedMail::Mailbox>{{"Anna Smith", "anna@example.com"}}));
    EXPECT_EQ(smtp.envelope(smtp.messages().front())["to"].toArray().at(0).toString(),
              "anna@example.com");
}

TEST_F(PropertiesWindowTest, TheTestMailNeedsEveryField) {
    TSmtpTestServer smtp;
    for (const char* field :
         {"Edit_YourName", "Edit_EmailAdr", "Edit_SMTPServer", "Edit1_UserID"}) {
        TDialogScript local;
        TFormProperties w(services);
        fillAccount(w, smtp.port());
        control<QLineEdit>(w, field).clear();
        w.Button_TestmailClick();
        ASSERT_EQ(local.asked().size(), 1) << field;
        EXPECT_EQ(local.asked().front().text, "All fields in the dialog must be entered");
    }
    EXPECT_TRUE(smtp.messages().isEmpty());
}

TEST_F(PropertiesWindowTest, AnOwnAddressThatIsNoAddressIsNamed) {
    TSmtpTestServer smtp;
    TFormProperties w(services);
    fillAccount(w, smtp.port());
    control<QLineEdit>(w, "Edit_EmailAdr").setText("anna@example.com\r\nBcc: x@y");
    w.Button_TestmailClick();
    EXPECT_EQ(
        boxTexts(),
        QStringList{"Your email address is not an e-mail address: anna@example.com\r\nBcc: x@y"});
    EXPECT_TRUE(smtp.messages().isEmpty());
}

TEST_F(PropertiesWindowTest, AnUnreachableServerGivesTheBoxAndPassesTheErrorOn) {
    TFormProperties w(services);
    fillAccount(w, ClosedPort());
    EXPECT_THROW(w.Button_TestmailClick(), EInternetError);
    EXPECT_EQ(boxTexts(), QStringList{"Could not connect to SMTP-server"});
}

// The login password is asked once a run and goes neither to the settings
// nor to the log.
TEST_F(PropertiesWindowTest, TheLoginPasswordIsAskedOnceAndNeverWritten) {
    TDebugLog::instance().create(LogPath());
    TSmtpTestServer smtp(TSmtpTestServer::StartTls, "anna:Pass-w0rd");
    {
        TFormProperties w(services);
        fillAccount(w, smtp.port());
        useLogin(w, TSmtpSecurity::StartTls);
        script.enter("Pass-w0rd");
        w.Button_TestmailClick();
        w.Button_TestmailClick();
        script.press(QDialog::Rejected);
        w.showModal();
    }
    TDebugLog::instance().close();
    EXPECT_EQ(smtp.messages().size(), 2);
    EXPECT_EQ(passwordQuestions(), 1);
    EXPECT_EQ(script.asked().front().caption, "SMTP login");
    EXPECT_EQ(script.asked().front().text, "Password of anna on 127.0.0.1:");
    for (const QString& file : {TSettings::StorePath(), LogPath()})
        EXPECT_FALSE(testfiles::Read(file).contains("Pass-w0rd")) << file.toStdString();
}

TEST_F(PropertiesWindowTest, ARefusedLoginAsksForThePasswordAgain) {
    TSmtpTestServer smtp(TSmtpTestServer::Tls, "anna:Pass-w0rd");
    TFormProperties w(services);
    fillAccount(w, smtp.port());
    useLogin(w, TSmtpSecurity::Tls);
    script.enter("wrong");
    EXPECT_THROW(w.Button_TestmailClick(), EInternetError);
    script.enter("Pass-w0rd");
    w.Button_TestmailClick();
    EXPECT_EQ(passwordQuestions(), 2);
    EXPECT_EQ(smtp.messages().size(), 1);
}

TEST_F(PropertiesWindowTest, CancellingThePasswordSendsNothing) {
    TSmtpTestServer smtp(TSmtpTestServer::StartTls, "anna:Pass-w0rd");
    TFormProperties w(services);
    fillAccount(w, smtp.port());
    useLogin(w, TSmtpSecurity::StartTls);
    script.press(mrCancel);
    w.Button_TestmailClick();
    EXPECT_TRUE(boxTexts().isEmpty());
    EXPECT_TRUE(smtp.messages().isEmpty());
}

} // namespace

namespace {

constexpr const char* TooSlow = "127.0.0.1 answered too slowly and was given up after 1 seconds. "
                                "Try again later or check the address and the proxy settings.";

// The two tests of the window, each against a server that never finishes.
struct EndlessCase {
    const char* what;
    TEndlessTestServer::Protocol protocol;
    void (TFormProperties::*click)();
};

class PropertiesEndlessTest : public PropertiesWindowTest,
                              public testing::WithParamInterface<EndlessCase> {
  protected:
    // Clicks the case's test against `server`, keeping what it throws.
    void clickAgainst(TFormProperties& w, const TEndlessTestServer& server) {
        fillAccount(w, server.port());
        try {
            (w.*GetParam().click)();
        } catch (const ELumvikError& e) {
            thrown = e.message();
        }
    }
    QString thrown;
};

// A trickling server meets the time limit with a message saying so; until
// then the window answers, and its test cannot be started a second time.
TEST_P(PropertiesEndlessTest, ATricklingServerEndsAtTheTimeLimitWithAMessage) {
    const TNetworkLimitsForTest limits(1000);
    TEndlessTestServer server(GetParam().protocol, 10);
    TFormProperties w(services, nullptr, server.url(IniPath));
    int ticks = 0;
    bool pagesLocked = true;
    QTimer timer;
    timer.callOnTimeout([&] {
        ++ticks;
        pagesLocked = pagesLocked && !control<QTabWidget>(w, "PageControlEmail").isEnabled();
    });
    timer.start(50);
    clickAgainst(w, server);
    EXPECT_GE(ticks, 5) << "the window did not answer meanwhile";
    EXPECT_TRUE(pagesLocked);
    EXPECT_TRUE(control<QTabWidget>(w, "PageControlEmail").isEnabled());
    if (GetParam().protocol == TEndlessTestServer::Http) {
        EXPECT_EQ(boxTexts(), QStringList{TooSlow});
    } else {
        EXPECT_EQ(boxTexts(), QStringList{"Could not connect to SMTP-server"});
        EXPECT_EQ(thrown, TooSlow);
    }
}

// Closing the window ends the test at once, with no message, long before
// the program's own limits.
TEST_P(PropertiesEndlessTest, ClosingTheWindowCancelsTheTest) {
    TEndlessTestServer server(GetParam().protocol, 10);
    TFormProperties w(services, nullptr, server.url(IniPath));
    QTimer closer;
    closer.setSingleShot(true);
    closer.callOnTimeout([&] { w.reject(); });
    closer.start(300);
    clickAgainst(w, server);
    EXPECT_TRUE(boxTexts().isEmpty()) << boxTexts().join("\n").toStdString();
    EXPECT_EQ(thrown, "");
    EXPECT_TRUE(control<QTabWidget>(w, "PageControlEmail").isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Tests, PropertiesEndlessTest,
                         testing::Values(EndlessCase{"Connection", TEndlessTestServer::Http,
                                                     &TFormProperties::ButtonInternetTestCommClick},
                                         EndlessCase{"Mail", TEndlessTestServer::Smtp,
                                                     &TFormProperties::Button_TestmailClick}),
                         [](const testing::TestParamInfo<EndlessCase>& info) {
                             return info.param.what;
                         });

// A server that floods the connection test is cut off at 64 KB: the test
// fails as any other, and the old INI stays.
TEST_F(PropertiesWindowTest, TheConnectionTestReadsAtMost64KB) {
    TDebugLog::instance().create(LogPath());
    TEndlessTestServer flood(TEndlessTestServer::Http, 0);
    testfiles::Write(ProgramFile("upgrade_lumvik.ini"), "old");
    TFormProperties w(services, nullptr, flood.url(IniPath));
    w.ButtonInternetTestCommClick();
    EXPECT_EQ(boxTexts(), QStringList{"No internet connection was found"});
    EXPECT_EQ(testfiles::Read(ProgramFile("upgrade_lumvik.ini")), "old");
    EXPECT_EQ(testlog::Messages().filter("More than 65536 bytes").size(), 1)
        << testlog::Messages().join("\n").toStdString();
    TDebugLog::instance().close();
}

// With Security "None" the password would cross the network in clear: it
// is neither asked for nor sent, and the box names the way out.
TEST_F(PropertiesWindowTest, ALoginWithoutEncryptionIsRefusedBeforeAnythingIsSent) {
    TSmtpTestServer smtp(TSmtpTestServer::Plain, "anna:Pass-w0rd");
    TFormProperties w(services);
    fillAccount(w, smtp.port());
    useLogin(w, TSmtpSecurity::None);
    w.Button_TestmailClick();
    EXPECT_EQ(passwordQuestions(), 0);
    EXPECT_EQ(boxTexts(), QStringList{"Your password would go to the SMTP server unencrypted, so "
                                      "it is not sent. Choose STARTTLS or SSL/TLS as Security, "
                                      "or turn the login off."});
    EXPECT_TRUE(smtp.messages().isEmpty());
}

} // namespace
