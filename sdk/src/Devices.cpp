// Start and finish, devices and their properties, volumes.

#include "State.h"
#include "gphoto2/Control.h"

#include <algorithm>
#include <cstring>

namespace fs = std::filesystem;
using namespace cdsim;

namespace {

Source& openSource(State& state, cdHSource handle) {
    auto& source = state.get<Source>(handle);
    requireConnected(state, &source);
    return source;
}

void addVolumes(State& state, cdHSource handle) {
    auto& source = state.get<Source>(handle);
    for (const auto& card : source.card->volumes()) {
        const cdHVolume volume = state.add(std::make_shared<Volume>(Volume{card, &source}));
        source.volumes.push_back(volume);
        source.owned.push_back(volume);
    }
}

// The libgphoto2 cameras the last device enumeration found, by device index.
std::vector<cdgp::Detected>& offeredCameras() {
    static std::vector<cdgp::Detected> cameras;
    return cameras;
}

std::shared_ptr<cdgp::GphotoCard> openGphotoCard(uint32_t device) {
    if (device >= offeredCameras().size()) {
        throw Failure{CD_ERR_DEVICE_NOT_FOUND};
    }
    return std::make_shared<cdgp::GphotoCard>(offeredCameras()[device], postCameraEvent);
}

void copyText(char* destination, size_t capacity, const std::string& text) {
    std::strncpy(destination, text.c_str(), capacity - 1);
    destination[capacity - 1] = '\0';
}

} // namespace

