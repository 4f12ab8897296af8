#include "JpegCodec.h"

#include "PictureErrors.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jerror.h>
#include <jpeglib.h>

namespace jpegcodec {
namespace {

constexpr int PaletteColours = 236;
constexpr int App1 = JPEG_APP0 + 1;

// libjpeg reports errors through a callback that must not return; it jumps
// back to the guarded call below, which raises the error as an exception.
// Code between the jump target and the codec holds no objects that need their
// destructor run: every object lives in the caller's frame.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jumpOnError(j_common_ptr codec) {
    auto* errors = reinterpret_cast<ErrorManager*>(codec->err);
    (*errors->pub.format_message)(codec, errors->message);
    std::longjmp(errors->jump, 1);
}
void dropMessage(j_common_ptr, int) {}
void dropOutput(j_common_ptr) {}

void installErrors(ErrorManager& errors) {
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = jumpOnError;
    errors.pub.emit_message = dropMessage;
    errors.pub.output_message = dropOutput;
}

template <class Work> void guarded(ErrorManager& errors, const Work& work) {
    if (setjmp(errors.jump))
        throw EJPEG(QString::fromLatin1(errors.message));
    work();
}

struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    Decompressor() {
        info.err = &errors.pub;
        installErrors(errors);
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

struct Compressor {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    Compressor() {
        info.err = &errors.pub;
        installErrors(errors);
        jpeg_create_compress(&info);
    }
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(output);
    }
};

void startReading(Decompressor& d, const QByteArray& jpeg) {
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
}

void setScale(jpeg_decompress_struct& info, int scale) {
    info.scale_num = 1;
    info.scale_denom = 1u << scale;
}

QByteArray exifData(const jpeg_decompress_struct& info) {
    const jpeg_saved_marker_ptr first = info.marker_list;
    for (jpeg_saved_marker_ptr m = first; m; m = m->next) {
        const QByteArray data(reinterpret_cast<const char*>(m->data), m->data_length);
        if (data.startsWith(QByteArray("Exif\0\0", 6)))
            return data;
    }
    return first ? QByteArray(reinterpret_cast<const char*>(first->data), first->data_length)
                 : QByteArray();
}

void applyOptions(jpeg_decompress_struct& info, const DecodeOptions& o) {
    setScale(info, o.scale);
    info.do_fancy_upsampling = o.smoothing;
    // Colour output is always three bytes a pixel, the rows of a 24-bit
    // bitmap: a picture the codec cannot turn into RGB (CMYK, say) is a codec
    // error rather than four bytes a pixel written into three.
    if (o.grayscale)
        info.out_color_space = JCS_GRAYSCALE;
    else if (info.out_color_space != JCS_GRAYSCALE)
        info.out_color_space = JCS_RGB;
    if (o.eightBit || info.out_color_space == JCS_GRAYSCALE) {
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = PaletteColours;
    }
    const bool progressive = o.progressiveDisplay && jpeg_has_multiple_scans(&info);
    if (o.bestSpeed || progressive) {
        info.dct_method = JDCT_IFAST;
        info.two_pass_quantize = FALSE;
        info.dither_mode = JDITHER_ORDERED;
    }
    info.buffered_image = progressive;
}

QList<QRgb> palette(const jpeg_decompress_struct& info) {
    QList<QRgb> colours(info.actual_number_of_colors);
    for (int i = 0; i < info.actual_number_of_colors; ++i) {
        const int r = info.colormap[0][i];
        colours[i] = info.out_color_components == 1
                         ? qRgb(r, r, r)
                         : qRgb(r, info.colormap[1][i], info.colormap[2][i]);
    }
    return colours;
}

void readScanlines(jpeg_decompress_struct& info, QImage& bitmap) {
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = bitmap.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
}

// The whole decode; every object it touches is owned by the caller.
void decodeInto(jpeg_decompress_struct& info, const DecodeOptions& options, QImage& bitmap,
                QByteArray& exif, const ScanShown& scanShown) {
    jpeg_save_markers(&info, App1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    RequireDecodableSize(QSize(int(info.image_width), int(info.image_height)));
    exif = exifData(info);
    applyOptions(info, options);
    jpeg_start_decompress(&info);
    const bool indexed = info.quantize_colors;
    bitmap = QImage(int(info.output_width), int(info.output_height),
                    indexed ? QImage::Format_Indexed8 : QImage::Format_RGB888);
    if (bitmap.isNull()) // a header that claims more pixels than memory holds
        ERREXIT(&info, JERR_OUT_OF_MEMORY);
    if (indexed)
        bitmap.setColorTable(palette(info));
    if (!info.buffered_image) {
        readScanlines(info, bitmap);
    } else {
        do {
            jpeg_start_output(&info, info.input_scan_number);
            readScanlines(info, bitmap);
            jpeg_finish_output(&info);
            if (scanShown)
                scanShown(bitmap);
        } while (!jpeg_input_complete(&info));
    }
    jpeg_finish_decompress(&info);
}

} // namespace

void RequireDecodableSize(const QSize& size) {
    if (qint64(size.width()) * size.height() > MaxDecodedPixels)
        throw EJPEG(QStringLiteral("Picture too large to decode: %1 x %2 pixels, more than %3 "
                                   "megapixels")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(MaxDecodedPixels / 1'000'000));
}

Header ReadHeader(const QByteArray& jpeg) {
    Decompressor d;
    Header header;
    guarded(d.errors, [&] {
        startReading(d, jpeg);
        jpeg_read_header(&d.info, TRUE);
        header.size = QSize(int(d.info.image_width), int(d.info.image_height));
        header.grayscale = d.info.num_components == 1;
        header.progressive = jpeg_has_multiple_scans(&d.info);
    });
    return header;
}

QSize ScaledSize(const QByteArray& jpeg, int scale) {
    Decompressor d;
    QSize size;
    guarded(d.errors, [&] {
        startReading(d, jpeg);
        jpeg_read_header(&d.info, TRUE);
        setScale(d.info, scale);
        jpeg_calc_output_dimensions(&d.info);
        size = QSize(int(d.info.output_width), int(d.info.output_height));
    });
    return size;
}

QImage Decode(const QByteArray& jpeg, const DecodeOptions& options, QByteArray& exif,
              const ScanShown& scanShown) {
    Decompressor d;
    QImage bitmap;
    QByteArray foundExif;
    guarded(d.errors, [&] {
        startReading(d, jpeg);
        decodeInto(d.info, options, bitmap, foundExif, scanShown);
    });
    exif = foundExif;
    return bitmap;
}

QByteArray Encode(const QImage& bitmap, const EncodeOptions& options, const QByteArray& exif) {
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB888);
    Compressor c;
    guarded(c.errors, [&] {
        jpeg_mem_dest(&c.info, &c.output, &c.outputSize);
        c.info.image_width = JDIMENSION(rgb.width());
        c.info.image_height = JDIMENSION(rgb.height());
        c.info.input_components = 3;
        c.info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&c.info);
        jpeg_set_quality(&c.info, options.quality, TRUE);
        if (options.grayscale)
            jpeg_set_colorspace(&c.info, JCS_GRAYSCALE);
        if (options.progressive)
            jpeg_simple_progression(&c.info);
        // The EXIF segment must come first behind the start of image, where the
        // lossless rotation looks for it, so no JFIF segment is written.
        c.info.write_JFIF_header = FALSE;
        jpeg_start_compress(&c.info, TRUE);
        jpeg_write_marker(&c.info, App1, reinterpret_cast<const JOCTET*>(exif.constData()),
                          unsigned(exif.size()));
        while (c.info.next_scanline < c.info.image_height) {
            JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(int(c.info.next_scanline)));
            jpeg_write_scanlines(&c.info, &row, 1);
        }
        jpeg_finish_compress(&c.info);
    });
    return QByteArray(reinterpret_cast<const char*>(c.output), qsizetype(c.outputSize));
}

} // namespace jpegcodec
