// The viewfinder: its frames go to the program's viewfinder callback.

#include "Frame.h"

namespace tesselink {
namespace {

uint32_t viewfinderAdapter(const uint8_t* buffer, uint32_t size, uint32_t /*format*/,
                           cdContext /*context*/) {
    if (const auto callback = slots().viewfinder.load()) {
        callback(buffer, static_cast<int32_t>(size));
    }
    return 0;
}

} // namespace

} // namespace tesselink

using namespace tesselink;

extern "C" {

tsResult* tsReleaseDoSupportViewFinder(uint8_t* supported) {
    return runExport("tsReleaseDoSupportViewFinder", [&] { readFaculty(supported); });
}

tsResult* tsReleaseStartViewFinder(void) {
    return runExport("tsReleaseStartViewFinder", [] {
        check(CDStartViewfinder(connection().source, 0, viewfinderAdapter, 0));
    });
}

tsResult* tsReleaseStopViewFinder(void) {
    return runExport("tsReleaseStopViewFinder",
                     [] { check(CDTermViewfinder(connection().source)); });
}

tsResult* tsReleaseSetViewFinderOutput(int32_t mode) {
    return runExport("tsReleaseSetViewFinderOutput", [&] {
        if (mode >= TS_VIEWFINDER_TO_LCD && mode <= TS_VIEWFINDER_OFF_ON_CAMERA) {
            check(CDSelectViewFinderCameraOutput(connection().source,
                                                 static_cast<uint32_t>(mode) + 1));
        }
    });
}

tsResult* tsReleaseActivateViewFinderAuto(void) {
    return runExport("tsReleaseActivateViewFinderAuto", [] {
        check(CDActViewfinderAutoFunctions(connection().source, CD_AUTO_EXPOSURE | CD_AUTO_FOCUS |
                                                                    CD_AUTO_WHITE_BALANCE));
    });
}

tsResult* tsReleaseDoSupportViewFinderOutput(uint8_t* supported) {
    return runExport("tsReleaseDoSupportViewFinderOutput",
                     [&] { readFaculty(supported, CD_RELEASE_FACULTY_VIEWFINDER_OUTPUT); });
}

tsResult* tsReleaseDoSupportViewFinderAuto(uint8_t* supported) {
    return runExport("tsReleaseDoSupportViewFinderAuto",
                     [&] { readFaculty(supported, CD_RELEASE_FACULTY_VIEWFINDER_AUTO); });
}

} // extern "C"