extern "C" {

cdError CDStartSDK(const cdVersionInfo* version, uint32_t /*option*/) {
    std::lock_guard<std::mutex> lock(stateMutex());
    if (!version || version->size != sizeof(cdVersionInfo)) {
        return CD_ERR_BAD_PARAMETER;
    }
    if (version->major != 7) {
        return CD_ERR_NOT_SUPPORTED;
    }
    state().started = true;
    return CD_OK;
}

cdError CDFinishSDK(void) {
    return run("CDFinishSDK", [](State& state, auto& lock) {
        for (Source* source : state.sources()) {
            settleRemote(*source, lock);
        }
        state.clear();
        state.started = false;
    });
}

cdError CDEnumDeviceReset(uint32_t kind, cdHEnum* handle) {
    return run("CDEnumDeviceReset", [&](State& state, auto&) {
        if (kind != CD_DEVICE_KIND_CAMERA) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        std::vector<uint32_t> devices;
        if (!state.unplugged && pluggedCameraFolder()) {
            devices.push_back(0);
        } else {
            offeredCameras() = cdgp::offeredCameras();
            for (uint32_t device = 0; device < offeredCameras().size(); ++device) {
                devices.push_back(device);
            }
        }
        *handle = state.newEnumeration(EnumKind::Device, devices, nullptr);
    });
}

cdError CDGetDeviceCount(cdHEnum handle, uint32_t* count) {
    return run("CDGetDeviceCount", [&](State& state, auto&) {
        *count = static_cast<uint32_t>(state.enumeration(handle, EnumKind::Device).entries.size());
    });
}

cdError CDEnumDeviceNext(cdHEnum handle, cdSourceInfo* info) {
    return run("CDEnumDeviceNext", [&](State& state, auto&) {
        const uint32_t device = state.nextEntry(handle, EnumKind::Device);
        const auto folder = pluggedCameraFolder();
        CameraDescription camera;
        if (folder) {
            camera = readDescription(*folder);
        } else {
            try {
                camera = openGphotoCard(device)->describe();
            } catch (const Failure&) {
                throw Failure{CD_ERR_DEVICE_NOT_FOUND};
            }
        }
        std::memset(info, 0, sizeof *info);
        info->sourceType = CD_SOURCE_CAMERA;
        copyText(info->name, sizeof info->name, camera.model);
        info->portType = camera.port;
        info->deviceIndex = device;
        copyText(info->serialNumber, sizeof info->serialNumber, camera.serialNumber);
    });
}

cdError CDEnumDeviceRelease(cdHEnum handle) {
    return run("CDEnumDeviceRelease",
               [&](State& state, auto&) { state.releaseEnumeration(handle, EnumKind::Device); });
}

cdError CDOpenSource(const cdSourceInfo* info, cdHSource* handle) {
    return run("CDOpenSource", [&](State& state, auto&) {
        auto source = std::make_shared<Source>();
        if (info->sourceType == CD_SOURCE_CAMERA) {
            source->camera = true;
            if (const auto folder = pluggedCameraFolder()) {
                if (state.unplugged || info->deviceIndex != 0) {
                    throw Failure{CD_ERR_DEVICE_NOT_FOUND};
                }
                source->folder = *folder;
                source->description = readDescription(*folder);
                source->card = folderCard(*folder, source->description.pace);
            } else {
                const auto card = openGphotoCard(info->deviceIndex);
                source->description = card->describe();
                source->card = card;
                source->gphoto = std::make_shared<cdgp::Control>(card);
            }
            source->remote.live->zoomMaximum = source->description.offers.zoomMaximum;
            setCallLatency(source->description.pace.callLatencyMs);
        } else if (info->sourceType == CD_SOURCE_COMPUTER) {
            source->card = folderCard({});
        } else {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        *handle = state.add(source);
        addVolumes(state, *handle);
    });
}

cdError CDCloseSource(cdHSource handle) {
    return run("CDCloseSource", [&](State& state, auto& lock) {
        settleRemote(state.get<Source>(handle), lock);
        for (const cdHandle owned : state.get<Source>(handle).owned) {
            state.remove(owned);
        }
        state.remove(handle);
    });
}

cdError CDRegisterEventCallbackFunction(cdHSource handle, cdEventCallbackFunction function,
                                        cdContext context, cdHandle* registration) {
    return run("CDRegisterEventCallbackFunction", [&](State& state, auto&) {
        auto& source = openSource(state, handle);
        if (!function) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        *registration = state.newHandle();
        source.registrations[*registration] = {function, context};
    });
}

cdError CDUnregisterEventCallbackFunction(cdHSource handle, cdHandle registration) {
    return run("CDUnregisterEventCallbackFunction", [&](State& state, auto&) {
        if (state.get<Source>(handle).registrations.erase(registration) == 0) {
            throw Failure{CD_ERR_BAD_HANDLE};
        }
    });
}

cdError CDEnumDevicePropertyReset(cdHSource handle, uint32_t /*option*/, cdHEnum* properties) {
    return run("CDEnumDevicePropertyReset", [&](State& state, auto&) {
        auto& source = openSource(state, handle);
        if (!source.camera) {
            throw Failure{CD_ERR_NOT_SUPPORTED};
        }
        std::vector<uint32_t> listed = {CD_DEVPROP_MODEL_NAME, CD_DEVPROP_OWNER_NAME};
        const Capabilities& offers = source.description.offers;
        if (offers.upload) {
            listed.push_back(CD_DEVPROP_UPLOAD_SUPPORT);
        }
        if (offers.remoteRelease) {
            listed.push_back(CD_DEVPROP_REMOTE_RELEASE_SUPPORT);
        }
        *properties = state.newEnumeration(EnumKind::DeviceProperty, listed, &source);
    });
}

cdError CDEnumDevicePropertyNext(cdHEnum handle, uint32_t* propertyId) {
    return run("CDEnumDevicePropertyNext", [&](State& state, auto&) {
        *propertyId = state.nextEntry(handle, EnumKind::DeviceProperty);
    });
}

cdError CDEnumDevicePropertyRelease(cdHEnum handle) {
    return run("CDEnumDevicePropertyRelease", [&](State& state, auto&) {
        state.releaseEnumeration(handle, EnumKind::DeviceProperty);
    });
}

cdError CDGetDevicePropertyData(cdHSource handle, uint32_t propertyId, uint32_t* size, void* buffer,
                                uint32_t /*option*/) {
    return run("CDGetDevicePropertyData", [&](State& state, auto&) {
        const auto& camera = openSource(state, handle).description;
        const auto support = propertyId == CD_DEVPROP_UPLOAD_SUPPORT ? camera.offers.upload
                             : propertyId == CD_DEVPROP_REMOTE_RELEASE_SUPPORT
                                 ? camera.offers.remoteRelease
                                 : std::nullopt;
        if (support) {
            if (*size < sizeof *support) {
                throw Failure{CD_ERR_BUFFER_TOO_SMALL};
            }
            std::memcpy(buffer, &*support, sizeof *support);
            *size = sizeof *support;
            return;
        }
        std::string text;
        if (propertyId == CD_DEVPROP_MODEL_NAME) {
            text = camera.model;
        } else if (propertyId == CD_DEVPROP_OWNER_NAME) {
            text = camera.owner;
        } else {
            throw Failure{CD_ERR_PROPERTY_UNAVAILABLE};
        }
        if (*size < text.size() + 1) {
            throw Failure{CD_ERR_BUFFER_TOO_SMALL};
        }
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        *size = static_cast<uint32_t>(text.size() + 1);
    });
}

cdError CDEnumVolumeReset(cdHSource handle, cdHEnum* volumes) {
    return run("CDEnumVolumeReset", [&](State& state, auto&) {
        auto& source = openSource(state, handle);
        *volumes = state.newEnumeration(EnumKind::Volume, source.volumes, &source);
    });
}

cdError CDGetVolumeCount(cdHEnum handle, uint32_t* count) {
    return run("CDGetVolumeCount", [&](State& state, auto&) {
        *count = static_cast<uint32_t>(state.enumeration(handle, EnumKind::Volume).entries.size());
    });
}

cdError CDEnumVolumeNext(cdHEnum handle, cdHVolume* volume) {
    return run("CDEnumVolumeNext",
               [&](State& state, auto&) { *volume = state.nextEntry(handle, EnumKind::Volume); });
}

cdError CDEnumVolumeRelease(cdHEnum handle) {
    return run("CDEnumVolumeRelease",
               [&](State& state, auto&) { state.releaseEnumeration(handle, EnumKind::Volume); });
}

cdError CDGetVolumeInfo(cdHVolume handle, cdVolumeInfo* info) {
    return run("CDGetVolumeInfo", [&](State& state, auto&) {
        const auto& volume = state.get<Volume>(handle);
        requireConnected(state, volume.source);
        // The space as it is now, not as it was at the opening.
        CardVolume now = volume.card;
        for (const auto& card : volume.source->card->volumes()) {
            if (card.root == volume.card.root) {
                now = card;
            }
        }
        std::memset(info, 0, sizeof *info);
        info->totalKBytes = now.totalKBytes;
        info->freeKBytes = now.freeKBytes;
        copyText(info->name, sizeof info->name, now.name);
    });
}

} // extern "C"
