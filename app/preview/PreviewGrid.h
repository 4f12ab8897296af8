#pragma once
// The preview's grid of thumbnail cells, painted rather than built: a card of
// ten thousand pictures must not cost ten thousand widgets. Only the cells a
// paint event reaches are drawn, and a cell's thumbnail is decoded the first
// time it is drawn, then kept in a small cache until its record changes.

#include "PictureRecords.h"

#include <QCache>
#include <QWidget>

class TPreviewGrid : public QWidget {
    Q_OBJECT
  public:
    static constexpr int CellWidth = 170;
    static constexpr int CellHeight = 196;
    static constexpr int ImageSize = 160;

    TPreviewGrid(TArrayPic& records, QWidget* parent = nullptr);

    // Places `count` cells (the first records) in `columns` columns; the
    // widget takes the grid's size.
    void layOut(int count, int columns);
    int count() const { return count_; }
    int columns() const { return columns_; }

    // Where cell `index` draws its thumbnail, its frame and its label.
    QRect imageRect(int index) const;
    QRect frameRect(int index) const;
    QRect labelRect(int index) const;
    QString labelText(int index) const;

    // Drops the decoded thumbnail of one cell, or of every cell, so that the
    // next paint shows the record as it now stands.
    void forget(int index);
    void forgetAll();

  signals:
    void imagePressed(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // A press on no part of any cell: between or beside them.
    void backgroundPressed();
    void menuRequested(QPoint globalPosition);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QPoint cellOrigin(int index) const;
    // The cell whose slot holds point, or -1.
    int cellAt(QPoint point) const;
    int imageAt(QPoint point) const;
    void drawCell(QPainter& painter, int index);
    const QImage& thumbnail(int index);

    TArrayPic& records_;
    int count_ = 0;
    int columns_ = 0;
    QCache<int, QImage> thumbnails_; // cost in kB
};
