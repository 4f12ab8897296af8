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

} // namespace vcamera

// Skips the test when the virtual camera is not built; otherwise fills its
// card with two pictures, DCIM/100CANON/IMG_0001.JPG and IMG_0002.JPG, and
// points libgphoto2 and the program at it.
class VirtualCameraTest : public MainWindowTest {
  protected:
    void SetUp() override;
};
