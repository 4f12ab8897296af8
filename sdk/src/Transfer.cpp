#include "Transfer.h"

#include <algorithm>
#include <fstream>

namespace cdsim {

cdError writeBytes(const Bytes& bytes, const std::string& path, cdProgressCallbackFunction progress,
                   cdContext context) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return CD_ERR_FILE_IO;
    }
    const auto report = [&](uint32_t percent) {
        if (progress) {
            progress(percent, CD_PROGRESS_STATUS_TRANSFER, context);
        }
    };
    report(0);
    const size_t step = (bytes.size() + 3) / 4;
    for (uint32_t quarter = 1; quarter <= 4; ++quarter) {
        const size_t begin = std::min(bytes.size(), step * (quarter - 1));
        const size_t end = std::min(bytes.size(), step * quarter);
        out.write(reinterpret_cast<const char*>(bytes.data() + begin),
                  static_cast<std::streamsize>(end - begin));
        report(quarter * 25);
    }
    out.close();
    return out ? CD_OK : CD_ERR_FILE_IO;
}

} // namespace cdsim
