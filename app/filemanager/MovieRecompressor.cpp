#include "MovieRecompressor.h"

#include "Errors.h"
#include "FFmpeg.h"
#include "LanguageFile.h"
#include "Log.h"

#include "OffThread.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
}

namespace {

using ffmpeg::Codec;
using ffmpeg::Frame;
using ffmpeg::Packet;

[[noreturn]] void fail(const QString& what, int code = 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (code < 0)
        av_strerror(code, text, sizeof text);
    throw EInOutError(code < 0 ? what + ": " + text : what);
}

int check(int code, const QString& what) {
    if (code < 0)
        fail(what, code);
    return code;
}

QStringList encodersFor(AVMediaType type) {
    const AVOutputFormat* avi = av_guess_format("avi", nullptr, nullptr);
    QStringList names;
    void* state = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&state)) {
        if (!av_codec_is_encoder(codec) || codec->type != type ||
            (codec->capabilities & (AV_CODEC_CAP_EXPERIMENTAL | AV_CODEC_CAP_HARDWARE)) ||
            avformat_query_codec(avi, codec->id, FF_COMPLIANCE_NORMAL) != 1)
            continue;
        // Encoders fed by a device or a special frame type cannot take decoded frames.
        if (type == AVMEDIA_TYPE_VIDEO && codec->pix_fmts &&
            sws_isSupportedOutput(codec->pix_fmts[0]) <= 0)
            continue;
        names << QString::fromLatin1(codec->name);
    }
    return names;
}

// One stream's way from the source to the new file.
struct Lane {
    int in = -1;
    AVStream* out = nullptr;
    Codec decoder, encoder;
    ffmpeg::Scale scale;
    ffmpeg::Resample resample;
    ffmpeg::Fifo fifo;
    int64_t nextPts = 0;
};

class Recompression {
  public:
    Recompression(const QString& source, const QString& destination) : destination_(destination) {
        AVFormatContext* in = nullptr;
        check(avformat_open_input(&in, QFile::encodeName(source).constData(), nullptr, nullptr),
              "Cannot open " + source);
        in_.reset(in);
        check(avformat_find_stream_info(in, nullptr), "Cannot read " + source);
        AVFormatContext* out = nullptr;
        check(avformat_alloc_output_context2(&out, nullptr, "avi", nullptr),
              "Cannot make an AVI file");
        out_.reset(out);
    }

    void openVideo(const QString& encoderName, const TEncoderSettings& settings) {
        Lane& lane = video_;
        if (!openDecoder(lane, AVMEDIA_TYPE_VIDEO))
            fail("The movie has no video");
        const AVCodecContext* d = lane.decoder.get();
        AVCodecContext* e = openEncoder(lane, encoderName, AVMEDIA_TYPE_VIDEO);
        AVRational rate = av_guess_frame_rate(in_.get(), in_->streams[lane.in], nullptr);
        if (rate.num <= 0)
            rate = {25, 1};
        e->width = d->width;
        e->height = d->height;
        e->sample_aspect_ratio = d->sample_aspect_ratio;
        e->time_base = av_inv_q(rate);
        e->framerate = rate;
        const AVCodec* codec = e->codec;
        e->pix_fmt = codec->pix_fmts ? codec->pix_fmts[0] : AV_PIX_FMT_YUV420P;
        if (codec->id == AV_CODEC_ID_MJPEG)
            e->color_range = AVCOL_RANGE_JPEG; // full-range YUV, as motion JPEG carries it
        // AVI keeps no reordering of frames: every frame is stored in shown order.
        e->max_b_frames = 0;
        finishEncoder(lane, settings);
    }

