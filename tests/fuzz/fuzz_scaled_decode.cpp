// A picture decoded at a scale, in colour or gray, and encoded again, as the
// preview and the transfer's re-encoding do: the input is the picture.

#include "Errors.h"
#include "FuzzSupport.h"
#include "JPEGImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t options = fuzz::takeByte(data, size);
    try {
        TJPEGImage picture;
        picture.loadFromData(fuzz::bytesOf(data, size));
        picture.setScale(TJPEGScale(options & 3));
        picture.setGrayscale((options & 4) != 0);
        picture.setCompressionQuality(1 + (options >> 3) * 3);
        picture.bitmap();
        picture.compress();
    } catch (const ELumvikError&) {
    }
    return 0;
}
