#pragma once
// The simulated camera's live viewfinder: a thread of its own that hands JPEG
// frames to the callback at the camera's frame rate, and on demand.

#include "Remote.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <optional>
#include <thread>

namespace cdsim {

class Viewfinder {
  public:
    // framesPerSecond 0: frames only on demand.
    Viewfinder(cdViewfinderCallbackFunction function, cdContext context,
               std::shared_ptr<const LiveView> live, uint32_t framesPerSecond);
    ~Viewfinder();
    Viewfinder(const Viewfinder&) = delete;
    Viewfinder& operator=(const Viewfinder&) = delete;

    // Hands frame, or the sensor's next frame when empty, to the callback on
    // the viewfinder's thread; returns once it was called.
    void deliver(std::optional<Bytes> frame);
    uint32_t frames() const { return frames_; }

  private:
    void loop();
    void send(const std::optional<Bytes>& frame);

    const cdViewfinderCallbackFunction function_;
    const cdContext context_;
    const std::shared_ptr<const LiveView> live_;
    const uint32_t framesPerSecond_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::optional<Bytes>> requests_;
    uint64_t requested_ = 0;
    uint64_t served_ = 0;
    bool stopping_ = false;
    std::atomic<uint32_t> frames_{0};
    uint32_t sensorFrame_ = 0;
    std::thread thread_;
};

} // namespace cdsim
