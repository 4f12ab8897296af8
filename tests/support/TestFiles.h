#pragma once
// Small files made by tests.

#include <QByteArray>
#include <QString>

namespace testfiles {

// Writes `content` to `path` (creating its folder); returns the path.
QString Write(const QString& path, const QByteArray& content);

// The whole file; empty when it cannot be read.
QByteArray Read(const QString& path);

} // namespace testfiles
