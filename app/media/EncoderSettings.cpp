#include "EncoderSettings.h"

#include "Settings.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

namespace {

// The settings keys, each in the encoder's own section.
struct Keys {
    static constexpr const char* Rate = "Rate";
    static constexpr const char* Quality = "Quality";
    static constexpr const char* BitRate = "BitRate";
    static constexpr const char* Preset = "Preset";
    static constexpr const char* KeyFrameInterval = "KeyFrameInterval";
};

QString sectionOf(const QString& encoder) {
    return "Encoder_" + encoder;
}

// x264 and x265 take their presets as free text; these are the names both know.
const QStringList X264Presets = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                 "medium",    "slow",      "slower",   "veryslow", "placebo"};

// Encoders outside FFmpeg's MPEG video family that read the quantiser (or
// their VBR level) from the context's global quality: scale and direction.
struct QScaleEncoder {
    const char* name;
    int min, max;
    bool higherIsBetter;
};
constexpr QScaleEncoder OtherQScaleEncoders[] = {
    {"libxvid", 1, 31, false}, {"libmp3lame", 0, 9, false}, {"libvorbis", 0, 10, true}};

const AVCodec* encoderNamed(const QString& encoder) {
    return encoder.isEmpty() ? nullptr
                             : avcodec_find_encoder_by_name(encoder.toLatin1().constData());
}

const AVOption* privateOption(const AVCodec* codec, const char* name) {
    if (!codec->priv_class)
        return nullptr;
    const AVClass* cls = codec->priv_class;
    return av_opt_find(&cls, name, nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ);
}

QStringList presetsOf(const AVCodec* codec) {
    const AVOption* preset = privateOption(codec, "preset");
    if (!preset)
        return {};
    if (!preset->unit)
        return preset->type == AV_OPT_TYPE_STRING ? X264Presets : QStringList();
    QStringList names;
    const AVClass* cls = codec->priv_class;
    for (const AVOption* o = nullptr; (o = av_opt_next(&cls, o));)
        if (o->type == AV_OPT_TYPE_CONST && o->unit && qstrcmp(o->unit, preset->unit) == 0)
            names << QString::fromLatin1(o->name);
    return names;
}

void offerQuality(TEncoderOffer& offer, const AVCodec* codec) {
    if (const AVOption* crf = privateOption(codec, "crf")) {
        // Floating-point CRFs reach far beyond any encoder's use.
        offer.quality = TEncoderOffer::Quality::Crf;
        offer.qualityMin = std::max(0, int(crf->min));
        offer.qualityMax = int(std::min(crf->max, 51.0));
        return;
    }
    if (privateOption(codec, "mpv_flags")) {
        offer.quality = TEncoderOffer::Quality::QScale;
        offer.qualityMin = 1;
        offer.qualityMax = 31;
        return;
    }
    for (const QScaleEncoder& e : OtherQScaleEncoders)
        if (qstrcmp(codec->name, e.name) == 0) {
            offer.quality = TEncoderOffer::Quality::QScale;
            offer.qualityMin = e.min;
            offer.qualityMax = e.max;
            offer.higherIsBetter = e.higherIsBetter;
        }
}

std::optional<int> readOptional(const TSettings& store, const QString& section, const char* key) {
    bool ok = false;
    const int value = store.readString(section, key, "").toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString textOf(std::optional<int> value) {
    return value ? QString::number(*value) : QString();
}

} // namespace

TEncoderOffer EncoderOffer(const QString& encoder) {
    TEncoderOffer offer;
    const AVCodec* codec = encoderNamed(encoder);
    if (!codec)
        return offer;
    offer.installed = true;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(codec->id);
    const int props = descriptor ? descriptor->props : 0;
    const bool lossless = (props & AV_CODEC_PROP_LOSSLESS) && !(props & AV_CODEC_PROP_LOSSY);
    if (lossless)
        return offer;
    offerQuality(offer, codec);
    offer.bitRate = true;
    offer.presets = presetsOf(codec);
    offer.keyFrames = codec->type == AVMEDIA_TYPE_VIDEO && !(props & AV_CODEC_PROP_INTRA_ONLY);
    return offer;
}

