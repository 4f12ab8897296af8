#pragma once
// The USB menu: registering the program with the desktop as the one started
// for a plugged-in camera, and removing that again, through the bridge.

#include "MainFlows.h"

#include <cstdint>

// The flows with the Add and Delete USB autostart hooks filled; the first
// start's offer is the Add hook.
TMainFlows WithAutostartFlows(TMainFlows flows);

// The error text for a registration result, or empty when both fields are 0:
// the service's failure first, then the registration's, each as 8
// upper-case hexadecimal digits.
QString RegistrationError(const TLanguageFile& language, int32_t service, int32_t registration);
