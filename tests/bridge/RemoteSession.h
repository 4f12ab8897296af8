#pragma once
// A connected simulated camera with remote control, for the remote tests.

#include "BridgeSession.h"

#include <QImage>

class RemoteTest : public BridgeTest {
  protected:
    // Connects to the standard card's camera offering keys, on volume 1.
    fixture::CameraFolder connectCamera(const QString& keys = fixture::remoteControl) {
        auto camera = fixture::standardCamera(testenv::newFolder("camera"));
        camera.offer(keys);
        camera.plugIn();
        EXPECT_EQ(tsConnect()->code, 0);
        EXPECT_EQ(tsGetVolume(1)->code, 0);
        return camera;
    }

    // Connects and enters release control with everything to the computer.
    fixture::CameraFolder startRelease(const QString& keys = fixture::remoteControl,
                                       int destination = TS_RELEASE_TO_PC) {
        auto camera = connectCamera(keys);
        EXPECT_EQ(tsReleaseStart(destination, TS_RELEASE_BOTH)->code, 0);
        return camera;
    }

    static cdsimRemoteState remote() {
        cdsimRemoteState state{};
        cdsimGetRemoteState(&state);
        return state;
    }

    // The next released data as a picture, or a null one when the fetch fails.
    QImage fetch(const tsResult** result = nullptr) {
        const QString path = testenv::newFolder("fetched") + "/data.jpg";
        const tsResult* fetched = tsReleaseGetPicture(path.toUtf8().constData());
        if (result) {
            *result = fetched;
        }
        return fetched->code == 0 ? QImage(path, "JPG") : QImage();
    }
};

// The shooting parameters of the remote state, as one comparable tuple.
inline auto settingsOf(const cdsimRemoteState& s) {
    return std::make_tuple(s.quality, s.imageSize, s.shootingMode, s.av, s.tv, s.exposureComp,
                           s.whiteBalance, s.afDistance, s.flashMode, s.flashComp, s.metering,
                           s.iso, s.contrast, s.colorGain, s.sharpness, s.photoEffect, s.beep);
}
