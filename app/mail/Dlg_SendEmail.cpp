#include "Dlg_SendEmail.h"

#include "AppException.h"
#include "AppServices.h"
#include "Contacts.h"
#include "Dialogs.h"
#include "Dlg_Properties.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "MailAddress.h"
#include "WindowLocaliser.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int DesignWidth = 448;
constexpr int DesignHeight = 451;
constexpr const char* PictureFilter =
    "All (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf);;CompuServe GIF Image (*.gif);;"
    "JPEG Image File (*.jpg);;JPEG Image File (*.jpeg);;Bitmaps (*.bmp);;Icons (*.ico);;"
    "Enhanced Metafiles (*.emf);;Metafiles (*.wmf);;All files (*)";

QLabel* label(const char* name, const char* text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TForm_SendEmail::TForm_SendEmail(TAppServices& services, TFormProperties& properties,
                                 QWidget* parent)
    : QDialog(parent), services_(services), properties_(properties) {
    setObjectName(Section);
    setWindowTitle("Send email");
    texts_ = std::make_unique<TWindowLocaliser>(*this, Section);
    texts_->rememberSize("SendEmailpropWidth", "SendEmailpropHeight");
    buildControls();
    resize(DesignWidth, DesignHeight);
}

TForm_SendEmail::~TForm_SendEmail() = default;

void TForm_SendEmail::buildControls() {
    const auto named = [this](auto* control, const char* name) {
        control->setObjectName(name);
        return control;
    };
    Memo_To = named(new QPlainTextEdit(this), "Memo_To");
    Edit_Subject = named(new QLineEdit(this), "Edit_Subject");
    Memo_Message = named(new QPlainTextEdit(this), "Memo_Message");
    ListBox_Attachement = named(new QListWidget(this), "ListBox_Attachement");
    Button_Add = named(new QPushButton("&Add", this), "Button_Add");
    Button_Delete = named(new QPushButton("&Delete", this), "Button_Delete");
    Button_Send = named(new QPushButton("&Send", this), "Button_Send");
    Button_Reset = named(new QPushButton("&Reset", this), "Button_Reset");
    Button_EMailProp = named(new QPushButton("&Properties", this), "Button_EMailProp");
    BitBtn_Close = named(new QPushButton("&Close", this), "BitBtn_Close");
    Memo_To->setTabChangesFocus(true);

    QLabel* toLabel = label("Label_to", "To:", Memo_To, this);
    QLabel* subjectLabel = label("Label_subject", "Subject:", Edit_Subject, this);
    QLabel* messageLabel = label("Label_message", "Message:", Memo_Message, this);
    QLabel* attachmentLabel =
        label("Label_attachement", "Attachement(s):", ListBox_Attachement, this);
    auto* grid = new QGridLayout;
    grid->addWidget(toLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(Memo_To, 0, 1);
    grid->addWidget(subjectLabel, 1, 0);
    grid->addWidget(Edit_Subject, 1, 1);
    grid->addWidget(messageLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(Memo_Message, 2, 1);
    grid->addWidget(attachmentLabel, 3, 0, Qt::AlignTop);
    grid->addWidget(ListBox_Attachement, 3, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(Button_Add);
    listButtons->addWidget(Button_Delete);
    listButtons->addStretch(1);
    grid->addLayout(listButtons, 4, 1);
    // The message is what the user writes most of; a few recipients fit above it.
    grid->setRowStretch(0, 1);
    grid->setRowStretch(2, 3);
    grid->setRowStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {Button_Send, Button_Reset, Button_EMailProp})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn_Close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    texts_->text(this, "form")
        .text(toLabel, "to_label")
        .text(subjectLabel, "subject_label")
        .text(messageLabel, "message_label")
        .text(attachmentLabel, "attachements_label")
        .text(Button_Add, "add_button")
        .text(Button_Delete, "delete_button")
        .text(Button_Send, "send_button")
        .text(Button_Reset, "reset_button")
        .text(Button_EMailProp, "properties_button")
        .text(BitBtn_Close, "close_button");

    connect(Button_Send, &QPushButton::clicked, this,
            Guarded(this, &TForm_SendEmail::Button_SendClick));
    connect(Button_Add, &QPushButton::clicked, this,
            Guarded(this, &TForm_SendEmail::Button_AddClick));
    connect(Button_Delete, &QPushButton::clicked, this,
            Guarded(this, &TForm_SendEmail::Button_DeleteClick));
    connect(Button_Reset, &QPushButton::clicked, this,
            Guarded(this, &TForm_SendEmail::Button_ResetClick));
    connect(Button_EMailProp, &QPushButton::clicked, this,
            Guarded(this, &TForm_SendEmail::Button_EMailPropClick));
    connect(BitBtn_Close, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm_SendEmail::showModal() {
    ExecModal(*this);
    texts_->storeSize(services_.settings());
}

void TForm_SendEmail::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm_SendEmail::FormShow() {
    if (firstShow_) {
        texts_->restoreSize(services_.settings());
        firstShow_ = false;
    }
    texts_->localise(services_.language());
}

void TForm_SendEmail::Clear() {
    Memo_To->clear();
    Edit_Subject->clear();
    Memo_Message->clear();
    ListBox_Attachement->clear();
}

void TForm_SendEmail::addRecipient(const QString& address) {
    Memo_To->appendPlainText(address);
}

void TForm_SendEmail::setSubject(const QString& subject) {
    Edit_Subject->setText(subject);
}

void TForm_SendEmail::addAttachment(const QString& path) {
    ListBox_Attachement->addItem(path);
}

QStringList TForm_SendEmail::attachments() const {
    QStringList paths;
    for (int i = 0; i < ListBox_Attachement->count(); ++i)
        paths.append(ListBox_Attachement->item(i)->text());
    return paths;
}

QStringList TForm_SendEmail::toLines() const {
    return Memo_To->toPlainText().split('\n');
}

// Close stays: while a mail is sent it cancels the sending.
void TForm_SendEmail::EnableButtons(bool on) {
    for (QPushButton* b : {Button_Send, Button_Reset, Button_EMailProp})
        b->setEnabled(on);
}

bool TForm_SendEmail::readyToSend() {
    const TLanguageFile& language = services_.language();
    if (!properties_.account().complete()) {
        MessageDlg(language.read(Section, "errormsg_all_smtp_fields_entered",
                                 "All fields in the Email properties dialog must be entered"),
                   mtError, mbOK);
        properties_.selectEmailPage();
        properties_.showModal();
        return false;
    }
    const QStringList lines = toLines();
    if (RecipientLines(lines).isEmpty() || Edit_Subject->text().isEmpty()) {
        MessageDlg(language.read(Section, "errormsg_to_and_subject_entered",
                                 "You have to enter the To and Subject fields to send an email"),
                   mtError, mbOK);
        return false;
    }
    if (const int bad = FirstBadRecipient(lines); bad >= 0) {
        MessageDlg(language.readFormatted(Section, "errormsg_invalid_recipient",
                                          "Line %s of To: is not an e-mail address: %s",
                                          {QString::number(bad + 1), lines[bad]}),
                   mtError, mbOK);
        return false;
    }
    const qint64 bytes = AttachmentBytes(attachments());
    return bytes <= LargeAttachmentBytes ||
           MessageDlg(language.readFormatted(
                          Section, "infomsg_question_large_mail",
                          "The attachments are %s MB together, and many mail servers refuse "
                          "mails larger than 20 MB. Do you want to send it anyway?",
                          {QString::number(double(bytes) / (1024 * 1024), 'f', 1)}),
                      mtConfirmation, mbYes | mbNo) == mrYes;
}

bool TForm_SendEmail::confirmedLanguage(bool toUserGroup) {
    return !toUserGroup || services_.currentLanguage() == "english" ||
           MessageDlg(services_.language().read(
                          Section, "infomsg_question_english",
                          "To send an email to the Lumvik group, the mail must be written in "
                          "english. Is this email written in english?"),
                      mtError, mbYes | mbNo) == mrYes;
}

void TForm_SendEmail::Button_SendClick() {
    LogLine("Enters TForm_SendEmail.Button_SendClick");
    if (!readyToSend())
        return;
    // Only a line that is exactly the group's address counts.
    const bool toUserGroup = toLines().contains(UserGroupAddress);
    if (confirmedLanguage(toUserGroup))
        send(toUserGroup);
}

void TForm_SendEmail::send(bool toUserGroup) {
    const TLanguageFile& language = services_.language();
    TMailMessage message;
    message.to = RecipientLines(toLines());
    message.subject = Edit_Subject->text();
    message.body = Memo_Message->toPlainText();
    message.attachments = attachments();
    bool sent = false;
    try {
        // The buttons come back before any box, also after a failure.
        struct TButtonsOff {
            TForm_SendEmail& w;
            ~TButtonsOff() { w.EnableButtons(true); }
        } off{*this};
        EnableButtons(false);
        cancel_ = false;
        sent = properties_.send(message, cancel_);
    } catch (const ELumvikError&) {
        MessageDlg(language.read(Section, "errormsg_couldnot_contact_smtp_server",
                                 "Could not connect to SMTP-server"),
                   mtError, mbOK);
        throw;
    }
    if (!sent)
        return;
    MessageDlg(toUserGroup ? language.readFormatted(
                                 Section, "infomsg_mail_sent_to_bbs",
                                 "Mail has been sent! Message has been sent to Lumvik yahoo "
                                 "groups. Go to %s to see answers",
                                 {MessageBoardAddress})
                           : language.read(Section, "infomsg_mail_sent", "Mail has been sent!"),
               mtInformation, mbOK);
}

void TForm_SendEmail::reject() {
    cancel_ = true;
    QDialog::reject();
}

void TForm_SendEmail::Button_AddClick() {
    LogLine("Enters TForm_SendEmail.Button_AddClick");
    const TLanguageFile& language = services_.language();
    QStringList files;
    if (OpenFilesDialog(language.read(Section, "add_dialog_caption", "Open"),
                        language.read(Section, "add_dialog_filter", PictureFilter), files))
        ListBox_Attachement->addItems(files);
}

void TForm_SendEmail::Button_DeleteClick() {
    LogLine("Enters TForm_SendEmail.Button_DeleteClick");
    const QList<QListWidgetItem*> selected = ListBox_Attachement->selectedItems();
    if (!selected.isEmpty())
        delete selected.front();
}

void TForm_SendEmail::Button_ResetClick() {
    LogLine("Enters TForm_SendEmail.Button_ResetClick");
    Clear();
}

void TForm_SendEmail::Button_EMailPropClick() {
    LogLine("Enters TForm_SendEmail.Button_EMailPropClick");
    properties_.selectEmailPage();
    properties_.showModal();
}
