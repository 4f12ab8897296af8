#include "AviWriter.h"

#include "EncoderSettings.h"
#include "Errors.h"
#include "FFmpeg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

namespace {

struct Compressor {
    QString fourcc;
    const AVCodec* codec;
};

// The pixel formats we convert the camera's RGB pictures into, best first.
constexpr std::array AcceptedFormats = {
    AV_PIX_FMT_BGR24,    AV_PIX_FMT_RGB24,   AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV420P,
    AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUVJ444P, AV_PIX_FMT_YUV444P,
};

bool accepted(AVPixelFormat format) {
    return std::ranges::find(AcceptedFormats, format) != AcceptedFormats.end();
}

// BGR24 when the encoder takes it (no conversion), else the encoder's own
// first choice among the accepted ones; NONE when it takes none.
AVPixelFormat pixelFormatOf(const AVCodec* codec) {
    AVPixelFormat best = AV_PIX_FMT_NONE;
    for (const AVPixelFormat* f = codec->pix_fmts; f && *f != AV_PIX_FMT_NONE; ++f) {
        if (*f == AV_PIX_FMT_BGR24)
            return *f;
        if (best == AV_PIX_FMT_NONE && accepted(*f))
            best = *f;
    }
    return best;
}

QString fourccOf(unsigned tag) {
    QString code;
    for (int i = 0; i < 4; ++i)
        code += QChar(char((tag >> (8 * i)) & 0xFF));
    return code;
}

// The encoders that fit an AVI, one per four-character code, FFmpeg's own
// before the external libraries (the order FFmpeg lists them in).
std::vector<Compressor> installedCompressors() {
    const AVCodecTag* const riff[] = {avformat_get_riff_video_tags(), nullptr};
    std::vector<Compressor> found;
    void* iterator = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&iterator)) {
        if (!av_codec_is_encoder(codec) || codec->type != AVMEDIA_TYPE_VIDEO ||
            codec->id == AV_CODEC_ID_RAWVIDEO ||
            (codec->capabilities & (AV_CODEC_CAP_EXPERIMENTAL | AV_CODEC_CAP_HARDWARE)) ||
            pixelFormatOf(codec) == AV_PIX_FMT_NONE)
            continue;
        const unsigned tag = av_codec_get_tag(riff, codec->id);
        if (tag == 0)
            continue;
        const QString code = fourccOf(tag);
        if (std::ranges::none_of(found, [&](const Compressor& c) { return c.fourcc == code; }))
            found.push_back({code, codec});
    }
    return found;
}

QString hex(int code) {
    return QString::number(uint32_t(code), 16).toUpper();
}

QString outputError(int code) {
    return "Unable to write output file. Error " + hex(code);
}

void check(int code, const QString& message) {
    if (code < 0)
        throw EInOutError(message);
}

using FormatPtr = ffmpeg::Format;
using CodecPtr = ffmpeg::Codec;
using FramePtr = ffmpeg::Frame;
using PacketPtr = ffmpeg::Packet;
using ScalePtr = ffmpeg::Scale;

FormatPtr openOutput(const QString& path, int& code) {
    AVFormatContext* format = nullptr;
    code = avformat_alloc_output_context2(&format, nullptr, "avi", nullptr);
    if (code < 0)
        return {};
    FormatPtr owned(format);
    code = avio_open(&format->pb, QFile::encodeName(path).constData(), AVIO_FLAG_WRITE);
    return code < 0 ? FormatPtr() : std::move(owned);
}

FormatPtr openInput(const QString& path) {
    AVFormatContext* format = nullptr;
    const int code =
        avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr);
    check(code, outputError(code));
    return FormatPtr(format);
}

