#pragma once
// A camera's live viewfinder: a thread of its own that hands JPEG frames to
// the callback at the camera's pace, and on demand.

#include "sim/Remote.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace cdsim {

// The camera's next frame, or none when it gives no more.
using FrameSource = std::function<std::optional<Bytes>()>;

class Viewfinder {
  public:
    // period: between frames, zero for each as soon as the last was handed
    // on; none for frames only on demand.
    Viewfinder(cdViewfinderCallbackFunction function, cdContext context, FrameSource next,
               std::optional<std::chrono::microseconds> period);
    ~Viewfinder();
    Viewfinder(const Viewfinder&) = delete;
    Viewfinder& operator=(const Viewfinder&) = delete;

    // Hands frame, or the camera's next frame when empty, to the callback on
    // the viewfinder's thread; returns once it was called.
    void deliver(std::optional<Bytes> frame);
    uint32_t frames() const { return frames_; }

  private:
    void loop();
    bool send(const std::optional<Bytes>& frame);

    const cdViewfinderCallbackFunction function_;
    const cdContext context_;
    const FrameSource next_;
    const std::optional<std::chrono::microseconds> period_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::optional<Bytes>> requests_;
    uint64_t requested_ = 0;
    uint64_t served_ = 0;
    bool stopping_ = false;
    bool ended_ = false; // the camera gives no more frames of its own
    std::atomic<uint32_t> frames_{0};
    std::thread thread_;
};

} // namespace cdsim
