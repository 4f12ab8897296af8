// The main window's Email menu and Properties item with the program's mail flows.

#include "MailFlows.h"
#include "Contacts.h"
#include "Dlg_Properties.h"
#include "Dlg_SendEmail.h"
#include "Log.h"
#include "MainWindowFixture.h"
#include "Settings.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// What the send-mail window held when it was shown.
struct TShownMail {
    QString to;
    QString subject;
    QStringList attachments;
    bool logOpen = false;
};

class MailFlowsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        TSettings().eraseSection(TSettings::Section); // tests may share a process
        MainWindowTest::SetUp();
        storeSetting("language", "english");
    }
    // The next send-mail window shown is read and closed.
    void readNextMail() {
        script.then([this](const TDialogRequest& request) {
            auto* mail = qobject_cast<TForm_SendEmail*>(request.window);
            EXPECT_NE(mail, nullptr);
            if (mail)
                shown.append({mail->findChild<QPlainTextEdit*>("Memo_To")->toPlainText(),
                              mail->findChild<QLineEdit*>("Edit_Subject")->text(),
                              mail->attachments(), TDebugLog::instance().isOpen()});
            return TDialogAnswer{QDialog::Rejected, {}};
        });
    }

    std::shared_ptr<TMailWindows> windows = std::make_shared<TMailWindows>();
    QList<TShownMail> shown;
};

TEST_F(MailFlowsTest, SupportMailsArePrefilled) {
    TForm_main w(WithMailFlows({}, windows));
    const QString makers = QString(SupportAddress) + "\n" + UserGroupAddress;
    const struct {
        QAction* item;
        QString to;
        QString subject;
    } cases[] = {{w.Emailpictures1, "", ""},
                 {w.Sendarequestoffunction1, makers, "Lumvik request for function"},
                 {w.Sendaquestion1, makers, "Lumvik support question"},
                 {w.Emailpictures1, "", ""}};
    for (const auto& c : cases) {
        readNextMail();
        c.item->trigger();
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown.back().to, c.to);
        EXPECT_EQ(shown.back().subject, c.subject);
        EXPECT_TRUE(shown.back().attachments.isEmpty());
        // Destroyed after each flow.
        EXPECT_EQ(windows->mail(), nullptr);
    }
    EXPECT_EQ(shown.size(), 4);
}

TEST_F(MailFlowsTest, AnErrorReportWithoutDebugExplainsHowAndShowsNoMail) {
    storeSetting("Debug", "0");
    TForm_main w(WithMailFlows({}, windows));
    w.Senderrorreportorrequestoffunction1->trigger();
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked().front().text,
              "To send an errorreport enable the Debug switch in the about menu. Then make the "
              "error, so it is logged into the log-file. After that use this menu to send the "
              "error report");
    EXPECT_EQ(script.asked().front().type, mtError);
}

TEST_F(MailFlowsTest, AnErrorReportSendsTheClosedLogAndTheLogGoesOnAfterIt) {
    TForm_main w(WithMailFlows({}, windows));
    ASSERT_TRUE(w.debugEnabled());
    LogLine("before the report");
    readNextMail();
    w.Senderrorreportorrequestoffunction1->trigger();
    LogLine("after the report");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].subject, "Lumvik error report");
    EXPECT_EQ(shown[0].to, QString(SupportAddress) + "\n" + UserGroupAddress);
    EXPECT_EQ(shown[0].attachments, QStringList{LogPath()});
    EXPECT_FALSE(shown[0].logOpen);
    const QStringList messages = logMessages();
    EXPECT_LT(messages.indexOf("before the report"), messages.indexOf("after the report"));
    EXPECT_NE(messages.indexOf("before the report"), -1);
}

TEST_F(MailFlowsTest, PropertiesShowsTheOneWindowOfTheRun) {
    TForm_main w(WithMailFlows({}, windows));
    QList<QDialog*> seen;
    for (int i = 0; i < 2; ++i) {
        script.then([&](const TDialogRequest& request) {
            seen.append(request.window);
            return TDialogAnswer{QDialog::Rejected, {}};
        });
        w.PropertiesMenu->trigger();
    }
    ASSERT_EQ(seen.size(), 2);
    EXPECT_NE(qobject_cast<TFormProperties*>(seen[0]), nullptr);
    EXPECT_EQ(seen[0], seen[1]);
}

} // namespace
