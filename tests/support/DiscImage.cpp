#include "DiscImage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace discimage {
namespace {

QStringList run(const QStringList& arguments) {
    QProcess xorriso;
    xorriso.setProcessChannelMode(QProcess::MergedChannels);
    xorriso.start(XORRISO_PATH, arguments);
    xorriso.waitForFinished(60000);
    return QString::fromUtf8(xorriso.readAll()).split('\n');
}

} // namespace

int SessionCount(const QString& image) {
    int count = 0;
    for (const QString& line : run({"-indev", image, "-toc"}))
        if (line.startsWith("ISO session"))
            ++count;
    return count;
}

QStringList Files(const QString& image) {
    QStringList files;
    for (const QString& line : run({"-indev", image, "-find", "/", "-type", "f"}))
        if (line.startsWith('\'') && line.endsWith('\''))
            files << line.mid(1, line.size() - 2);
    files.sort();
    return files;
}

QByteArray Read(const QString& image, const QString& discPath) {
    QTemporaryDir folder;
    const QString copy = folder.filePath("copy");
    run({"-osirrox", "on", "-indev", image, "-extract", discPath, copy});
    QFile file(copy);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace discimage
