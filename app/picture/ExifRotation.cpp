#include "ExifRotation.h"

#include "Errors.h"
#include "Jpegtrans.h"

#include <QtEndian>
#include <optional>

namespace {

// Where the pieces sit in a camera file.
constexpr qsizetype SegmentLengthOffset = 4;
constexpr qsizetype SegmentDataOffset = 6;
constexpr qsizetype TiffHeaderOffset = 6; // in the segment data, behind "Exif\0\0"
constexpr qsizetype IfdEntrySize = 12;
constexpr qsizetype MaxSegmentData = 65533; // 65535 minus the length field
constexpr quint16 OrientationTag = 0x0112;
constexpr quint32 OrientationNormal = 1;

const QByteArray PixelXPattern("\x02\xA0\x03\x00", 4);
const QByteArray PixelYPattern("\x03\xA0\x03\x00", 4);
const QByteArray ThumbnailLengthPattern("\x02\x02\x04\x00", 4);
const QByteArray ThumbnailStart("\xFF\xD8\xFF\xDB", 4);
const QByteArray App1First("\xFF\xD8\xFF\xE1", 4); // start of image, then APP1
const QByteArray ExifHeader("Exif\0\0", 6);

// The end of an EXIF first segment, or 0 when the file does not start with one.
qsizetype exifSegmentEnd(const QByteArray& jpeg) {
    if (jpeg.size() < SegmentDataOffset || !jpeg.startsWith(App1First))
        return 0;
    const qsizetype end =
        SegmentLengthOffset + qFromBigEndian<quint16>(jpeg.constData() + SegmentLengthOffset);
    return end <= jpeg.size() && jpeg.mid(SegmentDataOffset, ExifHeader.size()) == ExifHeader ? end
                                                                                              : 0;
}

[[noreturn]] void fail(const char* message) {
    throw EConvertError(QString::fromLatin1(message));
}

// Bounds-checked little-endian access to the segment data.
class Segment {
  public:
    explicit Segment(QByteArray data) : data_(std::move(data)) {}

    bool holds(qsizetype at, qsizetype size) const { return at >= 0 && at + size <= data_.size(); }
    quint32 read16(qsizetype at) const { return qFromLittleEndian<quint16>(span(at, 2)); }
    quint32 read32(qsizetype at) const { return qFromLittleEndian<quint32>(span(at, 4)); }
    void write32(qsizetype at, quint32 value) {
        span(at, 4);
        qToLittleEndian(value, data_.data() + at);
    }
    // The offset of pattern at or after from; fails when there is none.
    qsizetype find(const QByteArray& pattern, qsizetype from) const {
        const qsizetype at = data_.indexOf(pattern, from);
        if (at < 0)
            fail("Could not find search pattern");
        return at;
    }
    const QByteArray& bytes() const { return data_; }

  private:
    const char* span(qsizetype at, qsizetype size) const {
        if (!holds(at, size))
            fail("EXIF segment is truncated");
        return data_.constData() + at;
    }
    QByteArray data_;
};

// The first segment's data. What it holds is found out by the searches that
// follow, which fail with their own messages on anything other than a
// camera's EXIF block in Intel byte order.
Segment firstSegment(const QByteArray& picture) {
    const qsizetype length =
        picture.size() < SegmentDataOffset
            ? 0
            : qFromBigEndian<quint16>(picture.constData() + SegmentLengthOffset);
    if (length < 2 || SegmentLengthOffset + length > picture.size())
        fail("EXIF segment is truncated");
    return Segment(picture.mid(SegmentDataOffset, length - 2));
}

// The offset of the Orientation value field in the first image directory, if
// the directory holds one within the segment.
std::optional<qsizetype> orientationValue(const Segment& exif) {
    const qsizetype pointer = TiffHeaderOffset + 4;
    if (!exif.holds(pointer, 4))
        return std::nullopt;
    const qsizetype directory = TiffHeaderOffset + exif.read32(pointer);
    if (!exif.holds(directory, 2))
        return std::nullopt;
    const quint32 entries = exif.read16(directory);
    for (quint32 i = 0; i < entries; ++i) {
        const qsizetype entry = directory + 2 + i * IfdEntrySize;
        if (!exif.holds(entry, IfdEntrySize))
            return std::nullopt;
        if (exif.read16(entry) == OrientationTag)
            return entry + 8;
    }
    return std::nullopt;
}

// Replaces a SHORT dimension tag's value, which must be expected, with
// replacement; returns the offset behind the entry.
qsizetype replaceDimension(Segment& exif, const QByteArray& pattern, qsizetype from,
                           quint32 expected, quint32 replacement, const char* error) {
    const qsizetype tag = exif.find(pattern, from);
    if (exif.read32(tag + 4) != 1 || exif.read32(tag + 8) != expected)
        fail(error);
    exif.write32(tag + 8, replacement);
    return tag + IfdEntrySize;
}

} // namespace