TEncoderSettings DefaultEncoderSettings(const QString& encoder) {
    // Measured on noisy camera-like movies: CRF 18 and quantiser 3 keep the
    // picture (SSIM above 0.95) at well under the size of motion JPEG;
    // LAME's VBR level 4 is transparent for a camera's sound.
    const TEncoderOffer offer = EncoderOffer(encoder);
    TEncoderSettings settings;
    if (offer.quality == TEncoderOffer::Quality::Crf)
        settings.quality = 18;
    else if (offer.quality == TEncoderOffer::Quality::QScale)
        settings.quality = encoder == "libvorbis" ? 5 : encoder == "libmp3lame" ? 4 : 3;
    return settings;
}

std::optional<TEncoderSettings> StoredEncoderSettings(const TSettings& store,
                                                      const QString& encoder) {
    const QString section = sectionOf(encoder);
    const QString rate = store.readString(section, Keys::Rate, "");
    if (rate.isEmpty())
        return std::nullopt;
    TEncoderSettings settings;
    settings.rate =
        rate == "BitRate" ? TEncoderSettings::Rate::BitRate : TEncoderSettings::Rate::Quality;
    settings.quality = readOptional(store, section, Keys::Quality);
    settings.bitRate = readOptional(store, section, Keys::BitRate);
    settings.preset = store.readString(section, Keys::Preset, "");
    settings.keyFrameInterval = readOptional(store, section, Keys::KeyFrameInterval);
    return settings;
}

TEncoderSettings LoadEncoderSettings(const TSettings& store, const QString& encoder) {
    return StoredEncoderSettings(store, encoder).value_or(DefaultEncoderSettings(encoder));
}

void StoreEncoderSettings(TSettings& store, const QString& encoder,
                          const TEncoderSettings& settings) {
    const QString section = sectionOf(encoder);
    store.writeString(section, Keys::Rate,
                      settings.rate == TEncoderSettings::Rate::BitRate ? "BitRate" : "Quality");
    store.writeString(section, Keys::Quality, textOf(settings.quality));
    store.writeString(section, Keys::BitRate, textOf(settings.bitRate));
    store.writeString(section, Keys::Preset, settings.preset);
    store.writeString(section, Keys::KeyFrameInterval, textOf(settings.keyFrameInterval));
}

void ApplyEncoderSettings(const TEncoderSettings& settings, AVCodecContext* context,
                          AVDictionary** options) {
    const TEncoderOffer offer = EncoderOffer(QString::fromLatin1(context->codec->name));
    if (settings.rate == TEncoderSettings::Rate::Quality && settings.quality) {
        const int quality = std::clamp(*settings.quality, offer.qualityMin, offer.qualityMax);
        if (offer.quality == TEncoderOffer::Quality::Crf) {
            av_dict_set_int(options, "crf", quality, 0);
        } else if (offer.quality == TEncoderOffer::Quality::QScale) {
            context->flags |= AV_CODEC_FLAG_QSCALE;
            context->global_quality = FF_QP2LAMBDA * quality;
        }
    }
    if (settings.rate == TEncoderSettings::Rate::BitRate && settings.bitRate && offer.bitRate) {
        context->bit_rate = int64_t(*settings.bitRate) * 1000;
        context->flags &= ~AV_CODEC_FLAG_QSCALE;
    }
    if (!settings.preset.isEmpty() && offer.presets.contains(settings.preset))
        av_dict_set(options, "preset", settings.preset.toLatin1().constData(), 0);
    if (settings.keyFrameInterval && *settings.keyFrameInterval > 0 && offer.keyFrames)
        context->gop_size = *settings.keyFrameInterval;
}

QString DefaultVideoEncoder() {
    return encoderNamed("libx264") ? "libx264" : "mpeg4";
}

QString DefaultAudioEncoder() {
    return "pcm_s16le";
}
