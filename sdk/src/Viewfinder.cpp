// The viewfinder of the simulated camera and its operations.

#include "Viewfinder.h"

#include "Sensor.h"
#include "State.h"
#include "cdsdk_simcontrol.h"

#include <chrono>

using namespace cdsim;
using Clock = std::chrono::steady_clock;

Viewfinder::Viewfinder(cdViewfinderCallbackFunction function, cdContext context,
                       std::shared_ptr<const LiveView> live, uint32_t framesPerSecond)
    : function_(function), context_(context), live_(std::move(live)),
      framesPerSecond_(framesPerSecond), thread_([this] { loop(); }) {}

Viewfinder::~Viewfinder() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void Viewfinder::deliver(std::optional<Bytes> frame) {
    std::unique_lock<std::mutex> lock(mutex_);
    requests_.push_back(std::move(frame));
    const uint64_t ticket = ++requested_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return stopping_ || served_ >= ticket; });
}

void Viewfinder::send(const std::optional<Bytes>& frame) {
    const Bytes bytes = frame ? *frame : viewfinderFrame(*live_, sensorFrame_++);
    function_(bytes.data(), static_cast<uint32_t>(bytes.size()), 0, context_);
    ++frames_;
}

void Viewfinder::loop() {
    const auto period = framesPerSecond_ ? std::chrono::microseconds(1000000 / framesPerSecond_)
                                         : std::chrono::microseconds(0);
    auto due = Clock::now() + period;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto ready = [&] { return stopping_ || !requests_.empty(); };
        if (framesPerSecond_) {
            changed_.wait_until(lock, due, ready);
        } else {
            changed_.wait(lock, ready);
        }
        if (stopping_) {
            return;
        }
        const bool requested = !requests_.empty();
        if (!requested && Clock::now() < due) {
            continue;
        }
        std::optional<Bytes> frame;
        if (requested) {
            frame = std::move(requests_.front());
            requests_.pop_front();
        } else {
            due = std::max(due + period, Clock::now());
        }
        lock.unlock();
        send(frame);
        lock.lock();
        if (requested) {
            ++served_;
            changed_.notify_all();
        }
    }
}

namespace {

Source& viewfinderCamera(State& state, cdHSource handle) {
    auto& source = releaseControl(state, handle);
    if (!source.description.offers.viewfinder) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    return source;
}

Source& runningViewfinder(State& state, cdHSource handle) {
    auto& source = viewfinderCamera(state, handle);
    if (!source.remote.viewfinder) {
        throw Failure{CD_ERR_NOT_RUNNING};
    }
    return source;
}

} // namespace

extern "C" {

cdError CDStartViewfinder(cdHSource handle, uint32_t format, cdViewfinderCallbackFunction function,
                          cdContext context) {
    return run("CDStartViewfinder", [&](State& state, auto&) {
        auto& source = viewfinderCamera(state, handle);
        if (format != 0 || !function) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        if (source.remote.viewfinder) {
            throw Failure{CD_ERR_BUSY};
        }
        source.remote.viewfinder =
            std::make_shared<Viewfinder>(function, context, source.remote.live,
                                         source.description.offers.viewfinderFramesPerSecond);
    });
}

cdError CDTermViewfinder(cdHSource handle) {
    return run("CDTermViewfinder", [&](State& state, auto& lock) {
        auto stopped = std::move(runningViewfinder(state, handle).remote.viewfinder);
        // The last frame may still be on its way; it must not wait for the lock.
        lock.unlock();
        stopped.reset();
        lock.lock();
    });
}

cdError CDSelectViewFinderCameraOutput(cdHSource handle, uint32_t output) {
    return run("CDSelectViewFinderCameraOutput", [&](State& state, auto&) {
        auto& source = viewfinderCamera(state, handle);
        if (output < CD_VIEWFINDER_OUTPUT_LCD || output > CD_VIEWFINDER_OUTPUT_OFF) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        source.remote.live->output = output;
    });
}

cdError CDActViewfinderAutoFunctions(cdHSource handle, uint32_t functions) {
    return run("CDActViewfinderAutoFunctions", [&](State& state, auto&) {
        auto& source = runningViewfinder(state, handle);
        const uint32_t all = CD_AUTO_EXPOSURE | CD_AUTO_FOCUS | CD_AUTO_WHITE_BALANCE;
        if (functions == 0 || (functions & ~all) != 0) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        source.remote.autoFunctions = functions;
    });
}

int cdsimDeliverViewfinderFrame(const uint8_t* bytes, uint32_t size) {
    std::shared_ptr<Viewfinder> viewfinder;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        for (Source* source : state().sources()) {
            if (source->remote.viewfinder) {
                viewfinder = source->remote.viewfinder;
            }
        }
    }
    if (!viewfinder) {
        return 0;
    }
    viewfinder->deliver(bytes ? std::optional<Bytes>(Bytes(bytes, bytes + size)) : std::nullopt);
    return 1;
}

} // extern "C"
