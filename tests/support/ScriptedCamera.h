#pragma once
// A camera put below the layer's worker thread in place of libgphoto2, as
// the test scripts it: its card in memory, its widgets, what a capture
// stores, its preview frames, and a line that can go or a call that sticks.
// It shows what no folder driver does: releases, preview frames, events and
// an unplugged camera.

#include "gphoto2/Device.h"

#include <gphoto2/gphoto2-port-result.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace scripted {

// The storage the camera offers, where its captures go.
inline constexpr const char* StoreRoot = "/store_00010001";

// What the camera holds and does, shared between the devices the layer
// makes of it and the test. What the test changes while the layer's worker
// runs, it changes under the mutex.
struct Script {
    std::mutex mutex;
    cdgp::Abilities abilities{true, false, false, true, true};
    std::string summary; // the driver's summary text
    cdgp::Widget config;
    std::map<std::string, cdgp::Bytes> card; // by path
    size_t piece = 1000;                     // what the driver delivers at a time
    // When set, reading a file's head first opens this file: a FIFO there
    // blocks the call as it blocks a driver, until the call is interrupted.
    std::string stuckAt;
    cdgp::Bytes picture;               // what each capture stores
    std::optional<int> captureFailure; // a libgphoto2 result
    std::set<std::string> refused;     // widgets whose every value the camera refuses
    std::vector<cdgp::Bytes> frames;
    size_t framesGiven = 0;
    size_t framesBeforeFailure = SIZE_MAX;
    size_t previewCalls = 0;
    std::set<size_t> refusedPreviews; // preview calls the camera refuses, from 0
    bool unplugged = false;
    // How every call fails once unplugged: a PTP camera whose line is gone
    // answers a plain input/output error.
    cdgp::GphotoError lineGone{"gp_camera_wait_for_event", GP_ERROR_IO, "I/O problem"};
    int captures = 0;
    int configurationReads = 0;
    int receptions = 0; // files asked for piece by piece
    std::string lastCaptured;
    std::vector<std::string> targetsAtCapture; // the capture target of each capture
    std::set<std::thread::id> threads;         // that called the camera

    std::string value(const std::string& widget);
    bool holds(const std::string& path);
};

class ScriptedCamera final : public cdgp::Device {
  public:
    explicit ScriptedCamera(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    cdgp::Abilities abilities() override;
    std::string summary() override;
    std::vector<cdgp::Storage> storages() override;
    std::vector<std::string> folders(const std::string& folder) override;
    std::vector<cdgp::FileEntry> files(const std::string& folder) override;
    cdgp::Bytes read(const std::string& path, cdgp::FileKind kind,
                     const cdgp::Progress& progress) override;
    void receive(const std::string& path, const cdgp::Receiver& receiver,
                 const cdgp::Progress& progress) override;
    cdgp::Bytes readHead(const std::string& path, uint64_t size) override;
    void remove(const std::string& path) override;
    void makeFolder(const std::string& folder, const std::string& name) override;
    void put(const std::string& path, const cdgp::Bytes& bytes) override;
    cdgp::Widget configuration() override;
    void configure(const std::string& name, const std::string& value) override;
    std::string capture() override;
    cdgp::Bytes capturePreview() override;
    cdgp::CameraEvent waitForEvent(int milliseconds) override;

  private:
    Script* touch();
    std::shared_ptr<Script> script_;
};

} // namespace scripted
