#include "CameraJpeg.h"

#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QtEndian>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <stdexcept>

namespace fixture {
namespace {

// Fixtures are always valid, so a codec error is a broken test.
void abortOnError(j_common_ptr info) {
    (*info->err->output_message)(info);
    std::abort();
}

// Builds TIFF bytes in either byte order.
class TiffWriter {
  public:
    explicit TiffWriter(bool motorola) : motorola_(motorola) {}
    void u16(quint32 v) {
        char b[2];
        motorola_ ? qToBigEndian(quint16(v), b) : qToLittleEndian(quint16(v), b);
        bytes.append(b, 2);
    }
    void u32(quint32 v) {
        char b[4];
        motorola_ ? qToBigEndian(v, b) : qToLittleEndian(v, b);
        bytes.append(b, 4);
    }
    void shortEntry(quint32 tag, quint32 value) {
        u16(tag);
        u16(3);
        u32(1);
        u16(value);
        u16(0);
    }
    void longEntry(quint32 tag, quint16 type, quint32 count, quint32 value) {
        u16(tag);
        u16(type);
        u32(count);
        u32(value);
    }
    QByteArray bytes;

  private:
    bool motorola_;
};

QByteArray segment(quint8 marker, const QByteArray& data) {
    QByteArray s("\xFF");
    s.append(char(marker));
    char length[2];
    qToBigEndian(quint16(data.size() + 2), length);
    return s.append(length, 2).append(data);
}

constexpr quint32 StripWidth = 8, StripHeight = 6;
const QByteArray MakerNoteImageType("IMG:PowerShot JPEG\0\0", 20);
const QByteArray MakerNoteOwner = QByteArray("Maker Note Owner").leftJustified(32, '\0');

quint32 directorySize(int entries) {
    return 2 + quint32(entries) * 12 + 4;
}

// What the second directory points at: a JPEG thumbnail or RGB strips.
QByteArray thumbnailBytes(const CameraOptions& o) {
    if (o.thumbnail == Thumbnail::Uncompressed)
        return QByteArray(StripWidth * StripHeight * 3, '\x60');
    if (o.thumbnail != Thumbnail::Jpeg)
        return {};
    QByteArray thumbnail =
        Encode(Pattern(160, 120), {.quality = 75, .optimizeHuffman = o.optimizedThumbnail});
    thumbnail.chop(o.thumbnailCut);
    return thumbnail;
}

void secondDirectory(TiffWriter& t, const CameraOptions& o, quint32 thumbnailAt, quint32 size) {
    if (o.thumbnail == Thumbnail::Uncompressed) {
        t.u16(7);
        t.longEntry(0x0100, 4, 1, StripWidth);
        t.longEntry(0x0101, 4, 1, StripHeight);
        t.shortEntry(0x0103, 1);
        t.shortEntry(0x0106, 2);
        t.longEntry(0x0111, 4, 1, thumbnailAt);
        t.shortEntry(0x0115, 3);
        t.longEntry(0x0117, 4, 1, size);
    } else {
        t.u16(3);
        t.shortEntry(0x0103, 6);
        t.longEntry(0x0201, 4, 1, size ? thumbnailAt : 0);
        t.longEntry(0x0202, 4, 1, size ? size + quint32(o.thumbnailLengthExcess) : 0);
    }
    t.u32(0);
}

QByteArray exifSegmentData(const CameraOptions& o) {
    // Layout: header, IFD0 (3 entries), EXIF IFD, IFD1, "Canon", maker note,
    // padding, thumbnail, the maker note's values.
    const QByteArray thumbnail = thumbnailBytes(o);
    const int exifEntries = (o.dimensions == Dimensions::None ? 0 : 2) + (o.makerNote ? 1 : 0);
    const int ifd1Entries = o.thumbnail == Thumbnail::None           ? 0
                            : o.thumbnail == Thumbnail::Uncompressed ? 7
                                                                     : 3;
    const quint32 ifd0 = 8, exifIfd = ifd0 + directorySize(3),
                  ifd1 = exifIfd + directorySize(exifEntries),
                  make = ifd1 + (ifd1Entries ? directorySize(ifd1Entries) : 0),
                  makerNote = make + 6;
    const quint32 makerNoteSize = o.makerNote ? directorySize(2) : 0;
    const quint32 thumbnailAt = makerNote + makerNoteSize + quint32(o.padding);
    const quint32 makerValues = thumbnailAt + quint32(thumbnail.size());
    TiffWriter t(o.motorola);
    t.bytes = o.motorola ? QByteArray("MM\x00\x2A", 4) : QByteArray("II\x2A\x00", 4);
    t.u32(ifd0);
    t.u16(3);
    t.longEntry(0x010F, 2, 6, make);
    t.shortEntry(o.orientationTag ? 0x0112 : 0x0128, quint32(o.orientation));
    t.longEntry(0x8769, 4, 1, exifIfd);
    t.u32(ifd1Entries ? ifd1 : 0);
    t.u16(quint32(exifEntries));
    const quint32 pixelX = quint32(o.recordedWidth.value_or(o.width));
    const quint32 pixelY = quint32(o.recordedHeight.value_or(o.height));
    if (o.dimensions == Dimensions::Short) {
        t.shortEntry(0xA002, pixelX);
        t.shortEntry(0xA003, pixelY);
    } else if (o.dimensions == Dimensions::Long) {
        t.longEntry(0xA002, 4, 1, pixelX);
        t.longEntry(0xA003, 4, 1, pixelY);
    }
    if (o.makerNote)
        t.longEntry(0x927C, 7, makerNoteSize, makerNote);
    t.u32(0);
    if (ifd1Entries)
        secondDirectory(t, o, thumbnailAt, quint32(thumbnail.size()));
    t.bytes.append("Canon\0", 6);
    if (o.makerNote) {
        t.u16(2);
        t.longEntry(0x0006, 2, quint32(MakerNoteImageType.size()), makerValues);
        t.longEntry(0x0009, 2, quint32(MakerNoteOwner.size()),
                    makerValues + quint32(MakerNoteImageType.size()));
        t.u32(0);
    }
    t.bytes.append(QByteArray(o.padding, '\0')).append(thumbnail);
    if (o.makerNote)
        t.bytes.append(MakerNoteImageType).append(MakerNoteOwner);
    return QByteArray("Exif\0\0", 6) + t.bytes;
}

} // namespace

QImage Pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb(x * 255 / width, y * 255 / height, ((x / 16 + y / 16) % 2) * 200));
    return image;
}

