#include "ItemMetadata.h"

#include "CardFile.h"
#include "cdsdk.h"

#include <exiv2/exiv2.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace cdsim {
namespace {

template <class T> Bytes bytesOf(const T& value) {
    Bytes bytes(sizeof(T));
    std::memcpy(bytes.data(), &value, sizeof(T));
    return bytes;
}

Bytes textOf(const std::string& text) {
    Bytes bytes(32, 0);
    std::memcpy(bytes.data(), text.data(), std::min<size_t>(text.size(), 31));
    return bytes;
}

cdRational rationalOf(double value) {
    return {static_cast<int32_t>(std::lround(value * 1000)), 1000};
}

// What a file's first bytes say it is. Exiv2 only ever reads a file of a
// kind we expect on a card, opened with that kind's reader: its readers for
// other kinds (RIFF among them) can run away on a damaged file.
enum class Kind { Other, Jpeg, Tiff, Crw };

Kind kindOfContents(const fs::path& file) {
    const Bytes bytes = readFileHead(file, 14).value_or(Bytes());
    if (bytes.size() < 14) {
        return Kind::Other;
    }
    const uint8_t* head = bytes.data();
    if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) {
        return Kind::Jpeg;
    }
    if (std::memcmp(head, "II\x1A\0\0\0HEAPCCDR", 14) == 0) {
        return Kind::Crw;
    }
    if (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0) {
        return Kind::Tiff;
    }
    return Kind::Other;
}

// The image of file read by the reader of its kind, or null for other kinds.
std::unique_ptr<Exiv2::Image> openImage(const fs::path& file, Kind kind) {
    auto io = Exiv2::ImageFactory::createIo(file.string(), false);
    switch (kind) {
    case Kind::Jpeg:
        return std::unique_ptr<Exiv2::Image>(Exiv2::newJpegInstance(io, false).release());
    case Kind::Tiff:
        return std::unique_ptr<Exiv2::Image>(Exiv2::newTiffInstance(io, false).release());
    case Kind::Crw:
        return std::unique_ptr<Exiv2::Image>(Exiv2::newCrwInstance(io, false).release());
    case Kind::Other:
        break;
    }
    return nullptr;
}

class Exif {
  public:
    explicit Exif(const fs::path& file) {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        const Kind kind = kindOfContents(file);
        try {
            const auto image = openImage(file, kind);
            if (!image) {
                return;
            }
            image->readMetadata();
            data_ = image->exifData();
            width_ = image->pixelWidth();
            height_ = image->pixelHeight();
            isJpeg_ = kind == Kind::Jpeg;
            read_ = true;
        } catch (const std::exception&) {
            read_ = false;
        }
    }

    bool read() const { return read_; }
    bool isJpeg() const { return isJpeg_; }
    bool empty() const { return data_.empty(); }

    const Exiv2::Exifdatum* find(const char* key) const {
        const auto found = data_.findKey(Exiv2::ExifKey(key));
        if (found == data_.end() || found->count() == 0) {
            return nullptr;
        }
        return &*found;
    }
    std::optional<long> integer(const char* key, long index = 0) const {
        const auto* datum = find(key);
        if (!datum || datum->count() <= index) {
            return std::nullopt;
        }
        return datum->toLong(index);
    }
    std::optional<double> real(const char* key) const {
        const auto* datum = find(key);
        if (!datum) {
            return std::nullopt;
        }
        return datum->toFloat(0);
    }
    std::optional<std::string> text(const char* key) const {
        const auto* datum = find(key);
        if (!datum) {
            return std::nullopt;
        }
        std::string value = datum->toString();
        value = value.substr(0, value.find('\0'));
        const auto end = value.find_last_not_of(' ');
        return end == std::string::npos ? std::string() : value.substr(0, end + 1);
    }
    // The EXIF thumbnail when it is a JPEG; an uncompressed one (TIFF strips)
    // is none, so that the item gets a scaled copy of its picture instead.
    Bytes thumbnail() const {
        Exiv2::ExifThumbC thumb(data_);
        if (std::strcmp(thumb.mimeType(), "image/jpeg") != 0) {
            return {};
        }
        const Exiv2::DataBuf buffer = thumb.copy();
        return Bytes(buffer.pData_, buffer.pData_ + buffer.size_);
    }
    int width() const { return width_; }
    int height() const { return height_; }

  private:
    Exiv2::ExifData data_;
    bool read_ = false;
    bool isJpeg_ = false;
    int width_ = 0;
    int height_ = 0;
};

// The number written with exactly digits digits at text[at].
std::optional<int> fixedNumber(const std::string& text, size_t at, size_t digits) {
    int value = 0;
    const char* first = text.data() + at;
    if (at + digits > text.size() ||
        std::from_chars(first, first + digits, value).ptr != first + digits || value < 0) {
        return std::nullopt;
    }
    return value;
}

