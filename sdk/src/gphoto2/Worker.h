#pragma once
// The one thread of the layer that makes every libgphoto2 call, for all
// cameras: libgphoto2 is not safe to call from several threads.

#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>

namespace cdgp {

// Runs job on the worker thread and waits for it; what it throws is thrown here.
void runOnWorker(std::function<void()> job);

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
