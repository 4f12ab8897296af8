#include "ReceivedFilesDrag.h"

#include <QMouseEvent>
#include <QWidget>

namespace {

constexpr const char* UriList = "text/uri-list";
constexpr int DragDistance = 10;

bool onlyOneButton(Qt::MouseButtons buttons) {
    return buttons == Qt::LeftButton || buttons == Qt::RightButton;
}

} // namespace

TReceivedFilesMimeData::TReceivedFilesMimeData(std::function<QStringList()> transfer)
    : transfer_(std::move(transfer)) {}

QStringList TReceivedFilesMimeData::formats() const {
    return {UriList};
}

bool TReceivedFilesMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == UriList;
}

QVariant TReceivedFilesMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != UriList)
        return QMimeData::retrieveData(mimeType, type);
    if (!urls_) {
        urls_.emplace();
        for (const QString& path : transfer_())
            urls_->append(QUrl::fromLocalFile(path));
    }
    QVariantList urls;
    for (const QUrl& url : *urls_)
        urls << url;
    return urls;
}

TDragStarter::TDragStarter(QWidget& viewport, std::function<bool()> canStart,
                           std::function<void()> start)
    : QObject(&viewport), canStart_(std::move(canStart)), start_(std::move(start)) {
    viewport.installEventFilter(this);
}

bool TDragStarter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        pressedAt_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QPoint distance = move->position().toPoint() - pressedAt_;
        if (onlyOneButton(move->buttons()) && move->modifiers() == Qt::NoModifier &&
            (std::abs(distance.x()) >= DragDistance || std::abs(distance.y()) >= DragDistance) &&
            canStart_()) {
            start_();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
