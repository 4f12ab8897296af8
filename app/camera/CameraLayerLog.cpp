#include "CameraLayerLog.h"

#include "Log.h"
#include "cdsdk_log.h"

void LogCameraLayer() {
    cdSetLogFunction([](const char* line, void*) { LogLine(QString::fromUtf8(line)); }, nullptr);
}
