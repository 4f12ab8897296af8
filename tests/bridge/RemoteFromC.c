/* Remote control from plain C: everything it knows of the camera comes from
   the bridge's header. */

#include "CCheck.h"
#include "tesselink.h"

#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

int remoteFromC(const char* out, char* message, size_t size);

#define REQUIRE(condition) REQUIRE_THAT(condition, "failed")

enum { FRAMES_WANTED = 3 };

static atomic_int releaseEvents;
static atomic_int progressReports;
static atomic_int frames;
static char framePattern[600];

static void onRemoteEvent(int32_t event, int32_t reason, int32_t data) {
    (void)event;
    (void)reason;
    (void)data;
    atomic_fetch_add(&releaseEvents, 1);
}

static void onProgress(int32_t progress) {
    (void)progress;
    atomic_fetch_add(&progressReports, 1);
}

/* Keeps the first frames as files frame0.jpg, frame1.jpg, ... */
static void onFrame(const uint8_t* frame, int32_t length) {
    const int n = atomic_fetch_add(&frames, 1);
    if (n < FRAMES_WANTED) {
        char path[700];
        FILE* file;
        snprintf(path, sizeof path, framePattern, n);
        file = fopen(path, "wb");
        if (file) {
            fwrite(frame, 1, (size_t)length, file);
            fclose(file);
        }
    }
}

static void sleepMilliseconds(long milliseconds) {
    struct timespec pause;
    pause.tv_sec = milliseconds / 1000;
    pause.tv_nsec = (milliseconds % 1000) * 1000000L;
    nanosleep(&pause, NULL);
}

static int sameValues(const int32_t* a, const int32_t* b) {
    return memcmp(a, b, sizeof(int32_t) * TS_PARAM_COUNT) == 0;
}

static int releaseAndFetch(const char* out, char* message, size_t size) {
    char path[700];
    CHECK(tsRelease(1));
    snprintf(path, sizeof path, "%s/thumbnail.jpg", out);
    CHECK(tsReleaseGetThumbnail(path));
    snprintf(path, sizeof path, "%s/picture.jpg", out);
    CHECK(tsReleaseGetPicture(path));
    REQUIRE(atomic_load(&releaseEvents) == 2); /* started and complete */
    REQUIRE(atomic_load(&progressReports) > 0);
    return 0;
}

static int parameters(char* message, size_t size) {
    int32_t before[TS_PARAM_COUNT];
    int32_t wanted[TS_PARAM_COUNT];
    int32_t after[TS_PARAM_COUNT];
    uint8_t available[TS_AVAIL_SIZE];
    CHECK(tsReleaseGetParams(before));
    REQUIRE(before[TS_PARAM_WHITE_BALANCE_SETTING] == 1); /* auto */
    /* Daylight white balance and ISO 200, nothing else. */
    CHECK(tsReleaseSetParams(0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 0, 0));
    memcpy(wanted, before, sizeof wanted);
    wanted[TS_PARAM_WHITE_BALANCE_SETTING] = 2;
    wanted[TS_PARAM_ISO] = 4;
    CHECK(tsReleaseGetParams(after));
    REQUIRE(sameValues(after, wanted));

    CHECK(tsReleaseGetAvailParams(available));
    CHECK(tsReleaseGetParams(after));
    REQUIRE(sameValues(after, wanted));
    REQUIRE(available[TS_AVAIL_WHITE_BALANCE_SETTING] == 0);
    REQUIRE(available[TS_AVAIL_WHITE_BALANCE_SETTING + 2] == 1);
    REQUIRE(available[TS_AVAIL_AV] == 0 && available[TS_AVAIL_AV + 5] == 1);
    REQUIRE(available[TS_AVAIL_COMP_QUALITY + 3] == 0); /* lossless */
    return 0;
}

static int zoom(char* message, size_t size) {
    uint8_t supported = 0;
    int32_t position = -1;
    int32_t second = -1;
    int32_t first = -1;
    CHECK(tsReleaseDoSupportZoom(&supported));
    REQUIRE(supported == 1);
    CHECK(tsReleaseGetZoomPosition(&position, &second, &first));
    REQUIRE(position == 0 && second > first && first > 0);
    CHECK(tsReleaseSetZoomPosition(second));
    CHECK(tsReleaseGetZoomPosition(&position, &second, &first));
    REQUIRE(position == second);
    return 0;
}

