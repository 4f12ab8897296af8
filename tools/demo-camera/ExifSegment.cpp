#include "ExifSegment.h"

#include "LittleEndian.h"

#include <QList>
#include <QtEndian>
#include <cmath>

namespace {

enum Type : quint16 {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    RationalType = 5,
    Undefined = 7,
    SRational = 10
};

struct Entry {
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray value; // the value's bytes; more than four go to the data area
};

// One image file directory. Its size does not depend on where it is placed,
// so a whole segment can be laid out before any offset is written.
class Ifd {
  public:
    void ascii(quint16 tag, const QString& text) {
        const QByteArray bytes = text.toLatin1() + '\0';
        add(tag, Ascii, bytes.size(), bytes);
    }
    void ascii(quint16 tag, const QString& text, int fixedSize) {
        add(tag, Ascii, fixedSize, text.toLatin1().leftJustified(fixedSize, '\0', true));
    }
    void shortValue(quint16 tag, quint16 v) { add(tag, Short, 1, le16(v)); }
    void shorts(quint16 tag, const QList<quint16>& values) {
        QByteArray bytes;
        for (quint16 v : values)
            bytes += le16(v);
        add(tag, Short, values.size(), bytes);
    }
    void longValue(quint16 tag, quint32 v) { add(tag, Long, 1, le32(v)); }
    void rational(quint16 tag, Rational r, bool isSigned = false) {
        add(tag, isSigned ? SRational : RationalType, 1, le32(r.numerator) + le32(r.denominator));
    }
    void undefined(quint16 tag, const QByteArray& bytes) {
        add(tag, Undefined, bytes.size(), bytes);
    }

    // Replaces the value of an entry added before (an offset known only later).
    void set(quint16 tag, const QByteArray& value) {
        for (Entry& e : entries_)
            if (e.tag == tag)
                e.value = value;
    }

    quint32 size() const {
        quint32 n = 2 + 12 * entries_.size() + 4;
        for (const Entry& e : entries_)
            n += dataSize(e);
        return n;
    }

    // TIFF offset of an entry's value in the data area, for a directory at `at`.
    quint32 dataOffset(quint16 tag, quint32 at) const {
        quint32 offset = at + 2 + 12 * entries_.size() + 4;
        for (const Entry& e : entries_) {
            if (e.tag == tag)
                break;
            offset += dataSize(e);
        }
        return offset;
    }

    QByteArray bytes(quint32 at, quint32 next) const {
        QByteArray table = le16(entries_.size());
        QByteArray data;
        const quint32 dataStart = at + 2 + 12 * entries_.size() + 4;
        for (const Entry& e : entries_) {
            table += le16(e.tag) + le16(e.type) + le32(e.count);
            if (e.value.size() <= 4) {
                table += e.value.leftJustified(4, '\0');
            } else {
                table += le32(dataStart + data.size());
                data += e.value;
                if (e.value.size() % 2)
                    data += '\0';
            }
        }
        return table + le32(next) + data;
    }

  private:
    static quint32 dataSize(const Entry& e) {
        return e.value.size() <= 4 ? 0 : e.value.size() + e.value.size() % 2;
    }
    void add(quint16 tag, quint16 type, quint32 count, const QByteArray& value) {
        entries_.append({tag, type, count, value});
    }

