#pragma once
// PCM sound as a RIFF WAVE file: the 44-byte header, the samples with the
// channels interleaved, and the two sizes written when the recording stops.

#include <QByteArray>
#include <QSaveFile>
#include <QString>

struct TSoundFormat {
    int bitsPerSample = 16; // 8 (unsigned) or 16 (signed)
    int sampleRate = 44100;
    int channels = 2;

    int bytesPerSample() const { return bitsPerSample / 8; }
    int bytesPerFrame() const { return channels * bytesPerSample(); }
    int bytesPerSecond() const { return sampleRate * bytesPerFrame(); }
    bool operator==(const TSoundFormat&) const = default;
};

// The header of a file of `dataBytes` sample bytes.
QByteArray WavHeader(const TSoundFormat& format, quint32 dataBytes);

// Writes a WAV file to a temporary file beside its name and puts it in place
// when closed, replacing a file of that name.
class TWavWriter {
  public:
    // Raises EInOutError when the file cannot be created.
    TWavWriter(const QString& path, const TSoundFormat& format);
    void append(const QByteArray& samples);
    // Writes the sizes and puts the file in place; EInOutError on failure.
    void close();

  private:
    QSaveFile file_;
    TSoundFormat format_;
    qint64 dataBytes_ = 0;
};

// The length in milliseconds of the WAV file's sound: its data size over its
// bytes per second, from the header. EInOutError when it cannot be read.
qint64 WavSoundLength(const QString& path);
