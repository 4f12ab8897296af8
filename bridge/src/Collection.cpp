#include "Collection.h"

#include "FileNames.h"
#include "Frame.h"
#include "WildcardFileSearch.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iterator>

namespace fs = std::filesystem;

namespace tesselink {

Collection& collection() {
    static Collection pictures;
    return pictures;
}

CollectionEntry& entryAt(int32_t index) {
    auto& entries = collection().entries;
    if (index < 0 || static_cast<size_t>(index) >= entries.size()) {
        fail(TS_ERR_BAD_INDEX);
    }
    return entries[static_cast<size_t>(index)];
}

namespace {

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string extensionOf(const std::string& path) {
    return fs::path(path).extension().string();
}

} // namespace

std::string existingNeighbour(const std::string& path) {
    std::error_code error;
    if (fs::exists(path, error)) {
        return path;
    }
    const fs::path wanted(path);
    const std::string name = upperCase(wanted.filename().string());
    const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (upperCase(it->path().filename().string()) == name) {
            return (wanted.parent_path() / it->path().filename()).string();
        }
    }
    return path;
}

std::string withExtension(const std::string& path, const std::string& lower,
                          const std::string& upper) {
    const std::string extension = extensionOf(path);
    const bool inCapitals = upperCase(extension) == extension &&
                            std::any_of(extension.begin(), extension.end(),
                                        [](unsigned char c) { return std::isalpha(c); });
    return path.substr(0, path.size() - extension.size()) + (inCapitals ? upper : lower);
}

namespace {

// The item number's file part, or 0 when the item does not tell it.
uint32_t sortKeyOf(cdHItem item) {
    uint32_t number = 0;
    uint32_t size = sizeof number;
    if (CDGetImageItemProperty(item, CD_ITEMPROP_NUMBER, &size, &number) != CD_OK) {
        return 0;
    }
    return number % 10000;
}

// Entries stay in ascending key order; equal keys keep the order they came in.
void insertSorted(CollectionEntry entry) {
    auto& entries = collection().entries;
    const auto position = std::upper_bound(
        entries.begin(), entries.end(), entry.sortKey,
        [](uint32_t key, const CollectionEntry& other) { return key < other.sortKey; });
    entries.insert(position, std::move(entry));
}

struct CameraKind {
    uint32_t depth;
    uint32_t option;
};

int32_t kindOfFormat(uint32_t format) {
    switch (format) {
    case CD_FORMAT_JPEG:
    case CD_FORMAT_CRW:
    case CD_FORMAT_TIFF:
    case CD_FORMAT_CR2:
        return TS_ITEM_PICTURE;
    case CD_FORMAT_MOVIE:
        return TS_ITEM_MOVIE;
    default:
        return TS_ITEM_OTHER;
    }
}

tsItemEntry listedEntry(const std::string& name, uint32_t format, uint32_t size) {
    tsItemEntry listed{};
    copyFileName(listed.fileName, sizeof listed.fileName, name.c_str());
    listed.kind = kindOfFormat(format);
    listed.fileSize = size;
    return listed;
}

// One listing of the camera names the whole card: a call for each item would
// cost a card of thousands minutes over a real camera's cable.
void openCameraCollection(const CameraKind& kind) {
    Connection& state = connection();
    check(CDEnumImageItemReset(state.volume, kind.depth, kind.option, &state.itemEnumeration));
    uint32_t count = 0;
    check(CDGetImageItemCount(state.itemEnumeration, &count));
    std::vector<cdItemListEntry> listed(count);
    check(CDGetImageItemList(state.itemEnumeration, &count, listed.data()));
    for (uint32_t i = 0; i < count; ++i) {
        CollectionEntry entry;
        entry.item = listed[i].item;
        entry.sortKey = listed[i].number % 10000;
        entry.listed = listedEntry(listed[i].name, listed[i].format, listed[i].size);
        insertSorted(std::move(entry));
    }
}

std::optional<std::string> companionOf(const std::string& path, uint32_t format) {
    if (format == CD_FORMAT_MOVIE) {
        return withExtension(path, ".thm", ".thm");
    }
    if (format == CD_FORMAT_CRW || format == CD_FORMAT_TIFF || format == CD_FORMAT_CR2) {
        // A TIFF or CR2 file is its own thumbnail.
        return upperCase(extensionOf(path)) == ".CRW" ? withExtension(path, ".thm", ".THM") : path;
    }
    return std::nullopt;
}

// Every entry goes, even when the SDK fails to release one; the first failure
// is returned.
cdError discardCollection() {
    Collection& pictures = collection();
    Connection& state = connection();
    cdError first = CD_OK;
    if (!pictures.folder && state.itemEnumeration != 0) {
        first = CDEnumImageItemRelease(state.itemEnumeration);
        state.itemEnumeration = 0;
    }
    for (const CollectionEntry& entry : pictures.entries) {
        if (pictures.folder && entry.item != 0) {
            const cdError freed = CDFreeImageItem(entry.item);
            first = first != CD_OK ? first : freed;
        }
    }
    pictures.entries.clear();
    pictures.folder = false;
    return first;
}

// Adds every file found to the collection; a file the SDK cannot read still
// gets its entry, at the front. The progress callback hears how many folder
// entries all searches of the collection have looked at, and tsCancel ends
// the search at the next entry.
class FolderSearch : public WildcardFileSearch {
  public:
    FolderSearch(uint32_t format, int32_t& searched) : format_(format), searched_(searched) {}

