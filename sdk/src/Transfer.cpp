#include "Transfer.h"

#include "ReceivedFile.h"
#include "State.h"
#include "cdsdk_simcontrol.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <sys/stat.h>
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

// Reports progress; true when the callback asks to stop. When a test asked
// for it, stops the transfer for good once the percentage it named has been
// written.
bool report(const Delivery& delivery, uint32_t percent) {
    const bool stop = delivery.progress &&
                      delivery.progress(percent, CD_PROGRESS_STATUS_TRANSFER, delivery.context) != 0;
    if (percent != 0 && percent == hold().percent.load()) {
        const char held = 1;
        (void)!::write(hold().notify.load(), &held, 1);
        std::mutex mutex;
        std::condition_variable never;
        std::unique_lock<std::mutex> lock(mutex);
        never.wait(lock, [] { return false; });
    }
    return stop;
}

// A full disk has a code of its own: the user can act on it.
cdError codeOf(int error) {
    if (cdfile::isDiskFull(error)) {
        return CD_ERR_DISK_FULL;
    }
    return error == 0 ? CD_OK : CD_ERR_FILE_IO;
}

// At a pace, a step takes about 50 ms: short enough for a stop to act at
// once and for progress to move, long enough to cost nothing.
constexpr uint64_t StepsPerSecond = 20;

// Writes size bytes, each step's bytes appended by append(offset, count), in
// four steps or at the delivery's pace, and names the file when all arrived.
// A stop or a failure leaves no file behind.
cdError deliver(const std::string& path, uint64_t size, const Delivery& delivery,
                const std::function<int(cdfile::NewFile&, uint64_t, uint64_t)>& append) {
    cdfile::NewFile file(path);
    if (file.error() != 0) {
        return codeOf(file.error());
    }
    const uint64_t rate = delivery.pace.readBytesPerSecond;
    const uint64_t steps =
        rate == 0 ? 4 : std::max<uint64_t>(4, (size * StepsPerSecond + rate - 1) / rate);
    const uint64_t step = (size + steps - 1) / steps;
    const auto start = std::chrono::steady_clock::now();
    if (report(delivery, 0)) {
        return CD_ERR_CANCELLED;
    }
    for (uint64_t done = 1; done <= steps; ++done) {
        const uint64_t begin = std::min(size, step * (done - 1));
        const uint64_t end = std::min(size, step * done);
        if (const int error = append(file, begin, end - begin)) {
            return codeOf(error);
        }
        if (rate != 0) {
            std::this_thread::sleep_until(
                start + std::chrono::microseconds(end * 1'000'000 / rate));
        }
        if (report(delivery, static_cast<uint32_t>(done * 100 / steps))) {
            return CD_ERR_CANCELLED;
        }
    }
    return codeOf(file.commit());
}

} // namespace

cdError writeBytes(const Bytes& bytes, const std::string& path, const Delivery& delivery) {
    return deliver(path, bytes.size(), delivery,
                   [&](cdfile::NewFile& file, uint64_t offset, uint64_t count) {
                       return file.appendBytes(bytes.data() + offset, count);
                   });
}

cdError copyFile(const std::string& source, const std::string& path, const Delivery& delivery) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return codeOf(errno);
    }
    struct stat status {};
    const cdError result =
        ::fstat(in, &status) != 0
            ? codeOf(errno)
            : deliver(path, static_cast<uint64_t>(status.st_size), delivery,
                      [&](cdfile::NewFile& file, uint64_t offset, uint64_t count) {
                          return file.appendRange(in, offset, count);
                      });
    ::close(in);
    return result;
}

} // namespace cdsim

extern "C" void cdsimHoldTransfersAt(uint32_t percent, int notifyDescriptor) {
    cdsim::hold().notify = notifyDescriptor;
    cdsim::hold().percent = percent;
}