// The camera's local clock reading "YYYY:MM:DD HH:MM:SS" as true seconds since
// 1970 UTC, taken with the computer's time zone, so that converting back to
// local time shows it again. A reading outside the calendar, or outside what
// the item's 32-bit time can hold, is none: EXIF dates are whatever the file says.
std::optional<uint32_t> secondsOfCameraClock(const std::string& text) {
    struct Field {
        size_t at;
        size_t digits;
        int low;
        int high;
    };
    static constexpr Field fields[] = {{0, 4, 1900, 9999}, {5, 2, 1, 12},  {8, 2, 1, 31},
                                       {11, 2, 0, 23},     {14, 2, 0, 59}, {17, 2, 0, 60}};
    int values[6] = {};
    for (size_t i = 0; i < 6; ++i) {
        const auto value = fixedNumber(text, fields[i].at, fields[i].digits);
        if (!value || *value < fields[i].low || *value > fields[i].high) {
            return std::nullopt;
        }
        values[i] = *value;
    }
    std::tm time{};
    time.tm_year = values[0] - 1900;
    time.tm_mon = values[1] - 1;
    time.tm_mday = values[2];
    time.tm_hour = values[3];
    time.tm_min = values[4];
    time.tm_sec = values[5];
    time.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&time);
    if (seconds < 0 || seconds > std::numeric_limits<uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(seconds);
}

uint32_t modificationTime(const fs::path& file) {
    struct stat status {};
    if (stat(file.c_str(), &status) != 0) {
        return 0;
    }
    return static_cast<uint32_t>(status.st_mtime);
}

std::optional<uint32_t> leadingNumber(const std::string& text) {
    size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) {
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(text.substr(0, std::min<size_t>(digits, 9))));
}

// Width and height from the main header of an AVI file.
void readMovieSize(const fs::path& file, ItemMetadata& metadata) {
    const Bytes bytes = readFileHead(file, 72).value_or(Bytes());
    const auto* header = reinterpret_cast<const char*>(bytes.data());
    if (bytes.size() < 72 || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "AVI ", 4) != 0 || std::memcmp(header + 24, "avih", 4) != 0) {
        return;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    std::memcpy(&width, header + 64, 4);
    std::memcpy(&height, header + 68, 4);
    metadata.width = static_cast<uint16_t>(width);
    metadata.height = static_cast<uint16_t>(height);
}

void putShootingTime(const Exif& exif, const fs::path& file, ItemMetadata& metadata) {
    std::optional<uint32_t> seconds;
    if (const auto original = exif.text("Exif.Photo.DateTimeOriginal")) {
        seconds = secondsOfCameraClock(*original);
    } else if (const auto changed = exif.text("Exif.Image.DateTime")) {
        seconds = secondsOfCameraClock(*changed);
    }
    metadata.properties[CD_ITEMPROP_TIME] = bytesOf(seconds.value_or(modificationTime(file)));
}

void putIdentity(const Exif& exif, const ItemFiles& files, const CameraDescription* camera,
                 ItemMetadata& metadata) {
    const auto canonNumber = exif.integer("Exif.Canon.FileNumber");
    const auto number = canonNumber && *canonNumber > 0
                            ? std::optional<uint32_t>(static_cast<uint32_t>(*canonNumber))
                            : numberOfPath(files.main);
    if (number) {
        metadata.properties[CD_ITEMPROP_NUMBER] = bytesOf(*number);
    }
    auto model = exif.text("Exif.Image.Model");
    auto owner = exif.text("Exif.Canon.OwnerName");
    if (camera) {
        model = model.value_or(camera->model);
        owner = owner.value_or(camera->owner);
    }
    if (model) {
        metadata.properties[CD_ITEMPROP_MODEL_NAME] = textOf(*model);
    }
    if (owner) {
        metadata.properties[CD_ITEMPROP_OWNER_NAME] = textOf(*owner);
    }
}

void putExposure(const Exif& exif, ItemMetadata& metadata) {
    auto& properties = metadata.properties;
    if (const auto bias = exif.real("Exif.Photo.ExposureBiasValue")) {
        properties[CD_ITEMPROP_EXPOSURE_COMP] = bytesOf(static_cast<float>(*bias));
    }
    if (const auto flash = exif.integer("Exif.Photo.Flash")) {
        properties[CD_ITEMPROP_FLASH] = bytesOf((*flash & 1) ? 1.0f : 0.0f);
    }
    if (const auto macro = exif.integer("Exif.CanonCs.Macro")) {
        properties[CD_ITEMPROP_MACRO] = bytesOf(static_cast<uint8_t>(*macro == 1 ? 1 : 0));
    }
    if (const auto iso = exif.integer("Exif.Photo.ISOSpeedRatings")) {
        properties[CD_ITEMPROP_ISO] = bytesOf(static_cast<uint16_t>(*iso));
    }
    if (const auto tv = exif.real("Exif.Photo.ShutterSpeedValue")) {
        properties[CD_ITEMPROP_SHUTTER_SPEED] = bytesOf(rationalOf(*tv));
    } else if (const auto seconds = exif.real("Exif.Photo.ExposureTime"); seconds > 0) {
        properties[CD_ITEMPROP_SHUTTER_SPEED] = bytesOf(rationalOf(-std::log2(*seconds)));
    }
    if (const auto av = exif.real("Exif.Photo.ApertureValue")) {
        properties[CD_ITEMPROP_APERTURE] = bytesOf(rationalOf(*av));
    } else if (const auto fNumber = exif.real("Exif.Photo.FNumber"); fNumber > 0) {
        properties[CD_ITEMPROP_APERTURE] = bytesOf(rationalOf(2 * std::log2(*fNumber)));
    }
}

