#include "DemoMedia.h"

#include "LittleEndian.h"

#include <cmath>
#include <numbers>

namespace {

// A RIFF chunk: four-character code, little-endian size, data padded to even.
QByteArray chunk(const char* code, const QByteArray& data) {
    QByteArray c = QByteArray(code, 4) + le32(data.size()) + data;
    if (data.size() % 2)
        c += '\0';
    return c;
}
QByteArray list(const char* type, const QByteArray& content) {
    return chunk("LIST", QByteArray(type, 4) + content);
}

} // namespace

QByteArray DemoWav(int milliseconds) {
    constexpr int rate = 11025;
    const int samples = rate * milliseconds / 1000;
    QByteArray pcm;
    pcm.reserve(samples * 2);
    for (int i = 0; i < samples; ++i) {
        // A 440 Hz tone that fades in and out, so it does not click.
        const double envelope = std::min({1.0, i / 500.0, (samples - i) / 500.0});
        const double v = 12000 * envelope * std::sin(2 * std::numbers::pi * 440 * i / rate);
        pcm += le16(quint16(qint16(std::lround(v))));
    }
    const QByteArray format = le16(1) + le16(1) + le32(rate) + le32(rate * 2) + le16(2) + le16(16);
    return chunk("RIFF", "WAVE" + chunk("fmt ", format) + chunk("data", pcm));
}

QByteArray DemoAvi(const QList<QByteArray>& jpegFrames, QSize frameSize, int framesPerSecond) {
    const quint32 frames = jpegFrames.size();
    quint32 largest = 0;
    QByteArray movi = "movi";
    QByteArray index;
    for (const QByteArray& frame : jpegFrames) {
        largest = std::max<quint32>(largest, frame.size());
        constexpr quint32 keyFrame = 0x10;
        index += QByteArray("00dc") + le32(keyFrame) + le32(movi.size()) + le32(frame.size());
        movi += chunk("00dc", frame);
    }
    const quint32 width = frameSize.width();
    const quint32 height = frameSize.height();
    constexpr quint32 hasIndex = 0x10;
    const QByteArray mainHeader = le32(1000000 / framesPerSecond) +
                                  le32(largest * framesPerSecond) + le32(0) + le32(hasIndex) +
                                  le32(frames) + le32(0) + le32(1) + le32(largest) + le32(width) +
                                  le32(height) + QByteArray(16, '\0');
    const QByteArray streamHeader = QByteArray("vidsMJPG") + le32(0) + le16(0) + le16(0) + le32(0) +
                                    le32(1) + le32(framesPerSecond) + le32(0) + le32(frames) +
                                    le32(largest) + le32(0xFFFFFFFF) + le32(0) + le16(0) + le16(0) +
                                    le16(width) + le16(height);
    const QByteArray bitmapInfo = le32(40) + le32(width) + le32(height) + le16(1) + le16(24) +
                                  QByteArray("MJPG") + le32(width * height * 3) +
                                  QByteArray(16, '\0');
    const QByteArray streamList =
        list("strl", chunk("strh", streamHeader) + chunk("strf", bitmapInfo));
    const QByteArray headers = list("hdrl", chunk("avih", mainHeader) + streamList);
    return chunk("RIFF", "AVI " + headers + chunk("LIST", movi) + chunk("idx1", index));
}

QByteArray DemoCrw(int sensorBytes) {
    // Noise-like but reproducible sensor data.
    QByteArray sensor(sensorBytes, '\0');
    quint32 state = 0x2468ACE1;
    for (char& c : sensor) {
        state = state * 1664525 + 1013904223;
        c = char(state >> 24);
    }
    constexpr quint32 headerLength = 26;
    const QByteArray header = QByteArray("II") + le32(headerLength) + QByteArray("HEAPCCDR") +
                              le32(0x00010002) + QByteArray(8, '\0');
    // The heap ends with its directory (no entries) and the directory's offset.
    return header + sensor + le16(0) + le32(sensor.size());
}