    bool KeepSearching() override {
        if (searched_ < INT32_MAX) {
            ++searched_;
        }
        if (const tsProgressCallback report = slots().progress) {
            report(searched_);
        }
        return !slots().cancelled;
    }

    void OnFileFound(const std::string& path) override {
        CollectionEntry entry;
        entry.file = path;
        entry.companion = companionOf(path, format_);
        std::error_code error;
        const uintmax_t size = fs::file_size(path, error);
        entry.listed =
            listedEntry(fs::path(path).filename().string(), format_,
                        error ? 0 : static_cast<uint32_t>(std::min<uintmax_t>(size, UINT32_MAX)));
        if (CDMakeImageItem(path.c_str(), format_, &entry.item) != CD_OK) {
            entry.item = 0;
            entry.listed.kind = TS_ITEM_OTHER; // nothing of it can be read
            auto& entries = collection().entries;
            entries.insert(entries.begin(), std::move(entry));
            return;
        }
        if (CDOpenImage(entry.item) == CD_OK) {
            entry.sortKey = sortKeyOf(entry.item);
            CDCloseImage(entry.item);
        }
        insertSorted(std::move(entry));
    }

  private:
    uint32_t format_;
    int32_t& searched_;
};

void openFolderCollection(const std::string& folder, const tsFileKinds& kinds) {
    struct Pattern {
        uint8_t wanted;
        const char* pattern;
        uint32_t format;
    };
    // Sound files are searched before movies.
    const Pattern patterns[] = {{kinds.jpegPictures, "/**/*.jpg", CD_FORMAT_JPEG},
                                {kinds.rawPictures, "/**/*.crw", CD_FORMAT_CRW},
                                {kinds.rawPictures, "/**/*.tif", CD_FORMAT_TIFF},
                                {kinds.rawPictures, "/**/*.cr2", CD_FORMAT_CR2},
                                {kinds.sounds, "/**/*.wav", CD_FORMAT_SOUND},
                                {kinds.movies, "/**/*.avi", CD_FORMAT_MOVIE}};
    collection().folder = true;
    int32_t searched = 0;
    for (const Pattern& pattern : patterns) {
        if (pattern.wanted &&
            !FolderSearch(pattern.format, searched).Search(folder + pattern.pattern)) {
            // A stopped search leaves no part of the collection behind.
            discardCollection();
            fail(TS_ERR_CANCELLED);
        }
    }
}

// Runs steps with the computer's own source open, as tsConnect would open a camera.
template <class Steps> void withComputerSource(Steps&& steps) {
    Connection& state = connection();
    state.description.info.sourceType = CD_SOURCE_COMPUTER;
    check(CDOpenSource(&state.description.info, &state.source));
    Opened source(state.source, CDCloseSource);
    cdHEnum volumes = 0;
    check(CDEnumVolumeReset(state.source, &volumes));
    Opened enumeration(volumes, CDEnumVolumeRelease);
    steps(volumes);
    enumeration.release();
    source.release();
}

// The properties of an open item, read in one call: a camera over its cable
// answers every call after a delay, and a list reads thousands of items.
class ItemProperties {
  public:
    explicit ItemProperties(cdHItem item) {
        static constexpr uint32_t ids[] = {
            CD_ITEMPROP_NUMBER,     CD_ITEMPROP_TIME,          CD_ITEMPROP_SHUTTER_SPEED,
            CD_ITEMPROP_APERTURE,   CD_ITEMPROP_EXPOSURE_COMP, CD_ITEMPROP_FLASH,
            CD_ITEMPROP_MACRO,      CD_ITEMPROP_ROTATION,      CD_ITEMPROP_ISO,
            CD_ITEMPROP_MODEL_NAME, CD_ITEMPROP_OWNER_NAME,    CD_ITEMPROP_FOCAL_LENGTH,
            CD_ITEMPROP_TELE_FOCAL, CD_ITEMPROP_WIDE_FOCAL};
        static_assert(std::size(ids) == Count);
        for (size_t i = 0; i < Count; ++i) {
            requests_[i] = {ids[i], Capacity, values_[i], CD_OK};
        }
        if (const cdError code = CDGetImageItemProperties(item, Count, requests_); code != CD_OK) {
            for (cdItemPropertyRequest& request : requests_) {
                request.result = code;
            }
        }
    }

