#include "RemoteNaming.h"

#include "Log.h"

#include <QFileInfo>
#include <algorithm>

QString JoinDirectory(const QString& directory, const QString& name) {
    return directory.endsWith('/') ? directory + name : directory + "/" + name;
}

QString WithExtension(const QString& path, const QString& extension) {
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

QString UniquePath(const QString& path, const TNameTaken& taken) {
    if (!taken(path))
        return path;
    const qsizetype slash = path.lastIndexOf('/');
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf('.');
    const QString stem = name.left(name.indexOf('.') < 0 ? name.size() : name.indexOf('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    QString candidate = path;
    for (int n = 1;; ++n) {
        LogLine("Filename=" + candidate + " exists.Making a new");
        candidate = folder + stem + "_" + QString::number(n) + extension;
        if (!taken(candidate))
            return candidate;
    }
}

QString DefaultPictureName(const QString& directory, int counter, bool raw,
                           const QStringList& companions, const TNameTaken& taken) {
    const auto takenWithCompanions = [&](const QString& candidate) {
        return taken(candidate) ||
               std::any_of(companions.begin(), companions.end(), [&](const QString& extension) {
                   return taken(WithExtension(candidate, extension));
               });
    };
    const QString number = QString("%1").arg(counter, 4, 10, QChar('0'));
    const QString name =
        UniquePath(JoinDirectory(directory, "Pic_" + number + ".jpg"), takenWithCompanions);
    return raw ? UniquePath(WithExtension(name, ".crw"), takenWithCompanions) : name;
}

bool IsPlainFileName(const QString& name) {
    if (name.trimmed().isEmpty() || name == "." || name.contains("..") || name.contains('/'))
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}
