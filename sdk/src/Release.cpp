// Release control: releases and their data, zoom, the faculty, and the
// simulated camera's remote state that tests look at.

#include "sim/Sensor.h"
#include "State.h"
#include "Transfer.h"
#include "Viewfinder.h"
#include "cdsdk_simcontrol.h"
#include "gphoto2/Control.h"
#include "gphoto2/GphotoCard.h"

#include <bitset>
#include <cstring>
#include <functional>
#include <utility>

namespace fs = std::filesystem;

namespace cdsim {

void waitForShooting(Source& source, std::unique_lock<std::mutex>& lock) {
    std::thread shooting = std::move(source.remote.shooting);
    if (shooting.joinable()) {
        lock.unlock();
        shooting.join();
        lock.lock();
    }
}

void settleRemote(Source& source, std::unique_lock<std::mutex>& lock) {
    auto viewfinder = std::move(source.remote.viewfinder);
    waitForShooting(source, lock);
    lock.unlock();
    viewfinder.reset();
    lock.lock();
}

namespace {

// Everything the shooting thread needs, copied from the source.
struct ShootingOrder {
    std::shared_ptr<cdgp::Control> camera; // a real camera, else the simulated one
    Scene scene;
    uint32_t kind = 0;
    fs::path card; // the first volume, where kept pictures go
    std::shared_ptr<ReleasedData> released;
    cdReleaseEventCallbackFunction events = nullptr;
    cdContext eventContext = 0;
    cdProgressCallbackFunction progress = nullptr;
    cdContext progressContext = 0;
};

void sendReleaseEvent(const ShootingOrder& order, uint32_t eventId, std::optional<uint32_t> data) {
    if (!order.events) {
        return;
    }
    onEventThread([&] {
        order.events(eventId, data ? &*data : nullptr, data ? sizeof *data : 0, order.eventContext);
    });
}

void keepOnCard(const fs::path& card, const Bytes& picture) {
    const fs::path file = nextPicturePath(card);
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    writeBytes(picture, file.string(), {});
}

uint32_t dataToComputer(uint32_t kind) {
    return static_cast<uint32_t>(
        std::bitset<2>(kind & (CD_REL_KIND_THUMB_TO_PC | CD_REL_KIND_PICTURE_TO_PC)).count());
}

using Report = std::function<void(uint32_t percent)>;

const uint32_t toCamera = CD_REL_KIND_THUMB_TO_CAMERA | CD_REL_KIND_PICTURE_TO_CAMERA;

// The simulated camera exposes its sensor and keeps the picture on its first volume.
void exposeSensor(const ShootingOrder& order, const Report& report) {
    Exposure exposure = expose(order.scene);
    report(50);
    if ((order.kind & toCamera) != 0 && !order.card.empty()) {
        keepOnCard(order.card, exposure.picture);
    }
    if (order.kind & CD_REL_KIND_THUMB_TO_PC) {
        order.released->push({CD_RELEASED_THUMBNAIL, std::move(exposure.thumbnail)});
    }
    if (order.kind & CD_REL_KIND_PICTURE_TO_PC) {
        order.released->push({CD_RELEASED_PICTURE, std::move(exposure.picture)});
    }
}

// A real camera shoots into a new file of its card, and a camera saving one
// shot as several files (RAW and JPEG) into more: the thumbnail is read from
// the first at once, each picture when it is fetched, in the camera's order.
// Pictures neither kept nor wanted go again at once.
void shootCamera(const ShootingOrder& order, const Report& report) {
    const bool keep = (order.kind & toCamera) != 0;
    std::vector<fs::path> files{order.camera->capture(keep)};
    for (fs::path& more : order.camera->companions(files.front())) {
        files.push_back(std::move(more));
    }
    report(50);
    if (order.kind & CD_REL_KIND_THUMB_TO_PC) {
        order.released->push({CD_RELEASED_THUMBNAIL, order.camera->thumbnail(files.front())});
    }
    for (const fs::path& file : files) {
        if (order.kind & CD_REL_KIND_PICTURE_TO_PC) {
            order.released->push({CD_RELEASED_PICTURE, {}, file, keep});
        } else if (!keep) {
            order.camera->remove(file);
        }
    }
}

// A release that fails sends no completion; its code waits for the caller.
void shoot(const ShootingOrder& order) {
    const Report report = [&](uint32_t percent) {
        if (order.progress) {
            order.progress(percent, CD_PROGRESS_STATUS_TRANSFER, order.progressContext);
        }
    };
    report(0);
    sendReleaseEvent(order, CD_RELEASE_EVENT_RELEASE_START, std::nullopt);
    try {
        order.camera ? shootCamera(order, report) : exposeSensor(order, report);
    } catch (...) {
        order.released->fail(codeOfCurrentException());
        return;
    }
    report(100);
    sendReleaseEvent(order, CD_RELEASE_EVENT_RELEASE_COMPLETE, dataToComputer(order.kind));
}

// A real camera's picture streams from its file on the card, which goes once
// the picture arrived whole unless it is kept, and stays after any failure.
cdError fetchFromCard(Card& card, const ReleasedData::Entry& data, const std::string& path,
                      cdProgressCallbackFunction progress, cdContext context,
                      std::unique_lock<std::mutex>& lock) {
    cdError result = CD_OK;
    onTransferThread(lock, [&] { result = card.transfer(data.onCard, path, progress, context); });
    if (result == CD_OK && !data.kept) {
        try {
            card.remove(data.onCard);
        } catch (const Failure&) {
            // The picture arrived: a copy left on the card loses nothing, and
            // the card's log line tells why it stayed.
        }
    }
    return result;
}

Scene sceneOf(const Source& source) {
    return {source.remote.settings, source.remote.live->zoom, source.description.offers.zoomMaximum,
            source.description.model, source.description.owner};
}

Source& zoomCamera(State& state, cdHSource handle) {
    auto& source = releaseControl(state, handle);
    if (source.description.offers.zoomMaximum == 0) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    return source;
}

Source* openCamera(State& state) {
    for (Source* source : state.sources()) {
        if (source->camera) {
            return source;
        }
    }
    return nullptr;
}

} // namespace
} // namespace cdsim

