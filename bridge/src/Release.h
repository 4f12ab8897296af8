#pragma once
// Remote release: the release data kind a destination and data choice select.

#include <cstdint>

namespace tesselink {

// The SDK's release data kind for a destination (TS_RELEASE_TO_...) and data
// (TS_RELEASE_THUMBNAIL, _PICTURE or _BOTH); any other pair passes data on.
int32_t releaseDataKind(int32_t destination, int32_t data);

} // namespace tesselink
