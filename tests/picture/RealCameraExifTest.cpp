// The EXIF blocks real cameras of many makers wrote (both byte orders, JFIF
// or other segments first, maker notes, thumbnails where each maker puts
// them), each joined to a picture of our own and tagged as turned 90, 180 or
// 270 degrees: a lossless turn must show as `exiftran -a` shows the same file,
// with Orientation 1 and every other tag still readable with its value.

#include "CameraJpeg.h"
#include "LogCapture.h"
#include "TestFiles.h"
#include "TransformationRecord.h"

#include <QDir>
#include <QtEndian>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;

// The leading segments of file (start of image, then every APPn and comment
// segment), which is all a separated EXIF sample holds whole.
QByteArray LeadingSegments(const QByteArray& file) {
    qsizetype at = 2;
    while (at + 4 <= file.size() && quint8(file[at]) == 0xFF) {
        const quint8 marker = quint8(file[at + 1]);
        if (!(marker >= 0xE0 && marker <= 0xEF) && marker != 0xFE)
            break;
        const qsizetype length = qFromBigEndian<quint16>(file.constData() + at + 2);
        if (at + 2 + length > file.size())
            break;
        at += 2 + length;
    }
    return file.left(at);
}

// The first EXIF segment's TIFF structure, patched in place.
class TiffPatch {
  public:
    explicit TiffPatch(QByteArray& file) : file_(file) {
        qsizetype at = 2;
        while (at + 10 <= file.size() && quint8(file[at]) == 0xFF) {
            if (quint8(file[at + 1]) == 0xE1 && file.mid(at + 4, 6) == QByteArray("Exif\0\0", 6)) {
                tiff_ = at + 10;
                motorola_ = file.mid(tiff_, 2) == "MM";
                return;
            }
            at += 2 + qFromBigEndian<quint16>(file.constData() + at + 2);
        }
    }

    // Sets a SHORT or LONG tag of the first directory or the EXIF directory;
    // false when neither has it.
    bool set(quint16 tag, quint32 value) {
        if (tiff_ == 0)
            return false;
        const qsizetype first = tiff_ + u32(tiff_ + 4);
        std::optional<qsizetype> entry = find(first, tag);
        if (const std::optional<qsizetype> link = find(first, 0x8769); !entry && link)
            entry = find(tiff_ + u32(*link + 8), tag);
        if (!entry)
            return false;
        const bool isShort = u16(*entry + 2) == 3;
        char* field = file_.data() + *entry + 8;
        if (isShort)
            motorola_ ? qToBigEndian<quint16>(value, field)
                      : qToLittleEndian<quint16>(value, field);
        else
            motorola_ ? qToBigEndian<quint32>(value, field)
                      : qToLittleEndian<quint32>(value, field);
        return true;
    }

  private:
    std::optional<qsizetype> find(qsizetype directory, quint16 tag) const {
        for (int index = 0; index < u16(directory); ++index)
            if (u16(directory + 2 + 12 * index) == tag)
                return directory + 2 + 12 * index;
        return std::nullopt;
    }
    quint16 u16(qsizetype at) const {
        return motorola_ ? qFromBigEndian<quint16>(file_.constData() + at)
                         : qFromLittleEndian<quint16>(file_.constData() + at);
    }
    quint32 u32(qsizetype at) const {
        return motorola_ ? qFromBigEndian<quint32>(file_.constData() + at)
                         : qFromLittleEndian<quint32>(file_.constData() + at);
    }

    QByteArray& file_;
    qsizetype tiff_ = 0;
    bool motorola_ = false;
};

struct Exif {
    std::map<std::string, std::string> tags; // every tag Exiv2 reads, its value as text
    QByteArray thumbnail;
};

Exif ExifOf(const QByteArray& jpeg) {
    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(jpeg.constData()),
                                           jpeg.size());
    image->readMetadata();
    Exif exif;
    for (const Exiv2::Exifdatum& datum : image->exifData())
        exif.tags[datum.key()] = datum.toString();
    const Exiv2::DataBuf thumbnail = Exiv2::ExifThumbC(image->exifData()).copy();
    exif.thumbnail = QByteArray(reinterpret_cast<const char*>(thumbnail.pData_), thumbnail.size_);
    return exif;
}

// The tags a turn changes on purpose.
bool ChangedByTurn(const std::string& key) {
    return key == "Exif.Image.Orientation" || key == "Exif.Photo.PixelXDimension" ||
           key == "Exif.Photo.PixelYDimension" || key.rfind("Exif.Thumbnail.", 0) == 0;
}

int CameraRotation(int orientation) {
    return orientation == 3 ? 180 : orientation == 6 ? 90 : 270;
}

} // namespace

TEST(RealCameraExif, EveryCameraLayoutShowsAsExiftranShowsIt) {
    // Exiv2 warns about maker notes that point outside our shortened files.
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    // The tables, frame and scan of a picture of ours, behind its start of image.
    const QByteArray body = fixture::Encode(fixture::Pattern(Width, Height)).mid(2);
    const QDir samples(REAL_EXIF_SAMPLES);
    const QStringList names = samples.entryList({"*.jpg"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty()) << REAL_EXIF_SAMPLES;
    int tried = 0;
    for (const QString& name : names) {
        QByteArray camera = LeadingSegments(testfiles::Read(samples.filePath(name))) + body;
        // The camera recorded the size of the picture it took, which is now ours.
        TiffPatch(camera).set(0xA002, Width);
        TiffPatch(camera).set(0xA003, Height);
        if (!TiffPatch(camera).set(0x0112, 1))
            continue; // nothing says the camera was turned, so nothing is turned
        ++tried;
        for (const int orientation : {3, 6, 8}) {
            QByteArray turnedByCamera = camera;
            TiffPatch(turnedByCamera).set(0x0112, orientation);
            const std::string label =
                QString("%1, orientation %2").arg(name).arg(orientation).toStdString();

            LogCapture log;
            const QByteArray ours =
                fixture::Transformed(turnedByCamera, CameraRotation(orientation), Width, Height);
            EXPECT_EQ(log.messages(), QStringList()) << label;
            EXPECT_EQ(fixture::Shown(ours), fixture::Shown(fixture::ExiftranAuto(turnedByCamera)))
                << label;

            Exif before = ExifOf(turnedByCamera);
            Exif after = ExifOf(ours);
            EXPECT_EQ(after.tags["Exif.Image.Orientation"], "1") << label;
            const bool jpegThumbnail = before.thumbnail.startsWith("\xFF\xD8");
            EXPECT_EQ(after.thumbnail,
                      jpegThumbnail
                          ? fixture::Jpegtran(before.thumbnail, CameraRotation(orientation))
                          : before.thumbnail)
                << label;
            const auto unchanged = [](std::map<std::string, std::string> tags) {
                std::erase_if(tags, [](const auto& tag) { return ChangedByTurn(tag.first); });
                return tags;
            };
            EXPECT_EQ(unchanged(after.tags), unchanged(before.tags)) << label;
        }
    }
    EXPECT_GT(tried, 40); // the samples of more than forty camera models carry the tag
}
