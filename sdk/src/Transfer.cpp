#include "Transfer.h"

#include "ReceivedFile.h"
#include "State.h"
#include "cdsdk_simcontrol.h"

#include <atomic>
#include <condition_variable>
#include <unistd.h>

namespace cdsim {
namespace {

struct Hold {
    std::atomic<uint32_t> percent{0}; // 0: transfers run through
    std::atomic<int> notify{-1};
};

Hold& hold() {
    static Hold instance;
    return instance;
}

// Reports progress and, when a test asked for it, stops the transfer for good
// once the percentage it named has been written.
cdfile::Progress progressOf(cdProgressCallbackFunction progress, cdContext context) {
    return [progress, context](uint32_t percent) {
        if (progress) {
            progress(percent, CD_PROGRESS_STATUS_TRANSFER, context);
        }
        if (percent != 0 && percent == hold().percent.load()) {
            const char held = 1;
            (void)!::write(hold().notify.load(), &held, 1);
            std::mutex mutex;
            std::condition_variable never;
            std::unique_lock<std::mutex> lock(mutex);
            never.wait(lock, [] { return false; });
        }
    };
}

// A full disk has a code of its own: the user can act on it.
cdError codeOf(int error) {
    if (cdfile::isDiskFull(error)) {
        return CD_ERR_DISK_FULL;
    }
    return error == 0 ? CD_OK : CD_ERR_FILE_IO;
}

} // namespace

cdError writeBytes(const Bytes& bytes, const std::string& path, cdProgressCallbackFunction progress,
                   cdContext context) {
    return codeOf(
        cdfile::writeNewFile(path, bytes.data(), bytes.size(), progressOf(progress, context)));
}

cdError copyFile(const std::string& source, const std::string& path,
                 cdProgressCallbackFunction progress, cdContext context) {
    return codeOf(cdfile::copyToNewFile(source, path, progressOf(progress, context)));
}

} // namespace cdsim

extern "C" void cdsimHoldTransfersAt(uint32_t percent, int notifyDescriptor) {
    cdsim::hold().notify = notifyDescriptor;
    cdsim::hold().percent = percent;
}
