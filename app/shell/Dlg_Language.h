#pragma once
// The language selection window: a text field with the list of the installed
// languages (filled once, when the window is created) and an OK button.

#include <QDialog>

class QComboBox;

class TForm_language : public QDialog {
    Q_OBJECT
  public:
    explicit TForm_language(QWidget* parent = nullptr);

    QString languageText() const;
    void setLanguageText(const QString& name);
    QStringList languages() const;
    // True when the text is a listed name, letter case ignored.
    bool isListed() const;

    // Escape and the window's close request leave it open: only OK ends it.
    void reject() override;

  private:
    QComboBox* ComboBox_language;
};
