#pragma once
// FFmpeg's objects held by owners that free each with its own function, for
// the movie writers and readers of the program.

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace ffmpeg {

struct FormatFree {
    // An output context owns its file unless its format writes none; an
    // input context is closed as a whole.
    void operator()(AVFormatContext* format) const {
        if (format->oformat) {
            if (!(format->oformat->flags & AVFMT_NOFILE))
                avio_closep(&format->pb);
            avformat_free_context(format);
        } else {
            avformat_close_input(&format);
        }
    }
};
struct CodecFree {
    void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleFree {
    void operator()(SwsContext* scale) const { sws_freeContext(scale); }
};
struct ResampleFree {
    void operator()(SwrContext* resample) const { swr_free(&resample); }
};
struct FifoFree {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using Format = std::unique_ptr<AVFormatContext, FormatFree>;
using Codec = std::unique_ptr<AVCodecContext, CodecFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;
using Scale = std::unique_ptr<SwsContext, ScaleFree>;
using Resample = std::unique_ptr<SwrContext, ResampleFree>;
using Fifo = std::unique_ptr<AVAudioFifo, FifoFree>;

// Converts `source` into the size and pixel format of `target`, whose
// buffers are allocated. A movie's frames may change size or pixel format on
// the way, and a context made for other frames reads past their buffers, so
// `scale` is rebuilt whenever a frame differs from the one before. False when
// no conversion between the two exists.
inline bool ScaleFrame(Scale& scale, const AVFrame* source, AVFrame* target, int flags) {
    scale.reset(sws_getCachedContext(scale.release(), source->width, source->height,
                                     AVPixelFormat(source->format), target->width, target->height,
                                     AVPixelFormat(target->format), flags, nullptr, nullptr,
                                     nullptr));
    if (!scale)
        return false;
    sws_scale(scale.get(), source->data, source->linesize, 0, source->height, target->data,
              target->linesize);
    return true;
}

} // namespace ffmpeg
