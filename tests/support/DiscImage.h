#pragma once
// What xorriso reads from a disc image: the sessions it finds, the files of
// the newest session's tree, and a file's bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace discimage {

int SessionCount(const QString& image);
// Paths of every file, "/" separated from the disc's root, sorted.
QStringList Files(const QString& image);
QByteArray Read(const QString& image, const QString& discPath);

} // namespace discimage
