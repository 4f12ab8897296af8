// The viewfinder of a camera and its operations.

#include "Viewfinder.h"

#include "sim/Sensor.h"
#include "State.h"
#include "cdsdk_simcontrol.h"
#include "gphoto2/Control.h"

#include <chrono>

using namespace cdsim;
using Clock = std::chrono::steady_clock;

Viewfinder::Viewfinder(cdViewfinderCallbackFunction function, cdContext context,
                       FrameSource next, std::optional<std::chrono::microseconds> period)
    : function_(function), context_(context), next_(std::move(next)), period_(period),
      thread_([this] { loop(); }) {}

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

bool Viewfinder::send(const std::optional<Bytes>& frame) {
    const std::optional<Bytes> bytes = frame ? frame : next_();
    if (!bytes) {
        return false;
    }
    function_(bytes->data(), static_cast<uint32_t>(bytes->size()), 0, context_);
    ++frames_;
    return true;
}

// Frames of the camera's own come each period after the last while it gives
// them; requested frames come between them.
void Viewfinder::loop() {
    const auto period = period_.value_or(std::chrono::microseconds(0));
    auto due = Clock::now() + period;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto ready = [&] { return stopping_ || !requests_.empty(); };
        const bool paced = period_ && !ended_;
        if (paced) {
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
        const bool sent = send(frame);
        lock.lock();
        if (requested) {
            ++served_;
            changed_.notify_all();
        } else {
            ended_ = !sent;
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

// The simulated sensor's frames, or a real camera's.
FrameSource framesOf(const Source& source) {
    if (source.gphoto) {
        return source.gphoto->frames();
    }
    return [live = source.remote.live, frame = uint32_t(0)]() mutable {
        return std::optional<Bytes>(viewfinderFrame(*live, frame++));
    };
}

// A real camera gives its frames at its own pace.
std::optional<std::chrono::microseconds> paceOf(const Source& source) {
    const uint32_t perSecond = source.description.offers.viewfinderFramesPerSecond;
    if (source.gphoto) {
        return std::chrono::microseconds(0);
    }
    return perSecond ? std::optional(std::chrono::microseconds(1000000 / perSecond))
                     : std::nullopt;
}

// Where the camera shows its picture, and its automatic functions on demand:
// what not every camera does.
void requireControls(const Source& source) {
    if (!source.description.offers.viewfinderControls) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
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
            std::make_shared<Viewfinder>(function, context, framesOf(source), paceOf(source));
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
        requireControls(source);
        if (output < CD_VIEWFINDER_OUTPUT_LCD || output > CD_VIEWFINDER_OUTPUT_OFF) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        source.remote.live->output = output;
    });
}

cdError CDActViewfinderAutoFunctions(cdHSource handle, uint32_t functions) {
    return run("CDActViewfinderAutoFunctions", [&](State& state, auto&) {
        auto& source = runningViewfinder(state, handle);
        requireControls(source);
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
