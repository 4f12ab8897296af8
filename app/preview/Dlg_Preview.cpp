#include "Dlg_Preview.h"

#include "AppException.h"
#include "AppServices.h"
#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Log.h"
#include "PreviewRules.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QAction>
#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

constexpr int ImageSize = 160;
constexpr QColor MarkedColour(0, 255, 0);

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

TImageAndText::TImageAndText(QWidget* owner, int index)
    : QLabel(owner), index(index), label(new QLabel(owner)), shape(new QFrame(owner)) {
    shape->setFrameShape(QFrame::Box);
    shape->lower();
    label->setAutoFillBackground(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

TImageAndText::~TImageAndText() {
    delete label;
    delete shape;
}

void TImageAndText::mousePressEvent(QMouseEvent* event) {
    emit pressed(this, event->button(), event->modifiers());
}

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
    sheet_ = new QWidget;
    sheet_->installEventFilter(this);
    scrollArea_->setWidget(sheet_);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
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
    DeleteImages();
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

// Every modal showing starts with a fresh set of cells; the questions of the
// popup menu closing do not rebuild them.
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
    layoutBusy_ = true;
    DeleteImages();
    for (std::size_t i = 0; i < records_.size(); ++i) {
        auto* cell = new TImageAndText(sheet_, int(i));
        connect(cell, &TImageAndText::pressed, this,
                [this](TImageAndText* c, Qt::MouseButton b, Qt::KeyboardModifiers m) {
                    RunGuarded([&] { ImageMouseDown(c, b, m); });
                });
        cell->label->installEventFilter(this);
        cell->shape->installEventFilter(this);
        connect(cell, &QWidget::customContextMenuRequested, this,
                [this, cell](const QPoint& at) { PopupMenu1->popup(cell->mapToGlobal(at)); });
        cells_.push_back(cell);
    }
    fullLayoutRequested_ = true;
    layoutBusy_ = false;
    FormResize();
}

void TForm_Preview::DeleteImages() {
    LogLine("Entering TForm_Preview.DeleteImages");
    for (TImageAndText* cell : cells_)
        delete cell;
    cells_.clear();
}

void TForm_Preview::FormResize() {
    LogLine("Entering TForm_Preview.FormResize");
    if (layoutBusy_)
        return;
    layoutBusy_ = true;
    const int columns = frameGeometry().width() / CellWidth;
    if (columns != laidOutColumns_ || cells_.size() != laidOutCells_ || fullLayoutRequested_) {
        laidOutColumns_ = columns;
        laidOutCells_ = cells_.size();
        fullLayoutRequested_ = false;
        for (TImageAndText* cell : cells_)
            placeCell(cell, GridPlace(cell->index, columns));
        sheet_->resize(GridSheetSize(int(cells_.size()), columns, {CellWidth, CellHeight}));
    }
    colourLabels();
    layoutBusy_ = false;
}

void TForm_Preview::placeCell(TImageAndText* cell, QPoint place) {
    const int left = place.x() * CellWidth;
    const int top = place.y() * CellHeight;
    cell->shape->setGeometry(left + 1, top + 1, ImageSize, 194);
    cell->setGeometry(left + 1, top + 1, ImageSize, ImageSize);
    cell->setEnabled(true);
    drawCell(cell);
    const TJPEGImage& record = records_[cell->index];
    cell->label->move(left + 3, top + ImageSize);
    cell->label->setText(QString("%1\n%2x%3 %4 kB")
                             .arg(record.name)
                             .arg(record.pictureWidth)
                             .arg(record.pictureHeight)
                             .arg(record.sizeKB));
    cell->label->adjustSize();
    cell->shape->show();
    cell->show();
    cell->label->show();
}

void TForm_Preview::drawCell(TImageAndText* cell) {
    LogLine("Assigns the bitmap");
    TJPEGImage& record = records_[cell->index];
    QPixmap pixmap(ImageSize, ImageSize);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    record.draw(painter, QRect(QPoint(0, 0), record.bitmap().size()));
    painter.end();
    cell->setPixmap(pixmap);
}

void TForm_Preview::colourLabels() {
    for (TImageAndText* cell : cells_) {
        QPalette palette = cell->label->palette();
        palette.setColor(QPalette::Window,
                         records_[cell->index].selected ? MarkedColour : QColor(Qt::white));
        cell->label->setPalette(palette);
    }
}

void TForm_Preview::setAllMarks(bool selected) {
    for (TJPEGImage& record : records_)
        record.selected = selected;
}

void TForm_Preview::ImageMouseDown(TImageAndText* cell, Qt::MouseButton button,
                                   Qt::KeyboardModifiers modifiers) {
    if (button == Qt::LeftButton) {
        std::vector<bool> marks;
        for (const TJPEGImage& record : records_)
            marks.push_back(record.selected);
        anchor_ = ClickMarks(marks, anchor_, cell->index, modifiers & Qt::ShiftModifier,
                             modifiers & Qt::ControlModifier);
        for (std::size_t i = 0; i < records_.size(); ++i)
            records_[i].selected = marks[i];
    }
    FormResize();
}

void TForm_Preview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_A && event->modifiers() == Qt::ControlModifier)
        setAllMarks(true);
    RunGuarded([this] { FormResize(); });
}

void TForm_Preview::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    RunGuarded([this] { FormClick(); });
}

// A press on the sheet between the cells is a click on the window; one on a
// cell's label or frame is neither that nor a press on the cell.
bool TForm_Preview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress)
        return QDialog::eventFilter(watched, event);
    if (watched == sheet_)
        RunGuarded([this] { FormClick(); });
    return watched != sheet_;
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
        drawCell(cells_[index]);
    });
    FormResize();
}

void TForm_Preview::ConvertToGray1Click() {
    forEachMarked([&](TJPEGImage& record, int index) {
        record.setGrayscale(true);
        drawCell(cells_[index]);
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
        drawCell(cells_[index]);
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
        drawCell(cells_[index]);
    });
    FormResize();
}
