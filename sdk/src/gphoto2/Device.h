#pragma once
// The seam below the worker thread: what the layer asks of one camera through
// libgphoto2, in plain types. The real device calls libgphoto2; tests put a
// recorded one in its place to drive what no folder driver shows, such as
// releases, preview frames, events and an unplugged camera.

#include "../ItemMetadata.h"
#include "Widgets.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cdgp {

using cdsim::Bytes;

// A failing libgphoto2 call: its name, result and text.
struct GphotoError {
    std::string call;
    int result;
    std::string text;
};

struct FileEntry {
    std::string name;
    uint64_t size = 0;
    int64_t modified = 0; // seconds since 1970, 0 when the driver does not tell
};

struct Storage {
    std::string base; // the folder the storage starts at, "/store_00010001"
    std::string description;
    uint64_t capacityKBytes = 0;
    uint64_t freeKBytes = 0;
};

// What the driver offers, from its abilities.
struct Abilities {
    bool configuration = false;
    bool filePreview = false;
    bool upload = false;
    bool capture = false;        // takes pictures on command
    bool capturePreview = false; // gives live preview frames
};

// What the camera told of itself while the layer waited.
struct CameraEvent {
    // None: nothing came in the time waited.
    enum class Kind {
        None,
        FileAdded,
        FolderAdded,
        FileChanged,
        FileRemoved,
        CaptureComplete,
        Other
    };
    Kind kind = Kind::None;
    std::string path; // of the file or folder added or changed
};

// Fraction done, 0 to 1; answering false stops the transfer.
using Progress = std::function<bool(double)>;

enum class FileKind { Normal, Preview };

// Takes a file's bytes piece by piece as the driver delivers them; answering
// false stops the transfer.
using Receiver = std::function<bool(const unsigned char* bytes, size_t size)>;

class Device {
  public:
    virtual ~Device() = default;
    virtual Abilities abilities() = 0;
    virtual std::string summary() = 0;           // empty when the driver has none
    virtual std::vector<Storage> storages() = 0; // empty when the driver tells none
    virtual std::vector<std::string> folders(const std::string& folder) = 0;
    virtual std::vector<FileEntry> files(const std::string& folder) = 0;
    virtual Bytes read(const std::string& path, FileKind kind, const Progress& progress) = 0;
    // The whole file handed to receive as it arrives, never held at once.
    virtual void receive(const std::string& path, const Receiver& receive,
                         const Progress& progress) = 0;
    // At most size bytes from the file's start; the whole file when the driver
    // reads no parts.
    virtual Bytes readHead(const std::string& path, uint64_t size) = 0;
    virtual void remove(const std::string& path) = 0;
    virtual void makeFolder(const std::string& folder, const std::string& name) = 0;
    virtual void put(const std::string& path, const Bytes& bytes) = 0;
    virtual Widget configuration() = 0;
    // Sets the widget called name to value: one of its choices, a text, or
    // the position of a range.
    virtual void configure(const std::string& name, const std::string& value) = 0;
    // Takes a picture; the path of its new file on the card.
    virtual std::string capture() = 0;
    // One live preview frame as JPEG bytes.
    virtual Bytes capturePreview() = 0;
    // Waits up to milliseconds for the camera's next event.
    virtual CameraEvent waitForEvent(int milliseconds) = 0;
};

// A camera libgphoto2 knows by model and port, as autodetection lists it.
struct Detected {
    std::string model;
    std::string port;
};

std::vector<Detected> autodetect();
std::unique_ptr<Device> openDevice(const Detected& camera);

} // namespace cdgp
