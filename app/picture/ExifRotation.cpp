#include "ExifRotation.h"

#include "Errors.h"
#include "Jpegtrans.h"

#include <QtEndian>
#include <algorithm>
#include <optional>

namespace {

constexpr qsizetype MaxSegmentData = 65533; // 65535 minus the length field
constexpr qint64 IfdEntrySize = 12;
constexpr quint8 MarkerApp1 = 0xE1;
constexpr quint8 MarkerStartOfScan = 0xDA;
constexpr quint8 MarkerEndOfImage = 0xD9;
constexpr quint16 OrientationTag = 0x0112;
constexpr quint16 ExifDirectoryTag = 0x8769;
constexpr quint16 PixelXTag = 0xA002;
constexpr quint16 PixelYTag = 0xA003;
constexpr quint16 ThumbnailOffsetTag = 0x0201;
constexpr quint16 ThumbnailLengthTag = 0x0202;
constexpr quint32 TypeShort = 3;
constexpr quint32 TypeLong = 4;
constexpr quint32 TypeDirectory = 13;
constexpr quint32 OrientationNormal = 1;
const QByteArray ExifHeader("Exif\0\0", 6);
const char* const XDimensionError = "Error when reading X Dimension tag";
const char* const YDimensionError = "Error when reading Y Dimension tag";
const char* const ThumbnailLengthError = "Error when reading the JPEGIFByteCount tag";

[[noreturn]] void fail(const QString& message) {
    throw EConvertError(message);
}

// Where a segment lies in the file: from its marker to the end of its data.
struct TSegmentPlace {
    qsizetype start = 0;
    qsizetype end = 0;
};

// The first APP1 segment holding EXIF among the segments in front of the
// image data, where viewers look for it; none when there is none. Raises when
// the segments cannot be walked: the file might then hold an EXIF block that
// cannot be found.
std::optional<TSegmentPlace> exifSegment(const QByteArray& jpeg) {
    if (!jpeg.startsWith("\xFF\xD8"))
        fail("Not a JPEG file");
    qsizetype at = 2;
    while (true) {
        if (at + 2 > jpeg.size() || quint8(jpeg[at]) != 0xFF)
            fail("JPEG segments are damaged");
        const quint8 marker = quint8(jpeg[at + 1]);
        if (marker == 0xFF) { // a fill byte in front of the marker
            ++at;
            continue;
        }
        if (marker == MarkerStartOfScan || marker == MarkerEndOfImage)
            return std::nullopt;
        const qsizetype end =
            at + 4 <= jpeg.size() ? at + 2 + qFromBigEndian<quint16>(jpeg.constData() + at + 2) : 0;
        if (end < at + 4 || end > jpeg.size())
            fail(marker == MarkerApp1 ? "EXIF segment is truncated" : "JPEG segments are damaged");
        if (marker == MarkerApp1 && jpeg.mid(at + 4, ExifHeader.size()) == ExifHeader)
            return TSegmentPlace{at, end};
        at = end;
    }
}

// One directory entry: where it starts, its type and its count.
struct TEntry {
    qint64 at = 0;
    quint32 type = 0;
    quint32 count = 0;
};

// The TIFF structure of an EXIF block in either byte order, read and patched
// in place. Every access is checked against the block's bounds.
class TTiff {
  public:
    explicit TTiff(QByteArray bytes) : bytes_(std::move(bytes)) {
        if (bytes_.startsWith(QByteArray("MM\0*", 4)))
            motorola_ = true;
        else if (!bytes_.startsWith(QByteArray("II*\0", 4)))
            fail("EXIF block has no TIFF header");
    }

    const QByteArray& bytes() const { return bytes_; }
    qint64 size() const { return bytes_.size(); }
    bool holds(qint64 at, qint64 size) const {
        return at >= 0 && size >= 0 && at + size <= bytes_.size();
    }

