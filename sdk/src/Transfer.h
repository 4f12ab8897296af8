#pragma once
// Moving data to files as a camera does: on a thread of its own, with
// progress reports, while the caller waits without the state's lock.

#include "ItemMetadata.h"
#include "cdsdk.h"
#include "sim/CameraFolder.h"

#include <mutex>
#include <string>
#include <thread>

namespace cdsim {

// How a file is delivered: its reports (none when progress is null) and the
// pace of the data.
struct Delivery {
    cdProgressCallbackFunction progress = nullptr;
    cdContext context = 0;
    Pace pace;
};

// Writes bytes to a new file at path. Reports 0 and then the percentage
// after each step: four steps at once, or at a slow pace a step every 50 ms
// or so, each a chance for the callback to stop the write. An existing path
// is never replaced.
cdError writeBytes(const Bytes& bytes, const std::string& path, const Delivery& delivery);

// The same for the content of the file at source.
cdError copyFile(const std::string& source, const std::string& path, const Delivery& delivery);

// The reporter an operation's progress option asks for.
inline cdProgressCallbackFunction reporter(uint32_t option, cdProgressCallbackFunction progress) {
    return option == CD_PROGRESS_REPORT ? progress : nullptr;
}

// Runs work on a transfer thread and waits for it with the lock let go.
template <class Work> void onTransferThread(std::unique_lock<std::mutex>& lock, Work&& work) {
    lock.unlock();
    std::thread transfer(std::forward<Work>(work));
    transfer.join();
    lock.lock();
}

} // namespace cdsim
