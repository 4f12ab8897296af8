// The comment written into a received picture: the input is the picture file,
// the comment lines are fixed.

#include "Errors.h"
#include "FuzzSupport.h"
#include "JPEGImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeInput("picture.jpg", fuzz::bytesOf(data, size));
    TJPEGImage record;
    record.commentLines = {"Lumvik rotated picture 90 degrees to the right.", "ÆØÅ é"};
    try {
        record.insertComment(path);
    } catch (const ELumvikError&) {
    }
    return 0;
}
