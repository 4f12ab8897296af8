#pragma once
// The layer's diagnostic lines, to the function the program set (cdsdk_log.h).

#include <string>

namespace cdsim {

void logLine(const std::string& line);

} // namespace cdsim