static int viewfinder(const char* out, char* message, size_t size) {
    uint8_t supported = 0;
    int waited = 0;
    snprintf(framePattern, sizeof framePattern, "%s/frame%%d.jpg", out);
    CHECK(tsReleaseDoSupportViewFinder(&supported));
    REQUIRE(supported == 1);
    tsRegisterViewfinderCallbackFunction(onFrame);
    CHECK(tsReleaseStartViewFinder());
    CHECK(tsReleaseSetViewFinderOutput(TS_VIEWFINDER_OFF_ON_CAMERA));
    CHECK(tsReleaseActivateViewFinderAuto());
    while (atomic_load(&frames) < FRAMES_WANTED && waited < 10000) {
        sleepMilliseconds(20);
        waited += 20;
    }
    CHECK(tsReleaseStopViewFinder());
    tsRegisterViewfinderCallbackFunction(NULL);
    REQUIRE(atomic_load(&frames) >= FRAMES_WANTED);
    return 0;
}

/* A raw pixel file of the last size the camera takes, then the upload. */
static int upload(const char* out, char* message, size_t size) {
    uint8_t supported = 0;
    int32_t sizes = 0;
    tsImageSize last;
    char path[700];
    FILE* file;
    int32_t row;
    CHECK(tsDoSupportUppload(&supported));
    REQUIRE(supported == 1);
    CHECK(tsGetNrOfImageSizeSupported(&sizes));
    REQUIRE(sizes > 0);
    CHECK(tsGetImageSizeSupported(sizes - 1, &last));
    snprintf(path, sizeof path, "%s/rgb_file.dta", out);
    file = fopen(path, "wb");
    REQUIRE(file != NULL);
    for (row = 0; row < last.height; ++row) {
        int32_t column;
        for (column = 0; column < last.width; ++column) {
            const unsigned char pixel[3] = {(unsigned char)column, (unsigned char)row, 200};
            fwrite(pixel, 1, 3, file);
        }
    }
    fclose(file);
    CHECK(tsUploadPicture(last.width, last.height, 0, 3, path));
    return 0;
}

/* The number of the card's entries, and the properties of the last one when
   picture is given. */
static int cardEntries(int32_t* count, tsPictureProperties* picture, char* message, size_t size) {
    const tsFileKinds none = {0, 0, 0, 0};
    CHECK(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", none));
    CHECK(tsGetNrOfPicturesOnCamera(count));
    REQUIRE(*count > 0);
    if (picture) {
        CHECK(tsGetPictureProperties(*count - 1, picture));
    }
    CHECK(tsClosePicCollection());
    return 0;
}

int remoteFromC(const char* out, char* message, size_t size) {
    uint8_t remote = 0;
    int32_t before = 0;
    int32_t after = 0;
    tsPictureProperties picture;
    CHECK(tsStartSDK());
    CHECK(tsConnect());
    CHECK(tsGetVolume(1));
    if (cardEntries(&before, NULL, message, size) != 0) {
        return 1;
    }
    CHECK(tsReleaseDoSupportRemote(&remote));
    REQUIRE(remote == 1);
    tsRegisterRemoteEventCallbackFunction(onRemoteEvent);
    tsRegisterProgressCallbackFunction(onProgress);
    CHECK(tsReleaseStart(TS_RELEASE_TO_PC_AND_CAMERA, TS_RELEASE_BOTH));
    if (releaseAndFetch(out, message, size) != 0 || parameters(message, size) != 0 ||
        zoom(message, size) != 0 || viewfinder(out, message, size) != 0) {
        return 1;
    }
    CHECK(tsReleaseEnd());
    tsRegisterRemoteEventCallbackFunction(NULL);
    if (upload(out, message, size) != 0 || cardEntries(&after, &picture, message, size) != 0) {
        return 1;
    }
    /* The kept release and the upload are on the card now. */
    REQUIRE(after == before + 2);
    REQUIRE(picture.width == 640 && picture.height == 480);
    CHECK(tsDisconnect());
    CHECK(tsFinishSDK());
    return 0;
}