    // Copies the property into value when it was read and fits: false as
    // CDGetImageItemProperty would fail with a buffer of value's size.
    template <class T> bool read(uint32_t propertyId, T& value) const {
        return readInto(propertyId, &value, sizeof value);
    }

    bool readInto(uint32_t propertyId, void* buffer, uint32_t capacity) const {
        for (const cdItemPropertyRequest& request : requests_) {
            if (request.propertyId == propertyId) {
                if (request.result != CD_OK || request.size > capacity) {
                    return false;
                }
                std::memcpy(buffer, request.buffer, request.size);
                return true;
            }
        }
        return false;
    }

    template <class T> int32_t or0(uint32_t propertyId) const {
        T value{};
        return read(propertyId, value) ? static_cast<int32_t>(value) : 0;
    }

  private:
    static constexpr size_t Count = 14;
    static constexpr uint32_t Capacity = 32; // the longest property: a name
    cdItemPropertyRequest requests_[Count];
    uint8_t values_[Count][Capacity];
};

int32_t focalOf(const ItemProperties& properties, uint32_t propertyId) {
    cdRational focal{};
    if (!properties.read(propertyId, focal) || focal.denominator == 0) {
        return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(focal.numerator) /
                                static_cast<uint32_t>(focal.denominator));
}

template <class Record>
void readNumberAndSize(const ItemProperties& properties, cdHImageData data, Record& record) {
    const uint32_t number = static_cast<uint32_t>(properties.or0<uint32_t>(CD_ITEMPROP_NUMBER));
    record.directoryNumber = static_cast<int32_t>(number / 10000);
    record.fileNumber = static_cast<int32_t>(number % 10000);
    record.shootingTime = static_cast<uint32_t>(properties.or0<uint32_t>(CD_ITEMPROP_TIME));
    for (const auto& [propertyId, field] : {std::pair{CD_IMAGEPROP_WIDTH, &record.width},
                                            std::pair{CD_IMAGEPROP_HEIGHT, &record.height}}) {
        uint16_t value = 0;
        uint32_t size = sizeof value;
        if (CDGetBaseImageDataProperty(data, propertyId, &size, &value) == CD_OK) {
            *field = value;
        }
    }
}

void readPictureProperties(const ItemProperties& properties, cdHImageData data,
                           tsPictureProperties& record) {
    readNumberAndSize(properties, data, record);
    cdRational rational{};
    if (properties.read(CD_ITEMPROP_SHUTTER_SPEED, rational)) {
        record.shutterSpeedNumerator = rational.numerator;
        record.shutterSpeedDenominator = rational.denominator;
    }
    if (properties.read(CD_ITEMPROP_APERTURE, rational)) {
        record.apertureNumerator = rational.numerator;
        record.apertureDenominator = rational.denominator;
    }
    properties.read(CD_ITEMPROP_EXPOSURE_COMP, record.exposureCompensation);
    float flash = 0.0f;
    record.flash = properties.read(CD_ITEMPROP_FLASH, flash) && flash != 0.0f ? 1 : 0;
    record.macro = properties.or0<uint8_t>(CD_ITEMPROP_MACRO) == 1 ? 1 : 0;
    record.rotation = properties.or0<int32_t>(CD_ITEMPROP_ROTATION);
    record.isoSpeed = properties.or0<uint16_t>(CD_ITEMPROP_ISO);
    properties.read(CD_ITEMPROP_MODEL_NAME, record.modelName);
    properties.read(CD_ITEMPROP_OWNER_NAME, record.ownerName);
    record.focalLength = properties.or0<uint16_t>(CD_ITEMPROP_FOCAL_LENGTH) >> 5;
    record.teleFocalLength = focalOf(properties, CD_ITEMPROP_TELE_FOCAL);
    record.wideFocalLength = focalOf(properties, CD_ITEMPROP_WIDE_FOCAL);
}

// The open item's data of one kind, with the data's information.
cdHImageData itemData(cdHItem item, cdError (*getData)(cdHItem, cdHImageData*),
                      cdImageDataInfo& info) {
    cdHImageData data = 0;
    check(getData(item, &data));
    check(CDGetImageDataInfo(data, &info));
    return data;
}

tsResult* deleteEntry(const char* exportName, int32_t index) {
    return runExport(exportName, [&] {
        const CollectionEntry& entry = entryAt(index);
        check(CDDeleteImage(connection().volume, entry.item));
        if (collection().folder) {
            CDFreeImageItem(entry.item);
        }
        auto& entries = collection().entries;
        entries.erase(entries.begin() + index);
    });
}

tsResult* countEntries(const char* exportName, int32_t* count) {
    return runExport(exportName,
                     [&] { *count = static_cast<int32_t>(collection().entries.size()); });
}

} // namespace
} // namespace tesselink

