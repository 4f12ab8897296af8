#include "PreviewGrid.h"

#include "Errors.h"
#include "Log.h"
#include "PreviewRules.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>

namespace {

constexpr QColor MarkedColour(0, 255, 0);
constexpr QSize Cell(TPreviewGrid::CellWidth, TPreviewGrid::CellHeight);
constexpr int FrameHeight = 194;
// Enough decoded thumbnails for a few screens of cells on a big monitor.
constexpr int ThumbnailCacheKB = 48 * 1024;

} // namespace

TPreviewGrid::TPreviewGrid(TArrayPic& records, QWidget* parent)
    : QWidget(parent), records_(records), thumbnails_(ThumbnailCacheKB) {}

void TPreviewGrid::layOut(int count, int columns) {
    count_ = count;
    columns_ = columns;
    resize(GridSheetSize(count, columns, Cell));
    update();
}

QPoint TPreviewGrid::cellOrigin(int index) const {
    const QPoint place = GridPlace(index, columns_);
    return {place.x() * CellWidth, place.y() * CellHeight};
}

QRect TPreviewGrid::imageRect(int index) const {
    return {cellOrigin(index) + QPoint(1, 1), QSize(ImageSize, ImageSize)};
}

QRect TPreviewGrid::frameRect(int index) const {
    return {cellOrigin(index) + QPoint(1, 1), QSize(ImageSize, FrameHeight)};
}

QRect TPreviewGrid::labelRect(int index) const {
    const QRect text = fontMetrics().boundingRect(QRect(0, 0, 10000, 10000),
                                                  Qt::AlignLeft | Qt::AlignTop, labelText(index));
    return {cellOrigin(index) + QPoint(3, ImageSize), text.size()};
}

QString TPreviewGrid::labelText(int index) const {
    const TJPEGImage& record = records_[index];
    return QString("%1\n%2x%3 %4 kB")
        .arg(record.name)
        .arg(record.pictureWidth)
        .arg(record.pictureHeight)
        .arg(record.sizeKB);
}

void TPreviewGrid::forget(int index) {
    thumbnails_.remove(index);
    update(frameRect(index));
}

void TPreviewGrid::forgetAll() {
    thumbnails_.clear();
    update();
}

int TPreviewGrid::cellAt(QPoint point) const {
    return GridIndexAt(point, count_, columns_, Cell);
}

int TPreviewGrid::imageAt(QPoint point) const {
    const int index = cellAt(point);
    return index >= 0 && imageRect(index).contains(point) ? index : -1;
}

void TPreviewGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    // The cells whose slots the rectangle touches, row by row.
    const QRect area = event->rect();
    const int slotColumns = std::max(columns_, 1);
    for (int row = area.top() / CellHeight; row <= area.bottom() / CellHeight; ++row)
        for (int column = area.left() / CellWidth;
             column <= std::min(area.right() / CellWidth, slotColumns - 1); ++column) {
            const int index = cellAt({column * CellWidth, row * CellHeight});
            if (index >= 0)
                drawCell(painter, index);
        }
}

void TPreviewGrid::drawCell(QPainter& painter, int index) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(frameRect(index).adjusted(0, 0, -1, -1));
    const QRect image = imageRect(index);
    painter.fillRect(image, Qt::white);
    painter.save();
    painter.setClipRect(image);
    painter.drawImage(image.topLeft(), thumbnail(index));
    painter.restore();
    const QRect label = labelRect(index);
    painter.fillRect(label, records_[index].selected ? MarkedColour : QColor(Qt::white));
    painter.drawText(label, Qt::AlignLeft | Qt::AlignTop, labelText(index));
}

const QImage& TPreviewGrid::thumbnail(int index) {
    if (const QImage* kept = thumbnails_.object(index))
        return *kept;
    LogLine("Assigns the bitmap");
    auto image = std::make_unique<QImage>();
    try {
        *image = records_[index].decoded();
    } catch (const ELumvikError& error) {
        // A paint cannot ask anything; the cell stays empty and says why once.
        LogLine(QString("No thumbnail for picture %1. Exception=%2").arg(index).arg(error.message()));
    }
    const QImage* kept = image.get();
    thumbnails_.insert(index, image.release(), std::max<qsizetype>(1, kept->sizeInBytes() / 1024));
    return *kept;
}

void TPreviewGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int index = cellAt(at);
    if (index >= 0 && imageRect(index).contains(at))
        emit imagePressed(index, event->button(), event->modifiers());
    else if (index < 0 || !(frameRect(index).contains(at) || labelRect(index).contains(at)))
        emit backgroundPressed();
    // A press on a cell's label or frame is neither.
}

void TPreviewGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (imageAt(event->pos()) >= 0)
        emit menuRequested(event->globalPos());
}