// An encoder for frames of `size` at one frame per `frameTime` ms; `quality`
// 0 to 10000 becomes the encoder's quantiser, 31 (worst) to 2 (best), unless
// the user's settings of the encoder say otherwise.
CodecPtr openEncoder(const AVCodec* codec, QSize size, int frameTime, int quality,
                     const TEncoderSettings& settings, bool globalHeader) {
    CodecPtr encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        throw EInOutError("Failed to create AVI video stream");
    encoder->width = size.width();
    encoder->height = size.height();
    av_reduce(&encoder->time_base.num, &encoder->time_base.den, frameTime, 1000, 1000);
    encoder->framerate = av_inv_q(encoder->time_base);
    encoder->pix_fmt = codec->id == AV_CODEC_ID_RAWVIDEO ? AV_PIX_FMT_BGR24 : pixelFormatOf(codec);
    // AVI keeps no reordering of frames: every frame is stored in shown order.
    encoder->max_b_frames = 0;
    encoder->flags |= AV_CODEC_FLAG_QSCALE;
    encoder->global_quality = FF_QP2LAMBDA * (2 + (10000 - quality) * 29 / 10000);
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    ApplyEncoderSettings(settings, encoder.get(), &options);
    const int opened = avcodec_open2(encoder.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0)
        throw EInOutError("Failed to create AVI video stream");
    return encoder;
}

const AVCodec* encoderOf(const QString& fourcc) {
    if (fourcc.isEmpty())
        return avcodec_find_encoder(AV_CODEC_ID_RAWVIDEO);
    for (const Compressor& c : installedCompressors())
        if (c.fourcc == fourcc)
            return c.codec;
    return nullptr;
}

// Writes packets of `encoder` to stream `index` of `output` until it wants more input.
void drain(AVCodecContext* encoder, AVFormatContext* output, int index, AVPacket* packet) {
    for (;;) {
        const int code = avcodec_receive_packet(encoder, packet);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF)
            return;
        check(code, outputError(code));
        packet->stream_index = index;
        av_packet_rescale_ts(packet, encoder->time_base, output->streams[index]->time_base);
        const int written = av_interleaved_write_frame(output, packet);
        check(written, outputError(written));
    }
}

void encode(AVCodecContext* encoder, const AVFrame* frame, AVFormatContext* output, int index,
            AVPacket* packet) {
    const int code = avcodec_send_frame(encoder, frame);
    check(code, outputError(code));
    drain(encoder, output, index, packet);
}

AVStream* addVideoStream(AVFormatContext* output, const AVCodecContext* encoder) {
    AVStream* stream = avformat_new_stream(output, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, encoder) < 0)
        throw EInOutError("Failed to create AVI video stream");
    stream->time_base = encoder->time_base;
    stream->avg_frame_rate = encoder->framerate;
    return stream;
}

} // namespace

// An AVI file being written with one video stream and its encoder.
struct TAviWriter::Output {
    FormatPtr format;
    CodecPtr encoder;
    FramePtr frame{av_frame_alloc()};
    PacketPtr packet{av_packet_alloc()};
    ScalePtr scale;
    int nextSlot = 0;   // the slot the next frame starts at
    int lastShown = -1; // the slot of the last frame stored

    void write(int slot) {
        frame->pts = slot;
        encode(encoder.get(), frame.get(), format.get(), 0, packet.get());
        lastShown = slot;
    }
    void close() {
        encode(encoder.get(), nullptr, format.get(), 0, packet.get());
        const int code = av_write_trailer(format.get());
        format.reset();
        check(code, outputError(code));
    }
};

TAviWriter::TAviWriter(Progress progress) : progress_(std::move(progress)) {
    // FFmpeg's own notes would go to the standard error output with every frame.
    av_log_set_level(AV_LOG_ERROR);
}

TAviWriter::~TAviWriter() = default;

QStringList TAviWriter::ListCompressors() {
    QStringList items{NoCompression};
    for (const Compressor& c : installedCompressors())
        items << c.fourcc + " " + QString::fromUtf8(c.codec->long_name);
    return items;
}

void TAviWriter::ChooseCompressor(const QString& fourcc) {
    if (!fourcc.isEmpty() && !encoderOf(fourcc))
        throw ERangeError("No compressor for " + fourcc + " available");
    fourcc_ = fourcc;
}