QByteArray Encode(const QImage& bitmap, const EncodeOptions& options) {
    const QImage rgb =
        bitmap.convertToFormat(options.cmyk ? QImage::Format_RGBX8888 : QImage::Format_RGB888);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = abortOnError;
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = options.cmyk ? 4 : 3;
    info.in_color_space = options.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, TRUE);
    if (options.grayscale)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    if (options.progressive)
        jpeg_simple_progression(&info);
    info.optimize_coding = options.optimizeHuffman;
    info.write_JFIF_header = FALSE;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray result(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return result;
}

QByteArray CameraJpeg(const CameraOptions& o) {
    const QByteArray main = Encode(Pattern(o.width, o.height));
    QByteArray file("\xFF\xD8", 2);
    if (o.jfifFirst)
        file += segment(0xE0, QByteArray("JFIF\0\x01\x01\x00\x00\x01\x00\x01\x00\x00", 14));
    file += segment(0xE1, exifSegmentData(o));
    return file + main.mid(2);
}

QByteArray FirstApp1(const QByteArray& jpeg) {
    if (jpeg.size() < 6 || quint8(jpeg[3]) != 0xE1)
        return {};
    return jpeg.mid(6, qFromBigEndian<quint16>(jpeg.constData() + 4) - 2);
}

QByteArray BehindFirstSegment(const QByteArray& jpeg) {
    return jpeg.mid(4 + qFromBigEndian<quint16>(jpeg.constData() + 4));
}

ExifFacts ReadExif(const QByteArray& app1) {
    const QByteArray tiff = app1.mid(6);
    auto u16 = [&](qsizetype at) {
        return quint32(qFromLittleEndian<quint16>(tiff.constData() + at));
    };
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(tiff.constData() + at); };
    ExifFacts facts;
    auto walk = [&](quint32 ifd, auto&& self) -> quint32 {
        const quint32 count = u16(ifd);
        for (quint32 i = 0; i < count; ++i) {
            const quint32 entry = ifd + 2 + i * 12;
            const quint32 value = u16(entry + 2) == 3 ? u16(entry + 8) : u32(entry + 8);
            switch (u16(entry)) {
            case 0x0112:
                facts.orientation = value;
                break;
            case 0xA002:
                facts.pixelX = value;
                break;
            case 0xA003:
                facts.pixelY = value;
                break;
            case 0x0201:
                facts.thumbnailOffset = value;
                break;
            case 0x0202:
                facts.thumbnailLength = value;
                break;
            case 0x8769:
                self(value, self);
                break;
            }
        }
        return u32(ifd + 2 + count * 12);
    };
    const quint32 ifd1 = walk(u32(4), walk);
    if (ifd1)
        walk(ifd1, walk);
    facts.thumbnail = tiff.mid(facts.thumbnailOffset, facts.thumbnailLength);
    return facts;
}

QImage Shown(const QByteArray& jpeg) {
    QByteArray bytes = jpeg;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    return reader.read();
}

bool ShownTurned(const QByteArray& jpeg) {
    QByteArray bytes = jpeg;
    QBuffer buffer(&bytes);
    return QImageReader(&buffer, "jpeg").transformation() != QImageIOHandler::TransformationNone;
}

QByteArray Jpegtran(const QByteArray& jpeg, int degrees) {
    const QString input = testenv::newFolder("jpegtran") + "/input.jpg";
    testfiles::Write(input, jpeg);
    QProcess process;
    process.start(JPEGTRAN_PATH, {"-copy", "all", "-rotate", QString::number(degrees), input});
    // Exit code 2: the output is written, with warnings.
    if (!process.waitForFinished(30000) || (process.exitCode() != 0 && process.exitCode() != 2))
        throw std::runtime_error("jpegtran failed");
    return process.readAllStandardOutput();
}

QByteArray ExiftranAuto(const QByteArray& jpeg) {
    const QString folder = testenv::newFolder("exiftran");
    testfiles::Write(folder + "/in.jpg", jpeg);
    QProcess process;
    process.start(EXIFTRAN_PATH, {"-a", "-o", folder + "/out.jpg", folder + "/in.jpg"});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        throw std::runtime_error("exiftran failed");
    return testfiles::Read(folder + "/out.jpg");
}

} // namespace fixture
