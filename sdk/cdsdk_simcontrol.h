#ifndef CDSDK_SIMCONTROL_H
#define CDSDK_SIMCONTROL_H
/*
 * Test-only control of the simulated camera: events, injected failures,
 * unplugging, viewfinder frames on demand and a look at the camera's remote
 * state. Not for the program.
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

/* Delivers a release event to the release-control callback of the open camera
   source, on the camera's event thread; returns once it was called. Nothing
   happens outside release control. */
void cdsimInjectReleaseEvent(uint32_t eventId, const void* data, uint32_t dataSize);

/* Hands a frame to the running viewfinder's callback on the viewfinder's
   thread and returns once it was called; bytes null means the next frame of
   the simulated sensor. Returns 0 when no viewfinder runs. */
int cdsimDeliverViewfinderFrame(const uint8_t* bytes, uint32_t size);

/* The remote state of the open camera source. */
typedef struct cdsimRemoteState {
    int open; /* 0: no camera source is open, the rest is 0 */
    int inReleaseControl;
    uint32_t releaseDataKind;
    uint32_t releases; /* CDRelease calls that shot */
    int lastReleaseSynchronous;
    uint16_t quality, imageSize, shootingMode, av, tv, exposureComp, whiteBalance, afDistance,
        flashMode, flashComp;
    uint8_t metering, iso, contrast, colorGain, sharpness, beep;
    uint16_t photoEffect;
    uint32_t zoom;
    int viewfinderRunning;
    uint32_t viewfinderFrames; /* frames delivered since the viewfinder started */
    uint32_t viewfinderOutput; /* CD_VIEWFINDER_OUTPUT_..., 0 before any selection */
    uint32_t autoFunctions;    /* flags of the last CDActViewfinderAutoFunctions, 0 before */
} cdsimRemoteState;
void cdsimGetRemoteState(cdsimRemoteState* state);

/* What is open in the layer: enumerations not released, opens of items not
   closed, and sources not closed. */
typedef struct cdsimOpenCounts {
    uint32_t enumerations;
    uint32_t itemOpens;
    uint32_t sources;
} cdsimOpenCounts;
void cdsimGetOpenCounts(cdsimOpenCounts* counts);

/* Makes every transfer to a computer file that has written percent (25, 50
   or 75) of its bytes write one byte to notifyDescriptor and then stop for
   good, as a process killed in the middle of a transfer would; 0 lets them
   run through. For tests that kill the process. */
void cdsimHoldTransfersAt(uint32_t percent, int notifyDescriptor);

/* Sets a configuration widget of the open camera behind libgphoto2 to value,
   as gphoto2 --set-config does: for tests driving a virtual camera, whose
   "opcode" widget sends it any PTP operation. CD_ERR_DEVICE_NOT_FOUND when no
   such camera is open. */
cdError cdsimConfigureCamera(const char* widget, const char* value);

/* Forgets armed failures and plugs the camera in again. */
void cdsimReset(void);

#ifdef __cplusplus
}
#endif

#endif
