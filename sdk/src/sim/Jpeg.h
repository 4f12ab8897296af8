#pragma once
// JPEG encoding and EXIF for the pictures the simulated camera makes.

#include "../ItemMetadata.h"

#include <turbojpeg.h>

#include <string>

namespace cdsim {

// A TurboJPEG handle, destroyed with its owner.
class TurboJpeg {
  public:
    explicit TurboJpeg(tjhandle handle) : handle_(handle) {}
    ~TurboJpeg() {
        if (handle_) {
            tjDestroy(handle_);
        }
    }
    TurboJpeg(const TurboJpeg&) = delete;
    TurboJpeg& operator=(const TurboJpeg&) = delete;
    tjhandle get() const { return handle_; }

  private:
    tjhandle handle_;
};

// Rows of red, green and blue bytes as a JPEG of the given quality (1 to
// 100); empty when the encoder fails.
Bytes encodeRgb(const uint8_t* pixels, int width, int height, int quality);

// What a picture's EXIF block records.
struct ExifFacts {
    std::string model;
    std::string owner;
    std::string taken; // "YYYY:MM:DD HH:MM:SS"
    int width = 0;
    int height = 0;
    int orientation = 1;
    // Exposure, when the camera shot the picture.
    bool exposed = false;
    double exposureTime = 0; // seconds
    double fNumber = 0;
    double exposureBias = 0; // EV
    int iso = 0;
    bool flash = false;
    double focalLength = 0; // millimetres
};

// The JPEG with an EXIF block of the facts and, when not empty, the thumbnail
// in it; the JPEG unchanged when EXIF cannot be written.
Bytes withExif(const Bytes& jpeg, const ExifFacts& facts, const Bytes& thumbnail);

// Local time now, as EXIF writes it.
std::string exifTimeNow();

} // namespace cdsim
