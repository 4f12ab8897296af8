#include "ProgressRecord.h"

#include <mutex>

namespace progressrecord {
namespace {

constexpr uint32_t Never = 1000; // a percentage no transfer reaches

struct Record {
    std::mutex mutex;
    std::vector<int32_t> percentages;
    std::vector<std::thread::id> threads;
    uint32_t stop = Never;
};

Record& record() {
    static Record shared;
    return shared;
}

} // namespace

void bridgeCallback(int32_t percent) {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.percentages.push_back(percent);
    r.threads.push_back(std::this_thread::get_id());
}

uint32_t sdkCallback(uint32_t percent, uint32_t, cdContext) {
    bridgeCallback(int32_t(percent));
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    return percent >= r.stop ? 1 : 0;
}

std::vector<int32_t> percentages() {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.percentages;
}

std::vector<std::thread::id> threads() {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.threads;
}

void clear() {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.percentages.clear();
    r.threads.clear();
    r.stop = Never;
}

void stopAt(uint32_t percent) {
    Record& r = record();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.stop = percent;
}

} // namespace progressrecord
