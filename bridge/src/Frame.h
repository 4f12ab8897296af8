#pragma once
// What every export shares: the status record and how an export runs, the one
// camera connection, the callback slots and the adapters the SDK calls.

#include "cdsdk.h"
#include "tesselink.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

namespace tesselink {

// Thrown by the result check and caught in the export that ran it.
class CLumvikException {};

struct Connection {
    // The SDK's device description; the bridge keeps 400 bytes for it.
    union {
        cdSourceInfo info;
        uint8_t reserved[400];
    } description{};
    cdHSource source = 0;
    cdHandle eventRegistration = 0;
    cdHVolume volume = 0;
    cdHEnum itemEnumeration = 0;
};

Connection& connection();
tsResult& status();

// The result check: the status takes the SDK's result, and a failure ends the export.
void check(cdError result);

// Ends the export with one of the bridge's own TS_ERR_... codes.
[[noreturn]] void fail(int32_t code);

// Copies text into a buffer of capacity bytes, cut short and zero-terminated.
inline void copyText(char* destination, size_t capacity, const char* text) {
    const size_t length = strnlen(text, capacity - 1);
    std::memcpy(destination, text, length);
    destination[length] = '\0';
}

// Runs an export's steps under its name; nothing leaves it but the status record.
template <class Steps> tsResult* runExport(const char* name, Steps&& steps) noexcept {
    tsResult& result = status();
    std::memset(result.function, 0, sizeof result.function);
    copyText(result.function, sizeof result.function, name);
    result.code = 0;
    try {
        steps();
    } catch (const CLumvikException&) {
    } catch (...) {
        result.code = TS_ERR_INTERNAL;
    }
    return &result;
}

// A handle an export opened (an enumeration, an open item, a source): its
// last step releases it through the result check, and when an earlier step
// fails it is released quietly, so that a failure leaves nothing open behind
// it and the status keeps the failure's code.
class Opened {
  public:
    Opened(cdHandle handle, cdError (*release)(cdHandle)) : handle_(handle), release_(release) {}
    ~Opened() {
        if (release_) {
            release_(handle_);
        }
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;

    void release() { check(std::exchange(release_, nullptr)(handle_)); }

  private:
    cdHandle handle_;
    cdError (*release_)(cdHandle);
};

// Opens an item for the export's steps; closed quietly when one fails.
inline Opened openItem(cdHItem item) {
    check(CDOpenImage(item));
    return Opened(item, CDCloseImage);
}

// Reads a device property of the connected camera into buffer of capacity bytes.
void readDeviceProperty(uint32_t propertyId, void* buffer, uint32_t capacity);

struct CallbackSlots {
    std::atomic<tsEventCallback> event{nullptr};
    std::atomic<tsRemoteEventCallback> remoteEvent{nullptr};
    std::atomic<tsProgressCallback> progress{nullptr};
    std::atomic<tsViewfinderCallback> viewfinder{nullptr};
    std::atomic<bool> cancelled{false}; // tsCancel until tsClearCancel
};
CallbackSlots& slots();

// Hands the report on; non-zero, which stops the SDK's transfer, after tsCancel.
uint32_t progressAdapter(uint32_t progress, uint32_t sdkStatus, cdContext context);

// An SDK event identifier's event (bits 16 to 19) and reason (bits 0 to 15).
inline int32_t eventOf(uint32_t eventId) {
    return static_cast<int32_t>((eventId >> 16) & 0xF);
}
inline int32_t reasonOf(uint32_t eventId) {
    return static_cast<int32_t>(eventId & 0xFFFF);
}

// Sets supported to 1 when the camera reports any of the release-control
// faculties of mask.
void readFaculty(uint8_t* supported, uint32_t mask = ~0u);

// Sets supported to 1 when the camera's 32-bit device property is not 0.
void readSupport(uint32_t propertyId, uint8_t* supported);

} // namespace tesselink