    QList<Entry> entries_;
};

QString exifDate(const QDateTime& t) {
    return t.toString("yyyy:MM:dd HH:mm:ss");
}

// APEX values in the 1/32 steps the camera records them in.
Rational apex(double value) {
    return {qint32(std::lround(value * 32)), 32};
}

Ifd ifd0(const ShotFacts& f) {
    Ifd ifd;
    ifd.ascii(0x010F, f.make);
    ifd.ascii(0x0110, f.model);
    ifd.shortValue(0x0112, f.orientation);
    ifd.rational(0x011A, {180, 1});
    ifd.rational(0x011B, {180, 1});
    ifd.shortValue(0x0128, 2);
    ifd.ascii(0x0132, exifDate(f.taken));
    ifd.shortValue(0x0213, 1);
    ifd.longValue(0x8769, 0); // EXIF sub-IFD, placed later
    return ifd;
}

// A Canon-style maker note: a bare directory whose offsets count from the
// TIFF header, as the camera writes it.
Ifd makerNote(const ShotFacts& f) {
    Ifd ifd;
    // Camera settings, by index: 0 byte length, 1 macro mode (1 macro, 2 normal),
    // 3 quality (3 fine), 4 flash mode (0 off, 1 auto), 9 record mode (1 JPEG),
    // 16 ISO code (16 for ISO 50, one more per doubling), 18 focus type (1 auto,
    // 3 close-up), 19 AF point (auto-selected), 20 exposure program (1 program),
    // 23 to 25 the lens's tele and wide focal lengths and their unit (per mm).
    QList<quint16> settings(26, 0);
    settings[0] = settings.size() * 2;
    settings[1] = f.macro ? 1 : 2;
    settings[3] = 3;
    settings[4] = f.flash ? 1 : 0;
    settings[9] = 1;
    settings[16] = quint16(16 + std::lround(std::log2(f.iso / 50.0)));
    settings[18] = f.macro ? 3 : 1;
    settings[19] = 0x3001;
    settings[20] = 1;
    settings[23] = f.lensTele;
    settings[24] = f.lensWide;
    settings[25] = 10;
    ifd.shorts(0x0001, settings);
    ifd.ascii(0x0006, "IMG:" + f.model.section(' ', 1) + " JPEG");
    ifd.ascii(0x0007, "Firmware Version 1.00");
    ifd.longValue(0x0008, f.fileNumber);
    ifd.ascii(0x0009, f.owner, 32);
    return ifd;
}

Ifd exifIfd(const ShotFacts& f) {
    Ifd ifd;
    ifd.rational(0x829A, f.exposureTime);
    ifd.rational(0x829D, f.fNumber);
    ifd.shortValue(0x8827, f.iso);
    ifd.undefined(0x9000, "0220");
    ifd.ascii(0x9003, exifDate(f.taken));
    ifd.ascii(0x9004, exifDate(f.taken));
    const double seconds = double(f.exposureTime.numerator) / f.exposureTime.denominator;
    ifd.rational(0x9201, apex(-std::log2(seconds)), true);
    ifd.rational(0x9202, apex(2 * std::log2(double(f.fNumber.numerator) / f.fNumber.denominator)));
    ifd.rational(0x9204, f.exposureBias, true);
    ifd.shortValue(0x9209, f.flash ? 0x19 : 0x10);
    ifd.rational(0x920A, f.focalLength);
    if (f.fileNumber != 0)
        ifd.undefined(0x927C, QByteArray(makerNote(f).size(), '\0'));
    ifd.undefined(0xA000, "0100");
    ifd.shortValue(0xA001, 1);
    ifd.shortValue(0xA002, f.pixels.width());
    ifd.shortValue(0xA003, f.pixels.height());
    return ifd;
}

Ifd ifd1() {
    Ifd ifd;
    ifd.shortValue(0x0103, 6);
    ifd.rational(0x011A, {180, 1});
    ifd.rational(0x011B, {180, 1});
    ifd.shortValue(0x0128, 2);
    ifd.longValue(0x0201, 0); // thumbnail offset, placed later
    ifd.longValue(0x0202, 0);
    return ifd;
}

} // namespace

QByteArray ExifSegment(const ShotFacts& facts, const QByteArray& thumbnailJpeg) {
    Ifd first = ifd0(facts);
    Ifd exif = exifIfd(facts);
    Ifd thumbnail = ifd1();
    const quint32 exifAt = 8 + first.size();
    const quint32 thumbnailIfdAt = exifAt + exif.size();
    first.set(0x8769, le32(exifAt));
    if (facts.fileNumber != 0)
        exif.set(0x927C, makerNote(facts).bytes(exif.dataOffset(0x927C, exifAt), 0));

    QByteArray tiff = QByteArray("II*\0", 4) + le32(8);
    if (thumbnailJpeg.isEmpty()) {
        tiff += first.bytes(8, 0) + exif.bytes(exifAt, 0);
    } else {
        const quint32 thumbnailAt = thumbnailIfdAt + thumbnail.size();
        thumbnail.set(0x0201, le32(thumbnailAt));
        thumbnail.set(0x0202, le32(thumbnailJpeg.size()));
        tiff += first.bytes(8, thumbnailIfdAt) + exif.bytes(exifAt, 0) +
                thumbnail.bytes(thumbnailIfdAt, 0) + thumbnailJpeg;
    }
    const QByteArray data = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray length(2, 0);
    qToBigEndian(quint16(data.size() + 2), length.data());
    return QByteArray("\xFF\xE1", 2) + length + data;
}
