#pragma once
// Every message box, question, text question, file and folder chooser and modal
// window of the program is shown through these functions. They may be called
// from any thread: a call from another thread is handed to the user-interface
// thread and waits there until the box is closed. While a TDialogScript exists,
// the script answers instead of the user and records what was asked.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QDialog;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
    mbYes = 1 << 0,
    mbNo = 1 << 1,
    mbOK = 1 << 2,
    mbCancel = 1 << 3,
    mbAbort = 1 << 4,
    mbRetry = 1 << 5,
    mbIgnore = 1 << 6,
};
using TMsgDlgButtons = unsigned;

// The answer of a box; the numbers of the Windows IDOK, IDCANCEL, ... results.
enum TModalResult { mrNone, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo };

// Style flags of MessageBox(): the Windows MB_ values the program uses.
enum TMessageBoxFlag : unsigned {
    MB_OK = 0,
    MB_OKCANCEL = 1,
    MB_YESNOCANCEL = 3,
    MB_YESNO = 4,
    MB_ICONERROR = 16,
    MB_ICONQUESTION = 32,
    MB_ICONWARNING = 48,
    MB_ICONINFORMATION = 64,
};

// A box captioned by its type ("Warning", "Error", ...); returns the button.
int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);
// A box with its own caption and Windows style flags; returns the button.
int MessageBox(const QString& text, const QString& caption, unsigned flags);
// The error box of the program: its title, an error icon and OK.
void ShowErrorBox(const QString& text);
// A one-line text question; true on OK, with `value` holding the text.
bool InputQuery(const QString& caption, const QString& prompt, QString& value);
// The same for a password: what is typed is not shown.
bool PasswordQuery(const QString& caption, const QString& prompt, QString& value);
// A folder chooser starting at `directory`; true on OK, with the chosen folder.
bool SelectDirectory(const QString& caption, QString& directory);
// File choosers; `filter` as Qt writes it ("Pictures (*.jpg)"). True on OK.
bool OpenFileDialog(const QString& caption, const QString& filter, QString& fileName);
bool SaveFileDialog(const QString& caption, const QString& filter, QString& fileName);
// A chooser of one or more existing files; true on OK, with them in `fileNames`.
bool OpenFilesDialog(const QString& caption, const QString& filter, QStringList& fileNames);
// Shows `dialog` modally; returns its result (QDialog::Accepted or Rejected).
int ExecModal(QDialog& dialog);

// One thing shown through this module, as a script sees it.
struct TDialogRequest {
    enum Kind { Message, Input, Password, Directory, OpenFile, OpenFiles, SaveFile, Window };
    Kind kind = Message;
    QString caption;
    QString text; // the message or the prompt
    TMsgDlgType type = mtCustom;
    TMsgDlgButtons buttons = 0;
    QString value; // the text, folder or file offered
    QDialog* window = nullptr;
};

struct TDialogAnswer {
    int result = mrOk;   // the button, or QDialog's result for a window
    QString value;       // the text, folder or file chosen (when result is OK)
    QStringList files{}; // the files of a multiple choice (when result is OK)
};

// While one exists, its steps answer the requests in order, one step each, on the
// user-interface thread. A request that finds no step left is answered with its
// first button (Yes, OK, ... in that order) and counted as unanswered. A script
// made while another exists takes over until it ends.
class TDialogScript {
  public:
    using Step = std::function<TDialogAnswer(const TDialogRequest&)>;

    TDialogScript();
    ~TDialogScript();
    TDialogScript(const TDialogScript&) = delete;
    TDialogScript& operator=(const TDialogScript&) = delete;

    TDialogScript& then(Step step);
    // Presses `button` (a TModalResult).
    TDialogScript& press(int button);
    // Enters `value` (text, folder or file) and presses OK.
    TDialogScript& enter(const QString& value);

    // Every request so far, in order: a reference into the script, so an element
    // taken from it stays valid while the script lives and no new request comes.
    const QList<TDialogRequest>& asked() const;
    int unanswered() const;
    int pending() const;

    struct State;

  private:
    std::unique_ptr<State> state_;
    State* outer_; // the script in force before this one, again after it
};
