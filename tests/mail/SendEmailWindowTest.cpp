// The send-mail window against a real SMTP server on loopback.

#include "Contacts.h"
#include "Dlg_Properties.h"
#include "Dlg_SendEmail.h"
#include "InternetError.h"
#include "MailWindowFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

namespace {

using loopback::ClosedPort;
using loopback::ParseMail;
using loopback::TSmtpTestServer;

// The services of a user who reads the program in another language.
class TGermanServices : public TFakeServices {
  public:
    QString currentLanguage() const override { return "deutsch"; }
};

class SendEmailWindowTest : public MailWindowTest {
  protected:
    // A mail to `to` (lines separated by "\n") with a subject, through `port`.
    void compose(TAppServices& s, int port, const QString& to, const QString& subject = "Hello") {
        properties = std::make_unique<TFormProperties>(s);
        fillAccount(*properties, port);
        mail = std::make_unique<TForm_SendEmail>(s, *properties);
        control<QPlainTextEdit>(*mail, "Memo_To").setPlainText(to);
        mail->setSubject(subject);
    }
    QStringList recipientsOf(const TSmtpTestServer& smtp, const QString& message) const {
        QStringList out;
        for (const QJsonValue& to : smtp.envelope(message)["to"].toArray())
            out.append(to.toString());
        return out;
    }

