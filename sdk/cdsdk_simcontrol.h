#ifndef CDSDK_SIMCONTROL_H
#define CDSDK_SIMCONTROL_H
/*
 * Test-only control of the simulated camera: events, injected failures and
 * unplugging. Not for the program.
 */

#include "cdsdk.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Delivers an event to every event callback registered on an open source of the
   simulated camera, on the camera's event thread; returns once all were called. */
void cdsimInjectEvent(uint32_t eventId);

/* Makes the n-th call (counting from 1, from now on; 0 counts as 1) of the operation named
   operation (for example "CDOpenImage") return code instead of doing its work. */
void cdsimFailCall(const char* operation, uint32_t n, cdError code);

/* Unplugs the camera: the open sources get a shutdown event with reason
   CD_EVENT_REASON_CONNECTION_LOST, further calls on them fail with
   CD_ERR_DEVICE_DISCONNECTED, and the device enumeration finds no camera. */
void cdsimUnplug(void);

/* Forgets armed failures and plugs the camera in again. */
void cdsimReset(void);

#ifdef __cplusplus
}
#endif

#endif
