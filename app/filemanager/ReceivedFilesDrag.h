#pragma once
// The drag of the selected files out of the file list: the files do not exist
// yet, so the transfer runs when the drop target first asks for them.

#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QUrl>
#include <functional>
#include <optional>

// The drag's files, from `transfer` at the first request.
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

// Watches a list's viewport and calls `start` when the mouse moves far enough
// with one button held and no modifier, while `canStart` allows it.
class TDragStarter : public QObject {
    Q_OBJECT
  public:
    TDragStarter(QWidget& viewport, std::function<bool()> canStart, std::function<void()> start);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<bool()> canStart_;
    std::function<void()> start_;
    QPoint pressedAt_;
};
