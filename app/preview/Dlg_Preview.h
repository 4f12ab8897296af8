#pragma once
// The preview window: every picture transformation record of the file manager
// as a thumbnail cell in a grid. Cells are marked with the mouse, and a popup
// menu applies rotations, gray, quality, resize, comments or a reset to every
// marked record; the transfer later applies the records to the files.

#include "PictureRecords.h"

#include <QDialog>
#include <QLabel>
#include <functional>
#include <vector>

class QAction;
class QFrame;
class QMenu;
class QScrollArea;
class QStatusBar;
class TAppServices;
class TWindowLocaliser;

// One cell: the thumbnail image, which owns the text label beneath it and the
// frame around both, and knows its index in the cell array.
class TImageAndText : public QLabel {
    Q_OBJECT
  public:
    TImageAndText(QWidget* owner, int index);
    ~TImageAndText() override;

    int index;
    QLabel* label;
    QFrame* shape;

  signals:
    void pressed(TImageAndText* cell, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TForm_Preview : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "Form_Preview";
    static constexpr int CellWidth = 170;
    static constexpr int CellHeight = 196;

    // reloadPicture(item number) fetches the camera thumbnail again and
    // replaces that item's record by one without any transformation.
    TForm_Preview(TAppServices& services, TArrayPic& records,
                  std::function<void(int)> reloadPicture, QWidget* parent = nullptr);
    ~TForm_Preview() override;

    void FormShow();
    void FormActivate();
    void FormResize();
    void DeleteImages();
    void ImageMouseDown(TImageAndText* cell, Qt::MouseButton button,
                        Qt::KeyboardModifiers modifiers);
    void FormClick();
    void Rotate(int degrees);
    void ConvertToGray1Click();
    void Compression1Click();
    void Resize(TJPEGScale scale);
    void AddComment1Click();
    void ClearTransformations1Click();

    const std::vector<TImageAndText*>& cells() const { return cells_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The controls, named as in the language file; each carries its name as
    // object name.
    QMenu* PopupMenu1;
    QAction* RotateRight901;
    QAction* RotateLeft901;
    QAction* Rotate1801;
    QAction* ConvertToGray1;
    QAction* Compression1;
    QAction* ResizeToFull1;
    QAction* ResizeToHalf1;
    QAction* ResizeToQuarter1;
    QAction* ResizeToEighth1;
    QAction* AddComment1;
    QAction* ClearTransformations1;
    QStatusBar* StatusBar1;

    QAction* addAction(const char* name, const char* key, const char* caption,
                       std::function<void()> handler);
    void placeCell(TImageAndText* cell, QPoint place);
    void drawCell(TImageAndText* cell);
    void colourLabels();
    void setAllMarks(bool selected);
    // Runs action on every marked record, with its cell's index.
    void forEachMarked(const std::function<void(TJPEGImage&, int)>& action);

    TAppServices& services_;
    TArrayPic& records_;
    std::function<void(int)> reloadPicture_;
    std::unique_ptr<TWindowLocaliser> texts_;
    QScrollArea* scrollArea_;
    QWidget* sheet_; // the cells' owner inside the scroll area
    std::vector<TImageAndText*> cells_;
    int laidOutColumns_ = 0;
    std::size_t laidOutCells_ = 0;
    bool fullLayoutRequested_ = false;
    bool layoutBusy_ = false;
    int anchor_ = 0;
    bool firstShow_ = true;
};
