#pragma once
// Upload to the camera: the SDK's quality code of the program's quality index.

#include <cstdint>

namespace tesselink {

// 0 low, 1 normal, 2 high, 3 very high; any other index is normal.
uint32_t uploadQualityCode(int32_t quality);

} // namespace tesselink