using namespace tesselink;

extern "C" {

tsResult* tsTotalVolumes(int32_t* count) {
    return runExport("tsTotalVolumes", [&] {
        cdHEnum volumes = 0;
        check(CDEnumVolumeReset(connection().source, &volumes));
        Opened enumeration(volumes, CDEnumVolumeRelease);
        uint32_t total = 0;
        check(CDGetVolumeCount(volumes, &total));
        *count = static_cast<int32_t>(total);
        enumeration.release();
    });
}

tsResult* tsGetVolume(int32_t n) {
    return runExport("tsGetVolume", [&] {
        cdHEnum volumes = 0;
        check(CDEnumVolumeReset(connection().source, &volumes));
        Opened enumeration(volumes, CDEnumVolumeRelease);
        for (int32_t i = 0; i < n; ++i) {
            check(CDEnumVolumeNext(volumes, &connection().volume));
        }
        enumeration.release();
    });
}

tsResult* tsTotalPCVolumes(int32_t* count) {
    return runExport("tsTotalPCVolumes", [&] {
        withComputerSource([&](cdHEnum volumes) {
            uint32_t total = 0;
            check(CDGetVolumeCount(volumes, &total));
            *count = static_cast<int32_t>(total);
        });
    });
}

tsResult* tsGetPCVolumeName(int32_t n, char* name) {
    return runExport("tsGetPCVolumeName", [&] {
        withComputerSource([&](cdHEnum volumes) {
            for (int32_t i = 0; i < n; ++i) {
                check(CDEnumVolumeNext(volumes, &connection().volume));
            }
            cdVolumeInfo info{};
            check(CDGetVolumeInfo(connection().volume, &info));
            *name = info.name[0];
        });
    });
}

tsResult* tsOpenPicCollection(int32_t kind, const char* path, tsFileKinds kinds) {
    return runExport("tsOpenPicCollection", [&] {
        static const CameraKind cameraKinds[] = {
            {10, CD_ENUM_ALL_ITEMS}, {3, CD_ENUM_PICTURES}, {3, CD_ENUM_IMAGES_AND_MOVIES}};
        if (kind == TS_SOURCE_FOLDER) {
            openFolderCollection(path ? path : "", kinds);
        } else if (kind >= TS_SOURCE_CAMERA_ALL && kind < TS_SOURCE_FOLDER) {
            openCameraCollection(cameraKinds[kind]);
        } else {
            fail(TS_ERR_BAD_KIND);
        }
    });
}

tsResult* tsClosePicCollection(void) {
    return runExport("tsClosePicCollection", [] { check(discardCollection()); });
}

tsResult* tsGetNrOfPicturesOnCamera(int32_t* count) {
    return countEntries("tsGetNrOfPicturesOnCamera", count);
}

tsResult* tsGetNrOfMoviesCamera(int32_t* count) {
    return countEntries("tsGetNrOfMoviesCamera", count);
}

tsResult* tsGetItemList(int32_t first, int32_t count, tsItemEntry* entries) {
    return runExport("tsGetItemList", [&] {
        const int64_t end = int64_t(first) + count;
        if (first < 0 || count < 0 || end > int64_t(collection().entries.size())) {
            fail(TS_ERR_BAD_INDEX);
        }
        for (int32_t i = 0; i < count; ++i) {
            entries[i] = entryAt(first + i).listed;
        }
    });
}

tsResult* tsGetObjectContents(int32_t index, tsObjectContents* contents) {
    return runExport("tsGetObjectContents", [&] {
        const CollectionEntry& entry = entryAt(index);
        cdItemInfo info{};
        check(CDGetItemInfo(entry.item, &info));
        contents->thumbnails = static_cast<int32_t>(info.numThumbnails) + (entry.companion ? 1 : 0);
        contents->pictures = static_cast<int32_t>(info.numPictures);
        contents->movies = static_cast<int32_t>(info.numMovies);
        contents->sounds = static_cast<int32_t>(info.numSounds);
    });
}

tsResult* tsGetPictureProperties(int32_t index, tsPictureProperties* record) {
    return runExport("tsGetPictureProperties", [&] {
        const cdHItem item = entryAt(index).item;
        Opened opened = openItem(item);
        cdImageDataInfo info{};
        const cdHImageData data = itemData(item, CDGetPicture, info);
        const uint8_t reserved = record->reserved;
        *record = tsPictureProperties{};
        record->reserved = reserved;
        copyText(record->fileName, sizeof record->fileName, "-");
        cdHEnum properties = 0;
        if (CDEnumImageItemPropertyReset(item, 0, &properties) == CD_OK) {
            Opened enumeration(properties, CDEnumImageItemPropertyRelease);
            copyFileName(record->fileName, sizeof record->fileName, info.fileName);
            record->fileSize = info.byteCount;
            readPictureProperties(ItemProperties(item), data, *record);
            enumeration.release();
        }
        opened.release();
    });
}

tsResult* tsGetMovieProperties(int32_t index, tsMovieProperties* record) {
    return runExport("tsGetMovieProperties", [&] {
        *record = tsMovieProperties{};
        const cdHItem item = entryAt(index).item;
        Opened opened = openItem(item);
        cdImageDataInfo info{};
        const cdHImageData data = itemData(item, CDGetMovie, info);
        copyFileName(record->fileName, sizeof record->fileName, info.fileName);
        record->fileSize = info.byteCount;
        cdHEnum properties = 0;
        if (CDEnumImageItemPropertyReset(item, 0, &properties) == CD_OK) {
            readNumberAndSize(ItemProperties(item), data, *record);
            CDEnumImageItemPropertyRelease(properties);
        }
        opened.release();
    });
}

tsResult* tsDeletePicture(int32_t index) {
    return deleteEntry("tsDeletePicture", index);
}

tsResult* tsDeleteMovie(int32_t index) {
    return deleteEntry("tsDeleteMovie", index);
}

} // extern "C"
