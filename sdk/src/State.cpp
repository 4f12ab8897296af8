#include "State.h"

#include "cdsdk_simcontrol.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <new>
#include <thread>

namespace cdsim {

State& state() {
    static State instance;
    return instance;
}

std::mutex& stateMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<Source*> State::sources() const {
    std::vector<Source*> open;
    for (const auto& [handle, object] : objects_) {
        if (const auto* source = std::get_if<std::shared_ptr<Source>>(&object)) {
            open.push_back(source->get());
        }
    }
    return open;
}

void State::countOpen(uint32_t& enumerations, uint32_t& itemOpens, uint32_t& sources) const {
    enumerations = itemOpens = sources = 0;
    for (const auto& [handle, object] : objects_) {
        enumerations += std::holds_alternative<std::shared_ptr<Enumeration>>(object);
        sources += std::holds_alternative<std::shared_ptr<Source>>(object);
        if (const auto* item = std::get_if<std::shared_ptr<Item>>(&object)) {
            itemOpens += static_cast<uint32_t>((*item)->openCount);
        }
    }
}

cdHEnum State::newEnumeration(EnumKind kind, std::vector<uint32_t> entries, Source* owner) {
    const cdHEnum handle = add(std::make_shared<Enumeration>(kind, std::move(entries)));
    if (owner) {
        owner->owned.push_back(handle);
    }
    return handle;
}

Enumeration& State::enumeration(cdHEnum handle, EnumKind kind) const {
    auto& found = get<Enumeration>(handle);
    if (found.kind != kind) {
        throw Failure{CD_ERR_BAD_HANDLE};
    }
    return found;
}

uint32_t State::nextEntry(cdHEnum handle, EnumKind kind) const {
    auto& entries = enumeration(handle, kind);
    if (entries.next >= entries.entries.size()) {
        throw Failure{CD_ERR_ENUM_END};
    }
    return entries.entries[entries.next++];
}

void State::releaseEnumeration(cdHEnum handle, EnumKind kind) {
    enumeration(handle, kind);
    remove(handle);
}

std::optional<cdError> injectedFailure(State& state, const char* operation) {
    std::optional<cdError> code;
    for (auto armed = state.failures.begin(); armed != state.failures.end();) {
        if (armed->operation == operation && --armed->callsLeft == 0) {
            code = code.value_or(armed->code);
            armed = state.failures.erase(armed);
        } else {
            ++armed;
        }
    }
    return code;
}

namespace {
std::atomic<uint32_t> callLatency{0};
}

void setCallLatency(uint32_t milliseconds) {
    callLatency = milliseconds;
}

void waitCallLatency() {
    if (const uint32_t milliseconds = callLatency.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

cdError codeOfCurrentException() {
    try {
        throw;
    } catch (const Failure& failure) {
        return failure.code;
    } catch (const std::filesystem::filesystem_error&) {
        return CD_ERR_FILE_IO;
    } catch (...) {
        return CD_ERR_INTERNAL;
    }
}

Card& computerCard() {
    static const auto computer = folderCard({});
    return *computer;
}

Card& cardOf(const Item& item) {
    return item.source ? *item.source->card : computerCard();
}

void requireConnected(const State& state, const Source* source) {
    if (source && source->camera && (state.unplugged || !source->card->connected())) {
        throw Failure{CD_ERR_DEVICE_DISCONNECTED};
    }
}

Source& cameraSource(State& state, cdHSource handle) {
    auto& source = state.get<Source>(handle);
    requireConnected(state, &source);
    if (!source.camera) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    return source;
}

Source& releaseControl(State& state, cdHSource handle) {
    auto& source = cameraSource(state, handle);
    if (!source.remote.inReleaseControl) {
        throw Failure{CD_ERR_NOT_IN_RELEASE_CONTROL};
    }
    return source;
}

namespace {

// Runs the calls that deliver camera and release events on a thread of the
// camera, one at a time, without holding the state's lock.
class EventThread {
  public:
    ~EventThread() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void deliver(std::function<void()> call, bool wait) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { loop(); });
        }
        queue_.push_back(std::move(call));
        const uint64_t ticket = ++queued_;
        changed_.notify_all();
        if (wait) {
            changed_.wait(lock, [&] { return delivered_ >= ticket; });
        }
    }

  private:
    void loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) {
                return;
            }
            const auto call = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            call();
            lock.lock();
            ++delivered_;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> queue_;
    uint64_t queued_ = 0;
    uint64_t delivered_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

EventThread& eventThread() {
    static EventThread thread;
    return thread;
}

void callRegistrations(uint32_t eventId) {
    std::vector<EventRegistration> registrations;
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        for (const Source* source : state().sources()) {
            for (const auto& [handle, registration] : source->registrations) {
                registrations.push_back(registration);
            }
        }
    }
    for (const auto& registration : registrations) {
        registration.function(eventId, nullptr, 0, registration.context);
    }
}

} // namespace

void onEventThread(std::function<void()> call) {
    eventThread().deliver(std::move(call), true);
}

void postCameraEvent(uint32_t eventId) {
    eventThread().deliver([eventId] { callRegistrations(eventId); }, false);
}

} // namespace cdsim

using namespace cdsim;

extern "C" {

void cdsimInjectEvent(uint32_t eventId) {
    onEventThread([eventId] { callRegistrations(eventId); });
}

void cdsimFailCall(const char* operation, uint32_t n, cdError code) {
    std::lock_guard<std::mutex> lock(stateMutex());
    state().failures.push_back({operation, std::max<uint32_t>(n, 1), code});
}

void cdsimUnplug(void) {
    {
        std::lock_guard<std::mutex> lock(stateMutex());
        state().unplugged = true;
    }
    cdsimInjectEvent(CD_EVENT_SHUTDOWN | CD_EVENT_REASON_CONNECTION_LOST);
}

void cdsimGetOpenCounts(cdsimOpenCounts* counts) {
    std::lock_guard<std::mutex> lock(stateMutex());
    state().countOpen(counts->enumerations, counts->itemOpens, counts->sources);
}

void cdsimReset(void) {
    std::lock_guard<std::mutex> lock(stateMutex());
    state().failures.clear();
    state().unplugged = false;
}
}