    std::unique_ptr<TFormProperties> properties;
    std::unique_ptr<TForm_SendEmail> mail;
};

TEST_F(SendEmailWindowTest, SendDeliversTheMailWithItsAttachmentsByteForByte) {
    TSmtpTestServer smtp;
    const QString folder = testenv::newFolder("pictures");
    const QByteArray first(70001, '\x11'), second("\xFF\xD8\xFF\xD9", 4);
    compose(services, smtp.port(), "bob@example.org\n  carl@example.net  \n\n", "Grüße");
    control<QPlainTextEdit>(*mail, "Memo_Message").setPlainText("Two pictures.\nJörg");
    mail->addAttachment(testfiles::Write(folder + "/IMG_0001.JPG", first));
    mail->addAttachment(testfiles::Write(folder + "/Übersee.jpg", second));
    mail->Button_SendClick();

    EXPECT_EQ(boxTexts(), QStringList{"Mail has been sent!"});
    ASSERT_EQ(smtp.messages().size(), 1);
    const QString stored = smtp.messages().front();
    EXPECT_EQ(recipientsOf(smtp, stored), QStringList({"bob@example.org", "carl@example.net"}));
    const loopback::TParsedMail parsed = ParseMail(stored);
    EXPECT_EQ(parsed.header("Subject"), QStringList{"Grüße"});
    EXPECT_EQ(parsed.body, "Two pictures.\nJörg\n");
    ASSERT_EQ(parsed.attachments.size(), 2);
    EXPECT_EQ(parsed.attachments[0].fileName, "IMG_0001.JPG");
    EXPECT_TRUE(parsed.attachments[0].bytes == first);
    EXPECT_EQ(parsed.attachments[1].fileName, "Übersee.jpg");
    EXPECT_TRUE(parsed.attachments[1].bytes == second);
    for (const char* button : {"Button_Send", "Button_Reset", "Button_EMailProp", "BitBtn_Close"})
        EXPECT_TRUE(control<QPushButton>(*mail, button).isEnabled()) << button;
}

// While a mail goes to a server that never finishes, Close is the one
// button left, and it ends the sending at once without a message.
TEST_F(SendEmailWindowTest, CloseCancelsASendingThatRuns) {
    loopback::TEndlessTestServer smtp(loopback::TEndlessTestServer::Smtp, 10);
    compose(services, smtp.port(), "bob@example.org");
    bool sendLocked = false;
    QTimer closer;
    closer.setSingleShot(true);
    closer.callOnTimeout([&] {
        sendLocked = !control<QPushButton>(*mail, "Button_Send").isEnabled();
        control<QPushButton>(*mail, "BitBtn_Close").click();
    });
    closer.start(300);
    mail->Button_SendClick();
    EXPECT_TRUE(sendLocked);
    EXPECT_TRUE(boxTexts().isEmpty()) << boxTexts().join("\n").toStdString();
    EXPECT_TRUE(control<QPushButton>(*mail, "Button_Send").isEnabled());
}

TEST_F(SendEmailWindowTest, ALineBreakInTheSubjectSendsNoBcc) {
    TSmtpTestServer smtp;
    compose(services, smtp.port(), "bob@example.org", "Hello\r\nBcc: x@y");
    mail->Button_SendClick();
    ASSERT_EQ(smtp.messages().size(), 1);
    EXPECT_EQ(recipientsOf(smtp, smtp.messages().front()), QStringList{"bob@example.org"});
    EXPECT_TRUE(ParseMail(smtp.messages().front()).header("Bcc").isEmpty());
}

struct CheckCase {
    const char* what;
    const char* to;
    const char* subject;
    const char* emptyField; // of the properties window, or nullptr
    const char* box;
};

class SendEmailCheckTest : public SendEmailWindowTest,
                           public testing::WithParamInterface<CheckCase> {};

TEST_P(SendEmailCheckTest, NothingIsSentAndTheBoxSaysWhy) {
    const CheckCase& c = GetParam();
    TSmtpTestServer smtp;
    compose(services, smtp.port(), c.to, c.subject);
    if (c.emptyField)
        control<QLineEdit>(*properties, c.emptyField).clear();
    mail->Button_SendClick();
    EXPECT_EQ(boxTexts(), QStringList{c.box});
    // With sender data missing the properties window comes up on its e-mail page.
    EXPECT_EQ(script.asked().size(), c.emptyField ? 2 : 1);
    if (c.emptyField) {
        EXPECT_EQ(script.asked().back().window, properties.get());
        EXPECT_EQ(control<QTabWidget>(*properties, "PageControlEmail").currentIndex(), 1);
    }
    EXPECT_TRUE(smtp.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, SendEmailCheckTest,
    testing::Values(
        CheckCase{"NoName", "bob@example.org", "Hi", "Edit_YourName",
                  "All fields in the Email properties dialog must be entered"},
        CheckCase{"NoServer", "bob@example.org", "Hi", "Edit_SMTPServer",
                  "All fields in the Email properties dialog must be entered"},
        CheckCase{"NoUserId", "bob@example.org", "Hi", "Edit1_UserID",
                  "All fields in the Email properties dialog must be entered"},
        CheckCase{"NoRecipient", "", "Hi", nullptr,
                  "You have to enter the To and Subject fields to send an email"},
        CheckCase{"OnlyBlankLines", " \n\n", "Hi", nullptr,
                  "You have to enter the To and Subject fields to send an email"},
        CheckCase{"NoSubject", "bob@example.org", "", nullptr,
                  "You have to enter the To and Subject fields to send an email"},
        CheckCase{"BadSecondLine", "bob@example.org\nbob at example.org", "Hi", nullptr,
                  "Line 2 of To: is not an e-mail address: bob at example.org"},
        CheckCase{"TwoOnOneLine", "bob@example.org, carl@example.net", "Hi", nullptr,
                  "Line 1 of To: is not an e-mail address: bob@example.org, carl@example.net"}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.what); });

struct GroupCase {
    const char* what;
    bool german;
    QString to;
    int answer; // to the question, when asked
    bool asked;
    bool sent;
};

class SendEmailGroupTest : public SendEmailWindowTest,
                           public testing::WithParamInterface<GroupCase> {};

TEST_P(SendEmailGroupTest, AMailToTheGroupMustBeInEnglish) {
    const GroupCase& c = GetParam();
    TSmtpTestServer smtp;
    TGermanServices german;
    compose(c.german ? static_cast<TAppServices&>(german) : services, smtp.port(), c.to);
    if (c.asked)
        script.press(c.answer);
    mail->Button_SendClick();
    const QString question = "To send an email to the Lumvik group, the mail must be written in "
                             "english. Is this email written in english?";
    EXPECT_EQ(boxTexts().contains(question), c.asked);
    EXPECT_EQ(smtp.messages().size(), c.sent ? 1 : 0);
    if (c.sent) {
        ASSERT_FALSE(boxTexts().isEmpty());
        EXPECT_EQ(boxTexts().back(),
                  c.to.split('\n').contains(UserGroupAddress)
                      ? QString("Mail has been sent! Message has been sent to Lumvik yahoo groups. "
                                "Go to %1 to see answers")
                            .arg(MessageBoardAddress)
                      : QString("Mail has been sent!"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Group, SendEmailGroupTest,
    testing::Values(GroupCase{"EnglishNotAsked", false, UserGroupAddress, 0, false, true},
                    GroupCase{"OtherLanguageYes", true, UserGroupAddress, mrYes, true, true},
                    GroupCase{"OtherLanguageNo", true, UserGroupAddress, mrNo, true, false},
                    GroupCase{"BlanksAroundAreNotTheGroup", true,
                              QString(" ") + UserGroupAddress + " ", 0, false, true},
                    GroupCase{"OtherRecipient", true, "bob@example.org", 0, false, true}),
    [](const testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.what); });

// A sparse file of `size` bytes: large on paper, nothing on disk.
QString largeFile(qint64 size) {
    const QString path = testenv::newFolder("large") + "/movie.avi";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
    return path;
}

TEST_F(SendEmailWindowTest, MoreThan20MBAskFirst) {
    TSmtpTestServer smtp;
    compose(services, smtp.port(), "bob@example.org");
    mail->addAttachment(largeFile(TForm_SendEmail::LargeAttachmentBytes + 1));
    script.press(mrNo);
    mail->Button_SendClick();
    EXPECT_EQ(boxTexts(), QStringList{"The attachments are 20.0 MB together, and many mail servers "
                                      "refuse mails larger than 20 MB. Do you want to send it "
                                      "anyway?"});
    EXPECT_TRUE(smtp.messages().isEmpty());
}

TEST_F(SendEmailWindowTest, Exactly20MBAreSentWithoutAQuestion) {
    // A closed port ends the send at once, after the point of the question.
    compose(services, ClosedPort(), "bob@example.org");
    mail->addAttachment(largeFile(TForm_SendEmail::LargeAttachmentBytes));
    EXPECT_THROW(mail->Button_SendClick(), EInternetError);
    EXPECT_EQ(boxTexts(), QStringList{"Could not connect to SMTP-server"});
}

// Clicked as the user does: the error goes on to the program's handler,
// which shows the library's own text in a second box.
TEST_F(SendEmailWindowTest, AnUnreachableServerShowsTwoBoxesAndTheWindowRecovers) {
    compose(services, ClosedPort(), "bob@example.org");
    control<QPushButton>(*mail, "Button_Send").click();
    const QStringList texts = boxTexts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], "Could not connect to SMTP-server");
    EXPECT_TRUE(texts[1].contains("connect", Qt::CaseInsensitive)) << texts[1].toStdString();
    EXPECT_TRUE(control<QPushButton>(*mail, "Button_Send").isEnabled());
}

TEST_F(SendEmailWindowTest, ResetEmptiesEverythingAndDeleteTheChosenAttachment) {
    compose(services, 25, "bob@example.org");
    control<QPlainTextEdit>(*mail, "Memo_Message").setPlainText("text");
    script.then([](const TDialogRequest& request) {
        EXPECT_EQ(request.kind, TDialogRequest::OpenFiles);
        return TDialogAnswer{mrOk, {}, {"/pictures/a.jpg", "/pictures/b.jpg"}};
    });
    mail->Button_AddClick();
    mail->addAttachment("/pictures/c.jpg");
    EXPECT_EQ(mail->attachments(),
              QStringList({"/pictures/a.jpg", "/pictures/b.jpg", "/pictures/c.jpg"}));
    auto& list = control<QListWidget>(*mail, "ListBox_Attachement");
    list.setCurrentRow(1);
    mail->Button_DeleteClick();
    EXPECT_EQ(mail->attachments(), QStringList({"/pictures/a.jpg", "/pictures/c.jpg"}));
    mail->Button_ResetClick();
    EXPECT_TRUE(mail->attachments().isEmpty());
    EXPECT_TRUE(control<QPlainTextEdit>(*mail, "Memo_To").toPlainText().isEmpty());
    EXPECT_TRUE(control<QLineEdit>(*mail, "Edit_Subject").text().isEmpty());
    EXPECT_TRUE(control<QPlainTextEdit>(*mail, "Memo_Message").toPlainText().isEmpty());
}

TEST_F(SendEmailWindowTest, PropertiesOpensOnTheEmailPage) {
    compose(services, 25, "bob@example.org");
    script.then([&](const TDialogRequest& request) {
        EXPECT_EQ(request.window, properties.get());
        EXPECT_EQ(control<QTabWidget>(*properties, "PageControlEmail").currentIndex(), 1);
        return TDialogAnswer{QDialog::Rejected, {}};
    });
    mail->Button_EMailPropClick();
    EXPECT_EQ(script.unanswered(), 0);
}

} // namespace

