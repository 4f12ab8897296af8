// "Email pictures" after a transfer, through the program's own wiring: the
// received files go to the send-mail window and from there to a real SMTP
// server on loopback.

#include "DemoCard.h"
#include "Dlg_Filemanager.h"
#include "Dlg_SendEmail.h"
#include "FileManagerFixture.h"
#include "FileManagerGroup.h"
#include "LoopbackServers.h"
#include "MailFlows.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "WindowControls.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using testenv::control;

class TransferMailTest : public FileManagerTest {
  protected:
    void SetUp() override {
        TSettings().eraseSection(TSettings::Section); // tests may share a process
        FileManagerTest::SetUp();
        const QString camera = testenv::newFolder("camera");
        MakeDemoCamera(camera);
        qputenv("LUMVIK_CAMERA", ("sim:" + camera).toUtf8());
        TSettings settings;
        for (const auto& [key, value] : {std::pair{"Edit_YourName", QString("Anna Smith")},
                                         {"Edit_EmailAdr", QString("anna@example.com")},
                                         {"Edit_SMTPServer", QString("127.0.0.1")},
                                         {"Edit1_UserID", QString("anna")}})
            settings.writeString(TSettings::Section, key, value);
        settings.writeInteger(TSettings::Section, "SpinEdit_SMTPPort", smtp.port());
        setup = FileManagerGroupWithMail(mail);
    }

    loopback::TSmtpTestServer smtp;
    std::shared_ptr<TMailWindows> mail = std::make_shared<TMailWindows>();
};

TEST_F(TransferMailTest, TheReceivedPicturesGoOutAsOneMailByteForByte) {
    const QStringList names{"IMG_0001.JPG", "IMG_0010.JPG"};
    QStringList attached;
    runFlowA([&](TForm_filemanager& w) {
        // After "All pictures received!" the send-mail window comes up.
        script.press(mrOk).then([&](const TDialogRequest& request) {
            auto* window = qobject_cast<TForm_SendEmail*>(request.window);
            EXPECT_NE(window, nullptr);
            if (window) {
                attached = window->attachments();
                control<QPlainTextEdit>(*window, "Memo_To")->setPlainText("bob@example.org");
                window->setSubject("Pictures");
                control<QPushButton>(*window, "Button_Send")->click();
            }
            return TDialogAnswer{QDialog::Rejected, {}};
        });
        control<QAction>(w, "Emailpictures1")->setChecked(true);
        QListWidget* list = control<QListWidget>(w, "ListBox_Cam_File_Names");
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSelected(names.contains(list->item(i)->text()));
        control<QPushButton>(w, "Button_StartTransfer")->click();
    });

    EXPECT_EQ(attached, QStringList({target + "IMG_0001.jpg", target + "IMG_0010.jpg"}));
    ASSERT_EQ(smtp.messages().size(), 1);
    const loopback::TParsedMail sent = loopback::ParseMail(smtp.messages().front());
    ASSERT_EQ(sent.attachments.size(), attached.size());
    for (int i = 0; i < attached.size(); ++i) {
        EXPECT_EQ(sent.attachments[i].fileName, QFileInfo(attached[i]).fileName());
        EXPECT_TRUE(sent.attachments[i].bytes == testfiles::Read(attached[i])) << i;
    }
    EXPECT_EQ(mail->mail(), nullptr);
}

} // namespace
