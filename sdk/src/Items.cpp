// Image items, their properties and their data.

#include "ItemMetadata.h"
#include "State.h"
#include "Transfer.h"

#include <cstring>

namespace fs = std::filesystem;
using namespace cdsim;

namespace {

bool isPicture(uint32_t format) {
    return format == CD_FORMAT_JPEG || format == CD_FORMAT_CRW || format == CD_FORMAT_CR2 ||
           format == CD_FORMAT_TIFF;
}

bool isKnownFormat(uint32_t format) {
    return isPicture(format) || format == CD_FORMAT_MOVIE || format == CD_FORMAT_SOUND;
}

Item& item(State& state, cdHItem handle) {
    auto& found = state.get<Item>(handle);
    requireConnected(state, found.source);
    return found;
}

const ImageData& imageData(State& state, cdHImageData handle) {
    const auto& found = state.get<ImageData>(handle);
    requireConnected(state, found.source);
    return found;
}

Card& dataCard(const ImageData& data) {
    return data.card ? *data.card : computerCard();
}

Item& openItem(State& state, cdHItem handle) {
    auto& found = item(state, handle);
    if (found.openCount == 0) {
        throw Failure{CD_ERR_ITEM_NOT_OPEN};
    }
    return found;
}

const ItemMetadata& metadata(Item& item) {
    if (!item.metadata) {
        item.metadata =
            cardOf(item).metadata(item.files, item.source ? &item.source->description : nullptr);
    }
    return *item.metadata;
}

bool hasThumbnail(Item& item) {
    return !metadata(item).exifThumbnail.empty() || !item.files.thumbnail.empty() ||
           (item.files.format == CD_FORMAT_JPEG && metadata(item).readable);
}

cdHImageData addData(State& state, Item& item, ImageData data) {
    data.source = item.source;
    data.card = item.source ? item.source->card : nullptr;
    const cdHImageData handle = state.add(std::make_shared<ImageData>(std::move(data)));
    item.dataHandles.push_back(handle);
    return handle;
}

ImageData fileData(DataKind kind, const fs::path& file, const ItemMetadata& metadata) {
    return {kind, file, {}, file.filename().string(), metadata.width, metadata.height};
}

void releaseData(State& state, Item& item) {
    for (const cdHandle data : item.dataHandles) {
        state.remove(data);
    }
    item.dataHandles.clear();
}

// Copies one of the item's properties to buffer, of capacity size; size
// becomes the bytes copied.
cdError copyProperty(const ItemMetadata& found, uint32_t propertyId, uint32_t& size, void* buffer) {
    const auto value = found.properties.find(propertyId);
    if (!found.present || value == found.properties.end()) {
        return CD_ERR_PROPERTY_UNAVAILABLE;
    }
    if (size < value->second.size()) {
        return CD_ERR_BUFFER_TOO_SMALL;
    }
    std::memcpy(buffer, value->second.data(), value->second.size());
    size = static_cast<uint32_t>(value->second.size());
    return CD_OK;
}

template <class Choose>
cdError getData(const char* operation, cdHItem handle, cdHImageData* data, Choose&& choose) {
    return run(operation, [&](State& state, auto&) {
        auto& found = openItem(state, handle);
        *data = addData(state, found, choose(found));
    });
}

} // namespace

