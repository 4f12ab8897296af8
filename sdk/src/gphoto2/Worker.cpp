#include "Worker.h"

#include "../Log.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

namespace cdgp {
namespace {

// How long the worker rests between rounds of idle tasks when no job comes.
constexpr auto idlePause = std::chrono::milliseconds(50);

using Clock = std::chrono::steady_clock;

// Sent to the worker to end a system call it is stuck in: a driver opening a
// FIFO, or a line that never answers. Nobody else sends it.
int interruptSignal() {
    return SIGRTMIN + 3;
}

void installInterrupt() {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: the call fails with EINTR
    sigaction(interruptSignal(), &action, nullptr);
}

std::atomic<int64_t> limitMilliseconds{60'000};
std::atomic<Clock::rep> lastSign{0};

class Worker {
  public:
    Worker() : thread_([this] { loop(); }) { installInterrupt(); }

    void run(std::function<void()> job) {
        if (std::this_thread::get_id() == thread_.get_id()) {
            job();
            return;
        }
        std::exception_ptr failure;
        bool done = false;
        std::unique_lock<std::mutex> lock(mutex_);
        jobs_.push_back([&] {
            try {
                job();
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard<std::mutex> finished(mutex_);
            done = true;
            changed_.notify_all();
        });
        changed_.notify_all();
        auto asked = Clock::now();
        const auto lastAlive = [&] {
            return std::max(asked, Clock::time_point(Clock::duration(lastSign.load())));
        };
        while (!done) {
            const auto limit = std::chrono::milliseconds(limitMilliseconds.load());
            if (!changed_.wait_until(lock, lastAlive() + limit, [&] { return done; }) &&
                Clock::now() - lastAlive() >= limit) {
                // Whatever the worker is stuck in is interrupted, and fails;
                // this call still waits for it to end, as the work may hold
                // this call's data.
                cdsim::logLine("cdsdk: a camera call showed no sign of life for " +
                               std::to_string(limit.count()) + " ms and was interrupted");
                asked = Clock::now();
                pthread_kill(thread_.native_handle(), interruptSignal());
            }
        }
        lock.unlock();
        if (failure) {
            std::rethrow_exception(failure);
        }
    }

    uint64_t add(std::function<bool()> task) {
        std::lock_guard<std::mutex> lock(mutex_);
        idle_.emplace(++lastTask_, std::move(task));
        changed_.notify_all();
        return lastTask_;
    }

    void remove(uint64_t task) {
        std::unique_lock<std::mutex> lock(mutex_);
        idle_.erase(task);
        if (std::this_thread::get_id() != thread_.get_id()) {
            changed_.wait(lock, [&] { return runningTask_ != task; });
        }
    }

  private:
    void loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return !jobs_.empty() || !idle_.empty(); });
            if (!jobs_.empty()) {
                auto job = std::move(jobs_.front());
                jobs_.pop_front();
                stillWorking();
                lock.unlock();
                job();
                lock.lock();
                continue;
            }
            idleRound(lock);
            changed_.wait_for(lock, idlePause, [&] { return !jobs_.empty(); });
        }
    }

    // One run of every idle task, each let go when it answers false.
    void idleRound(std::unique_lock<std::mutex>& lock) {
        std::vector<uint64_t> tasks;
        for (const auto& [id, task] : idle_) {
            tasks.push_back(id);
        }
        for (const uint64_t id : tasks) {
            const auto found = idle_.find(id);
            if (found == idle_.end() || !jobs_.empty()) {
                continue;
            }
            const auto task = found->second;
            runningTask_ = id;
            stillWorking();
            lock.unlock();
            const bool again = task();
            lock.lock();
            runningTask_ = 0;
            if (!again) {
                idle_.erase(id);
            }
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    std::map<uint64_t, std::function<bool()>> idle_;
    uint64_t lastTask_ = 0;
    uint64_t runningTask_ = 0;
    std::thread thread_;
};

// Never destroyed: cameras may still be closed on it while the program ends.
Worker& worker() {
    static Worker* const instance = new Worker;
    return *instance;
}

} // namespace

void stillWorking() {
    lastSign = Clock::now().time_since_epoch().count();
}

void setCallLimit(std::chrono::milliseconds limit) {
    limitMilliseconds = limit.count();
}

void runOnWorker(std::function<void()> job) {
    worker().run(std::move(job));
}

uint64_t addIdleTask(std::function<bool()> task) {
    return worker().add(std::move(task));
}

void removeIdleTask(uint64_t task) {
    worker().remove(task);
}

} // namespace cdgp
