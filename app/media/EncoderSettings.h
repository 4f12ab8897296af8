#pragma once
// What a user can set of an FFmpeg encoder: how it spends bits (a constant
// quality or a bit rate), its speed preset and the distance of key frames;
// what each encoder offers of that; the settings stored per encoder; and
// applying them to an encoder before it is opened.

#include <QString>
#include <QStringList>
#include <optional>

struct AVCodecContext;
struct AVDictionary;
class TSettings;

struct TEncoderSettings {
    enum class Rate { Quality, BitRate };

    Rate rate = Rate::Quality;
    std::optional<int> quality;          // on the encoder's own scale (CRF, quantiser, VBR level)
    std::optional<int> bitRate;          // kbit/s
    QString preset;                      // empty: the encoder's own
    std::optional<int> keyFrameInterval; // frames from one key frame to the next

    bool operator==(const TEncoderSettings&) const = default;
};

// What an encoder lets a user set.
struct TEncoderOffer {
    enum class Quality { None, Crf, QScale };

    bool installed = false;
    Quality quality = Quality::None;
    int qualityMin = 0, qualityMax = 0;
    bool higherIsBetter = false; // the direction of the quality scale
    bool bitRate = false;
    QStringList presets;
    bool keyFrames = false;
};

TEncoderOffer EncoderOffer(const QString& encoder);

// The settings that keep a camera's picture or sound as it was while making
// the file smaller: a constant quality where the encoder has one.
TEncoderSettings DefaultEncoderSettings(const QString& encoder);

// The stored settings of `encoder`; none when the user never set them.
std::optional<TEncoderSettings> StoredEncoderSettings(const TSettings& store,
                                                      const QString& encoder);
// The stored settings of `encoder`; its defaults when none are stored.
TEncoderSettings LoadEncoderSettings(const TSettings& store, const QString& encoder);
void StoreEncoderSettings(TSettings& store, const QString& encoder,
                          const TEncoderSettings& settings);

// Sets what `settings` holds and the encoder offers on `context` (bit rate,
// quantiser, key-frame distance) and in `options` (the encoder's private
// options such as crf and preset), for avcodec_open2. Unset values leave the
// encoder's own.
void ApplyEncoderSettings(const TEncoderSettings& settings, AVCodecContext* context,
                          AVDictionary** options);

// The encoders a new user's movies are recompressed with: H.264 where
// libx264 is installed, else MPEG-4 part 2; the sound as 16-bit PCM, which
// keeps it whole and, unlike MP3 or AAC, starts without encoder delay (the
// AVI muxer would make up for that delay with empty video frames).
QString DefaultVideoEncoder();
QString DefaultAudioEncoder();
