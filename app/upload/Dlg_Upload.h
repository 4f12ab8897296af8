#pragma once
// The upload window: the user lists JPEG pictures from the computer, chooses
// one of the sizes the camera takes and a quality, and uploads them. The
// upload itself is TUploadJob's; the window shows its progress.

#include "UploadJob.h"

#include <QDialog>
#include <QList>
#include <QSize>
#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStatusBar;
class TAppServices;
class TCameraSession;
class TWindowLocaliser;

class TFormUpload : public QDialog, private TUploadView {
    Q_OBJECT
  public:
    static constexpr const char* Section = "FormUpload";

    TFormUpload(TAppServices& services, TCameraSession& session, QWidget* parent = nullptr);
    // Writes the window size.
    ~TFormUpload() override;

    // Empties the file list and rebuilds the size list from the camera.
    void FormShow();
    void ButtonAddFilesClick();
    void ButtonUploadClick();
    // The Delete key in the file list: removes every selected entry.
    void ListBoxFilesDelete();
    // Closing stores the chosen size and quality; refused while uploading.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildControls();
    void rebuildSizes();
    void setUploading(bool uploading);
    void bringToFront();
    void reportSkipped(const QList<TSkippedFile>& skipped);
    QString text(const char* key, const char* def) const;

    // TUploadView
    void transforming(int number, int total, int percent) override;
    void uploading(int number, int total) override;
    void showProgress(int position) override;
    void letMessagesRun() override;

    QLabel* LabelFiles;
    QListWidget* ListBoxFiles;
    QLabel* LabelSize;
    QComboBox* ComboBoxSize;
    QLabel* LabelQuality;
    QComboBox* ComboBoxQuality;
    QPushButton* ButtonAddFiles;
    QPushButton* ButtonUpload;
    QPushButton* BitBtnClose;
    QProgressBar* ProgressBar;
    QStatusBar* StatusBar;

    TAppServices& services_;
    TCameraSession& session_;
    std::unique_ptr<TWindowLocaliser> texts_;
    QList<QSize> sizes_; // the camera's sizes, in the order of ComboBoxSize
    bool firstShow_ = true;
    bool uploading_ = false;
};
