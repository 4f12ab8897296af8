// What each encoder offers, the settings stored per encoder, and the settings
// reaching FFmpeg's encoders as options they take.

#include "EncoderSettings.h"
#include "FFmpeg.h"
#include "Settings.h"
#include "TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using Quality = TEncoderOffer::Quality;
using Rate = TEncoderSettings::Rate;

TEST(EncoderOffer, FollowsWhatTheEncoderHas) {
    struct Case {
        const char* encoder;
        Quality quality;
        int min, max;
        bool bitRate, presets, keyFrames;
    };
    const Case cases[] = {
        {"libx264", Quality::Crf, 0, 51, true, true, true},
        {"mpeg4", Quality::QScale, 1, 31, true, false, true},
        {"mjpeg", Quality::QScale, 1, 31, true, false, false}, // every frame is a key frame
        {"libmp3lame", Quality::QScale, 0, 9, true, false, false},
        {"pcm_s16le", Quality::None, 0, 0, false, false, false}, // nothing to trade
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoder);
        const TEncoderOffer offer = EncoderOffer(c.encoder);
        EXPECT_TRUE(offer.installed);
        EXPECT_EQ(offer.quality, c.quality);
        EXPECT_EQ(offer.qualityMin, c.min);
        EXPECT_EQ(offer.qualityMax, c.max);
        EXPECT_EQ(offer.bitRate, c.bitRate);
        EXPECT_EQ(!offer.presets.isEmpty(), c.presets);
        EXPECT_EQ(offer.keyFrames, c.keyFrames);
    }
    EXPECT_TRUE(EncoderOffer("libx264").presets.contains("veryfast"));
    EXPECT_FALSE(EncoderOffer("no_such_encoder").installed);
}

TEST(EncoderSettings, StoredPerEncoderAndRestored) {
    const QString path = testenv::newFolder("encoders") + "/settings.ini";
    TSettings store(path);
    // Nothing stored: the defaults keep the picture at a constant quality.
    EXPECT_FALSE(StoredEncoderSettings(store, "libx264"));
    EXPECT_EQ(LoadEncoderSettings(store, "libx264"), DefaultEncoderSettings("libx264"));
    EXPECT_EQ(DefaultEncoderSettings("libx264").quality, 18);
    EXPECT_EQ(DefaultEncoderSettings("mpeg4").quality, 3);
    EXPECT_EQ(DefaultEncoderSettings("pcm_s16le"), TEncoderSettings());

    const TEncoderSettings chosen{Rate::BitRate, 26, 900, "veryfast", 50};
    StoreEncoderSettings(store, "libx264", chosen);
    EXPECT_EQ(LoadEncoderSettings(TSettings(path), "libx264"), chosen);
    // Values left to the encoder stay so.
    StoreEncoderSettings(store, "mjpeg", {Rate::Quality, {}, {}, "", {}});
    EXPECT_EQ(StoredEncoderSettings(store, "mjpeg"), TEncoderSettings());
    EXPECT_EQ(LoadEncoderSettings(store, "mpeg4"), DefaultEncoderSettings("mpeg4"));
}

// Every option handed over is one the encoder takes (avcodec_open2 leaves
// the others in the dictionary), and the context carries the rest.
TEST(EncoderSettings, AppliedAsTheEncoderUnderstandsThem) {
    struct Case {
        const char* encoder;
        TEncoderSettings settings;
        int64_t bitRate;
        int globalQuality;
        int gop;
    };
    const Case cases[] = {
        {"libx264", {Rate::Quality, 30, {}, "veryfast", 50}, 0, 0, 50},
        {"libx264", {Rate::BitRate, 30, 700, "", {}}, 700000, 0, -1},
        {"mpeg4", {Rate::Quality, 5, 700, "", 25}, 0, 5 * FF_QP2LAMBDA, 25},
        {"mpeg4", {Rate::Quality, 99, {}, "", {}}, 0, 31 * FF_QP2LAMBDA, -1}, // kept in range
        {"mpeg4", {Rate::BitRate, 5, 700, "slow", {}}, 700000, 0, -1}, // no presets: none given
    };
    av_log_set_level(AV_LOG_ERROR); // x264 reports every opening
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.encoder) + " " + std::to_string(&c - cases));
        const AVCodec* codec = avcodec_find_encoder_by_name(c.encoder);
        ASSERT_NE(codec, nullptr);
        ffmpeg::Codec context(avcodec_alloc_context3(codec));
        context->width = 64;
        context->height = 48;
        context->time_base = {1, 25};
        context->pix_fmt = codec->pix_fmts[0];
        AVDictionary* options = nullptr;
        ApplyEncoderSettings(c.settings, context.get(), &options);
        ASSERT_EQ(avcodec_open2(context.get(), codec, &options), 0);
        EXPECT_EQ(av_dict_count(options), 0);
        av_dict_free(&options);
        if (c.bitRate) {
            EXPECT_EQ(context->bit_rate, c.bitRate);
        }
        EXPECT_EQ(context->global_quality, c.globalQuality);
        EXPECT_EQ(bool(context->flags & AV_CODEC_FLAG_QSCALE), c.globalQuality != 0);
        if (c.gop > 0) {
            EXPECT_EQ(context->gop_size, c.gop);
        }
    }
}

} // namespace
