#include "Dlg_Preview.h"

#include "AppException.h"
#include "AppServices.h"
#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "PreviewGrid.h"
#include "PreviewRules.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>

namespace {

int qualityFrom(const QString& answer) {
    bool ok = false;
    const int quality = answer.trimmed().toInt(&ok);
    if (!ok)
        throw EConvertError("'" + answer + "' is not a valid integer value");
    // The encoder takes 1 to 100; anything else would be stored and fail later.
    if (quality < 1 || quality > 100)
        throw ERangeError(QString("Compression quality %1 is not between 1 and 100").arg(quality));
    return quality;
}

} // namespace

TForm_Preview::TForm_Preview(TAppServices& services, TArrayPic& records,
                             std::function<void(int)> reloadPicture, QWidget* parent)
    : QDialog(parent), services_(services), records_(records),
      reloadPicture_(std::move(reloadPicture)),
      texts_(std::make_unique<TWindowLocaliser>(*this, Section)) {
    setObjectName(Section);
    texts_->rememberSize("Form_Preview.Width", "Form_Preview.Height");
    setWindowTitle("Preview all pictures");
    resize(532, 480);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    grid_ = new TPreviewGrid(records_);
    grid_->setObjectName("PreviewGrid");
    connect(grid_, &TPreviewGrid::imagePressed, this,
            [this](int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
                RunGuarded([&] { ImageMouseDown(index, button, modifiers); });
            });
    connect(grid_, &TPreviewGrid::backgroundPressed, this,
            [this] { RunGuarded([this] { FormClick(); }); });
    connect(grid_, &TPreviewGrid::menuRequested, this,
            [this](QPoint at) { PopupMenu1->popup(at); });
    scrollArea_->setWidget(grid_);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    auto* close = new QPushButton("&Close", StatusBar1);
    close->setObjectName("ButtonClose");
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    texts_->text(close, "button_close");
    StatusBar1->addPermanentWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea_);
    layout->addWidget(StatusBar1);

    PopupMenu1 = new QMenu(this);
    RotateRight901 =
        addAction("RotateRight901", "rotate_right_90", "Rotate right 90°", [this] { Rotate(90); });
    RotateLeft901 =
        addAction("RotateLeft901", "rotate_left_90", "Rotate left 90°", [this] { Rotate(270); });
    Rotate1801 = addAction("Rotate1801", "rotate_180", "Rotate 180°", [this] { Rotate(180); });
    ConvertToGray1 = addAction("ConvertToGray1", "convert_to_gray", "Convert to Gray",
                               [this] { ConvertToGray1Click(); });
    Compression1 =
        addAction("Compression1", "compression", "Compression...", [this] { Compression1Click(); });
    ResizeToFull1 = addAction("ResizeToFull1", "resize_to_full", "Resize to full",
                              [this] { Resize(TJPEGScale::Full); });
    ResizeToHalf1 = addAction("ResizeToHalf1", "resize_to_half", "Resize to half",
                              [this] { Resize(TJPEGScale::Half); });
    ResizeToQuarter1 = addAction("ResizeToQuarter1", "resize_to_quarter", "Resize to quarter",
                                 [this] { Resize(TJPEGScale::Quarter); });
    ResizeToEighth1 = addAction("ResizeToEighth1", "resize_to_eighth", "Resize to eighth",
                                [this] { Resize(TJPEGScale::Eighth); });
    AddComment1 =
        addAction("AddComment1", "add_comment", "Add comment", [this] { AddComment1Click(); });
    ClearTransformations1 =
        addAction("ClearTransformations1", "clear_transformations", "Clear transformations",
                  [this] { ClearTransformations1Click(); });
    texts_->text(this, "form");
}

TForm_Preview::~TForm_Preview() {
    texts_->storeSize(services_.settings());
}

QAction* TForm_Preview::addAction(const char* name, const char* key, const char* caption,
                                  std::function<void()> handler) {
    QAction* action = PopupMenu1->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [handler] { RunGuarded(handler); });
    texts_->text(action, key);
    return action;
}

// Every modal showing starts over from the records, which the file manager may
// have changed meanwhile; the questions of the popup menu closing do not.
void TForm_Preview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunGuarded([this] {
        FormShow();
        FormActivate();
    });
}

