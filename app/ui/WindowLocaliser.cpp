#include "WindowLocaliser.h"

#include "LanguageFile.h"
#include "Settings.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QScreen>

namespace {

QString textOf(QObject* control) {
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* menu = qobject_cast<QMenu*>(control))
        return menu->title();
    if (auto* action = qobject_cast<QAction*>(control))
        return action->text();
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return group->title();
    return qobject_cast<QWidget*>(control)->windowTitle();
}

void setTextOf(QObject* control, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* menu = qobject_cast<QMenu*>(control))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(control))
        action->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else
        qobject_cast<QWidget*>(control)->setWindowTitle(text);
}

QKeySequence shortcutFrom(const QString& text) {
    const QKeySequence sequence = QKeySequence::fromString(text, QKeySequence::PortableText);
    for (int i = 0; i < sequence.count(); ++i)
        if (sequence[i].key() == Qt::Key_unknown)
            return {};
    return sequence;
}

} // namespace

TWindowLocaliser::TWindowLocaliser(QWidget& window, const QString& section)
    : window_(window), section_(section) {}

TWindowLocaliser& TWindowLocaliser::text(QObject* control, const QString& key) {
    entries_.push_back({Text, control, key, {}});
    return *this;
}

TWindowLocaliser& TWindowLocaliser::hint(QWidget* control, const QString& key) {
    entries_.push_back({Hint, control, key, {}});
    return *this;
}

TWindowLocaliser& TWindowLocaliser::shortcut(QAction* action, const QString& key,
                                             const QString& def) {
    entries_.push_back({Shortcut, action, key, def});
    return *this;
}

void TWindowLocaliser::localise(const TLanguageFile& language) const {
    for (const Entry& e : entries_) {
        switch (e.kind) {
        case Text:
            setTextOf(e.control, language.read(section_, e.key, textOf(e.control)));
            break;
        case Hint: {
            auto* widget = qobject_cast<QWidget*>(e.control);
            widget->setToolTip(language.readMultiLine(section_, e.key, widget->toolTip()));
            break;
        }
        case Shortcut:
            qobject_cast<QAction*>(e.control)->setShortcut(
                shortcutFrom(language.read(section_, e.key, e.def)));
            break;
        }
    }
}

TWindowLocaliser& TWindowLocaliser::rememberSize(const QString& widthKey,
                                                 const QString& heightKey) {
    widthKey_ = widthKey;
    heightKey_ = heightKey;
    return *this;
}

// A size stored on a larger screen (or by an older layout) is cut to the
// screen the window shows on, frame included.
void TWindowLocaliser::restoreSize(const TSettings& settings) const {
    const QSize stored(settings.readInteger(TSettings::Section, widthKey_, window_.width()),
                       settings.readInteger(TSettings::Section, heightKey_, window_.height()));
    const QSize frame = window_.frameGeometry().size() - window_.size();
    window_.resize(stored.boundedTo(window_.screen()->availableSize() - frame));
}

void TWindowLocaliser::storeSize(TSettings& settings) const {
    settings.writeInteger(TSettings::Section, widthKey_, window_.width());
    settings.writeInteger(TSettings::Section, heightKey_, window_.height());
}
