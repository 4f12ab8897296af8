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
};
