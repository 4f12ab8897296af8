#pragma once
// Small makers of the remote control window's controls, shared by its pages.

#include <QCheckBox>
#include <QString>

template <class W> W* named(W* widget, const char* name) {
    widget->setObjectName(name);
    return widget;
}

// A check box with its object name, design caption and design hint.
inline QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption,
                           const QString& hint, bool checked = false) {
    auto* box = named(new QCheckBox(caption, parent), name);
    box->setToolTip(hint);
    box->setChecked(checked);
    return box;
}
