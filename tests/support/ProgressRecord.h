#pragma once
// What the camera layers' progress callbacks report, recorded from whichever
// thread reports it. The callbacks are plain functions, so a test program has
// one record; a test clears it before it registers a callback.

#include "cdsdk.h"

#include <cstdint>
#include <thread>
#include <vector>

namespace progressrecord {

// The bridge's progress callback (tsRegisterProgressCallbackFunction).
void bridgeCallback(int32_t percent);
// The SDK layer's progress callback; it asks the layer to stop once a report
// reaches the percentage of stopAt().
uint32_t sdkCallback(uint32_t percent, uint32_t status, cdContext context);

// The percentages reported since the last clear(), in order, and the
// threads that reported them.
std::vector<int32_t> percentages();
std::vector<std::thread::id> threads();
// Forgets the reports and the stop.
void clear();
// The SDK callback asks to stop from this percentage on.
void stopAt(uint32_t percent);

} // namespace progressrecord
