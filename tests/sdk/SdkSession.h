#pragma once
// A started camera SDK layer, finished and reset after each test.

#include "cdsdk.h"
#include "cdsdk_simcontrol.h"

#include <gtest/gtest.h>

class SdkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cdVersionInfo version{};
        version.size = sizeof version;
        version.major = 7;
        ASSERT_EQ(CDStartSDK(&version, 0), CD_OK);
    }
    void TearDown() override {
        CDFinishSDK();
        cdsimReset();
    }

    // The first camera the device enumeration finds, and a source opened on it.
    static cdSourceInfo firstDevice() {
        cdHEnum devices = 0;
        EXPECT_EQ(CDEnumDeviceReset(CD_DEVICE_KIND_CAMERA, &devices), CD_OK);
        cdSourceInfo info{};
        EXPECT_EQ(CDEnumDeviceNext(devices, &info), CD_OK);
        EXPECT_EQ(CDEnumDeviceRelease(devices), CD_OK);
        return info;
    }
    static cdHSource connect() {
        const cdSourceInfo info = firstDevice();
        cdHSource source = 0;
        EXPECT_EQ(CDOpenSource(&info, &source), CD_OK);
        return source;
    }
};
