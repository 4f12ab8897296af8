// Pictures laid out as cameras of many makers write them, turned as the file
// manager records them (by the camera's own rotation), must show in an
// EXIF-aware reader exactly as `exiftran -a` shows the same file.

#include "CameraJpeg.h"
#include "JPEGImage.h"
#include "LogCapture.h"
#include "TransformationRecord.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

namespace {

// The EXIF facts as Exiv2 reads them, in either byte order.
struct ExifView {
    long orientation = 0;
    long pixelX = 0;
    long pixelY = 0; // 0 when the tag is absent
    QByteArray thumbnail;
    std::string owner; // the Canon maker note's owner name
};

ExifView exifOf(const QByteArray& jpeg) {
    auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(jpeg.constData()),
                                           jpeg.size());
    image->readMetadata();
    const Exiv2::ExifData& data = image->exifData();
    const auto number = [&](const char* key) {
        const auto found = data.findKey(Exiv2::ExifKey(key));
        return found == data.end() ? 0L : found->toLong();
    };
    ExifView view{number("Exif.Image.Orientation"),
                  number("Exif.Photo.PixelXDimension"),
                  number("Exif.Photo.PixelYDimension"),
                  {},
                  {}};
    const Exiv2::DataBuf thumbnail = Exiv2::ExifThumbC(data).copy();
    view.thumbnail = QByteArray(reinterpret_cast<const char*>(thumbnail.pData_), thumbnail.size_);
    const auto owner = data.findKey(Exiv2::ExifKey("Exif.Canon.OwnerName"));
    if (owner != data.end())
        view.owner = owner->toString().c_str(); // up to its terminating zero
    return view;
}

int cameraRotation(int orientation) {
    return orientation == 3 ? 180 : orientation == 6 ? 90 : 270;
}

} // namespace

TEST(ExifLayouts, EveryLayoutShowsAsExiftranShowsIt) {
    using fixture::Dimensions;
    using fixture::Thumbnail;
    struct Case {
        const char* name;
        fixture::CameraOptions options;
    };
    // Sizes of whole 16-pixel blocks: exiftran trims partial edge blocks,
    // which a lossless turn without trimming keeps.
    const Case cases[] = {
        {"Intel, SHORT dimensions", {}},
        {"Motorola", {.motorola = true}},
        {"JFIF segment first", {.jfifFirst = true}},
        {"Motorola, JFIF first, LONG dimensions",
         {.motorola = true, .dimensions = Dimensions::Long, .jfifFirst = true}},
        {"LONG dimensions", {.dimensions = Dimensions::Long}},
        {"no dimensions", {.dimensions = Dimensions::None}},
        {"uncompressed thumbnail", {.thumbnail = Thumbnail::Uncompressed}},
        {"Motorola, uncompressed thumbnail",
         {.motorola = true, .thumbnail = Thumbnail::Uncompressed}},
        {"no thumbnail", {.thumbnail = Thumbnail::None}},
        {"empty thumbnail tags", {.thumbnail = Thumbnail::Empty}},
        {"maker note behind the thumbnail", {.makerNote = true}},
        {"Motorola, maker note behind a thumbnail that must move",
         {.motorola = true, .makerNote = true, .optimizedThumbnail = true}},
    };
    for (const Case& c : cases) {
        for (const int orientation : {3, 6, 8}) {
            fixture::CameraOptions options = c.options;
            options.width = 320;
            options.height = 240;
            options.orientation = orientation;
            const QByteArray camera = fixture::CameraJpeg(options);
            const ExifView before = exifOf(camera);
            const std::string label =
                QString("%1, orientation %2").arg(c.name).arg(orientation).toStdString();

            LogCapture log;
            const QByteArray ours =
                fixture::Transformed(camera, cameraRotation(orientation), 320, 240);
            EXPECT_EQ(log.messages(), QStringList()) << label;
            const QImage expected = fixture::Shown(fixture::ExiftranAuto(camera));
            ASSERT_FALSE(expected.isNull()) << label;
            EXPECT_EQ(fixture::Shown(ours), expected) << label;

            const ExifView after = exifOf(ours);
            EXPECT_EQ(after.orientation, 1) << label;
            const bool swapped = orientation != 3 && before.pixelX != 0;
            EXPECT_EQ(after.pixelX, swapped ? before.pixelY : before.pixelX) << label;
            EXPECT_EQ(after.pixelY, swapped ? before.pixelX : before.pixelY) << label;
            const QByteArray thumbnail =
                c.options.thumbnail == Thumbnail::Jpeg
                    ? fixture::Jpegtran(before.thumbnail, cameraRotation(orientation))
                    : before.thumbnail;
            EXPECT_EQ(after.thumbnail, thumbnail) << label;
            EXPECT_EQ(after.owner, c.options.makerNote ? "Maker Note Owner" : "") << label;
        }
    }
}
