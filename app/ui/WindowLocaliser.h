#pragma once
// The table of one window's localised texts: each control with its key, read in
// the window's section with the control's current text as default, so a key
// missing from the language file leaves the design text and reading twice
// changes nothing. It also restores and stores the window's size under the
// two settings keys it was told once.

#include <QString>
#include <vector>

class QAction;
class QObject;
class QWidget;
class TLanguageFile;
class TSettings;

class TWindowLocaliser {
  public:
    TWindowLocaliser(QWidget& window, const QString& section);

    // The control's text: a label's or button's text, a menu's title, an
    // action's text, a group's title, or (for the window itself) its caption.
    TWindowLocaliser& text(QObject* control, const QString& key);
    // A control's hint, by the multi-line read.
    TWindowLocaliser& hint(QWidget* control, const QString& key);
    // An action's shortcut, read as text ("Ctrl+Q"); unreadable text gives none.
    TWindowLocaliser& shortcut(QAction* action, const QString& key, const QString& def);

    // Reads every entry in the order added.
    void localise(const TLanguageFile& language) const;

    // The settings keys of the window's width and height.
    TWindowLocaliser& rememberSize(const QString& widthKey, const QString& heightKey);
    // The window size from the two integer settings (defaults: the current size),
    // cut to the screen.
    void restoreSize(const TSettings& settings) const;
    void storeSize(TSettings& settings) const;

  private:
    enum Kind { Text, Hint, Shortcut };
    struct Entry {
        Kind kind;
        QObject* control;
        QString key;
        QString def;
    };
    QWidget& window_;
    QString section_;
    QString widthKey_, heightKey_;
    std::vector<Entry> entries_;
};