namespace {

// Shows both windows and walks their boxes, then checks every text read
// against the shipped English file.
TEST_F(SendEmailWindowTest, EnglishFileHoldsEveryTextOfTheMailWindows) {
    TLanguageReadRecorder recorder;
    TSmtpTestServer smtp;
    TGermanServices german;
    compose(german, smtp.port(), "bob@example.org\nnot an address");
    properties->FormShow();
    mail->FormShow();
    mail->Button_SendClick(); // the bad line
    control<QPlainTextEdit>(*mail, "Memo_To").setPlainText(UserGroupAddress);
    mail->addAttachment(largeFile(TForm_SendEmail::LargeAttachmentBytes + 1));
    script.press(mrYes).press(mrNo);
    mail->Button_SendClick(); // the size and language questions
    mail->Button_ResetClick();
    mail->Button_SendClick(); // no To, no Subject
    control<QPlainTextEdit>(*mail, "Memo_To").setPlainText(UserGroupAddress);
    mail->setSubject("Hi");
    script.press(mrYes);
    mail->Button_SendClick(); // sent to the group
    control<QPlainTextEdit>(*mail, "Memo_To").setPlainText("bob@example.org");
    mail->Button_SendClick(); // sent
    script.press(mrCancel);
    mail->Button_AddClick();
    properties->Button_TestmailClick(); // test mail sent
    control<QLineEdit>(*properties, "Edit_EmailAdr").setText("anna");
    properties->Button_TestmailClick(); // not an address
    control<QLineEdit>(*properties, "Edit1_UserID").clear();
    properties->Button_TestmailClick(); // a field missing
    mail->Button_SendClick();           // the same for the send-mail window
    TFormProperties offline(german, nullptr,
                            QUrl(QString("http://127.0.0.1:%1/").arg(ClosedPort())));
    offline.ButtonInternetTestCommClick(); // no internet
    fillAccount(*properties, ClosedPort());
    EXPECT_THROW(properties->Button_TestmailClick(), EInternetError);
    EXPECT_THROW(mail->Button_SendClick(), EInternetError);
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

} // namespace
