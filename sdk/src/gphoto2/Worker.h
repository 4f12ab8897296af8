#pragma once
// The one thread of the layer that makes every libgphoto2 call, for all
// cameras: libgphoto2 is not safe to call from several threads.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>

namespace cdgp {

// Runs job on the worker thread and waits for it; what it throws is thrown
// here. When the worker shows no sign of life for the call limit, the system
// call it is stuck in (a driver opening a FIFO, a line that never answers) is
// interrupted, so that the libgphoto2 call fails and the job ends.
void runOnWorker(std::function<void()> job);

// A sign of life from the work on the worker (a transfer's progress): the
// call limit counts from the last one.
void stillWorking();

// The call limit, a minute unless a test shortens it.
void setCallLimit(std::chrono::milliseconds limit);

template <class Job> auto onWorker(Job&& job) -> std::invoke_result_t<Job&> {
    using Result = std::invoke_result_t<Job&>;
    if constexpr (std::is_void_v<Result>) {
        runOnWorker(std::forward<Job>(job));
    } else {
        std::optional<Result> result;
        runOnWorker([&] { result.emplace(job()); });
        return std::move(*result);
    }
}

// Runs task on the worker again and again while no job waits, until it
// answers false or is removed; the number names it for removeIdleTask.
uint64_t addIdleTask(std::function<bool()> task);
// Returns once the task no longer runs; on the worker itself, after its round.
void removeIdleTask(uint64_t task);

} // namespace cdgp
