#include "VirtualCamera.h"

#include "CameraFixture.h"
#include "cdsdk_simcontrol.h"

#include <QDir>
#include <QFile>

namespace vcamera {

QString card() {
    return QStringLiteral(LUMVIK_VCAMERA "/card");
}

cdError inject(Injection action) {
    const std::string operation = "0x9999,0x" + std::to_string(static_cast<int>(action));
    return cdsimConfigureCamera("opcode", operation.c_str());
}

} // namespace vcamera

void VirtualCameraTest::SetUp() {
    const QString iolibs = QStringLiteral(LUMVIK_VCAMERA "/iolibs");
    if (!QFile::exists(iolibs + "/vusb.so")) {
        GTEST_SKIP() << "libgphoto2's virtual camera is not built: scripts/vcamera.sh "
                     << LUMVIK_VCAMERA;
    }
    MainWindowTest::SetUp();
    QDir card(vcamera::card());
    ASSERT_TRUE(card.removeRecursively());
    ASSERT_TRUE(card.mkpath("DCIM/100CANON"));
    const QString folder = card.filePath("DCIM/100CANON/");
    fixture::writePicture(folder + "IMG_0001.JPG", fixture::shotAt("2004:05:06 07:08:09"));
    fixture::writePicture(folder + "IMG_0002.JPG", fixture::shotAt("2004:05:07 10:00:00", 6),
                          {80, 60});
    qputenv("IOLIBS", iolibs.toUtf8());
    qputenv("LUMVIK_CAMERA", "gphoto2:Nikon DSC D750@usb:001,001");
}
