#include "Remote.h"

#include <utility>

namespace fs = std::filesystem;

namespace cdsim {

void ReleasedData::push(Entry entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back(std::move(entry));
}

std::optional<ReleasedData::Entry> ReleasedData::pop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (entries_.empty()) {
        return std::nullopt;
    }
    Entry entry = std::move(entries_.front());
    entries_.pop_front();
    return entry;
}

std::optional<fs::path> ReleasedData::nextFile() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (entries_.empty()) {
        return std::nullopt;
    }
    return entries_.front().onCard;
}

void ReleasedData::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
    failure_.reset();
}

void ReleasedData::fail(cdError code) {
    std::lock_guard<std::mutex> lock(mutex_);
    failure_ = code;
}

std::optional<cdError> ReleasedData::takeFailure() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(failure_, std::nullopt);
}

Settings initialSettings() {
    Settings settings{};
    settings[Quality] = 3;       // fine
    settings[ImageSize] = 0;     // large
    settings[ShootingMode] = 1;  // program
    settings[Av] = 40;           // f/4
    settings[Tv] = 96;           // 1/30 s
    settings[ExposureComp] = 24; // 0 EV
    settings[WhiteBalance] = 0;  // auto
    settings[AFDistance] = 1;    // auto
    settings[FlashMode] = 1;     // auto
    settings[FlashComp] = 24;    // 0 EV
    settings[Metering] = 3;      // evaluative
    settings[Beep] = 1;          // on
    return settings;
}

Remote::Remote() : settings(initialSettings()) {}

Remote::~Remote() {
    if (shooting.joinable()) {
        shooting.join();
    }
}

} // namespace cdsim
