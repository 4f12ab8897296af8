#pragma once
// A thumbnail made from a JPEG picture that carries none of its own.

#include "ItemMetadata.h"

#include <filesystem>

namespace cdsim {

// The picture scaled down by a power of two to fit 160 x 160, as JPEG; empty
// when the file does not decode or is larger than any camera writes.
Bytes scaledThumbnail(const std::filesystem::path& jpeg);
Bytes scaledThumbnail(const Bytes& picture);

} // namespace cdsim
