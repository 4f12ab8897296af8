#pragma once
// A camera reached through libgphoto2: the cameras LUMVIK_CAMERA offers, and
// the card and description of an opened one.

#include "../Card.h"
#include "Device.h"

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <memory>
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

// One opened camera: its device lives on the worker, and every call to it
// goes there. Failures are logged with libgphoto2's text and thrown as the
// layer's codes.
class GphotoCard final : public cdsim::Card {
  public:
    // disconnected is called once, from the worker, when the camera goes away.
    GphotoCard(const Detected& camera, std::function<void()> disconnected,
               const DeviceMaker& make = openDevice);
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

  private:
    template <class Call> auto call(Call&& work);
    const FileEntry* entry(const std::string& path);
    Bytes read(const std::string& path);
    cdsim::ItemMetadata metadataOf(const cdsim::ItemFiles& files,
                                   const cdsim::CameraDescription* camera, bool whole);
    void makeFolders(const std::filesystem::path& folder);
    std::filesystem::path scratch();
    bool pollEvents();

    Detected camera_;
    std::function<void()> disconnected_;
    std::unique_ptr<Device> device_; // touched on the worker only
    std::map<std::string, std::vector<FileEntry>> listed_; // on the worker only
    std::atomic<bool> connected_{false};
    std::filesystem::path scratch_;
    uint64_t eventTask_ = 0;
};

// The layer's code for a libgphoto2 result.
cdError codeOfResult(int result);

} // namespace cdgp
