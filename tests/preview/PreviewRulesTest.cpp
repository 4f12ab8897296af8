#include "PreviewRules.h"

#include <gtest/gtest.h>

namespace {

std::vector<bool> marksOf(const char* text) {
    std::vector<bool> marks;
    for (const char* c = text; *c; ++c)
        marks.push_back(*c == 'x');
    return marks;
}

std::string textOf(const std::vector<bool>& marks) {
    std::string text;
    for (bool mark : marks)
        text += mark ? 'x' : '.';
    return text;
}

struct ClickCase {
    const char* before;
    int anchor, index;
    bool shift, ctrl;
    const char* after;
    int newAnchor;
};

class ClickMarksTest : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickMarksTest, MarksAndAnchor) {
    const ClickCase& c = GetParam();
    std::vector<bool> marks = marksOf(c.before);
    EXPECT_EQ(ClickMarks(marks, c.anchor, c.index, c.shift, c.ctrl), c.newAnchor);
    EXPECT_EQ(textOf(marks), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, ClickMarksTest,
    ::testing::Values(
        ClickCase{"x.x...", 0, 3, false, false, "...x..", 3},  // a plain click marks it alone
        ClickCase{"......", 0, 3, true, false, "xxxx..", 0},   // Shift: from the anchor
        ClickCase{"....x.", 4, 1, true, false, ".xxxx.", 4},   // backwards, anchor kept
        ClickCase{"x.....", 1, 5, true, true, ".xxxxx", 1},    // Shift wins over Ctrl
        ClickCase{".x....", 1, 3, false, true, ".x.x..", 3},   // Ctrl adds and moves the anchor
        ClickCase{".x.x..", 3, 1, false, true, "...x..", 1},   // Ctrl takes away
        ClickCase{"......", 9, 2, true, false, "..xxxx", 9})); // an anchor past the end

struct GridCase {
    int index, columns;
    QPoint place;
};

class GridPlaceTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(GridPlaceTest, ColumnAndRow) {
    EXPECT_EQ(GridPlace(GetParam().index, GetParam().columns), GetParam().place);
}

INSTANTIATE_TEST_SUITE_P(Places, GridPlaceTest,
                         ::testing::Values(GridCase{0, 3, {0, 0}}, GridCase{2, 3, {2, 0}},
                                           GridCase{4, 3, {1, 1}}, GridCase{4, 5, {4, 0}},
                                           GridCase{0, 0, {0, 1}}, GridCase{4, 0, {0, 5}}));

TEST(GridSheetSize, HoldsEveryRowAndAtLeastOneColumn) {
    const QSize cell(170, 196);
    EXPECT_EQ(GridSheetSize(5, 3, cell), QSize(510, 392));
    EXPECT_EQ(GridSheetSize(6, 3, cell), QSize(510, 392));
    EXPECT_EQ(GridSheetSize(0, 3, cell), QSize(510, 196));
    EXPECT_EQ(GridSheetSize(5, 0, cell), QSize(170, 6 * 196));
}

TEST(GridIndexAt, FindsTheCellWhoseSlotHoldsThePointAndEveryPlaceInverts) {
    const QSize cell(170, 196);
    struct Case {
        QPoint point;
        int count, columns, index;
    } cases[] = {
        {{0, 0}, 5, 3, 0},      {{169, 195}, 5, 3, 0}, {{170, 196}, 5, 3, 4},
        {{340, 196}, 5, 3, -1}, // past the last cell on its row
        {{510, 0}, 5, 3, -1},   // right of the last column
        {{-1, 5}, 5, 3, -1},    {{5, 200}, 5, 0, 0},   // no column: from the second row
        {{5, 100}, 5, 0, -1},   {{175, 200}, 5, 0, -1}, {{5, 6 * 196}, 5, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GridIndexAt(c.point, c.count, c.columns, cell), c.index) << c.point.x() << ","
                                                                            << c.point.y();
    for (int columns : {0, 1, 3})
        for (int index = 0; index < 7; ++index) {
            const QPoint place = GridPlace(index, columns);
            EXPECT_EQ(GridIndexAt({place.x() * 170 + 80, place.y() * 196 + 90}, 7, columns, cell),
                      index);
        }
}

} // namespace
