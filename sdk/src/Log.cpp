#include "Log.h"

#include "cdsdk_log.h"

#include <iostream>
#include <mutex>

namespace cdsim {
namespace {

struct Sink {
    std::mutex mutex;
    cdLogFunction function = nullptr;
    void* data = nullptr;
};

Sink& sink() {
    static Sink instance;
    return instance;
}

} // namespace

// Under the lock, so that a line never goes to a function being replaced.
void logLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(sink().mutex);
    if (sink().function) {
        sink().function(line.c_str(), sink().data);
    } else {
        std::clog << line << "\n";
    }
}

} // namespace cdsim

extern "C" void cdSetLogFunction(cdLogFunction function, void* data) {
    std::lock_guard<std::mutex> lock(cdsim::sink().mutex);
    cdsim::sink().function = function;
    cdsim::sink().data = data;
}
