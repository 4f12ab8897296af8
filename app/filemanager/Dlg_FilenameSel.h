#pragma once
// The name selection window: the user composes the subdirectory and file-name
// patterns from the token list, and may change the computer directory.

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class TAppServices;
class TWindowLocaliser;

// What the window edits: the computer directory and the two patterns.
struct TNameChoice {
    QString computerDirectory;
    QString subDirPattern;
    QString fileNamePattern;
};

class TFormNameSelect : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "FormNameSelect";

    explicit TFormNameSelect(TAppServices& services, QWidget* parent = nullptr);
    // Writes the window size.
    ~TFormNameSelect() override;

    // Shows the window modally over `choice`; true, with the user's choice in
    // it, when the user pressed OK.
    bool choose(TNameChoice& choice);

    void FormShow();
    void ButtonDirAddClick();      // "<-" of the subdirectory
    void ButtonFilenameAddClick(); // "<-" of the file name
    void ButtonAddSubdirClick();
    void BitBtn_ExplorerClick();
    void ButtonOKClick();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The chosen line's token, or the user's text for the first line; false
    // when nothing is chosen or the question was cancelled.
    bool chosenText(const QString& caption, const QString& prompt, QString& text) const;

    QLabel* LabelComputerDir;
    QLineEdit* EditComputerDir;
    QToolButton* BitBtn_Explorer;
    QLabel* LabelSubdir;
    QLineEdit* EditDir;
    QPushButton* ButtonDirAdd;
    QLabel* LabelFilename;
    QLineEdit* EditFilename;
    QPushButton* ButtonFilenameAdd;
    QPushButton* ButtonAddSubdir;
    QListWidget* ListBoxAttr;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

    TAppServices& services_;
    std::unique_ptr<TWindowLocaliser> texts_;
    bool firstShow_ = true;
};
