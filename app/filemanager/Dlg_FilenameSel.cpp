#include "Dlg_FilenameSel.h"

#include "AppServices.h"
#include "Dialogs.h"
#include "LanguageFile.h"
#include "Log.h"
#include "NamePattern.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int DesignWidth = 495;
constexpr int DesignHeight = 239;

} // namespace

TFormNameSelect::TFormNameSelect(TAppServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setObjectName(Section);
    setWindowTitle("Select filename and directory");
    texts_ = std::make_unique<TWindowLocaliser>(*this, Section);
    texts_->rememberSize("FormNameSelectWidth", "FormNameSelectHeight");

    LabelComputerDir = new QLabel("Computer directory:", this);
    EditComputerDir = new QLineEdit(this);
    BitBtn_Explorer = new QToolButton(this);
    BitBtn_Explorer->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    LabelSubdir = new QLabel("Subdirectory:", this);
    EditDir = new QLineEdit(this);
    ButtonDirAdd = new QPushButton("<-", this);
    LabelFilename = new QLabel("Filename:", this);
    EditFilename = new QLineEdit(this);
    ButtonFilenameAdd = new QPushButton("<-", this);
    ButtonAddSubdir = new QPushButton("&Add subdir", this);
    ListBoxAttr = new QListWidget(this);
    ButtonOK = new QPushButton("OK", this);
    ButtonCancel = new QPushButton("Cancel", this);
    ButtonOK->setDefault(true);
    const std::pair<QWidget*, const char*> names[] = {{LabelComputerDir, "LabelComputerDir"},
                                                      {EditComputerDir, "EditComputerDir"},
                                                      {BitBtn_Explorer, "BitBtn_Explorer"},
                                                      {LabelSubdir, "LabelSubdir"},
                                                      {EditDir, "EditDir"},
                                                      {ButtonDirAdd, "ButtonDirAdd"},
                                                      {LabelFilename, "LabelFilename"},
                                                      {EditFilename, "EditFilename"},
                                                      {ButtonFilenameAdd, "ButtonFilenameAdd"},
                                                      {ButtonAddSubdir, "ButtonAddSubdir"},
                                                      {ListBoxAttr, "ListBoxAttr"},
                                                      {ButtonOK, "ButtonOK"},
                                                      {ButtonCancel, "ButtonCancel"}};
    for (const auto& [control, name] : names)
        control->setObjectName(name);

    auto* grid = new QGridLayout;
    grid->addWidget(LabelComputerDir, 0, 0);
    grid->addWidget(EditComputerDir, 0, 1);
    grid->addWidget(BitBtn_Explorer, 0, 2);
    grid->addWidget(LabelSubdir, 1, 0);
    grid->addWidget(EditDir, 1, 1);
    grid->addWidget(ButtonDirAdd, 1, 2);
    grid->addWidget(LabelFilename, 2, 0);
    grid->addWidget(EditFilename, 2, 1);
    grid->addWidget(ButtonFilenameAdd, 2, 2);
    grid->addWidget(ButtonAddSubdir, 3, 1, Qt::AlignLeft);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    grid->addLayout(buttons, 4, 0, 1, 3);
    // The patterns get the width, not the buttons, and show a dated folder
    // and a name of several tokens whole.
    grid->setColumnStretch(1, 1);
    for (QLineEdit* edit : {EditComputerDir, EditDir, EditFilename})
        edit->setMinimumWidth(24 * edit->fontMetrics().averageCharWidth());
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid, 3);
    layout->addWidget(ListBoxAttr, 2);
    resize(DesignWidth, DesignHeight);

    texts_->text(this, "form")
        .text(LabelComputerDir, "computer_dir_label")
        .text(LabelSubdir, "subdir_label")
        .text(LabelFilename, "filename_label")
        .text(ButtonAddSubdir, "add_dir_button");

    connect(ButtonDirAdd, &QPushButton::clicked, this, &TFormNameSelect::ButtonDirAddClick);
    connect(ButtonFilenameAdd, &QPushButton::clicked, this,
            &TFormNameSelect::ButtonFilenameAddClick);
    connect(ButtonAddSubdir, &QPushButton::clicked, this, &TFormNameSelect::ButtonAddSubdirClick);
    connect(BitBtn_Explorer, &QToolButton::clicked, this, &TFormNameSelect::BitBtn_ExplorerClick);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormNameSelect::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TFormNameSelect::~TFormNameSelect() {
    texts_->storeSize(services_.settings());
}

bool TFormNameSelect::choose(TNameChoice& choice) {
    EditComputerDir->setText(choice.computerDirectory);
    EditDir->setText(choice.subDirPattern);
    EditFilename->setText(choice.fileNamePattern);
    if (ExecModal(*this) != QDialog::Accepted)
        return false;
    choice = {EditComputerDir->text(), EditDir->text(), EditFilename->text()};
    return true;
}

void TFormNameSelect::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormNameSelect::FormShow() {
    LogLine("Enters TFormNameSelect.FormShow");
    if (firstShow_) {
        texts_->restoreSize(services_.settings());
        firstShow_ = false;
    }
    const TLanguageFile& language = services_.language();
    texts_->localise(language);
    ListBoxAttr->clear();
    ListBoxAttr->addItem(language.read(Section, "listBox_item_user_text", "User text"));
    for (const TPatternToken& token : PatternTokens)
        ListBoxAttr->addItem("$" + QString(token.name) + " " +
                             language.read(Section, token.listKey, token.listDefault));
    // Each token's description shows whole, in any language.
    ListBoxAttr->setMinimumWidth(ListBoxAttr->sizeHintForColumn(0) + 2 * ListBoxAttr->frameWidth() +
                                 ListBoxAttr->verticalScrollBar()->sizeHint().width());
}

bool TFormNameSelect::chosenText(const QString& caption, const QString& prompt,
                                 QString& text) const {
    const int row = ListBoxAttr->currentRow();
    if (row < 0 || ListBoxAttr->selectedItems().isEmpty())
        return false;
    if (row > 0) {
        text = GetAttribute(ListBoxAttr->item(row)->text());
        return true;
    }
    text.clear();
    return InputQuery(caption, prompt, text);
}

void TFormNameSelect::ButtonDirAddClick() {
    LogLine("Enters TFormNameSelect.ButtonDirAddClick");
    const TLanguageFile& language = services_.language();
    QString text;
    if (chosenText(language.read(Section, "dialogue_text_add_user_text", "Add user text"),
                   language.read(Section, "dialogue_text_your_text", "Your text:"), text))
        EditDir->setText(EditDir->text() + text);
}

void TFormNameSelect::ButtonFilenameAddClick() {
    LogLine("Enters TFormNameSelect.ButtonFilenameAddClick");
    QString text;
    if (chosenText("Add user text", "Your text:", text))
        EditFilename->setText(EditFilename->text() + text);
}

void TFormNameSelect::ButtonAddSubdirClick() {
    LogLine("Enters TFormNameSelect.ButtonAddSubdirClick");
    EditDir->setText(EditDir->text() + "/");
}

void TFormNameSelect::BitBtn_ExplorerClick() {
    LogLine("Enters TFormNameSelect.BitBtn_ExplorerClick");
    QString folder = EditComputerDir->text();
    if (SelectDirectory(LabelComputerDir->text(), folder))
        EditComputerDir->setText(folder);
}

void TFormNameSelect::ButtonOKClick() {
    LogLine("Enters TFormNameSelect.ButtonOKClick");
    if (!EditDir->text().isEmpty() && !EditDir->text().endsWith('/'))
        EditDir->setText(EditDir->text() + "/");
    accept();
}
