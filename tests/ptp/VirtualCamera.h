#pragma once
// libgphoto2's virtual PTP camera, built by scripts/vcamera.sh into
// LUMVIK_VCAMERA: a "Nikon DSC D750" whose card is a folder fixed when it was
// built and which the real ptp2 driver talks to. Every test fills the card
// afresh; the camera's own state (its picture counter, the pictures it took)
// lives in the test's process.

#include "MainWindowFixture.h"
#include "cdsdk.h"

#include <QString>

namespace vcamera {

// The card's folder, as the driver reads it at each connection.
QString card();

// The actions of the camera's own test operation 0x9999, each announced by
// the PTP event that follows it.
enum class Injection { ObjectAdded = 0, ObjectRemoved = 1, CaptureComplete = 2 };

// Sends the operation through the camera the layer has open.
cdError inject(Injection action);

// Whether scripts/vcamera.sh built the camera, and the hint when not.
bool built();
inline constexpr const char* notBuilt =
    "libgphoto2's virtual camera is not built: scripts/vcamera.sh " LUMVIK_VCAMERA;

// Fills the card afresh with two pictures, DCIM/100CANON/IMG_0001.JPG and
// IMG_0002.JPG, and points libgphoto2 and the program at the camera.
void prepare();

} // namespace vcamera

// A test fixture over the virtual camera, skipped when it is not built.
template <class Base> class OverVirtualCamera : public Base {
  protected:
    void SetUp() override {
        if (!vcamera::built())
            GTEST_SKIP() << vcamera::notBuilt;
        Base::SetUp();
        vcamera::prepare();
    }
    // A skipped test opened nothing to close.
    void TearDown() override {
        if (!this->IsSkipped())
            Base::TearDown();
    }
};
using VirtualCameraTest = OverVirtualCamera<MainWindowTest>;