QString TAviWriter::compressor() const {
    return fourcc_;
}

QString TAviWriter::encoderName() const {
    const AVCodec* codec = fourcc_.isEmpty() ? nullptr : encoderOf(fourcc_);
    return codec ? QString::fromLatin1(codec->name) : QString();
}

void TAviWriter::SetEncoderSettings(const TEncoderSettings& settings) {
    encoderSettings_ = settings;
}

void TAviWriter::SetQuality(int quality) {
    quality_ = std::clamp(quality, 0, 10000);
}

int TAviWriter::quality() const {
    return quality_;
}

void TAviWriter::SetFile(const TAviFileSettings& settings) {
    if (!settings.wavFileName.isEmpty() &&
        !settings.wavFileName.endsWith(".wav", Qt::CaseInsensitive))
        throw ERangeError("WavFileName must name a file with the .wav extension");
    settings_ = settings;
}

bool TAviWriter::begun() const {
    return work_ != nullptr;
}

int TAviWriter::slotCount() const {
    return work_ ? work_->nextSlot : 0;
}

void TAviWriter::Begin() {
    const QString& path = settings_.tempFileName;
    if (QFileInfo::exists(path) && !QFile::remove(path))
        throw EInOutError("Could not delete " + path +
                          ". Check that you may write to its folder, or choose another AVI "
                          "filename");
    auto work = std::make_unique<Output>();
    int code = 0;
    work->format = openOutput(path, code);
    if (!work->format)
        throw EInOutError("Failed to create AVI video file. Err: $" + hex(code));
    // Frames go in compressed only when compressed on the fly; otherwise
    // uncompressed now, compressed by Finish.
    const AVCodec* codec = encoderOf(settings_.onTheFly ? fourcc_ : QString());
    work->encoder =
        openEncoder(codec, {settings_.width, settings_.height}, settings_.frameTime, quality_,
                    encoderSettings_, work->format->oformat->flags & AVFMT_GLOBALHEADER);
    addVideoStream(work->format.get(), work->encoder.get());
    code = avformat_write_header(work->format.get(), nullptr);
    if (code < 0)
        throw EInOutError("Failed to create AVI video file. Err: $" + hex(code));
    work->frame->format = work->encoder->pix_fmt;
    work->frame->width = settings_.width;
    work->frame->height = settings_.height;
    check(av_frame_get_buffer(work->frame.get(), 0), "Failed to create AVI video stream");
    work_ = std::move(work);
    ended_ = false;
}

void TAviWriter::AddFrame(const QImage& picture, int extraMilliseconds) {
    if (!work_ || ended_)
        throw EInOutError("Video must be initialized.");
    const int count = 1 + extraMilliseconds / settings_.frameTime;
    if (count <= 0)
        return;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    Output& out = *work_;
    out.scale.reset(sws_getCachedContext(
        out.scale.release(), rgb.width(), rgb.height(), AV_PIX_FMT_RGB24, settings_.width,
        settings_.height, out.encoder->pix_fmt, SWS_BILINEAR, nullptr, nullptr, nullptr));
    check(av_frame_make_writable(out.frame.get()), "Failed to create AVI video stream");
    // FFmpeg's AVI muxer declares uncompressed frames top row first (a
    // negative height), so every frame goes in top row first.
    const bool uncompressed = out.encoder->codec_id == AV_CODEC_ID_RAWVIDEO;
    const uint8_t* rows[1] = {rgb.constBits()};
    const int strides[1] = {int(rgb.bytesPerLine())};
    sws_scale(out.scale.get(), rows, strides, 0, rgb.height(), out.frame->data,
              out.frame->linesize);
    const int first = out.nextSlot;
    out.nextSlot += count;
    // Compressed frames are written into every slot; an uncompressed frame
    // once, the muxer marking the slots up to the next one as repeats.
    for (int slot = first; slot < out.nextSlot; ++slot) {
        const bool written = slot == first || !uncompressed;
        if (written)
            out.write(slot);
        progressAt(slot + 1, written);
    }
}