    // A movie without sound stays without sound.
    void openAudio(const QString& encoderName, const TEncoderSettings& settings) {
        Lane& lane = audio_;
        if (!openDecoder(lane, AVMEDIA_TYPE_AUDIO))
            return;
        const AVCodecContext* d = lane.decoder.get();
        AVCodecContext* e = openEncoder(lane, encoderName, AVMEDIA_TYPE_AUDIO);
        const AVCodec* codec = e->codec;
        e->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : d->sample_fmt;
        e->sample_rate = d->sample_rate;
        if (codec->supported_samplerates) {
            e->sample_rate = codec->supported_samplerates[0];
            for (const int* r = codec->supported_samplerates; *r; ++r)
                if (*r == d->sample_rate)
                    e->sample_rate = *r;
        }
        check(av_channel_layout_copy(&e->ch_layout, &d->ch_layout), "Cannot set the sound");
        if (e->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&e->ch_layout, d->ch_layout.nb_channels);
        e->time_base = {1, e->sample_rate};
        finishEncoder(lane, settings);
        SwrContext* resample = nullptr;
        check(swr_alloc_set_opts2(&resample, &e->ch_layout, e->sample_fmt, e->sample_rate,
                                  &lane.decoder->ch_layout, d->sample_fmt, d->sample_rate, 0,
                                  nullptr),
              "Cannot convert the sound");
        lane.resample.reset(resample);
        check(swr_init(resample), "Cannot convert the sound");
        lane.fifo.reset(av_audio_fifo_alloc(e->sample_fmt, e->ch_layout.nb_channels, 1024));
    }

    void run(const TMovieProgress& progress) {
        check(avio_open(&out_->pb, QFile::encodeName(destination_).constData(), AVIO_FLAG_WRITE),
              "Cannot write " + destination_);
        check(avformat_write_header(out_.get(), nullptr), "Cannot write " + destination_);
        Packet packet(av_packet_alloc());
        while (av_read_frame(in_.get(), packet.get()) >= 0) {
            Lane* lane = laneOf(packet->stream_index);
            if (lane)
                decode(*lane, packet.get());
            av_packet_unref(packet.get());
            if (progress && !progress(percentRead()))
                fail("Stopped");
        }
        for (Lane* lane : {&video_, &audio_}) {
            if (!lane->decoder)
                continue;
            decode(*lane, nullptr);
            if (lane->fifo)
                drainFifo(*lane, true);
            encode(*lane, nullptr);
        }
        check(av_write_trailer(out_.get()), "Cannot write " + destination_);
    }

  private:
    // How much of the source has been read, by its bytes.
    int percentRead() const {
        const int64_t size = avio_size(in_->pb);
        return size > 0 ? int(std::clamp<int64_t>(avio_tell(in_->pb) * 100 / size, 0, 100)) : 0;
    }

    bool openDecoder(Lane& lane, AVMediaType type) {
        const AVCodec* codec = nullptr;
        lane.in = av_find_best_stream(in_.get(), type, -1, -1, &codec, 0);
        if (lane.in < 0 || !codec)
            return false;
        lane.decoder.reset(avcodec_alloc_context3(codec));
        check(avcodec_parameters_to_context(lane.decoder.get(), in_->streams[lane.in]->codecpar),
              "Cannot decode the movie");
        lane.decoder->pkt_timebase = in_->streams[lane.in]->time_base;
        check(avcodec_open2(lane.decoder.get(), codec, nullptr), "Cannot decode the movie");
        return true;
    }

    AVCodecContext* openEncoder(Lane& lane, const QString& name, AVMediaType type) {
        const AVCodec* codec = avcodec_find_encoder_by_name(name.toLatin1().constData());
        if (!codec || codec->type != type)
            fail("There is no encoder " + name);
        lane.encoder.reset(avcodec_alloc_context3(codec));
        return lane.encoder.get();
    }

    void finishEncoder(Lane& lane, const TEncoderSettings& settings) {
        AVCodecContext* e = lane.encoder.get();
        if (out_->oformat->flags & AVFMT_GLOBALHEADER)
            e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        AVDictionary* options = nullptr;
        ApplyEncoderSettings(settings, e, &options);
        const int opened = avcodec_open2(e, e->codec, &options);
        av_dict_free(&options);
        check(opened, "Cannot start the encoder " + QString::fromLatin1(e->codec->name));
        lane.out = avformat_new_stream(out_.get(), nullptr);
        check(avcodec_parameters_from_context(lane.out->codecpar, e), "Cannot write the movie");
        lane.out->time_base = e->time_base;
    }

    Lane* laneOf(int stream) {
        for (Lane* lane : {&video_, &audio_})
            if (lane->decoder && lane->in == stream)
                return lane;
        return nullptr;
    }

