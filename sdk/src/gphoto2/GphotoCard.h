#pragma once
// A camera reached through libgphoto2: the cameras LUMVIK_CAMERA offers, and
// the card and description of an opened one.

#include "../Card.h"
#include "Device.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace cdgp {

// The cameras offered when LUMVIK_CAMERA names no simulated camera: unset,
// every camera autodetection finds; "gphoto2", the first of them;
// "gphoto2:MODEL@PORT", that one. Runs on the worker.
std::vector<Detected> offeredCameras();

// How a value of LUMVIK_CAMERA (null when unset) chooses among the cameras.
struct Choice {
    bool libgphoto2 = false; // false: the simulated camera, or none
    bool firstOnly = false;
    std::optional<Detected> given;
};
Choice choiceOf(const char* setting);

// Makes the device of a camera; the worker calls it.
using DeviceMaker = std::function<std::unique_ptr<Device>(const Detected&)>;

// What makes the devices of the cameras opened from now on: libgphoto2's, or
// a test's scripted camera in its place; an empty maker puts libgphoto2 back.
void replaceDevices(DeviceMaker make);

// One opened camera: its device lives on the worker, and every call to it
// goes there. Failures are logged with libgphoto2's text and thrown as the
// layer's codes.
class GphotoCard final : public cdsim::Card {
  public:
    // told gets the layer's camera events, from the worker: a card change
    // when the camera adds or removes a file by itself, and the shutdown,
    // once, when the camera goes away. Without a maker, the one
    // replaceDevices put in place makes the device.
    GphotoCard(const Detected& camera, std::function<void(uint32_t eventId)> told,
               DeviceMaker make = {});
    ~GphotoCard() override;
    GphotoCard(const GphotoCard&) = delete;
    GphotoCard& operator=(const GphotoCard&) = delete;

    // Model, owner, serial number, port and what the driver offers.
    cdsim::CameraDescription describe();

    std::vector<cdsim::CardVolume> volumes() override;
    cdsim::Listing list(const std::filesystem::path& folder) override;
    cdsim::ItemMetadata metadata(const cdsim::ItemFiles& files,
                                 const cdsim::CameraDescription* camera) override;
    Bytes thumbnail(const cdsim::ItemFiles& files, const cdsim::ItemMetadata& metadata) override;
    uint32_t size(const std::filesystem::path& file) override;
    cdError transfer(const std::filesystem::path& file, const std::string& path,
                     cdProgressCallbackFunction progress, cdContext context) override;
    void remove(const std::filesystem::path& file) override;
    cdError store(const std::filesystem::path& file, const Bytes& bytes,
                  cdProgressCallbackFunction progress, cdContext context) override;
    bool connected() const override { return connected_; }

    // Release control: the camera's configuration and the setting of one
    // widget, a picture taken into a new file of the card, a preview frame.
    Widget configuration();
    void configure(const std::string& name, const std::string& value);
    std::filesystem::path capture();
    Bytes preview();
    // While a viewfinder streams, the event poll between its frames only
    // looks and does not wait, so that each frame follows the last at once.
    void setStreaming(bool streaming) { streaming_ = streaming; }
    // Whether the files the camera announces as added are kept for
    // takeAdded; either way those kept so far are forgotten.
    void collectAdded(bool on);
    // The files announced as added since the last call, the events the
    // camera has already sent read first.
    std::vector<std::filesystem::path> takeAdded();

  private:
    template <class Call> auto call(Call&& work);
    const FileEntry* entry(const std::string& path);
    std::pair<Bytes, int64_t> head(const std::string& path, uint64_t limit);
    cdsim::ItemMetadata metadataOf(const cdsim::ItemFiles& files,
                                   const cdsim::CameraDescription* camera, uint64_t limit,
                                   bool* cutShort);
    void makeFolders(const std::filesystem::path& folder);
    std::filesystem::path scratch();
    bool pollEvents();
    void noteEvent(const CameraEvent& event);
    void disconnected();
    std::filesystem::path capturedOrCardFull();

    Detected camera_;
    std::function<void(uint32_t eventId)> told_;
    std::unique_ptr<Device> device_;                       // touched on the worker only
    std::map<std::string, std::vector<FileEntry>> listed_; // on the worker only
    // The configuration as last read, kept for a moment: the remote window
    // reads a dozen parameters at once, and a PTP camera may take the better
    // part of a second for each reading. On the worker only.
    std::optional<Widget> configuration_;
    std::chrono::steady_clock::time_point configurationRead_;
    std::atomic<bool> connected_{false};
    std::atomic<bool> streaming_{false};
    bool collecting_ = false;                  // on the worker only
    std::vector<std::filesystem::path> added_; // on the worker only
    std::filesystem::path scratch_;
    uint64_t eventTask_ = 0;
};

// The layer's code for a libgphoto2 result.
cdError codeOfResult(int result);

} // namespace cdgp
