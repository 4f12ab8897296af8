#pragma once
// Movie recompression over FFmpeg: the received AVI is demuxed and decoded,
// its video and sound run through the chosen encoders, and the result is
// muxed into a new AVI. The encoders are named as FFmpeg names them.

#include "EncoderSettings.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

// The installed video and audio encoders an AVI file can hold, in FFmpeg's order.
QStringList VideoCompressors();
QStringList AudioCompressors();

// Told the percent of the source read so far, often; its answer false stops
// the recompression.
using TMovieProgress = std::function<bool(int percent)>;

// Writes `source` recompressed to `destination`, which must not exist, with
// each encoder's settings. Raises EInOutError when the movie cannot be read or
// encoded, or progress asked to stop; `destination` is then removed.
void RecompressMovie(const QString& source, const QString& destination, const QString& videoEncoder,
                     const QString& audioEncoder, const TEncoderSettings& videoSettings = {},
                     const TEncoderSettings& audioSettings = {},
                     const TMovieProgress& progress = {});

class TLanguageFile;

// Who follows a recompression, on the window thread: told the percent done,
// and asked whether the user wants it stopped.
struct TMovieWatch {
    std::function<void(int percent)> progress;
    std::function<bool()> stopped;
};

// A received movie recompressed in place with the chosen encoders: written to
// a numbered temporary file beside it, dated like it, and renamed over it
// only when whole, so a failure leaves the movie as it was received. The work
// runs off the window thread, which keeps answering meanwhile.
class TMovieRecompression {
  public:
    explicit TMovieRecompression(const TLanguageFile& language) : language_(language) {}

    QString videoEncoder, audioEncoder; // empty: none chosen
    TEncoderSettings videoSettings, audioSettings;
    int counter = 0; // numbers the temporary files

    // False when the movie cannot be read or recompressed, or the user
    // stopped it: it then stays as received, and the log says why. Raises
    // ERangeError when no encoder is chosen.
    bool Recompress(const QString& movie, const TMovieWatch& watch = {});

  private:
    QString formatted(const char* key, const char* def, const QStringList& args) const;
    void replace(const QString& movie, const QString& temporary, const TMovieWatch& watch) const;
    bool recompress(const QString& movie, const QString& temporary, const QDateTime& date,
                    const TMovieWatch& watch) const;

    const TLanguageFile& language_;
};
