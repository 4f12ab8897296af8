// A file-name or subdirectory pattern expanded for a picture whose camera
// facts come from the input too: the input is the pattern after 16 bytes of
// facts.

#include "FuzzSupport.h"
#include "NamePattern.h"

namespace {

int takeInt(const uint8_t*& data, size_t& size) {
    int value = 0;
    for (int i = 0; i < 2; ++i)
        value = (value << 8) | fuzz::takeByte(data, size);
    return value - 0x8000;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPatternSource source;
    source.movie = (fuzz::takeByte(data, size) & 1) != 0;
    source.date = QDateTime::fromSecsSinceEpoch(uint32_t(takeInt(data, size)) * 65536u);
    source.folderNumber = takeInt(data, size);
    source.fileNumber = takeInt(data, size);
    source.iso = takeInt(data, size);
    source.tvNumerator = takeInt(data, size);
    source.tvDenominator = takeInt(data, size);
    source.avNumerator = takeInt(data, size);
    source.avDenominator = fuzz::takeByte(data, size);
    source.width = source.height = 1600;
    source.name = "IMG_0001.JPG";
    source.model = "Canon PowerShot G5/..";
    source.owner = QString::fromUtf8("Kim\x01 Doe\\");
    source.focal = source.teleFocal = source.wideFocal = 7;
    const QString pattern = QString::fromUtf8(fuzz::bytesOf(data, size));
    const QString name = ExpandPattern(pattern, source, [] { return QString("user/../text"); });
    // Values from the camera never add folders.
    if (!pattern.contains('/') && name.contains('/'))
        __builtin_trap();
    return 0;
}
