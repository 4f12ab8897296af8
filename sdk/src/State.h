#pragma once
// The layer's one state: its objects behind handles, guarded by one mutex, and
// the wrapper every operation runs in.

#include "Card.h"
#include "ItemMetadata.h"
#include "cdsdk.h"
#include "sim/CameraFolder.h"
#include "sim/Remote.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace cdgp {
class Control;
}

namespace cdsim {

// Thrown inside an operation to end it with a code.
struct Failure {
    cdError code;
};

struct Source;

struct Volume {
    CardVolume card;
    Source* source = nullptr;
};

struct Item {
    Item(ItemFiles files, Source* source) : files(std::move(files)), source(source) {}
    ItemFiles files;
    Source* source = nullptr; // null for an item made from a file of the computer
    int openCount = 0;
    std::optional<ItemMetadata> metadata;
    std::vector<cdHandle> dataHandles;
};

enum class DataKind { Picture, Thumbnail, Sound, Movie };

struct ImageData {
    DataKind kind;
    std::filesystem::path file; // the data's file on the item's card, or empty when bytes hold it
    Bytes bytes;
    std::string name;
    uint16_t width = 0;
    uint16_t height = 0;
    Source* source = nullptr; // the item's
    std::shared_ptr<Card> card = nullptr;
};

struct EventRegistration {
    cdEventCallbackFunction function;
    cdContext context;
};

struct Source {
    bool camera = false;
    std::filesystem::path folder; // the simulated camera's, else empty
    std::shared_ptr<Card> card;
    CameraDescription description;
    std::vector<cdHandle> volumes;
    std::vector<cdHandle> owned; // handles released with the source
    std::map<cdHandle, EventRegistration> registrations;
    Remote remote;
    // Release control of a camera behind libgphoto2; null for the simulated
    // camera, whose remote holds its own settings.
    std::shared_ptr<cdgp::Control> gphoto;
};

enum class EnumKind { Device, DeviceProperty, Volume, Item, ItemProperty, ReleaseParam, ImageSize };

struct Enumeration {
    explicit Enumeration(EnumKind kind, std::vector<uint32_t> entries = {})
        : kind(kind), entries(std::move(entries)) {}
    EnumKind kind;
    std::vector<uint32_t> entries;
    size_t next = 0;
    uint32_t entrySize = 0; // bytes of each entry of a parameter list
};

using Object =
    std::variant<std::shared_ptr<Enumeration>, std::shared_ptr<Source>, std::shared_ptr<Volume>,
                 std::shared_ptr<Item>, std::shared_ptr<ImageData>>;

struct ArmedFailure {
    std::string operation;
    uint32_t callsLeft;
    cdError code;
};

class State {
  public:
    bool started = false;
    bool unplugged = false;
    std::vector<ArmedFailure> failures;

    cdHandle newHandle() { return nextHandle_++; }

    template <class T> cdHandle add(std::shared_ptr<T> object) {
        const cdHandle handle = newHandle();
        objects_.emplace(handle, Object(std::move(object)));
        return handle;
    }

    // The object of a handle, which must be of kind T.
    template <class T> T& get(cdHandle handle) const {
        const auto found = objects_.find(handle);
        if (found != objects_.end()) {
            if (const auto* object = std::get_if<std::shared_ptr<T>>(&found->second)) {
                return **object;
            }
        }
        throw Failure{CD_ERR_BAD_HANDLE};
    }

    void remove(cdHandle handle) { objects_.erase(handle); }

    // Enumerations: made for an owner (released with it, or null), and checked
    // for their kind on every use.
    cdHEnum newEnumeration(EnumKind kind, std::vector<uint32_t> entries, Source* owner);
    Enumeration& enumeration(cdHEnum handle, EnumKind kind) const;
    uint32_t nextEntry(cdHEnum handle, EnumKind kind) const;
    void releaseEnumeration(cdHEnum handle, EnumKind kind);
    void clear() { objects_.clear(); }

    // Every open source, for delivering camera events.
    std::vector<Source*> sources() const;

    // Enumerations, opens of items and sources that are open.
    void countOpen(uint32_t& enumerations, uint32_t& itemOpens, uint32_t& sources) const;

  private:
    std::unordered_map<cdHandle, Object> objects_;
    cdHandle nextHandle_ = 0x1001;
};

State& state();
std::mutex& stateMutex();
std::optional<cdError> injectedFailure(State& state, const char* operation);
cdError codeOfCurrentException();

// Every call of the layer first waits this long, like a camera over its cable.
void setCallLatency(uint32_t milliseconds);
void waitCallLatency();

// Runs one operation with the state locked: counts the call for injected
// failures, refuses it before the start, and turns Failure into its code. The
// body may unlock the lock while it waits for its transfer thread.
template <class Body> cdError run(const char* operation, Body&& body) {
    waitCallLatency();
    std::unique_lock<std::mutex> lock(stateMutex());
    State& current = state();
    try {
        if (const auto code = injectedFailure(current, operation)) {
            return *code;
        }
        if (!current.started) {
            return CD_ERR_NOT_STARTED;
        }
        body(current, lock);
        return CD_OK;
    } catch (...) {
        return codeOfCurrentException();
    }
}

// The files of the computer, for items made from them.
Card& computerCard();

// Where an item's files are: its source's card, or the computer's files.
Card& cardOf(const Item& item);

// A source, volume or item of the camera fails once the camera is unplugged.
void requireConnected(const State& state, const Source* source);

// An open source of the camera, not of the computer.
Source& cameraSource(State& state, cdHSource handle);

// A camera source in release control.
Source& releaseControl(State& state, cdHSource handle);

// Runs call on the camera's event thread, where events are delivered one at a
// time without the state's lock, and returns once it ran.
void onEventThread(std::function<void()> call);

// Delivers a camera event to every registration on the event thread, without
// waiting for it: for the threads the callbacks may need themselves.
void postCameraEvent(uint32_t eventId);

// Waits for a release the source is still shooting, with the state's lock let
// go meanwhile; the source may be gone after it.
void waitForShooting(Source& source, std::unique_lock<std::mutex>& lock);

// Waits for the source's shooting thread and stops its viewfinder, with the
// state's lock let go meanwhile, so that neither outlives the source.
void settleRemote(Source& source, std::unique_lock<std::mutex>& lock);

} // namespace cdsim
