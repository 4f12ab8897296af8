#include "VirtualCamera.h"

#include "CameraFixture.h"
#include "cdsdk_simcontrol.h"

#include <QDir>
#include <QFile>

#ifdef __SANITIZE_ADDRESS__
// The virtual camera's port driver keeps what it allocates until libgphoto2
// unloads it, and then the leak check cannot even name the module: these
// tests are checked for everything else, but not for leaks.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif

namespace vcamera {

QString card() {
    return QStringLiteral(LUMVIK_VCAMERA "/card");
}

cdError inject(Injection action) {
    const std::string operation = "0x9999,0x" + std::to_string(static_cast<int>(action));
    return cdsimConfigureCamera("opcode", operation.c_str());
}

bool built() {
    return QFile::exists(QStringLiteral(LUMVIK_VCAMERA "/iolibs/vusb.so"));
}

void prepare() {
    QDir card(vcamera::card());
    ASSERT_TRUE(card.removeRecursively());
    ASSERT_TRUE(card.mkpath("DCIM/100CANON"));
    const QString folder = card.filePath("DCIM/100CANON/");
    fixture::writePicture(folder + "IMG_0001.JPG", fixture::shotAt("2004:05:06 07:08:09"));
    fixture::writePicture(folder + "IMG_0002.JPG", fixture::shotAt("2004:05:07 10:00:00", 6),
                          {80, 60});
    qputenv("IOLIBS", LUMVIK_VCAMERA "/iolibs");
    qputenv("LUMVIK_CAMERA", "gphoto2:Nikon DSC D750@usb:001,001");
}

} // namespace vcamera
