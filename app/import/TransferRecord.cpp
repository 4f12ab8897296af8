#include "TransferRecord.h"

#include "AtomicFile.h"
#include "CameraClient.h"
#include "Errors.h"
#include "Log.h"
#include "ProgramFolder.h"
#include "ReceivedFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char Header[] = "Lumvik transferred items 1\t";
// Far beyond any real record (a million pictures take some 40 MB); a larger
// file is no record of ours.
constexpr qint64 LargestRecord = 256 * 1024 * 1024;

QByteArray headerOf(const QString& key) {
    return Header + QUrl::toPercentEncoding(key) + "\n";
}

QByteArray lineOf(const TCameraItem& item) {
    return QByteArray::number(item.folderNumber) + '\t' + QUrl::toPercentEncoding(item.name) +
           '\t' + QByteArray::number(item.size) + '\t' + QByteArray::number(item.shootingTime);
}

bool isItemLine(const QByteArray& line) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 4 || fields[1].isEmpty())
        return false;
    bool folder = false, size = false, time = false;
    fields[0].toInt(&folder);
    fields[2].toLongLong(&size);
    fields[3].toUInt(&time);
    return folder && size && time && !fields[1].contains(' ');
}

QString errorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Makes the names in folder durable, so a record just created survives a power cut.
void flushFolder(const QString& folder) {
    const int descriptor =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

QString CameraKey(const QString& model, const QString& owner, const QString& serialNumber) {
    const QString body = model.trimmed().isEmpty() ? QString("camera") : model.trimmed();
    return serialNumber.trimmed().isEmpty() ? body + " owned by " + owner.trimmed()
                                            : body + " #" + serialNumber.trimmed();
}

QString ConnectedCameraKey() {
    // A camera that keeps its owner or serial number to itself is known by
    // what it tells.
    const auto told = [](QString (*read)()) {
        try {
            return read();
        } catch (const ECameraError&) {
            return QString();
        }
    };
    return CameraKey(tesselink::GetModel(), told(tesselink::GetOwnerName),
                     told(tesselink::GetSerialNumber));
}

QString TTransferRecord::DefaultFolder() {
    return ProgramFile("transferred");
}

TTransferRecord::TTransferRecord(const QString& cameraKey, const QString& folder)
    : key_(cameraKey) {
    // A name of fixed letters whatever the camera calls itself.
    const QByteArray hash = QCryptographicHash::hash(cameraKey.toUtf8(), QCryptographicHash::Sha1);
    path_ = folder + "/" + QString::fromLatin1(hash.toHex().left(16)) + ".txt";
    load();
}

TTransferRecord::~TTransferRecord() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool TTransferRecord::contains(const TCameraItem& item) const {
    return items_.contains(lineOf(item));
}

void TTransferRecord::load() {
    const QFileInfo info(path_);
    if (!info.exists() && !info.isSymLink())
        return;
    QByteArray content;
    try {
        if (info.size() <= LargestRecord)
            content = ReadWholeFile(path_);
    } catch (const EInOutError&) {
    }
    const QByteArray header = headerOf(key_);
    damaged_ = !content.startsWith(header);
    // A line cut short by a kill during its append is the one item lost.
    cutShort_ = !damaged_ && !content.endsWith('\n');
    const QList<QByteArray> lines = content.mid(header.size()).split('\n');
    for (qsizetype i = 0; !damaged_ && i + 1 < lines.size(); ++i) {
        damaged_ = !isItemLine(lines[i]);
        items_.insert(lines[i]);
    }
    if (damaged_)
        items_.clear();
}

void TTransferRecord::mend() {
    if (damaged_) {
        const QString kept = path_ + ".damaged";
        QFile::remove(kept);
        if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(kept).constData()))
            QFile::remove(path_);
        LogLine("The record of transferred items " + path_ + " cannot be read: kept as " + kept +
                ", a new one is started");
    } else if (cutShort_) {
        QByteArray whole = headerOf(key_);
        for (const QByteArray& line : items_)
            whole += line + '\n';
        WriteFileAtomically(path_, whole);
    }
    damaged_ = cutShort_ = false;
}

bool TTransferRecord::openForAppending() {
    try {
        mend();
    } catch (const EInOutError& error) {
        LogLine(error.message());
        return false;
    }
    const QString folder = QFileInfo(path_).path();
    if (!QFileInfo(path_).exists()) {
        QDir().mkpath(folder);
        const QByteArray header = headerOf(key_);
        if (const int error = cdfile::replaceFile(QFile::encodeName(path_).toStdString(),
                                                  header.constData(), size_t(header.size()))) {
            LogLine("Cannot write " + path_ + ": " + errorText(error));
            return false;
        }
        flushFolder(folder);
    }
    descriptor_ =
        ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor_ < 0)
        LogLine("Cannot open " + path_ + ": " + errorText(errno));
    return descriptor_ >= 0;
}

void TTransferRecord::add(const TCameraItem& item) {
    const QByteArray line = lineOf(item);
    if (items_.contains(line))
        return;
    writeFailed_ = writeFailed_ || (descriptor_ < 0 && !openForAppending());
    items_.insert(line);
    if (writeFailed_)
        return;
    // One write per line: an append is never interleaved with another's.
    const QByteArray written = line + '\n';
    const bool whole = ::write(descriptor_, written.constData(), size_t(written.size())) ==
                       ssize_t(written.size());
    if (!whole || ::fdatasync(descriptor_) != 0) {
        LogLine("Cannot write " + path_ + ": " + errorText(errno));
        writeFailed_ = true;
    }
}