extern "C" {

cdError CDEnumImageItemReset(cdHVolume handle, uint32_t depth, uint32_t option, cdHEnum* items) {
    return run("CDEnumImageItemReset", [&](State& state, auto&) {
        const auto& volume = state.get<Volume>(handle);
        Source* source = volume.source;
        requireConnected(state, source);
        if (!source->camera) {
            throw Failure{CD_ERR_NOT_SUPPORTED};
        }
        std::vector<uint32_t> handles;
        for (const auto& files :
             scanVolume(volume.card.root, depth, option, source->card->lister())) {
            const cdHItem added = state.add(std::make_shared<Item>(files, source));
            source->owned.push_back(added);
            handles.push_back(added);
        }
        *items = state.newEnumeration(EnumKind::Item, handles, source);
    });
}

cdError CDGetImageItemCount(cdHEnum handle, uint32_t* count) {
    return run("CDGetImageItemCount", [&](State& state, auto&) {
        *count = static_cast<uint32_t>(state.enumeration(handle, EnumKind::Item).entries.size());
    });
}

cdError CDEnumImageItemNext(cdHEnum handle, cdHItem* next) {
    return run("CDEnumImageItemNext",
               [&](State& state, auto&) { *next = state.nextEntry(handle, EnumKind::Item); });
}

cdError CDGetImageItemList(cdHEnum handle, uint32_t* count, cdItemListEntry* entries) {
    return run("CDGetImageItemList", [&](State& state, auto&) {
        auto& items = state.enumeration(handle, EnumKind::Item);
        uint32_t written = 0;
        for (; written < *count && items.next < items.entries.size(); ++written, ++items.next) {
            cdItemListEntry& entry = entries[written];
            const cdHItem listed = items.entries[items.next];
            const auto& found = item(state, listed);
            entry = cdItemListEntry{};
            entry.item = listed;
            entry.format = found.files.format;
            std::strncpy(entry.name, found.files.main.filename().c_str(), sizeof entry.name - 1);
            entry.size = cardOf(found).size(found.files.main);
            entry.number = numberOfPath(found.files.main).value_or(0);
        }
        *count = written;
    });
}

cdError CDEnumImageItemRelease(cdHEnum handle) {
    return run("CDEnumImageItemRelease",
               [&](State& state, auto&) { state.releaseEnumeration(handle, EnumKind::Item); });
}

cdError CDMakeImageItem(const char* path, uint32_t format, cdHItem* made) {
    return run("CDMakeImageItem", [&](State& state, auto&) {
        if (!path || !isKnownFormat(format)) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        std::error_code error;
        if (!fs::is_regular_file(path, error)) {
            throw Failure{CD_ERR_FILE_NOT_FOUND};
        }
        *made = state.add(std::make_shared<Item>(ItemFiles{path, {}, {}, format}, nullptr));
    });
}

cdError CDFreeImageItem(cdHItem handle) {
    return run("CDFreeImageItem", [&](State& state, auto&) {
        auto& found = state.get<Item>(handle);
        if (found.source) {
            throw Failure{CD_ERR_BAD_HANDLE};
        }
        releaseData(state, found);
        state.remove(handle);
    });
}

cdError CDOpenImage(cdHItem handle) {
    return run("CDOpenImage", [&](State& state, auto&) { ++item(state, handle).openCount; });
}

cdError CDCloseImage(cdHItem handle) {
    return run("CDCloseImage", [&](State& state, auto&) {
        auto& found = openItem(state, handle);
        if (--found.openCount == 0) {
            releaseData(state, found);
        }
    });
}

cdError CDGetItemInfo(cdHItem handle, cdItemInfo* info) {
    return run("CDGetItemInfo", [&](State& state, auto&) {
        auto& found = item(state, handle);
        const auto& properties = metadata(found).properties;
        std::memset(info, 0, sizeof *info);
        info->format = found.files.format;
        std::strncpy(info->name, found.files.main.filename().c_str(), sizeof info->name - 1);
        info->size = cardOf(found).size(found.files.main);
        if (const auto time = properties.find(CD_ITEMPROP_TIME); time != properties.end()) {
            std::memcpy(&info->time, time->second.data(), sizeof info->time);
        }
        info->numThumbnails = hasThumbnail(found) ? 1 : 0;
        info->numPictures = isPicture(found.files.format) ? 1 : 0;
        info->numMovies = found.files.format == CD_FORMAT_MOVIE ? 1 : 0;
        info->numSounds = found.files.format == CD_FORMAT_SOUND || !found.files.sound.empty();
    });
}

cdError CDDeleteImage(cdHVolume volume, cdHItem handle) {
    return run("CDDeleteImage", [&](State& state, auto&) {
        auto& found = item(state, handle);
        if (found.source && state.get<Volume>(volume).source != found.source) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        Card& card = cardOf(found);
        card.remove(found.files.main);
        if (found.source) {
            for (const auto& companion : {found.files.thumbnail, found.files.sound}) {
                try {
                    if (!companion.empty()) {
                        card.remove(companion);
                    }
                } catch (const Failure&) {
                    // The picture is gone; a companion left behind is listed by nothing.
                }
            }
            releaseData(state, found);
            state.remove(handle);
        }
    });
}

cdError CDEnumImageItemPropertyReset(cdHItem handle, uint32_t /*option*/, cdHEnum* properties) {
    return run("CDEnumImageItemPropertyReset", [&](State& state, auto&) {
        auto& found = openItem(state, handle);
        if (!metadata(found).present) {
            throw Failure{CD_ERR_PROPERTY_UNAVAILABLE};
        }
        *properties = state.newEnumeration(EnumKind::ItemProperty, {}, found.source);
    });
}

cdError CDEnumImageItemPropertyRelease(cdHEnum handle) {
    return run("CDEnumImageItemPropertyRelease", [&](State& state, auto&) {
        state.releaseEnumeration(handle, EnumKind::ItemProperty);
    });
}

cdError CDGetImageItemProperty(cdHItem handle, uint32_t propertyId, uint32_t* size, void* buffer) {
    return run("CDGetImageItemProperty", [&](State& state, auto&) {
        if (const cdError code =
                copyProperty(metadata(openItem(state, handle)), propertyId, *size, buffer)) {
            throw Failure{code};
        }
    });
}

cdError CDGetImageItemProperties(cdHItem handle, uint32_t count, cdItemPropertyRequest* requests) {
    return run("CDGetImageItemProperties", [&](State& state, auto&) {
        const ItemMetadata& found = metadata(openItem(state, handle));
        for (uint32_t i = 0; i < count; ++i) {
            cdItemPropertyRequest& request = requests[i];
            request.result = copyProperty(found, request.propertyId, request.size, request.buffer);
        }
    });
}

cdError CDGetPicture(cdHItem handle, cdHImageData* data) {
    return getData("CDGetPicture", handle, data, [](Item& found) {
        if (!isPicture(found.files.format)) {
            throw Failure{CD_ERR_NO_DATA};
        }
        return fileData(DataKind::Picture, found.files.main, metadata(found));
    });
}

cdError CDGetThumbnail(cdHItem handle, cdHImageData* data) {
    return getData("CDGetThumbnail", handle, data, [](Item& found) {
        Bytes bytes = cardOf(found).thumbnail(found.files, metadata(found));
        if (bytes.empty()) {
            throw Failure{CD_ERR_NO_DATA};
        }
        const std::string name =
            (found.files.thumbnail.empty() ? found.files.main : found.files.thumbnail)
                .filename()
                .string();
        return ImageData{DataKind::Thumbnail, {}, std::move(bytes), name};
    });
}

cdError CDGetSound(cdHItem handle, cdHImageData* data) {
    return getData("CDGetSound", handle, data, [](Item& found) {
        const bool soundItem = found.files.format == CD_FORMAT_SOUND;
        if (!soundItem && found.files.sound.empty()) {
            throw Failure{CD_ERR_NO_DATA};
        }
        return fileData(DataKind::Sound, soundItem ? found.files.main : found.files.sound, {});
    });
}

cdError CDGetMovie(cdHItem handle, cdHImageData* data) {
    return getData("CDGetMovie", handle, data, [](Item& found) {
        if (found.files.format != CD_FORMAT_MOVIE) {
            throw Failure{CD_ERR_NO_DATA};
        }
        return fileData(DataKind::Movie, found.files.main, metadata(found));
    });
}

cdError CDGetImageDataInfo(cdHImageData handle, cdImageDataInfo* info) {
    return run("CDGetImageDataInfo", [&](State& state, auto&) {
        const auto& data = imageData(state, handle);
        std::memset(info, 0, sizeof *info);
        info->dataType = static_cast<uint32_t>(data.kind);
        info->byteCount = data.file.empty() ? static_cast<uint32_t>(data.bytes.size())
                                            : dataCard(data).size(data.file);
        std::strncpy(info->fileName, data.name.c_str(), sizeof info->fileName - 1);
    });
}

cdError CDGetBaseImageDataProperty(cdHImageData handle, uint32_t propertyId, uint32_t* size,
                                   void* buffer) {
    return run("CDGetBaseImageDataProperty", [&](State& state, auto&) {
        const auto& data = imageData(state, handle);
        if (propertyId != CD_IMAGEPROP_WIDTH && propertyId != CD_IMAGEPROP_HEIGHT) {
            throw Failure{CD_ERR_PROPERTY_UNAVAILABLE};
        }
        if (*size < sizeof(uint16_t)) {
            throw Failure{CD_ERR_BUFFER_TOO_SMALL};
        }
        const uint16_t value = propertyId == CD_IMAGEPROP_WIDTH ? data.width : data.height;
        std::memcpy(buffer, &value, sizeof value);
        *size = sizeof value;
    });
}

cdError CDGetImageData(cdHImageData handle, const cdStorage* storage,
                       cdProgressCallbackFunction progress, cdContext context, uint32_t option) {
    cdError result = CD_OK;
    const cdError code = run("CDGetImageData", [&](State& state, auto& lock) {
        if (!storage || storage->type != CD_STORAGE_FILE || !storage->path) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        const ImageData data = imageData(state, handle);
        const std::string path = storage->path;
        onTransferThread(lock, [&] {
            const auto report = reporter(option, progress);
            const Delivery delivery{report, context, dataCard(data).pace()};
            result = data.file.empty() ? writeBytes(data.bytes, path, delivery)
                                       : dataCard(data).transfer(data.file, path, report, context);
        });
    });
    return code != CD_OK ? code : result;
}

} // extern "C"