    void decode(Lane& lane, const AVPacket* packet) {
        check(avcodec_send_packet(lane.decoder.get(), packet), "Cannot decode the movie");
        Frame frame(av_frame_alloc());
        while (avcodec_receive_frame(lane.decoder.get(), frame.get()) >= 0) {
            if (&lane == &video_)
                convertPicture(lane, frame.get());
            else
                convertSound(lane, frame.get());
            av_frame_unref(frame.get());
        }
    }

    // Frames are numbered in order, so the new movie has every frame once at
    // the movie's own rate.
    void convertPicture(Lane& lane, const AVFrame* decoded) {
        const AVCodecContext* e = lane.encoder.get();
        Frame frame(av_frame_alloc());
        frame->format = e->pix_fmt;
        frame->width = e->width;
        frame->height = e->height;
        check(av_frame_get_buffer(frame.get(), 0), "Out of memory");
        if (!ffmpeg::ScaleFrame(lane.scale, decoded, frame.get(), SWS_BICUBIC))
            fail("Cannot convert the movie's pictures");
        frame->pts = lane.nextPts++;
        encode(lane, frame.get());
    }

    void convertSound(Lane& lane, const AVFrame* decoded) {
        const AVCodecContext* e = lane.encoder.get();
        const int room = swr_get_out_samples(lane.resample.get(), decoded->nb_samples);
        uint8_t** samples = nullptr;
        check(av_samples_alloc_array_and_samples(&samples, nullptr, e->ch_layout.nb_channels, room,
                                                 e->sample_fmt, 0),
              "Out of memory");
        const int converted =
            swr_convert(lane.resample.get(), samples, room,
                        const_cast<const uint8_t**>(decoded->extended_data), decoded->nb_samples);
        if (converted > 0)
            av_audio_fifo_write(lane.fifo.get(), reinterpret_cast<void**>(samples), converted);
        av_freep(&samples[0]);
        av_freep(&samples);
        check(converted, "Cannot convert the sound");
        drainFifo(lane, false);
    }

    // Encoders with a fixed frame size take exactly that many samples, the
    // last frame excepted.
    void drainFifo(Lane& lane, bool last) {
        const AVCodecContext* e = lane.encoder.get();
        const bool variable =
            e->frame_size <= 0 || (e->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
        const int size = variable ? 1152 : e->frame_size;
        while (av_audio_fifo_size(lane.fifo.get()) >= size ||
               (last && av_audio_fifo_size(lane.fifo.get()) > 0)) {
            Frame frame(av_frame_alloc());
            frame->nb_samples = std::min(size, av_audio_fifo_size(lane.fifo.get()));
            frame->format = e->sample_fmt;
            frame->sample_rate = e->sample_rate;
            check(av_channel_layout_copy(&frame->ch_layout, &e->ch_layout), "Out of memory");
            check(av_frame_get_buffer(frame.get(), 0), "Out of memory");
            av_audio_fifo_read(lane.fifo.get(), reinterpret_cast<void**>(frame->data),
                               frame->nb_samples);
            frame->pts = lane.nextPts;
            lane.nextPts += frame->nb_samples;
            encode(lane, frame.get());
        }
    }

    void encode(Lane& lane, const AVFrame* frame) {
        check(avcodec_send_frame(lane.encoder.get(), frame), "Cannot encode the movie");
        Packet packet(av_packet_alloc());
        while (avcodec_receive_packet(lane.encoder.get(), packet.get()) >= 0) {
            av_packet_rescale_ts(packet.get(), lane.encoder->time_base, lane.out->time_base);
            packet->stream_index = lane.out->index;
            check(av_interleaved_write_frame(out_.get(), packet.get()), "Cannot write the movie");
        }
    }

    QString destination_;
    ffmpeg::Format in_;
    ffmpeg::Format out_;
    Lane video_, audio_;
};

} // namespace

QStringList VideoCompressors() {
    return encodersFor(AVMEDIA_TYPE_VIDEO);
}

QStringList AudioCompressors() {
    return encodersFor(AVMEDIA_TYPE_AUDIO);
}

void RecompressMovie(const QString& source, const QString& destination, const QString& videoEncoder,
                     const QString& audioEncoder, const TEncoderSettings& videoSettings,
                     const TEncoderSettings& audioSettings, const TMovieProgress& progress) {
    // FFmpeg's notes on stderr would only repeat what an error says.
    av_log_set_level(AV_LOG_ERROR);
    try {
        Recompression recompression(source, destination);
        recompression.openVideo(videoEncoder, videoSettings);
        recompression.openAudio(audioEncoder, audioSettings);
        recompression.run(progress);
    } catch (...) {
        QFile::remove(destination);
        throw;
    }
}