QByteArray UpdateExifForRotation(const QByteArray& picture, const TExifRotation& r) {
    const std::optional<TTransformCode> code = TransformCodeForRotation(r.rotation);
    if (!code)
        fail("Rotation is not 90, 180 or 270 degrees");
    Segment exif = firstSegment(picture);
    const std::optional<qsizetype> orientation = orientationValue(exif);

    qsizetype position = 0;
    if (r.rotation == 90 || r.rotation == 270) {
        const int divisor = 1 << r.scale;
        position = replaceDimension(exif, PixelXPattern, position, r.width, r.height / divisor,
                                    "Error when reading X Dimension tag");
        position = replaceDimension(exif, PixelYPattern, position, r.height, r.width / divisor,
                                    "Error when reading Y Dimension tag");
    }
    qsizetype thumbnailAt = exif.bytes().indexOf(ThumbnailStart, position);
    if (thumbnailAt < 0)
        thumbnailAt = exif.bytes().size();
    if (!orientation)
        fail("Could not find Orientation tag");
    if (*orientation + 4 > thumbnailAt)
        fail("EXIF segment is truncated");
    exif.write32(*orientation, OrientationNormal);

    const QByteArray thumbnail = exif.bytes().mid(thumbnailAt);
    const QByteArray turned = TransformJpeg(thumbnail, *code);
    Segment head(exif.bytes().left(thumbnailAt));
    const qsizetype lengthTag = head.find(ThumbnailLengthPattern, 0);
    if (head.read32(lengthTag + 4) != 1 || head.read32(lengthTag + 8) > quint32(thumbnail.size()))
        fail("Error when reading the JPEGIFByteCount tag");
    head.write32(lengthTag + 8, quint32(turned.size()));

    const qsizetype dataSize = head.bytes().size() + turned.size();
    if (dataSize > MaxSegmentData)
        fail("EXIF segment too large for one segment");
    // The rebuilt segment is written as APP1: it must have been one.
    if (!picture.startsWith(App1First))
        fail("First segment is not an EXIF segment");
    const qsizetype oldSegmentEnd =
        SegmentLengthOffset + qFromBigEndian<quint16>(picture.constData() + 4);
    QByteArray result = App1First;
    result.reserve(picture.size() + turned.size());
    char length[2];
    qToBigEndian(quint16(dataSize + 2), length);
    result.append(length, 2).append(head.bytes()).append(turned).append(picture.mid(oldSegmentEnd));
    return result;
}

QByteArray WithExifSegmentOf(const QByteArray& source, const QByteArray& turned) {
    const qsizetype sourceEnd = exifSegmentEnd(source);
    const qsizetype turnedEnd = exifSegmentEnd(turned);
    if (!sourceEnd || !turnedEnd)
        return turned;
    return source.left(sourceEnd) + turned.mid(turnedEnd);
}
