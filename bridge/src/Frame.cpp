#include "Frame.h"

#include <cstddef>
#include <cstring>

static_assert(offsetof(tsPictureProperties, shootingTime) == 76);
static_assert(offsetof(tsPictureProperties, modelName) == 108);
static_assert(offsetof(tsPictureProperties, focalLength) == 172);
static_assert(offsetof(tsMovieProperties, shootingTime) == 52);
static_assert(sizeof(tesselink::Connection::description) == 400);

namespace tesselink {

Connection& connection() {
    static Connection state;
    return state;
}

tsResult& status() {
    static tsResult record;
    return record;
}

CallbackSlots& slots() {
    static CallbackSlots callbacks;
    return callbacks;
}

void check(cdError result) {
    // The program tells a full disk and a stop apart by the bridge's codes alone.
    status().code = result == CD_ERR_DISK_FULL   ? TS_ERR_DISK_FULL
                    : result == CD_ERR_CANCELLED ? TS_ERR_CANCELLED
                                                 : result;
    if (result != CD_OK) {
        throw CLumvikException();
    }
}

void fail(int32_t code) {
    status().code = code;
    throw CLumvikException();
}

void readDeviceProperty(uint32_t propertyId, void* buffer, uint32_t capacity) {
    cdHEnum properties = 0;
    check(CDEnumDevicePropertyReset(connection().source, 0, &properties));
    Opened enumeration(properties, CDEnumDevicePropertyRelease);
    uint32_t current = UINT32_MAX;
    while (current != propertyId) {
        check(CDEnumDevicePropertyNext(properties, &current));
    }
    uint32_t size = capacity;
    check(CDGetDevicePropertyData(connection().source, propertyId, &size, buffer, 0));
    enumeration.release();
}

void readSupport(uint32_t propertyId, uint8_t* supported) {
    uint32_t value = 0;
    readDeviceProperty(propertyId, &value, sizeof value);
    *supported = value != 0 ? 1 : 0;
}

void readFaculty(uint8_t* supported, uint32_t mask) {
    uint32_t faculty = 0;
    check(CDGetReleaseControlFaculty(connection().source, &faculty));
    *supported = (faculty & mask) != 0 ? 1 : 0;
}

uint32_t progressAdapter(uint32_t progress, uint32_t /*sdkStatus*/, cdContext /*context*/) {
    if (const auto callback = slots().progress.load()) {
        callback(static_cast<int32_t>(progress));
    }
    return slots().cancelled.load() ? 1 : 0;
}

namespace {

uint32_t eventAdapter(uint32_t eventId, const void* /*data*/, uint32_t /*dataSize*/,
                      cdContext /*context*/) {
    if (const auto callback = slots().event.load()) {
        callback(eventOf(eventId), reasonOf(eventId));
    }
    return 0;
}

tsResult* readName(const char* exportName, uint32_t propertyId, char* name) {
    return runExport(exportName, [&] { readDeviceProperty(propertyId, name, TS_NAME_SIZE); });
}

} // namespace
} // namespace tesselink

using namespace tesselink;

extern "C" {

tsResult* tsStartSDK(void) {
    return runExport("tsStartSDK", [] {
        cdVersionInfo version{};
        version.size = sizeof version;
        version.major = 7;
        version.minor = 0;
        check(CDStartSDK(&version, 0));
    });
}

tsResult* tsFinishSDK(void) {
    return runExport("tsFinishSDK", [] {
        check(CDFinishSDK());
        connection() = {}; // the SDK closed every source with itself
    });
}

tsResult* tsConnect(void) {
    return runExport("tsConnect", [] {
        Connection& state = connection();
        cdHEnum devices = 0;
        check(CDEnumDeviceReset(CD_DEVICE_KIND_CAMERA, &devices));
        Opened enumeration(devices, CDEnumDeviceRelease);
        check(CDEnumDeviceNext(devices, &state.description.info));
        enumeration.release();
        check(CDOpenSource(&state.description.info, &state.source));
        check(CDRegisterEventCallbackFunction(state.source, eventAdapter, 0,
                                              &state.eventRegistration));
    });
}

tsResult* tsDisconnect(void) {
    return runExport("tsDisconnect", [] {
        Connection& state = connection();
        slots().progress = nullptr;
        check(CDUnregisterEventCallbackFunction(state.source, state.eventRegistration));
        check(CDCloseSource(state.source));
        state = {}; // a closed camera has no port, model or volume left to report
    });
}

tsResult* tsGetModel(char* name) {
    return readName("tsGetModel", CD_DEVPROP_MODEL_NAME, name);
}

tsResult* tsGetOwnerName(char* name) {
    return readName("tsGetOwnerName", CD_DEVPROP_OWNER_NAME, name);
}

tsResult* tsGetSerialNumber(char* name) {
    return runExport("tsGetSerialNumber", [&] {
        const auto& serial = connection().description.info.serialNumber;
        static_assert(sizeof serial <= TS_NAME_SIZE);
        std::memset(name, 0, TS_NAME_SIZE);
        std::memcpy(name, serial, strnlen(serial, sizeof serial));
    });
}

tsResult* tsGetPort(int32_t* port) {
    return runExport("tsGetPort",
                     [&] { *port = static_cast<int32_t>(connection().description.info.portType); });
}

void tsRegisterEventCallbackFunction(tsEventCallback callback) {
    slots().event = callback;
}

void tsRegisterRemoteEventCallbackFunction(tsRemoteEventCallback callback) {
    slots().remoteEvent = callback;
}

void tsRegisterProgressCallbackFunction(tsProgressCallback callback) {
    slots().progress = callback;
}

void tsRegisterViewfinderCallbackFunction(tsViewfinderCallback callback) {
    slots().viewfinder = callback;
}

void tsCancel(void) {
    slots().cancelled = true;
}

void tsClearCancel(void) {
    slots().cancelled = false;
}

} // extern "C"
