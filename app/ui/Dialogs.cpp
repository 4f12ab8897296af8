#include "Dialogs.h"

#include "Version.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QThread>
#include <deque>

struct TDialogScript::State {
    std::deque<TDialogScript::Step> steps;
    QList<TDialogRequest> asked;
    int unanswered = 0;
};

namespace {

using Script = TDialogScript::State;

// Touched only on the user-interface thread, like the boxes themselves.
Script* activeScript = nullptr;

void onGuiThread(const std::function<void()>& run) {
    if (QThread::currentThread() == qApp->thread())
        run();
    else
        QMetaObject::invokeMethod(qApp, run, Qt::BlockingQueuedConnection);
}

// A text question wide enough for its title: a window manager cuts a title
// longer than the box, and the prompt alone makes a narrow box.
TDialogAnswer askText(QWidget* parent, const TDialogRequest& request) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(request.caption);
    dialog.setLabelText(request.text);
    dialog.setTextEchoMode(request.kind == TDialogRequest::Password ? QLineEdit::Password
                                                                    : QLineEdit::Normal);
    dialog.setTextValue(request.value);
    // The box's layout sets its least width from the contents: the field
    // takes the width (the title bar's icon and buttons want some 160 px).
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(request.caption) + 140);
    const bool ok = dialog.exec() == QDialog::Accepted;
    return {ok ? mrOk : mrCancel, ok ? dialog.textValue() : QString()};
}

struct ButtonKind {
    TMsgDlgBtn button;
    TModalResult result;
    QMessageBox::StandardButton standard;
};

constexpr ButtonKind Buttons[] = {
    {mbYes, mrYes, QMessageBox::Yes},
    {mbNo, mrNo, QMessageBox::No},
    {mbOK, mrOk, QMessageBox::Ok},
    {mbCancel, mrCancel, QMessageBox::Cancel},
    {mbAbort, mrAbort, QMessageBox::Abort},
    {mbRetry, mrRetry, QMessageBox::Retry},
    {mbIgnore, mrIgnore, QMessageBox::Ignore},
};

int firstButton(TMsgDlgButtons buttons) {
    for (const ButtonKind& b : Buttons)
        if (buttons & b.button)
            return b.result;
    return mrOk;
}

TDialogAnswer fallback(const TDialogRequest& request) {
    return {request.kind == TDialogRequest::Message ? firstButton(request.buttons) : int(mrCancel),
            request.value};
}

int showMessage(const TDialogRequest& request) {
    static const QMessageBox::Icon icons[] = {QMessageBox::Warning, QMessageBox::Critical,
                                              QMessageBox::Information, QMessageBox::Question,
                                              QMessageBox::NoIcon};
    QMessageBox box(icons[request.type], request.caption, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    for (const ButtonKind& b : Buttons)
        if (request.buttons & b.button)
            box.addButton(b.standard);
    const int pressed = box.exec();
    for (const ButtonKind& b : Buttons)
        if (pressed == b.standard)
            return b.result;
    return mrCancel;
}

TDialogAnswer showForReal(const TDialogRequest& request, const QString& filter) {
    QWidget* parent = QApplication::activeWindow();
    QString chosen;
    switch (request.kind) {
    case TDialogRequest::Message:
        return {showMessage(request), {}};
    case TDialogRequest::Input:
    case TDialogRequest::Password:
        return askText(parent, request);
    case TDialogRequest::Directory:
        chosen = QFileDialog::getExistingDirectory(parent, request.caption, request.value);
        break;
    case TDialogRequest::OpenFile:
        chosen = QFileDialog::getOpenFileName(parent, request.caption, request.value, filter);
        break;
    case TDialogRequest::OpenFiles: {
        const QStringList files =
            QFileDialog::getOpenFileNames(parent, request.caption, request.value, filter);
        return {files.isEmpty() ? mrCancel : mrOk, {}, files};
    }
    case TDialogRequest::SaveFile:
        chosen = QFileDialog::getSaveFileName(parent, request.caption, request.value, filter);
        break;
    case TDialogRequest::Window:
        return {request.window->exec(), {}};
    }
    return {chosen.isEmpty() ? mrCancel : mrOk, chosen};
}

TDialogAnswer ask(const TDialogRequest& request, const QString& filter = {}) {
    TDialogAnswer answer;
    onGuiThread([&] {
        if (!activeScript) {
            answer = showForReal(request, filter);
            return;
        }
        activeScript->asked.append(request);
        if (activeScript->steps.empty()) {
            ++activeScript->unanswered;
            answer = fallback(request);
            return;
        }
        const TDialogScript::Step step = std::move(activeScript->steps.front());
        activeScript->steps.pop_front();
        answer = step(request);
    });
    return answer;
}

TMsgDlgButtons buttonsOf(unsigned flags) {
    switch (flags & 0xF) {
    case MB_OKCANCEL:
        return mbOK | mbCancel;
    case MB_YESNOCANCEL:
        return mbYes | mbNo | mbCancel;
    case MB_YESNO:
        return mbYes | mbNo;
    default:
        return mbOK;
    }
}

TMsgDlgType typeOf(unsigned flags) {
    switch (flags & 0xF0) {
    case MB_ICONERROR:
        return mtError;
    case MB_ICONQUESTION:
        return mtConfirmation;
    case MB_ICONWARNING:
        return mtWarning;
    case MB_ICONINFORMATION:
        return mtInformation;
    default:
        return mtCustom;
    }
}

// Asks `request`; on OK the answer's value replaces `value`.
bool answerInto(const TDialogRequest& request, const QString& filter, QString& value) {
    const TDialogAnswer answer = ask(request, filter);
    if (answer.result != mrOk)
        return false;
    value = answer.value;
    return true;
}

bool chooseInto(TDialogRequest::Kind kind, const QString& caption, const QString& filter,
                QString& value) {
    return answerInto({kind, caption, {}, mtCustom, 0, value, nullptr}, filter, value);
}

bool queryInto(TDialogRequest::Kind kind, const QString& caption, const QString& prompt,
               QString& value) {
    return answerInto({kind, caption, prompt, mtCustom, mbOK | mbCancel, value, nullptr}, {},
                      value);
}

} // namespace

