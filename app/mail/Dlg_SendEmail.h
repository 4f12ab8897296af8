#pragma once
// The send-mail window: recipients, subject, message and attachments of one
// mail, sent through the account of the properties window. Its opener creates
// and clears it, fills it, shows it modally and destroys it.

#include "NetworkLimits.h"

#include <QDialog>
#include <memory>

class QListWidget;
class QPlainTextEdit;
class QLineEdit;
class QPushButton;
class TAppServices;
class TFormProperties;
class TWindowLocaliser;

class TForm_SendEmail : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "Form_SendEmail";
    // Mails larger than this together are sent only after a question: many
    // servers refuse them, and sending takes long.
    static constexpr qint64 LargeAttachmentBytes = 20 * 1024 * 1024;

    TForm_SendEmail(TAppServices& services, TFormProperties& properties, QWidget* parent = nullptr);
    ~TForm_SendEmail() override;

    // Shows the window modally; its size is stored when it closes.
    void showModal();

    // Empties recipients, subject, message and attachments.
    void Clear();
    void addRecipient(const QString& address);
    void setSubject(const QString& subject);
    void addAttachment(const QString& path);
    QStringList attachments() const;

    void FormShow();
    void Button_SendClick();
    void Button_AddClick();
    void Button_DeleteClick();
    void Button_ResetClick();
    void Button_EMailPropClick();

    // Closing the window also cancels a sending that runs.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    QStringList toLines() const;
    // The checks before anything is sent; false when one stopped the send.
    bool readyToSend();
    bool confirmedLanguage(bool toUserGroup);
    void EnableButtons(bool on);
    void send(bool toUserGroup);

    TAppServices& services_;
    TFormProperties& properties_;
    std::unique_ptr<TWindowLocaliser> texts_;
    bool firstShow_ = true;
    TCancelFlag cancel_ = false;
    QPlainTextEdit* Memo_To;
    QLineEdit* Edit_Subject;
    QPlainTextEdit* Memo_Message;
    QListWidget* ListBox_Attachement;
    QPushButton* Button_Add;
    QPushButton* Button_Delete;
    QPushButton* Button_Send;
    QPushButton* Button_Reset;
    QPushButton* Button_EMailProp;
    QPushButton* BitBtn_Close;
};