void TAviWriter::progressAt(int slot, bool written) {
    if (progress_ && slot % (written ? 20 : 10) == 0)
        progress_(slot);
}

void TAviWriter::EndAdding() {
    if (!work_ || ended_)
        return;
    ended_ = true;
    Output& out = *work_;
    // Repeats are marked only before a later frame: the last frame is stored
    // once more in the last slot so that the file lasts every slot.
    if (out.lastShown >= 0 && out.lastShown < out.nextSlot - 1)
        out.write(out.nextSlot - 1);
    out.close();
}

namespace {

// A new empty file of a fresh name in the target's folder, created with the
// permissions the user's umask gives every other file.
QString reserveBeside(const QString& target) {
    const QString folder = QFileInfo(target).absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path =
            folder + "/.~AWMux_" + QString::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            break;
    }
    throw EInOutError(outputError(AVERROR(errno)));
}

// The AVI file made of a finished work file and a WAV file.
class Mux {
  public:
    Mux(const QString& target, const QString& work, const QString& wav, const QString& fourcc,
        int quality, const TEncoderSettings& settings, const std::function<void(int)>& progress)
        : target_(target), progress_(progress) {
        video_.input = openInput(work);
        if (!wav.isEmpty())
            audio_.input = openInput(wav);
        temp_.path = reserveBeside(target);
        int code = 0;
        output_ = openOutput(temp_.path, code);
        check(code, outputError(code));
        addVideo(fourcc, quality, settings);
        if (audio_.input)
            addCopy(audio_);
        code = avformat_write_header(output_.get(), nullptr);
        check(code, outputError(code));
    }

    void run() {
        PacketPtr packet(av_packet_alloc());
        Source* next = nullptr;
        while ((next = earliest(packet.get())))
            next == &video_ ? writeVideo(packet.get()) : writeCopy(*next, packet.get());
        if (encoder_)
            encode(encoder_.get(), nullptr, output_.get(), video_.outIndex, packet.get());
        int code = av_write_trailer(output_.get());
        output_.reset();
        check(code, outputError(code));
        // The user confirmed replacing an existing file when choosing the name.
        if (::rename(QFile::encodeName(temp_.path).constData(),
                     QFile::encodeName(target_).constData()) != 0)
            throw EInOutError(outputError(AVERROR(errno)));
        temp_.path.clear();
    }

  private:
    struct Source {
        FormatPtr input;
        PacketPtr pending{av_packet_alloc()};
        bool hasPending = false;
        int outIndex = -1;
        AVStream* stream() const { return input->streams[0]; }
    };

    void addVideo(const QString& fourcc, int quality, const TEncoderSettings& settings) {
        const AVCodecParameters* in = video_.stream()->codecpar;
        if (in->codec_id == AV_CODEC_ID_RAWVIDEO && !fourcc.isEmpty()) {
            decoder_.reset(avcodec_alloc_context3(avcodec_find_decoder(in->codec_id)));
            avcodec_parameters_to_context(decoder_.get(), in);
            check(avcodec_open2(decoder_.get(), decoder_->codec, nullptr), outputError(-1));
            const AVRational frame = video_.stream()->time_base;
            encoder_ = openEncoder(encoderOf(fourcc), {in->width, in->height},
                                   int(1000LL * frame.num / frame.den), quality, settings,
                                   output_->oformat->flags & AVFMT_GLOBALHEADER);
            video_.outIndex = addVideoStream(output_.get(), encoder_.get())->index;
            converted_.reset(av_frame_alloc());
            decoded_.reset(av_frame_alloc());
        } else {
            addCopy(video_);
        }
    }