    qint64 firstDirectory() const { return read32(4); }
    qint64 nextDirectory(qint64 directory) const {
        return read32(directory + 2 + read16(directory) * IfdEntrySize);
    }
    // The entry of tag in the directory at offset directory; none when absent.
    std::optional<TEntry> find(qint64 directory, quint16 tag) const {
        const quint32 entries = read16(directory);
        span(directory + 2, entries * IfdEntrySize + 4); // the entries and the link behind them
        for (quint32 i = 0; i < entries; ++i) {
            const qint64 at = directory + 2 + i * IfdEntrySize;
            if (read16(at) == tag)
                return TEntry{at, read16(at + 2), read32(at + 4)};
        }
        return std::nullopt;
    }
    // The value of a single SHORT or LONG (or, for links, directory); raises
    // error for anything else.
    quint32 number(const TEntry& entry, const QString& error) const {
        if (entry.count != 1)
            fail(error);
        if (entry.type == TypeShort)
            return read16(entry.at + 8);
        if (entry.type != TypeLong && entry.type != TypeDirectory)
            fail(error);
        return read32(entry.at + 8);
    }
    // A SHORT takes the first half of the value field, the rest is zeroed.
    void setNumber(const TEntry& entry, quint32 value) {
        if (entry.type == TypeShort) {
            write16(entry.at + 8, value);
            write16(entry.at + 10, 0);
        } else {
            write32(entry.at + 8, value);
        }
    }
    void replace(qint64 at, qint64 size, const QByteArray& with) {
        span(at, size);
        bytes_.replace(at, size, with);
    }
    void append(const QByteArray& bytes) { bytes_.append(bytes); }

  private:
    const char* span(qint64 at, qint64 size) const {
        if (!holds(at, size))
            fail("EXIF segment is truncated");
        return bytes_.constData() + at;
    }
    quint32 read16(qint64 at) const {
        const char* p = span(at, 2);
        return motorola_ ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
    }
    quint32 read32(qint64 at) const {
        const char* p = span(at, 4);
        return motorola_ ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    }
    void write16(qint64 at, quint32 value) {
        span(at, 2);
        motorola_ ? qToBigEndian(quint16(value), bytes_.data() + at)
                  : qToLittleEndian(quint16(value), bytes_.data() + at);
    }
    void write32(qint64 at, quint32 value) {
        span(at, 4);
        motorola_ ? qToBigEndian(value, bytes_.data() + at)
                  : qToLittleEndian(value, bytes_.data() + at);
    }

    QByteArray bytes_;
    bool motorola_ = false;
};

// The TIFF structure of the EXIF segment at place.
TTiff tiffOf(const QByteArray& picture, const TSegmentPlace& place) {
    const qsizetype dataStart = place.start + 4 + ExifHeader.size();
    return TTiff(picture.mid(dataStart, place.end - dataStart));
}

using TProblem = std::function<void(const QString&)>;

// Raises when the first directory cannot be read: the picture may then carry
// an orientation that cannot be reset.
void setOrientationNormal(TTiff& tiff, const TProblem& problem) {
    const std::optional<TEntry> entry = tiff.find(tiff.firstDirectory(), OrientationTag);
    if (!entry) {
        problem("Could not find Orientation tag");
        return;
    }
    tiff.number(*entry, "Could not read Orientation tag");
    tiff.setNumber(*entry, OrientationNormal);
}

// Each part below checks everything before it writes, so a part that fails
// leaves the block as it was.
void swapDimensions(TTiff& tiff, const TExifRotation& r) {
    const std::optional<TEntry> link = tiff.find(tiff.firstDirectory(), ExifDirectoryTag);
    if (!link)
        return;
    const qint64 directory = tiff.number(*link, "Could not read the EXIF directory link");
    const std::optional<TEntry> x = tiff.find(directory, PixelXTag);
    const std::optional<TEntry> y = tiff.find(directory, PixelYTag);
    if (!x && !y)
        return;
    if (!x || tiff.number(*x, XDimensionError) != quint32(r.width))
        fail(XDimensionError);
    if (!y || tiff.number(*y, YDimensionError) != quint32(r.height))
        fail(YDimensionError);
    const int divisor = 1 << r.scale;
    tiff.setNumber(*x, quint32(r.height / divisor));
    tiff.setNumber(*y, quint32(r.width / divisor));
}

// The JPEG thumbnail of the second directory, turned. It keeps its place when
// it ends the block (which then grows or shrinks with it) or when the turned
// one fits where it was (the rest zeroed); else it moves to the end.
void turnThumbnail(TTiff& tiff, TTransformCode code) {
    const qint64 directory = tiff.nextDirectory(tiff.firstDirectory());
    if (directory == 0)
        return;
    const std::optional<TEntry> offsetEntry = tiff.find(directory, ThumbnailOffsetTag);
    const std::optional<TEntry> lengthEntry = tiff.find(directory, ThumbnailLengthTag);
    if (!offsetEntry || !lengthEntry) // none, or an uncompressed one
        return;
    const qint64 offset = tiff.number(*offsetEntry, ThumbnailLengthError);
    const qint64 length = tiff.number(*lengthEntry, ThumbnailLengthError);
    if (length == 0)
        return;
    if (!tiff.holds(offset, length))
        fail(ThumbnailLengthError);
    // Some cameras pad the thumbnail before its end of image, which the codec
    // warns of; such a thumbnail is whole and its turn simply drops the
    // padding. One cut short is left as it is.
    const QByteArray thumbnail = tiff.bytes().mid(offset, length);
    const QByteArray turned =
        thumbnail.endsWith("\xFF\xD9")
            ? TransformJpeg(thumbnail, code, [](const EInOutError&) {})
            : TransformJpeg(thumbnail, code);
    const qint64 size = tiff.size();
    const bool atEnd = offset + length == size;
    const bool fits = turned.size() <= length;
    const qint64 newOffset = atEnd || fits ? offset : size + size % 2; // offsets are even
    const qint64 newSize =
        atEnd ? offset + turned.size() : std::max(size, newOffset + turned.size());
    if (ExifHeader.size() + newSize > MaxSegmentData)
        fail("EXIF segment too large for one segment");
    if (atEnd) {
        tiff.replace(offset, length, turned);
    } else if (fits) {
        tiff.replace(offset, length, turned + QByteArray(length - turned.size(), '\0'));
    } else {
        tiff.append(QByteArray(newOffset - size, '\0') + turned);
        tiff.setNumber(*offsetEntry, quint32(newOffset));
    }
    tiff.setNumber(*lengthEntry, quint32(turned.size()));
}

template <class Part> void updatePart(const TProblem& problem, const Part& part) {
    try {
        part();
    } catch (const ELumvikError& error) {
        problem(error.message());
    }
}

QByteArray bigEndian16(qsizetype value) {
    QByteArray bytes(2, '\0');
    qToBigEndian(quint16(value), bytes.data());
    return bytes;
}

} // namespace

