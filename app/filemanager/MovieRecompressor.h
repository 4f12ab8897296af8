#pragma once
// Movie recompression over FFmpeg: the received AVI is demuxed and decoded,
// its video and sound run through the chosen encoders, and the result is
// muxed into a new AVI. The encoders are named as FFmpeg names them.

#include "EncoderSettings.h"

#include <QString>
#include <QStringList>

// The installed video and audio encoders an AVI file can hold, in FFmpeg's order.
QStringList VideoCompressors();
QStringList AudioCompressors();

// Writes `source` recompressed to `destination`, which must not exist, with
// each encoder's settings. Raises EInOutError when the movie cannot be read or
// encoded; `destination` is then removed.
void RecompressMovie(const QString& source, const QString& destination, const QString& videoEncoder,
                     const QString& audioEncoder, const TEncoderSettings& videoSettings = {},
                     const TEncoderSettings& audioSettings = {});

class TLanguageFile;

// A received movie recompressed in place with the chosen encoders: written to
// a numbered temporary file beside it, dated like it, and renamed over it
// only when whole, so a failure leaves the movie as it was received.
class TMovieRecompression {
  public:
    explicit TMovieRecompression(const TLanguageFile& language) : language_(language) {}

    QString videoEncoder, audioEncoder; // empty: none chosen
    TEncoderSettings videoSettings, audioSettings;
    int counter = 0; // numbers the temporary files

    void Recompress(const QString& movie);

  private:
    QString formatted(const char* key, const char* def, const QStringList& args) const;

    const TLanguageFile& language_;
};