    void addCopy(Source& source) {
        AVStream* out = avformat_new_stream(output_.get(), nullptr);
        if (!out || avcodec_parameters_copy(out->codecpar, source.stream()->codecpar) < 0)
            throw EInOutError(outputError(AVERROR(ENOMEM)));
        out->codecpar->codec_tag = 0;
        out->time_base = source.stream()->time_base;
        out->avg_frame_rate = source.stream()->avg_frame_rate;
        source.outIndex = out->index;
    }

    // Reads ahead one packet per source and takes the one that plays first,
    // so the streams interleave without holding the recording in memory.
    Source* earliest(AVPacket* packet) {
        for (Source* source : {&video_, &audio_})
            if (source->input && !source->hasPending)
                source->hasPending = av_read_frame(source->input.get(), source->pending.get()) >= 0;
        Source* first = nullptr;
        for (Source* source : {&video_, &audio_})
            if (source->input && source->hasPending &&
                (!first || av_compare_ts(source->pending->dts, source->stream()->time_base,
                                         first->pending->dts, first->stream()->time_base) < 0))
                first = source;
        if (first) {
            av_packet_move_ref(packet, first->pending.get());
            first->hasPending = false;
        }
        return first;
    }

    void writeCopy(const Source& source, AVPacket* packet) {
        packet->stream_index = source.outIndex;
        av_packet_rescale_ts(packet, source.stream()->time_base,
                             output_->streams[source.outIndex]->time_base);
        const int code = av_interleaved_write_frame(output_.get(), packet);
        check(code, outputError(code));
    }

    void writeVideo(AVPacket* packet) {
        const int slot = int(packet->pts) + 1;
        if (!encoder_)
            writeCopy(video_, packet);
        else if (packet->size > 0)
            transcode(packet);
        av_packet_unref(packet);
        if (progress_ && slot % 10 == 0)
            progress_(slot);
    }

    void transcode(AVPacket* packet) {
        int code = avcodec_send_packet(decoder_.get(), packet);
        check(code, outputError(code));
        while (avcodec_receive_frame(decoder_.get(), decoded_.get()) >= 0) {
            av_frame_unref(converted_.get());
            converted_->format = encoder_->pix_fmt;
            converted_->width = encoder_->width;
            converted_->height = encoder_->height;
            check(av_frame_get_buffer(converted_.get(), 0), outputError(AVERROR(ENOMEM)));
            if (!ffmpeg::ScaleFrame(scale_, decoded_.get(), converted_.get(), SWS_BILINEAR))
                throw EInOutError(outputError(AVERROR(EINVAL)));
            converted_->pts =
                av_rescale_q(decoded_->pts, video_.stream()->time_base, encoder_->time_base);
            encode(encoder_.get(), converted_.get(), output_.get(), video_.outIndex, packet);
            av_frame_unref(decoded_.get());
        }
    }

    // Removes the unfinished file; declared before the output so that the
    // output is closed first.
    struct TempFile {
        QString path;
        ~TempFile() {
            if (!path.isEmpty())
                QFile::remove(path);
        }
    };

    QString target_;
    TempFile temp_;
    std::function<void(int)> progress_;
    Source video_, audio_;
    FormatPtr output_;
    CodecPtr decoder_, encoder_;
    FramePtr decoded_, converted_;
    ScalePtr scale_;
};

} // namespace

void TAviWriter::Finish() {
    if (!work_)
        throw EInOutError("Video must be initialized.");
    EndAdding();
    const bool compressed = settings_.onTheFly || fourcc_.isEmpty();
    Mux(settings_.fileName, settings_.tempFileName, settings_.wavFileName,
        compressed ? QString() : fourcc_, quality_, encoderSettings_, progress_)
        .run();
    work_.reset();
    QFile::remove(settings_.tempFileName);
}

qint64 AviPlayingLength(const QString& path) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        throw EInOutError("Cannot open file " + path);
    const FormatPtr input(format);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            return av_rescale_q(stream->nb_frames, stream->time_base, AVRational{1, 1000});
    }
    throw EInOutError("Cannot open file " + path);
}
