#pragma once
// The simulated camera's sensor: the pictures of releases, the viewfinder's
// frames and the pictures made of added raw pixel files, all real JPEG.

#include "CameraFolder.h"
#include "Remote.h"

namespace cdsim {

struct Exposure {
    Bytes picture;   // JPEG with EXIF that carries the thumbnail
    Bytes thumbnail; // 160 x 120 JPEG
};

// A picture of the scene framed by the zoom, at the size and quality of the
// image format, with the parameters and zoom written into it.
Exposure expose(const Scene& scene);

// Frame number n of the live picture, 320 x 240; every thirtieth one is plain
// gray, as a camera sends while it adjusts.
Bytes viewfinderFrame(const LiveView& live, uint32_t n);

// rgb: width * height * 3 bytes, rows from the top. A JPEG of the given
// quality (1 to 100) with EXIF of the camera and the rotation as orientation.
Bytes pictureOfPixels(const Bytes& rgb, int width, int height, int quality, uint16_t rotation,
                      const CameraDescription& camera);

} // namespace cdsim