using namespace cdsim;

extern "C" {

cdError CDGetReleaseControlFaculty(cdHSource handle, uint32_t* faculty) {
    return run("CDGetReleaseControlFaculty", [&](State& state, auto&) {
        const Capabilities& offers = cameraSource(state, handle).description.offers;
        *faculty = 0;
        if (offers.remoteRelease.value_or(0) != 0) {
            *faculty = (offers.zoomMaximum ? CD_RELEASE_FACULTY_ZOOM : 0) |
                       (offers.viewfinder ? CD_RELEASE_FACULTY_VIEWFINDER : 0);
        }
        if ((*faculty & CD_RELEASE_FACULTY_VIEWFINDER) && offers.viewfinderControls) {
            *faculty |= CD_RELEASE_FACULTY_VIEWFINDER_OUTPUT | CD_RELEASE_FACULTY_VIEWFINDER_AUTO;
        }
    });
}

cdError CDEnterReleaseControl(cdHSource handle, cdReleaseEventCallbackFunction function,
                              cdContext context) {
    return run("CDEnterReleaseControl", [&](State& state, auto&) {
        auto& source = cameraSource(state, handle);
        if (source.description.offers.remoteRelease.value_or(0) == 0) {
            throw Failure{CD_ERR_NOT_SUPPORTED};
        }
        if (source.remote.inReleaseControl) {
            throw Failure{CD_ERR_BUSY};
        }
        if (source.gphoto) {
            source.gphoto->collectAdded(true);
        }
        source.remote.inReleaseControl = true;
        source.remote.events = function;
        source.remote.eventContext = context;
    });
}

cdError CDExitReleaseControl(cdHSource handle) {
    return run("CDExitReleaseControl", [&](State& state, auto& lock) {
        settleRemote(releaseControl(state, handle), lock);
        auto& source = releaseControl(state, handle);
        if (source.gphoto) {
            source.gphoto->collectAdded(false);
        }
        auto& remote = source.remote;
        remote.released->clear();
        remote.inReleaseControl = false;
        remote.events = nullptr;
    });
}

cdError CDSelectReleaseDataKind(cdHSource handle, uint32_t kind) {
    return run("CDSelectReleaseDataKind", [&](State& state, auto&) {
        auto& source = releaseControl(state, handle);
        if (kind == 0 || kind > 0xF) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        source.remote.dataKind = kind;
    });
}

cdError CDRelease(cdHSource handle, uint8_t synchronous, cdProgressCallbackFunction progress,
                  cdContext context, uint32_t option, uint32_t* numData) {
    return run("CDRelease", [&](State& state, auto& lock) {
        waitForShooting(releaseControl(state, handle), lock);
        auto& source = releaseControl(state, handle);
        Remote& remote = source.remote;
        const auto released = remote.released;
        released->takeFailure(); // of an earlier release nobody fetched
        ShootingOrder order{source.gphoto,
                            sceneOf(source),
                            remote.dataKind,
                            source.volumes.empty() ? fs::path()
                                                   : state.get<Volume>(source.volumes[0]).card.root,
                            remote.released,
                            remote.events,
                            remote.eventContext,
                            reporter(option, progress),
                            context};
        ++remote.releases;
        remote.lastReleaseSynchronous = synchronous != 0;
        if (numData) {
            *numData = dataToComputer(remote.dataKind);
        }
        std::thread shooting([order = std::move(order)] { shoot(order); });
        if (synchronous) {
            lock.unlock();
            shooting.join();
            lock.lock();
            if (const auto failure = released->takeFailure()) {
                throw Failure{*failure};
            }
        } else {
            remote.shooting = std::move(shooting);
        }
    });
}

cdError CDGetReleasedDataName(cdHSource handle, char* name, uint32_t size) {
    return run("CDGetReleasedDataName", [&](State& state, auto& lock) {
        if (!name || size == 0) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        waitForShooting(releaseControl(state, handle), lock);
        auto& released = *releaseControl(state, handle).remote.released;
        const auto file = released.nextFile();
        if (!file) {
            throw Failure{released.takeFailure().value_or(CD_ERR_NO_DATA)};
        }
        const std::string text = file->filename().string();
        if (text.size() >= size) {
            throw Failure{CD_ERR_BUFFER_TOO_SMALL};
        }
        std::memcpy(name, text.c_str(), text.size() + 1);
    });
}

cdError CDGetReleasedData(cdHSource handle, cdProgressCallbackFunction progress, cdContext context,
                          uint32_t option, cdReleaseImageInfo* info, const cdStorage* storage) {
    cdError result = CD_OK;
    const cdError code = run("CDGetReleasedData", [&](State& state, auto& lock) {
        if (!storage || storage->type != CD_STORAGE_FILE || !storage->path) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        waitForShooting(releaseControl(state, handle), lock);
        auto& source = releaseControl(state, handle);
        const auto data = source.remote.released->pop();
        if (!data) {
            throw Failure{source.remote.released->takeFailure().value_or(CD_ERR_NO_DATA)};
        }
        const std::string path = storage->path;
        if (!data->onCard.empty()) {
            const auto card = source.card;
            if (info) {
                *info = {data->type, formatOfExtension(data->onCard.extension().string())
                                         .value_or(CD_FORMAT_JPEG),
                         card->size(data->onCard), 0};
            }
            result = fetchFromCard(*card, *data, path, reporter(option, progress), context, lock);
            return;
        }
        if (data->bytes.empty()) {
            throw Failure{CD_ERR_NO_DATA}; // a thumbnail the camera could not give
        }
        if (info) {
            *info = {data->type, CD_FORMAT_JPEG, static_cast<uint32_t>(data->bytes.size()), 0};
        }
        onTransferThread(lock, [&] {
            result = writeBytes(data->bytes, path,
                                {reporter(option, progress), context, source.card->pace()});
        });
    });
    return code != CD_OK ? code : result;
}

cdError CDGetZoomPos(cdHSource handle, uint32_t* position) {
    return run("CDGetZoomPos", [&](State& state, auto&) {
        const auto& source = zoomCamera(state, handle);
        *position = source.gphoto ? source.gphoto->zoom() : source.remote.live->zoom.load();
    });
}

cdError CDGetMaximumZoomPos(cdHSource handle, uint32_t* opticalMaximum, uint32_t* maximum) {
    return run("CDGetMaximumZoomPos", [&](State& state, auto&) {
        const Capabilities& offers = zoomCamera(state, handle).description.offers;
        *opticalMaximum = offers.opticalZoomMaximum;
        *maximum = offers.zoomMaximum;
    });
}

cdError CDSetZoomPos(cdHSource handle, uint32_t position) {
    return run("CDSetZoomPos", [&](State& state, auto&) {
        auto& source = zoomCamera(state, handle);
        if (position > source.description.offers.zoomMaximum) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        if (source.gphoto) {
            source.gphoto->setZoom(position);
        } else {
            source.remote.live->zoom = position;
        }
    });
}

void cdsimInjectReleaseEvent(uint32_t eventId, const void* data, uint32_t dataSize) {
    cdReleaseEventCallbackFunction function = nullptr;
    cdContext context = 0;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        if (Source* camera = openCamera(state()); camera && camera->remote.inReleaseControl) {
            function = camera->remote.events;
            context = camera->remote.eventContext;
        }
    }
    if (function) {
        onEventThread([&] { function(eventId, data, dataSize, context); });
    }
}

