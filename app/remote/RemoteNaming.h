#pragma once
// The names of the files one remote picture gives on the computer.

#include "NameTaken.h"

#include <QString>
#include <QStringList>
#include <functional>

// directory + name with one "/" between them, none added when the directory
// already ends in one.
QString JoinDirectory(const QString& directory, const QString& name);

// path with the extension of its file name (from its last ".") replaced by
// extension (".thm"); added when the name has none.
QString WithExtension(const QString& path, const QString& extension);

// path itself when free, else the first free one of directory + the file
// name up to its first "." + "_" + n + the extension from its last ".", for
// n = 1, 2, ...; each name found taken is logged.
QString UniquePath(const QString& path, const TNameTaken& taken = EntryExists);

// "Pic_" + the counter with at least four digits + ".jpg" in directory, made
// unique; for a RAW picture then with ".crw", made unique again. A name
// counts as taken also when one of its companions (the extensions given,
// such as ".thm" or ".bmp") is, so that no file of another picture is replaced.
QString DefaultPictureName(const QString& directory, int counter, bool raw,
                           const QStringList& companions = {},
                           const TNameTaken& taken = EntryExists);

// Whether a name asked for by another program is a plain file name: not
// blank, not ".", holding neither ".." nor a folder separator nor a control
// character.
bool IsPlainFileName(const QString& name);