int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    static const char* const captions[] = {"Warning", "Error", "Information", "Confirm",
                                           ProgramTitle};
    return ask({TDialogRequest::Message, captions[type], text, type, buttons, {}, nullptr}).result;
}

int MessageBox(const QString& text, const QString& caption, unsigned flags) {
    return ask({TDialogRequest::Message,
                caption,
                text,
                typeOf(flags),
                buttonsOf(flags),
                {},
                nullptr})
        .result;
}

void ShowErrorBox(const QString& text) {
    MessageBox(text, ProgramTitle, MB_OK | MB_ICONERROR);
}

bool InputQuery(const QString& caption, const QString& prompt, QString& value) {
    return queryInto(TDialogRequest::Input, caption, prompt, value);
}

bool PasswordQuery(const QString& caption, const QString& prompt, QString& value) {
    return queryInto(TDialogRequest::Password, caption, prompt, value);
}

bool SelectDirectory(const QString& caption, QString& directory) {
    return chooseInto(TDialogRequest::Directory, caption, {}, directory);
}

bool OpenFileDialog(const QString& caption, const QString& filter, QString& fileName) {
    return chooseInto(TDialogRequest::OpenFile, caption, filter, fileName);
}

bool SaveFileDialog(const QString& caption, const QString& filter, QString& fileName) {
    return chooseInto(TDialogRequest::SaveFile, caption, filter, fileName);
}

bool OpenFilesDialog(const QString& caption, const QString& filter, QStringList& fileNames) {
    const TDialogAnswer answer =
        ask({TDialogRequest::OpenFiles, caption, {}, mtCustom, 0, {}, nullptr}, filter);
    if (answer.result != mrOk)
        return false;
    fileNames = answer.files;
    return true;
}

int ExecModal(QDialog& dialog) {
    return ask({TDialogRequest::Window, dialog.windowTitle(), {}, mtCustom, 0, {}, &dialog}).result;
}

TDialogScript::TDialogScript() : state_(std::make_unique<State>()), outer_(activeScript) {
    activeScript = state_.get();
}

TDialogScript::~TDialogScript() {
    activeScript = outer_;
}

TDialogScript& TDialogScript::then(Step step) {
    state_->steps.push_back(std::move(step));
    return *this;
}

TDialogScript& TDialogScript::press(int button) {
    return then([button](const TDialogRequest& r) { return TDialogAnswer{button, r.value}; });
}

TDialogScript& TDialogScript::enter(const QString& value) {
    return then([value](const TDialogRequest&) { return TDialogAnswer{mrOk, value}; });
}

const QList<TDialogRequest>& TDialogScript::asked() const {
    return state_->asked;
}

int TDialogScript::unanswered() const {
    return state_->unanswered;
}

int TDialogScript::pending() const {
    return int(state_->steps.size());
}