void cdsimGetRemoteState(cdsimRemoteState* out) {
    std::lock_guard<std::mutex> lock(stateMutex());
    std::memset(out, 0, sizeof *out);
    const Source* camera = openCamera(state());
    if (!camera) {
        return;
    }
    const Remote& remote = camera->remote;
    const Settings& s = remote.settings;
    out->open = 1;
    out->inReleaseControl = remote.inReleaseControl;
    out->releaseDataKind = remote.dataKind;
    out->releases = remote.releases;
    out->lastReleaseSynchronous = remote.lastReleaseSynchronous;
    out->quality = s[Quality];
    out->imageSize = s[ImageSize];
    out->shootingMode = s[ShootingMode];
    out->av = s[Av];
    out->tv = s[Tv];
    out->exposureComp = s[ExposureComp];
    out->whiteBalance = s[WhiteBalance];
    out->afDistance = s[AFDistance];
    out->flashMode = s[FlashMode];
    out->flashComp = s[FlashComp];
    out->metering = static_cast<uint8_t>(s[Metering]);
    out->iso = static_cast<uint8_t>(s[Iso]);
    out->contrast = static_cast<uint8_t>(s[Contrast]);
    out->colorGain = static_cast<uint8_t>(s[ColorGain]);
    out->sharpness = static_cast<uint8_t>(s[Sharpness]);
    out->beep = static_cast<uint8_t>(s[Beep]);
    out->photoEffect = s[PhotoEffect];
    out->zoom = remote.live->zoom;
    out->viewfinderRunning = remote.viewfinder != nullptr;
    out->viewfinderFrames = remote.viewfinder ? remote.viewfinder->frames() : 0;
    out->viewfinderOutput = remote.live->output;
    out->autoFunctions = remote.autoFunctions;
}

cdError cdsimConfigureCamera(const char* widget, const char* value) {
    std::shared_ptr<cdgp::GphotoCard> card;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        const Source* source = openCamera(state());
        card = source ? std::dynamic_pointer_cast<cdgp::GphotoCard>(source->card) : nullptr;
    }
    if (!card) {
        return CD_ERR_DEVICE_NOT_FOUND;
    }
    try {
        card->configure(widget, value);
        return CD_OK;
    } catch (...) {
        return codeOfCurrentException();
    }
}

} // extern "C"
