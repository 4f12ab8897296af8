#include "Dlg_Language.h"

#include "LanguageFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TForm_language::TForm_language(QWidget* parent)
    : QDialog(parent), ComboBox_language(new QComboBox(this)) {
    setObjectName("Form_language");
    setWindowTitle("Language");
    // The choice cannot be cancelled; only a listed name ends it.
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    ComboBox_language->setEditable(true);
    ComboBox_language->setInsertPolicy(QComboBox::NoInsert);
    ComboBox_language->addItems(ListedLanguages());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select your language:", this));
    layout->addWidget(ComboBox_language);
    layout->addWidget(buttons);
}

QString TForm_language::languageText() const {
    return ComboBox_language->currentText();
}

void TForm_language::setLanguageText(const QString& name) {
    ComboBox_language->setCurrentText(name);
}

QStringList TForm_language::languages() const {
    QStringList names;
    for (int i = 0; i < ComboBox_language->count(); ++i)
        names << ComboBox_language->itemText(i);
    return names;
}

bool TForm_language::isListed() const {
    return languages().contains(languageText(), Qt::CaseInsensitive);
}

void TForm_language::reject() {}