void TForm_Preview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    RunGuarded([this] { FormResize(); });
}

void TForm_Preview::FormShow() {
    if (firstShow_) {
        texts_->restoreSize(services_.settings());
        firstShow_ = false;
    }
    texts_->localise(services_.language());
}

void TForm_Preview::FormActivate() {
    LogLine("Entering TForm_Preview.FormActivate");
    grid_->forgetAll();
    FormResize();
}

void TForm_Preview::FormResize() {
    LogLine("Entering TForm_Preview.FormResize");
    // The width the cells can have; a window hidden and shown again may not
    // know its frame yet, and a narrow one still shows one column.
    const int columns = std::max(scrollArea_->viewport()->width() / TPreviewGrid::CellWidth, 1);
    const int count = int(records_.size());
    if (columns != grid_->columns() || count != grid_->count())
        grid_->layOut(count, columns);
    // The marks show in the labels' colour.
    grid_->update();
}

void TForm_Preview::setAllMarks(bool selected) {
    for (TJPEGImage& record : records_)
        record.selected = selected;
}

void TForm_Preview::ImageMouseDown(int index, Qt::MouseButton button,
                                   Qt::KeyboardModifiers modifiers) {
    if (button == Qt::LeftButton) {
        std::vector<bool> marks;
        for (const TJPEGImage& record : records_)
            marks.push_back(record.selected);
        anchor_ = ClickMarks(marks, anchor_, index, modifiers & Qt::ShiftModifier,
                             modifiers & Qt::ControlModifier);
        for (std::size_t i = 0; i < records_.size(); ++i)
            records_[i].selected = marks[i];
    }
    FormResize();
}

void TForm_Preview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_A && event->modifiers() == Qt::ControlModifier)
        setAllMarks(true);
    else
        QDialog::keyPressEvent(event); // Escape closes
    RunGuarded([this] { FormResize(); });
}

void TForm_Preview::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    RunGuarded([this] { FormClick(); });
}

void TForm_Preview::FormClick() {
    setAllMarks(false);
    FormResize();
}

void TForm_Preview::forEachMarked(const std::function<void(TJPEGImage&, int)>& action) {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].selected)
            action(records_[i], int(i));
}

void TForm_Preview::Rotate(int degrees) {
    LogLine(QString("Entering TForm_Preview.Rotate. Degrees=%1").arg(degrees));
    forEachMarked([&](TJPEGImage& record, int index) {
        LogLine(QString("Rotates picture %1").arg(index));
        record.rotateInMemory(degrees);
        LogLine(QString("Assigns picture %1").arg(index));
        grid_->forget(index);
    });
    FormResize();
}

void TForm_Preview::ConvertToGray1Click() {
    forEachMarked([&](TJPEGImage& record, int index) {
        record.setGrayscale(true);
        grid_->forget(index);
    });
    FormResize();
}

void TForm_Preview::Compression1Click() {
    const TLanguageFile& language = services_.language();
    QString answer;
    InputQuery(
        language.read(Section, "compression_headline", "Compression"),
        language.read(Section, "compression_quality", "Compression quality 1..100 (100 = best)"),
        answer);
    if (answer.isEmpty())
        return;
    LogLine("Selected compression quality=" + answer);
    const int quality = qualityFrom(answer);
    forEachMarked([&](TJPEGImage& record, int) { record.setCompressionQuality(quality); });
}

void TForm_Preview::Resize(TJPEGScale scale) {
    forEachMarked([&](TJPEGImage& record, int index) {
        record.setScale(scale);
        grid_->forget(index);
    });
    FormResize();
}

void TForm_Preview::AddComment1Click() {
    QString comment;
    if (!InputQuery("Add comment to pictures", "Your comment:", comment))
        return;
    LogLine("Comment added=" + comment);
    forEachMarked([&](TJPEGImage& record, int) { record.commentLines.append(comment); });
}

void TForm_Preview::ClearTransformations1Click() {
    forEachMarked([&](TJPEGImage& record, int index) {
        reloadPicture_(record.itemNumber);
        grid_->forget(index);
    });
    FormResize();
}