void putLens(const Exif& exif, ItemMetadata& metadata) {
    if (const auto focal = exif.real("Exif.Photo.FocalLength")) {
        metadata.properties[CD_ITEMPROP_FOCAL_LENGTH] =
            bytesOf(static_cast<uint16_t>(std::lround(*focal * 32)));
    }
    const auto tele = exif.integer("Exif.CanonCs.Lens", 0);
    const auto wide = exif.integer("Exif.CanonCs.Lens", 1);
    const auto units = exif.integer("Exif.CanonCs.Lens", 2);
    if (tele && wide && units && *units > 0) {
        const auto unitsPerMm = static_cast<int32_t>(*units);
        metadata.properties[CD_ITEMPROP_TELE_FOCAL] =
            bytesOf(cdRational{static_cast<int32_t>(*tele), unitsPerMm});
        metadata.properties[CD_ITEMPROP_WIDE_FOCAL] =
            bytesOf(cdRational{static_cast<int32_t>(*wide), unitsPerMm});
    }
}

// fromTags: the EXIF data is a companion's, whose own picture is only a thumbnail.
void putPictureSize(const Exif& exif, bool fromTags, ItemMetadata& metadata) {
    int width = fromTags ? 0 : exif.width();
    int height = fromTags ? 0 : exif.height();
    if (width == 0 || height == 0) {
        width = static_cast<int>(exif.integer("Exif.Photo.PixelXDimension").value_or(0));
        height = static_cast<int>(exif.integer("Exif.Photo.PixelYDimension").value_or(0));
    }
    metadata.width = static_cast<uint16_t>(width);
    metadata.height = static_cast<uint16_t>(height);
}

uint32_t rotationOfOrientation(long orientation) {
    switch (orientation) {
    case 3:
        return 180;
    case 6:
        return 90;
    case 8:
        return 270;
    default:
        return 0;
    }
}

// RAW files and movies carry their EXIF data in the ".THM" companion when
// their own file holds none; an unreadable picture has none at all.
fs::path exifFile(const ItemFiles& files, bool picture, bool ownExif, bool readable) {
    if (!readable) {
        return {};
    }
    return ownExif || (picture && files.thumbnail.empty()) ? files.main : files.thumbnail;
}

} // namespace

std::optional<uint32_t> numberOfPath(const fs::path& file) {
    const std::string stem = file.stem().string();
    size_t first = stem.size();
    while (first > 0 && std::isdigit(static_cast<unsigned char>(stem[first - 1]))) {
        --first;
    }
    const auto fileNumber = leadingNumber(stem.substr(first));
    if (!fileNumber) {
        return std::nullopt;
    }
    const uint32_t folder = leadingNumber(file.parent_path().filename().string()).value_or(0);
    return folder % 1000 * 10000 + *fileNumber % 10000;
}

ItemMetadata readMetadata(const ItemFiles& files, const CameraDescription* camera) {
    ItemMetadata metadata;
    std::error_code error;
    if (!fs::is_regular_file(files.main, error)) {
        return metadata;
    }
    // Movies and sound notes are known by their file facts and their ".THM" only.
    const bool picture = files.format != CD_FORMAT_MOVIE && files.format != CD_FORMAT_SOUND;
    metadata.present = true;
    const Exif own(picture ? files.main : fs::path());
    // An empty file, one cut short in its header or another kind of file under
    // a picture's name: no EXIF data of it is trusted.
    metadata.readable = files.format != CD_FORMAT_JPEG || (own.read() && own.isJpeg());
    const bool ownExif = metadata.readable && own.read() && !own.empty();
    const Exif exif(exifFile(files, picture, ownExif, metadata.readable));
    putShootingTime(exif, files.main, metadata);
    putIdentity(exif, files, camera, metadata);
    putExposure(exif, metadata);
    putLens(exif, metadata);
    metadata.properties[CD_ITEMPROP_ROTATION] =
        bytesOf(rotationOfOrientation(exif.integer("Exif.Image.Orientation").value_or(1)));
    if (files.format == CD_FORMAT_MOVIE) {
        readMovieSize(files.main, metadata);
    } else {
        putPictureSize(exif, !ownExif && files.format != CD_FORMAT_JPEG, metadata);
    }
    if (ownExif) {
        metadata.exifThumbnail = own.thumbnail();
    }
    return metadata;
}

} // namespace cdsim