QByteArray UpdateExifForRotation(const QByteArray& picture, const TExifRotation& r,
                                 const TProblem& problem) {
    const std::optional<TTransformCode> code = TransformCodeForRotation(r.rotation);
    if (!code)
        fail("Rotation is not 90, 180 or 270 degrees");
    std::optional<TSegmentPlace> place;
    std::optional<TTiff> tiff;
    try {
        place = exifSegment(picture);
        if (!place) {
            problem("Could not find Orientation tag");
            return picture;
        }
        tiff.emplace(tiffOf(picture, *place));
        setOrientationNormal(*tiff, problem);
    } catch (const ELumvikError& error) {
        fail("The picture is not turned: " + error.message());
    }
    if (r.rotation != 180)
        updatePart(problem, [&] { swapDimensions(*tiff, r); });
    updatePart(problem, [&] { turnThumbnail(*tiff, *code); });
    const QByteArray data = ExifHeader + tiff->bytes();
    return picture.left(place->start) + QByteArray("\xFF\xE1", 2) + bigEndian16(data.size() + 2) +
           data + picture.mid(place->end);
}

int ExifOrientation(const QByteArray& picture) {
    try {
        const std::optional<TSegmentPlace> place = exifSegment(picture);
        if (!place)
            return OrientationNormal;
        const TTiff tiff = tiffOf(picture, *place);
        const std::optional<TEntry> entry = tiff.find(tiff.firstDirectory(), OrientationTag);
        const quint32 orientation =
            entry ? tiff.number(*entry, "Could not read Orientation tag") : OrientationNormal;
        return orientation >= 1 && orientation <= 8 ? int(orientation) : int(OrientationNormal);
    } catch (const ELumvikError&) {
        return OrientationNormal;
    }
}

QByteArray WithExifSegmentOf(const QByteArray& source, const QByteArray& turned) {
    try {
        const std::optional<TSegmentPlace> from = exifSegment(source);
        const std::optional<TSegmentPlace> to = exifSegment(turned);
        if (!from || !to)
            return turned;
        return turned.left(to->start) + source.mid(from->start, from->end - from->start) +
               turned.mid(to->end);
    } catch (const ELumvikError&) {
        return turned;
    }
}
