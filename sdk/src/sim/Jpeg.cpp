#include "Jpeg.h"

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <ctime>

namespace cdsim {

Bytes encodeRgb(const uint8_t* pixels, int width, int height, int quality) {
    TurboJpeg encoder(tjInitCompress());
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    if (!encoder.get() || tjCompress2(encoder.get(), pixels, width, 0, height, TJPF_RGB, &output,
                                      &outputSize, TJSAMP_420, quality, 0) != 0) {
        tjFree(output);
        return {};
    }
    Bytes jpeg(output, output + outputSize);
    tjFree(output);
    return jpeg;
}

namespace {

Exiv2::URational rational(double value, int32_t denominator) {
    return {static_cast<uint32_t>(std::lround(value * denominator)),
            static_cast<uint32_t>(denominator)};
}

void addExposure(Exiv2::ExifData& exif, const ExifFacts& facts) {
    if (facts.exposureTime >= 1) {
        exif["Exif.Photo.ExposureTime"] = rational(facts.exposureTime, 1);
    } else {
        exif["Exif.Photo.ExposureTime"] =
            Exiv2::URational(1, static_cast<uint32_t>(std::lround(1 / facts.exposureTime)));
    }
    exif["Exif.Photo.FNumber"] = rational(facts.fNumber, 10);
    exif["Exif.Photo.ExposureBiasValue"] =
        Exiv2::Rational(static_cast<int32_t>(std::lround(facts.exposureBias * 3)), 3);
    exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(facts.iso);
    exif["Exif.Photo.Flash"] = uint16_t(facts.flash ? 1 : 0);
    exif["Exif.Photo.FocalLength"] = rational(facts.focalLength, 10);
}

} // namespace

Bytes withExif(const Bytes& jpeg, const ExifFacts& facts, const Bytes& thumbnail) {
    try {
        auto image = Exiv2::ImageFactory::open(jpeg.data(), static_cast<long>(jpeg.size()));
        image->readMetadata();
        Exiv2::ExifData exif;
        exif["Exif.Image.Make"] = "Canon";
        exif["Exif.Image.Model"] = facts.model;
        exif["Exif.Image.Orientation"] = uint16_t(facts.orientation);
        exif["Exif.Image.DateTime"] = facts.taken;
        exif["Exif.Photo.DateTimeOriginal"] = facts.taken;
        exif["Exif.Photo.PixelXDimension"] = uint32_t(facts.width);
        exif["Exif.Photo.PixelYDimension"] = uint32_t(facts.height);
        if (!facts.owner.empty()) {
            exif["Exif.Canon.OwnerName"] = facts.owner;
        }
        if (facts.exposed) {
            addExposure(exif, facts);
        }
        if (!thumbnail.empty()) {
            Exiv2::ExifThumb(exif).setJpegThumbnail(thumbnail.data(),
                                                    static_cast<long>(thumbnail.size()));
        }
        image->setExifData(exif);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const Exiv2::DataBuf written = io.read(static_cast<long>(io.size()));
        return Bytes(written.pData_, written.pData_ + written.size_);
    } catch (const std::exception&) {
        return jpeg;
    }
}

std::string exifTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[20] = {};
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return text;
}

} // namespace cdsim
