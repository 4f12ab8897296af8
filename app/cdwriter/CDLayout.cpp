#include "CDLayout.h"

#include "Errors.h"

namespace {

QString shortPart(const QString& part, int length) {
    QString result;
    for (const QChar c : part.toUpper()) {
        if (result.size() == length)
            break;
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        result += plain ? c : QChar('_');
    }
    return result;
}

} // namespace

QString ShortName(const QString& longName, bool directory) {
    if (directory)
        return shortPart(longName, 8);
    const int dot = int(longName.lastIndexOf('.'));
    if (dot <= 0)
        return shortPart(longName, 8);
    const QString extension = shortPart(longName.mid(dot + 1), 3);
    const QString base = shortPart(longName.left(dot), 8);
    return extension.isEmpty() ? base : base + "." + extension;
}

QString TCDLayout::normalised(const QString& path) {
    QString copy = path;
    QStringList kept;
    for (const QString& part : copy.replace('\\', '/').split('/', Qt::SkipEmptyParts))
        if (part != "." && part != "..")
            kept << part;
    return "/" + kept.join('/');
}

void TCDLayout::clear() {
    directories_.clear();
    files_.clear();
}

QStringList TCDLayout::createDirectory(const QString& path) {
    QStringList created;
    QString current;
    for (const QString& part : normalised(path).split('/', Qt::SkipEmptyParts)) {
        current += "/" + part;
        if (directories_.contains(current))
            continue;
        if (directories_.size() >= MaxDirectories)
            throw ERangeError(QString("A disc holds at most %1 directories").arg(MaxDirectories));
        directories_ << current;
        created << current;
    }
    return created;
}

void TCDLayout::addFile(const QString& directory, const QString& diskPath) {
    if (files_.size() >= MaxFiles)
        throw ERangeError(QString("A disc holds at most %1 files").arg(MaxFiles));
    createDirectory(directory);
    files_.append({normalised(directory), diskPath});
}