namespace {

constexpr const char* Section = "FormMovieRecomp";

// Dates the new file like the movie, and has it whole on disk before it
// takes the movie's name.
bool dateAndSync(const QString& path, const QDateTime& date) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) ||
        !file.setFileTime(date, QFileDevice::FileModificationTime))
        return false;
    ::fsync(file.handle());
    return true;
}

} // namespace

QString TMovieRecompression::formatted(const char* key, const char* def,
                                       const QStringList& args) const {
    return language_.readFormatted(Section, key, def, args);
}

bool TMovieRecompression::Recompress(const QString& movie, const TMovieWatch& watch) {
    ++counter;
    if (videoEncoder.isEmpty())
        throw ERangeError(language_.read(Section, "errormsg_no_video_filters_selected",
                                         "No video filter has been selected. File transfer "
                                         "aborted"));
    if (audioEncoder.isEmpty())
        throw ERangeError(language_.read(Section, "errormsg_no_audio_filters_selected",
                                         "No audio filter has been selected. File transfer "
                                         "aborted"));
    const QString folder = QFileInfo(movie).path();
    // A file of that name that this run did not make is left alone.
    while (QFileInfo::exists(QString("%1/%2temp.avi").arg(folder).arg(counter)) ||
           QFileInfo(QString("%1/%2temp.avi").arg(folder).arg(counter)).isSymLink())
        ++counter;
    const QString temporary = QString("%1/%2temp.avi").arg(folder).arg(counter);
    try {
        replace(movie, temporary, watch);
    } catch (const EInOutError& error) {
        LogLine("Movie kept as received: " + movie + ". " + error.message());
        return false;
    }
    LogLine("Recompressed " + movie + " with " + videoEncoder + " and " + audioEncoder);
    return true;
}

// Runs the recompression on a thread of its own, with the dating and the
// wait for the disk. Its progress reaches the watch on the window thread,
// where the answer to `stopped` is taken. False when the date could not be set.
bool TMovieRecompression::recompress(const QString& movie, const QString& temporary,
                                     const QDateTime& date, const TMovieWatch& watch) const {
    std::atomic_bool stop = false;
    QObject windowThread;
    int lastPercent = -1, calls = 0;
    // A new percent, and every few packets a stop question.
    const TMovieProgress progress = [&](int percent) {
        if (percent == lastPercent && ++calls % 16 != 0)
            return !stop;
        lastPercent = percent;
        QMetaObject::invokeMethod(
            &windowThread,
            [&, percent] {
                if (watch.progress)
                    watch.progress(percent);
                if (watch.stopped && watch.stopped())
                    stop = true;
            },
            Qt::QueuedConnection);
        return !stop;
    };
    bool dated = false;
    RunOffThread(
        [&] {
            RecompressMovie(movie, temporary, videoEncoder, audioEncoder, videoSettings, audioSettings,
                            progress);
            dated = dateAndSync(temporary, date);
        },
        stop);
    return dated;
}

void TMovieRecompression::replace(const QString& movie, const QString& temporary,
                                  const TMovieWatch& watch) const {
    QFile original(movie);
    if (!original.open(QIODevice::ReadOnly))
        throw EInOutError(
            formatted("errormsg_could_not_open_file", "Could not open file %s", {movie}));
    const QDateTime date = original.fileTime(QFileDevice::FileModificationTime);
    original.close();
    if (!date.isValid())
        throw EInOutError(formatted("errormsg_could_not_get_datetime",
                                    "Could not get date/time for file %s", {movie}));

    if (!recompress(movie, temporary, date, watch)) {
        QFile::remove(temporary);
        throw EInOutError(formatted("errormsg_could_not_set_datetime",
                                    "Could not set date/time for file %s", {movie}));
    }
    if (std::rename(QFile::encodeName(temporary).constData(),
                    QFile::encodeName(movie).constData()) != 0) {
        QFile::remove(temporary);
        throw EInOutError(formatted("errormsg_could_not_rename", "Could not rename %s to %s",
                                    {temporary, movie}));
    }
}
