#pragma once
// Writes the viewfinder's recording as an AVI file over FFmpeg: 24-bit RGB
// frames stretched to the frame size, in whole frame slots, stored
// uncompressed or through one of FFmpeg's encoders that fit an AVI, and,
// when a WAV file is named, its samples as a PCM sound stream.
//
// The frames first go to a work file (the temporary name); Finish makes the
// AVI from it beside the target and renames it into place, so an interrupted
// recording never leaves a half-written file under the chosen name.

#include "EncoderSettings.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct TAviFileSettings {
    QString fileName;
    QString tempFileName;
    int width = 320;
    int height = 240;
    int frameTime = 40; // milliseconds per slot
    bool onTheFly = true;
    QString wavFileName; // empty: no sound stream
};

class TAviWriter {
  public:
    static constexpr const char* NoCompression = "No Compression";

    // Called with the number of slots done while frames are added and while
    // the file is finished.
    using Progress = std::function<void(int done)>;

    explicit TAviWriter(Progress progress = {});
    ~TAviWriter();
    TAviWriter(const TAviWriter&) = delete;
    TAviWriter& operator=(const TAviWriter&) = delete;

    // "No Compression", then one "FCC name" item per installed encoder that
    // takes RGB or YUV frames and has an AVI four-character code.
    static QStringList ListCompressors();
    // By four-character code; empty: none. Raises ERangeError "No compressor
    // for " + code + " available" for a code no listed encoder has.
    void ChooseCompressor(const QString& fourcc);
    QString compressor() const;
    // FFmpeg's name of the chosen encoder; empty without a compressor.
    QString encoderName() const;
    // The user's settings of the chosen encoder; they win over the quality.
    void SetEncoderSettings(const TEncoderSettings& settings);
    // 0 (smallest) to 10000 (best), mapped onto the encoder's own scale.
    void SetQuality(int quality);
    int quality() const;

    // The file the next Begin writes. Raises ERangeError when a WAV name is
    // given that does not end in ".wav".
    void SetFile(const TAviFileSettings& settings);
    // Creates the work file, replacing an earlier one of that name.
    void Begin();
    // The picture takes 1 + extra div frameTime slots; none when that is 0 or
    // less. Raises EInOutError "Video must be initialized." before Begin.
    void AddFrame(const QImage& picture, int extraMilliseconds);
    // Closes the work file; the frames added stay in it.
    void EndAdding();
    // Makes the AVI file from the work file (compressing it when the frames
    // went in uncompressed) and the WAV file's sound, then deletes the work
    // file. Raises EInOutError on failure; the work file then stays.
    void Finish();

    // Slots written to the work file since Begin.
    int slotCount() const;
    bool begun() const;

  private:
    struct Output;
    void progressAt(int slot, bool written);

    Progress progress_;
    QString fourcc_;
    int quality_ = 10000;
    TEncoderSettings encoderSettings_;
    TAviFileSettings settings_;
    std::unique_ptr<Output> work_;
    bool ended_ = false;
};

// The playing length in milliseconds of an AVI file's video: its frame count
// times its frame time. EInOutError when the file cannot be read.
qint64 AviPlayingLength(const QString& path);
