#pragma once
// The program's string formatter for translatable texts: "%s" takes the next
// argument, "%0:s", "%1:s", ... take one by position (and the next "%s" goes on
// after it), "%%" is a percent sign. Throws EFormatError when the pattern asks
// for an argument that was not given or holds another "%" form.

#include <QString>
#include <QStringList>

QString Format(const QString& pattern, const QStringList& args);
