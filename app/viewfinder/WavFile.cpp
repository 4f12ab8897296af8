#include "WavFile.h"

#include "Errors.h"

#include <QDataStream>
#include <QFile>
#include <QtEndian>
#include <array>

namespace {

constexpr int HeaderSize = 44;

QString cannotWrite(const QString& path) {
    return "Cannot write " + path;
}

} // namespace

QByteArray WavHeader(const TSoundFormat& format, quint32 dataBytes) {
    QByteArray header;
    QDataStream out(&header, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(dataBytes + HeaderSize - 8);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(format.channels) << quint32(format.sampleRate)
        << quint32(format.bytesPerSecond()) << quint16(format.bytesPerFrame())
        << quint16(format.bitsPerSample);
    out.writeRawData("data", 4);
    out << dataBytes;
    return header;
}

TWavWriter::TWavWriter(const QString& path, const TSoundFormat& format)
    : file_(path), format_(format) {
    if (!file_.open(QIODevice::WriteOnly) || file_.write(WavHeader(format, 0)) != HeaderSize)
        throw EInOutError(cannotWrite(path));
}

void TWavWriter::append(const QByteArray& samples) {
    if (file_.write(samples) != samples.size())
        throw EInOutError(cannotWrite(file_.fileName()));
    dataBytes_ += samples.size();
}

void TWavWriter::close() {
    if (!file_.seek(0) || file_.write(WavHeader(format_, quint32(dataBytes_))) != HeaderSize ||
        !file_.commit())
        throw EInOutError(cannotWrite(file_.fileName()));
}

qint64 WavSoundLength(const QString& path) {
    QFile file(path);
    std::array<char, HeaderSize> header{};
    if (!file.open(QIODevice::ReadOnly) || file.read(header.data(), HeaderSize) != HeaderSize)
        throw EInOutError("Cannot read " + path);
    const qint64 bytesPerSecond = qFromLittleEndian<quint32>(header.data() + 28);
    const qint64 dataBytes = qFromLittleEndian<quint32>(header.data() + 40);
    if (bytesPerSecond == 0)
        throw EInOutError("Cannot read " + path);
    return 1000 * dataBytes / bytesPerSecond;
}
