#pragma once
// The file manager's actions on the selected files: the transfer with its stop
// request, the drag of received files out of the list, delete on the camera,
// Apply of the comment memo and the choice of the program started after a
// transfer. It joins a file manager window and lives as long as it does.

#include "Transfer.h"

#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QUrl>
#include <functional>
#include <optional>

class TForm_filemanager;

// The drag's files: the transfer runs when the drop target first asks for
// them, so the target receives the files just written.
class TReceivedFilesMimeData : public QMimeData {
    Q_OBJECT
  public:
    explicit TReceivedFilesMimeData(std::function<QStringList()> transfer);
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    std::function<QStringList()> transfer_;
    mutable std::optional<QList<QUrl>> urls_;
};

class TFileManagerActions : public QObject, public TTransferWindow {
    Q_OBJECT
  public:
    explicit TFileManagerActions(TForm_filemanager& window);

    TTransfer& transfer() { return transfer_; }

    void Button_StartTransferClick();
    void Button_DeleteClick();
    void Button_Comment_AddClick();
    void Opencustomprogramaftertransfer1Click();
    // Starts the move-only drag of the selected files; the transfer runs at
    // the drop. Returns the action the target took.
    Qt::DropAction StartDrag();
    // The drag's data, for a drop target of our own making.
    TReceivedFilesMimeData* newDragData();

    // TTransferWindow.
    QList<int> selectedIndexes() const override;
    TTransferOptions transferOptions() const override;
    void showRunning(bool running) override;
    void setProgress(int percent) override;
    void bringToFront() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString text(const char* key, const char* def) const;

    TForm_filemanager& window_;
    TTransfer transfer_;
    QPoint pressedAt_;
};
