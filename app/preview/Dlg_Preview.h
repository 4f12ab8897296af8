#pragma once
// The preview window: every picture transformation record of the file manager
// as a thumbnail cell in a grid (TPreviewGrid). Cells are marked with the mouse, and a popup
// menu applies rotations, gray, quality, resize, comments or a reset to every
// marked record; the transfer later applies the records to the files.

#include "PictureRecords.h"

#include <QDialog>
#include <functional>

class QAction;
class QMenu;
class QScrollArea;
class QStatusBar;
class TAppServices;
class TPreviewGrid;
class TWindowLocaliser;

class TForm_Preview : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* Section = "Form_Preview";

    // reloadPicture(item number) fetches the camera thumbnail again and
    // replaces that item's record by one without any transformation.
    TForm_Preview(TAppServices& services, TArrayPic& records,
                  std::function<void(int)> reloadPicture, QWidget* parent = nullptr);
    ~TForm_Preview() override;

    void FormShow();
    void FormActivate();
    void FormResize();
    void ImageMouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void FormClick();
    void Rotate(int degrees);
    void ConvertToGray1Click();
    void Compression1Click();
    void Resize(TJPEGScale scale);
    void AddComment1Click();
    void ClearTransformations1Click();

    TPreviewGrid& grid() { return *grid_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

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
    void setAllMarks(bool selected);
    // Runs action on every marked record, with its cell's index.
    void forEachMarked(const std::function<void(TJPEGImage&, int)>& action);

    TAppServices& services_;
    TArrayPic& records_;
    std::function<void(int)> reloadPicture_;
    std::unique_ptr<TWindowLocaliser> texts_;
    QScrollArea* scrollArea_;
    TPreviewGrid* grid_; // the cells, inside the scroll area
    int anchor_ = 0;
    bool firstShow_ = true;
};
