#pragma once
// The camera SDK layer's diagnostics (the camera library's own error texts
// included) written to the debug log, beside the program's own lines.

void LogCameraLayer();
