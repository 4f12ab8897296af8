#include "PreviewRules.h"

#include <algorithm>

int ClickMarks(std::vector<bool>& marks, int anchor, int index, bool shift, bool ctrl) {
    if (shift) {
        const int last = std::min(std::max(anchor, index), int(marks.size()) - 1);
        std::fill(marks.begin(), marks.end(), false);
        for (int i = std::min(anchor, index); i <= last; ++i)
            marks[i] = true;
        return anchor;
    }
    if (ctrl) {
        marks[index] = !marks[index];
        return index;
    }
    std::fill(marks.begin(), marks.end(), false);
    marks[index] = true;
    return index;
}

QPoint GridPlace(int index, int columns) {
    if (columns <= 0)
        return {0, index + 1};
    return {index % columns, index / columns};
}

QSize GridSheetSize(int count, int columns, QSize cell) {
    const int rows = count == 0 ? 1 : GridPlace(count - 1, columns).y() + 1;
    return {std::max(columns, 1) * cell.width(), rows * cell.height()};
}

int GridIndexAt(QPoint point, int count, int columns, QSize cell) {
    if (point.x() < 0 || point.y() < 0)
        return -1;
    const int column = point.x() / cell.width();
    const int row = point.y() / cell.height();
    if (column >= std::max(columns, 1))
        return -1;
    const int index = columns <= 0 ? row - 1 : row * columns + column;
    return index >= 0 && index < count ? index : -1;
}
