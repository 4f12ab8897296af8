#pragma once
// The remote side of a simulated camera source: release control with its
// shooting parameters and zoom, the released data waiting to be fetched, the
// shooting thread and the viewfinder.

#include "../ItemMetadata.h"
#include "cdsdk.h"

#include <array>
#include <atomic>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace cdsim {

// The shooting parameters, by their place in Settings.
enum Setting : size_t {
    Quality,
    ImageSize,
    ShootingMode,
    Av,
    Tv,
    ExposureComp,
    WhiteBalance,
    AFDistance,
    FlashMode,
    FlashComp,
    Metering,
    Iso,
    Contrast,
    ColorGain,
    Sharpness,
    PhotoEffect,
    Beep,
    SettingCount
};
using Settings = std::array<uint16_t, SettingCount>;

// What the sensor needs to know of the camera for a picture or a frame.
struct Scene {
    Settings settings{};
    uint32_t zoom = 0;
    uint32_t zoomMaximum = 0;
    std::string model;
    std::string owner;
};

// Data of releases waiting to be fetched, oldest first; the shooting thread
// adds to it.
class ReleasedData {
  public:
    struct Entry {
        uint32_t type; // CD_RELEASED_...
        Bytes bytes;
        // A real camera's picture stays in its file of the card until it is
        // fetched, and goes from there once fetched unless it is kept.
        std::filesystem::path onCard{};
        bool kept = true;
    };
    void push(Entry entry);
    std::optional<Entry> pop();
    // The card file of the oldest entry (empty when its bytes are held), or
    // nothing when none waits.
    std::optional<std::filesystem::path> nextFile() const;
    void clear();
    // A release that failed on the shooting thread: the code its caller or
    // the next fetch answers, taken once.
    void fail(cdError code);
    std::optional<cdError> takeFailure();

  private:
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
    std::optional<cdError> failure_;
};

// What the viewfinder thread shows: the zoom and output, changed by the
// source while it runs, and the zoom's end, set when the source opens.
struct LiveView {
    std::atomic<uint32_t> zoom{0};
    std::atomic<uint32_t> output{0};
    uint32_t zoomMaximum = 0;
};

class Viewfinder;

struct Remote {
    Remote();
    ~Remote();
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;

    bool inReleaseControl = false;
    cdReleaseEventCallbackFunction events = nullptr;
    cdContext eventContext = 0;
    uint32_t dataKind = CD_REL_KIND_THUMB_TO_PC | CD_REL_KIND_PICTURE_TO_PC;
    Settings settings;
    uint32_t releases = 0;
    bool lastReleaseSynchronous = false;
    uint32_t autoFunctions = 0;
    std::shared_ptr<ReleasedData> released = std::make_shared<ReleasedData>();
    std::shared_ptr<LiveView> live = std::make_shared<LiveView>();
    std::thread shooting;
    std::shared_ptr<Viewfinder> viewfinder;
};

// The settings of a camera that was just switched on.
Settings initialSettings();

} // namespace cdsim
