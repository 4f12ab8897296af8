#pragma once
// The preview window's rules that need no widget: how a click marks cells and
// where each cell of the grid goes.

#include <QPoint>
#include <QSize>
#include <vector>

// A left click on cell `index`: Shift marks the range from the anchor to it
// and nothing else, Ctrl flips it and moves the anchor, a plain click marks
// it alone and moves the anchor. Returns the new anchor.
int ClickMarks(std::vector<bool>& marks, int anchor, int index, bool shift, bool ctrl);

// The column and row of cell `index` in a grid of `columns` columns. A window
// narrower than one cell puts every cell on a row of its own, from the second.
QPoint GridPlace(int index, int columns);
// The sheet holding `count` cells of `cell` size in such a grid.
QSize GridSheetSize(int count, int columns, QSize cell);
// The cell whose slot of `cell` size holds point in such a grid of `count`
// cells, or -1 when none does.
int GridIndexAt(QPoint point, int count, int columns, QSize cell);
