#include "Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(Dialogs, ScriptAnswersInOrderAndRecordsWhatWasAsked) {
    TDialogScript script;
    script.press(mrNo).enter("typed");
    EXPECT_EQ(MessageDlg("Delete?", mtConfirmation, mbYes | mbNo), mrNo);
    QString value = "start";
    EXPECT_TRUE(InputQuery("Name", "Your name:", value));
    EXPECT_EQ(value, "typed");

    const QList<TDialogRequest> asked = script.asked();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].kind, TDialogRequest::Message);
    EXPECT_EQ(asked[0].text, "Delete?");
    EXPECT_EQ(asked[0].caption, "Confirm");
    EXPECT_EQ(asked[0].buttons, mbYes | mbNo);
    EXPECT_EQ(asked[1].kind, TDialogRequest::Input);
    EXPECT_EQ(asked[1].caption, "Name");
    EXPECT_EQ(asked[1].text, "Your name:");
    EXPECT_EQ(asked[1].value, "start");
    EXPECT_EQ(script.unanswered(), 0);
}

TEST(Dialogs, CancelledChoosersKeepTheValue) {
    TDialogScript script;
    script.press(mrCancel).press(mrCancel).enter("/chosen");
    QString value = "/kept";
    EXPECT_FALSE(InputQuery("c", "p", value));
    EXPECT_FALSE(SelectDirectory("Folder", value));
    EXPECT_EQ(value, "/kept");
    EXPECT_TRUE(SelectDirectory("Folder", value));
    EXPECT_EQ(value, "/chosen");
    EXPECT_EQ(script.asked()[1].kind, TDialogRequest::Directory);
}

TEST(Dialogs, InnerScriptTakesOverUntilItEnds) {
    TDialogScript outer;
    outer.press(mrNo);
    {
        TDialogScript inner;
        inner.press(mrCancel);
        EXPECT_EQ(MessageDlg("inner", mtWarning, mbOK | mbCancel), mrCancel);
        EXPECT_EQ(inner.asked().size(), 1);
    }
    EXPECT_EQ(MessageDlg("outer", mtWarning, mbYes | mbNo), mrNo);
    ASSERT_EQ(outer.asked().size(), 1);
    EXPECT_EQ(outer.asked()[0].text, "outer");
}

TEST(Dialogs, UnscriptedRequestsTakeTheFirstButton) {
    TDialogScript script;
    EXPECT_EQ(MessageDlg("?", mtWarning, mbNo | mbCancel), mrNo);
    EXPECT_EQ(MessageDlg("?", mtWarning, mbOK | mbCancel), mrOk);
    QString value = "v";
    EXPECT_FALSE(InputQuery("c", "p", value));
    EXPECT_EQ(script.unanswered(), 3);
}

TEST(Dialogs, MessageBoxStyleFlags) {
    struct Case {
        unsigned flags;
        TMsgDlgType type;
        TMsgDlgButtons buttons;
    };
    const Case cases[] = {
        {MB_ICONERROR, mtError, mbOK},
        {MB_ICONWARNING, mtWarning, mbOK},
        {MB_YESNO | MB_ICONQUESTION, mtConfirmation, mbYes | mbNo},
        {MB_OKCANCEL | MB_ICONINFORMATION, mtInformation, mbOK | mbCancel},
        {MB_YESNOCANCEL, mtCustom, mbYes | mbNo | mbCancel},
    };
    TDialogScript script;
    for (const Case& c : cases)
        MessageBox("text", "caption", c.flags);
    const QList<TDialogRequest> asked = script.asked();
    ASSERT_EQ(asked.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(asked[i].type, cases[i].type) << cases[i].flags;
        EXPECT_EQ(asked[i].buttons, cases[i].buttons) << cases[i].flags;
        EXPECT_EQ(asked[i].caption, "caption");
    }
}

TEST(Dialogs, AnotherThreadsBoxIsShownOnTheUserInterfaceThread) {
    TDialogScript script;
    QThread* shownOn = nullptr;
    script.then([&](const TDialogRequest&) {
        shownOn = QThread::currentThread();
        return TDialogAnswer{mrYes, {}};
    });
    std::atomic<int> result{-1};
    std::thread worker([&] { result = MessageDlg("from a thread", mtInformation, mbYes); });
    while (result == -1)
        QApplication::processEvents();
    worker.join();
    EXPECT_EQ(result, mrYes);
    EXPECT_EQ(shownOn, qApp->thread());
}

TEST(Dialogs, ModalWindowsGoThroughTheScript) {
    TDialogScript script;
    QDialog dialog;
    dialog.setWindowTitle("Some window");
    script.then([](const TDialogRequest& r) {
        r.window->setObjectName("touched by the script");
        return TDialogAnswer{QDialog::Accepted, {}};
    });
    EXPECT_EQ(ExecModal(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.objectName(), "touched by the script");
    EXPECT_EQ(script.asked()[0].caption, "Some window");
}

TEST(Dialogs, RealBoxShowsTheTextIconAndButtons) {
    struct Case {
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        QMessageBox::StandardButton press;
        int result;
        QMessageBox::Icon icon;
    };
    const Case cases[] = {
        {mtConfirmation, mbYes | mbNo, QMessageBox::No, mrNo, QMessageBox::Question},
        {mtError, mbOK, QMessageBox::Ok, mrOk, QMessageBox::Critical},
        {mtWarning, mbYes, QMessageBox::Yes, mrYes, QMessageBox::Warning},
    };
    for (const Case& c : cases) {
        QString seenText;
        QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seenText = box->text();
            seenIcon = box->icon();
            box->button(c.press)->click();
        });
        EXPECT_EQ(MessageDlg("Really?", c.type, c.buttons), c.result);
        EXPECT_EQ(seenText, "Really?");
        EXPECT_EQ(seenIcon, c.icon);
    }
}

TEST(Dialogs, RealPasswordQueryHidesWhatIsTyped) {
    QLineEdit::EchoMode seen = QLineEdit::Normal;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = dialog->textEchoMode();
        dialog->setTextValue("secret");
        dialog->accept();
    });
    QString value;
    EXPECT_TRUE(PasswordQuery("Login", "Password:", value));
    EXPECT_EQ(value, "secret");
    EXPECT_EQ(seen, QLineEdit::Password);
}

// The title bar shows the whole question's title beside its buttons.
TEST(Dialogs, RealTextQueryIsWideEnoughForItsTitle) {
    int width = 0, titleWidth = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        width = dialog->width();
        titleWidth = dialog->fontMetrics().horizontalAdvance(dialog->windowTitle());
        dialog->reject();
    });
    QString value = "kept";
    EXPECT_FALSE(InputQuery("Add comment to pictures", "Your comment:", value));
    EXPECT_EQ(value, "kept");
    EXPECT_GE(width, titleWidth + 120);
}

TEST(Dialogs, ScriptChoosesSeveralFiles) {
    TDialogScript script;
    script.press(mrCancel).then([](const TDialogRequest&) {
        return TDialogAnswer{mrOk, {}, {"/a.jpg", "/b.jpg"}};
    });
    QStringList files{"/kept.jpg"};
    EXPECT_FALSE(OpenFilesDialog("Open", "JPEG (*.jpg)", files));
    EXPECT_EQ(files, QStringList{"/kept.jpg"});
    EXPECT_TRUE(OpenFilesDialog("Open", "JPEG (*.jpg)", files));
    EXPECT_EQ(files, QStringList({"/a.jpg", "/b.jpg"}));
    EXPECT_EQ(script.asked()[1].kind, TDialogRequest::OpenFiles);
}
