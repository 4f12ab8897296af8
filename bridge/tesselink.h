#ifndef TESSELINK_H
#define TESSELINK_H
/*
 * tesselink: the camera bridge. Flat C functions over the camera SDK layer.
 * Every ts... function except the callback registrations returns the one
 * status record of the library, overwritten by the next call. Every buffer
 * belongs to the caller; text is 8-bit and zero-terminated.
 *
 * Threads. The library keeps one connection and one status record without a
 * lock: call the ts... functions from one thread at a time (the program uses
 * one caller thread), and read the status before the next call. The four
 * callback registrations may be called from any thread; a callback
 * registered anew (or cleared with NULL) takes effect for the next report,
 * while a report already under way still runs the callback it found.
 *
 * Callbacks arrive on the camera's threads, never on the caller's, so they
 * must not call ts... functions or wait for the caller thread (it may be
 * waiting inside a call for them): they copy what they need and hand it over.
 *  - Events (tsEventCallback) and release events (tsRemoteEventCallback)
 *    arrive on the camera's event thread, one at a time, in order; the camera
 *    waits until each callback returns.
 *  - Progress (tsProgressCallback) arrives on the camera's transfer thread
 *    while tsGetThumbnail, tsGetPicture, tsGetMovie, tsReleaseGetThumbnail,
 *    tsReleaseGetPicture, tsRelease or tsUploadPicture waits for it; after
 *    tsRelease with synchronous 0 it goes on arriving from the camera's
 *    shooting thread after the call returned, until the shot is done.
 *  - Viewfinder frames (tsViewfinderCallback) arrive on the viewfinder's own
 *    thread, one complete JPEG image a call, at the camera's pace. The buffer
 *    is valid only during the call: copy it before returning. No frame
 *    arrives after tsReleaseStopViewFinder (or tsReleaseEnd) has returned.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Status of the last call: 0, or the code of the SDK call that failed, or one
   of the TS_ERR_... codes below; function: the name of the call. */
typedef struct tsResult {
    int32_t code;
    char function[50];
} tsResult;

/* Failures of the bridge's own steps (the SDK's codes are below 0x10000). */
enum {
    TS_ERR_INTERNAL = 0x00010001,    /* the bridge itself failed */
    TS_ERR_BAD_INDEX = 0x00010002,   /* an item or size index below 0 or past the end */
    TS_ERR_BAD_KIND = 0x00010003,    /* a source kind outside 0 to 3 */
    TS_ERR_FILE_OPEN = 0x00010004,   /* a file to copy cannot be opened */
    TS_ERR_FILE_CREATE = 0x00010005, /* a destination file cannot be created */
    TS_ERR_FILE_WRITE = 0x00010006,  /* a copy cannot be read or written to the end */
    TS_ERR_FILE_TIME = 0x00010007,   /* a file's time cannot be set */
    TS_ERR_DISK_FULL = 0x00010008,   /* a destination's disk is full or a file its size limit */
    TS_ERR_CANCELLED = 0x00010009    /* stopped by tsCancel; the file under way is not left */
};

/* The SDK's code for "no released data waits", which tsReleaseGetNextName
   answers after the last file of a shot. */
enum { TS_SDK_NO_DATA = 0x000A };

enum { TS_NAME_SIZE = 256 };

/* Properties of a picture; all integers are 32-bit. */
typedef struct tsPictureProperties {
    char fileName[52];             /* "-" when the item's properties are not readable */
    int32_t shutterSpeedNumerator; /* APEX value */
    int32_t shutterSpeedDenominator;
    int32_t apertureNumerator; /* APEX value */
    int32_t apertureDenominator;
    float exposureCompensation;
    uint8_t flash;
    uint8_t macro;
    uint8_t isProtected;
    uint8_t reserved;
    uint32_t shootingTime; /* seconds since 1970-01-01 00:00 UTC */
    int32_t width;
    int32_t height;
    uint32_t fileSize;
    int32_t rotation; /* 0, 90, 180 or 270 */
    int32_t directoryNumber;
    int32_t fileNumber;
    int32_t isoSpeed;
    char modelName[32];
    char ownerName[32];
    int32_t focalLength;
    int32_t teleFocalLength;
    int32_t wideFocalLength;
} tsPictureProperties;

typedef struct tsMovieProperties {
    char fileName[52];
    uint32_t shootingTime;
    int32_t width;
    int32_t height;
    uint32_t fileSize;
    int32_t directoryNumber;
    int32_t fileNumber;
} tsMovieProperties;

/* What an item holds. */
typedef struct tsObjectContents {
    int32_t thumbnails;
    int32_t pictures;
    int32_t movies;
    int32_t sounds;
} tsObjectContents;

/* Kinds of tsItemEntry. */
enum { TS_ITEM_OTHER = 0, TS_ITEM_PICTURE = 1, TS_ITEM_MOVIE = 2 };

/* What the collection knows of an item from the camera's listing alone. */
typedef struct tsItemEntry {
    char fileName[52]; /* shortened as in tsPictureProperties */
    int32_t kind;      /* TS_ITEM_...: OTHER for a sound file or a file of no known kind */
    uint32_t fileSize;
} tsItemEntry;

/* Which files a computer folder collection holds: non-zero = wanted. */
typedef struct tsFileKinds {
    uint8_t jpegPictures;
    uint8_t rawPictures;
    uint8_t movies;
    uint8_t sounds;
} tsFileKinds;

/* Sources of tsOpenPicCollection. */
enum {
    TS_SOURCE_CAMERA_ALL = 0,
    TS_SOURCE_CAMERA_PICTURES = 1,
    TS_SOURCE_CAMERA_IMAGES = 2,
    TS_SOURCE_FOLDER = 3
};

/* Upload: a size the camera takes. */
typedef struct tsImageSize {
    int32_t width;
    int32_t height;
} tsImageSize;

/* Where released data go (tsReleaseStart's destination) and which (its data). */
enum { TS_RELEASE_TO_PC = 0, TS_RELEASE_TO_PC_AND_CAMERA = 1, TS_RELEASE_TO_CAMERA = 2 };
enum { TS_RELEASE_THUMBNAIL = 0, TS_RELEASE_PICTURE = 1, TS_RELEASE_BOTH = 2 };

/* The seventeen shooting parameters, in the order the parameter calls
   exchange them; each value is an ordinal of its enumeration, 0 = not used. */
enum {
    TS_PARAM_COMP_QUALITY,
    TS_PARAM_IMAGE_SIZE,
    TS_PARAM_STROBE_SETTING,
    TS_PARAM_STROBE_COMP_SETTING,
    TS_PARAM_IMAGE_MODE,
    TS_PARAM_MLWEI_MODE,
    TS_PARAM_AF_DISTANCE,
    TS_PARAM_WHITE_BALANCE_SETTING,
    TS_PARAM_CONTRAST,
    TS_PARAM_COLOR_GAIN,
    TS_PARAM_SHARPNESS,
    TS_PARAM_ISO,
    TS_PARAM_AV,
    TS_PARAM_TV,
    TS_PARAM_EXPOSURE_COMPENSATION,
    TS_PARAM_PHOTO_EFFECT,
    TS_PARAM_BEEP,
    TS_PARAM_COUNT
};

/* The availability record of tsReleaseGetAvailParams: per parameter, in the
   order above, one byte per ordinal from 0; byte base + k is 1 when ordinal k
   is available, byte base + 0 is 1 when the camera has no value at all. */
enum {
    TS_AVAIL_COMP_QUALITY = 0,
    TS_AVAIL_IMAGE_SIZE = 6,
    TS_AVAIL_STROBE_SETTING = 12,
    TS_AVAIL_STROBE_COMP_SETTING = 20,
    TS_AVAIL_IMAGE_MODE = 34,
    TS_AVAIL_MLWEI_MODE = 53,
    TS_AVAIL_AF_DISTANCE = 60,
    TS_AVAIL_WHITE_BALANCE_SETTING = 69,
    TS_AVAIL_CONTRAST = 79,
    TS_AVAIL_COLOR_GAIN = 83,
    TS_AVAIL_SHARPNESS = 87,
    TS_AVAIL_ISO = 91,
    TS_AVAIL_AV = 97,
    TS_AVAIL_TV = 112,
    TS_AVAIL_EXPOSURE_COMPENSATION = 133,
    TS_AVAIL_PHOTO_EFFECT = 147,
    TS_AVAIL_BEEP = 154,
    TS_AVAIL_SIZE = 157
};

/* Camera output modes of tsReleaseSetViewFinderOutput. */
enum { TS_VIEWFINDER_TO_LCD = 0, TS_VIEWFINDER_TO_VIDEO = 1, TS_VIEWFINDER_OFF_ON_CAMERA = 2 };

/* Camera events of tsEventCallback: 2 a warning, 4 the camera shut down, 8
   the camera itself added (reason 1) or removed (reason 2) a file of its card. */
enum { TS_EVENT_WARNING = 2, TS_EVENT_SHUTDOWN = 4, TS_EVENT_CARD_CHANGED = 8 };
enum { TS_EVENT_REASON_FILE_ADDED = 1, TS_EVENT_REASON_FILE_REMOVED = 2 };
typedef void (*tsEventCallback)(int32_t event, int32_t reason);
typedef void (*tsRemoteEventCallback)(int32_t event, int32_t reason, int32_t data);
typedef void (*tsProgressCallback)(int32_t progress);
typedef void (*tsViewfinderCallback)(const uint8_t* frame, int32_t length);

/* Frame: SDK, connection and callbacks. */
tsResult* tsStartSDK(void);
tsResult* tsFinishSDK(void);
tsResult* tsConnect(void);
tsResult* tsDisconnect(void);
tsResult* tsGetModel(char* name);     /* TS_NAME_SIZE bytes */
tsResult* tsGetOwnerName(char* name); /* TS_NAME_SIZE bytes */
/* The camera's serial number, empty when it tells none (a card in a reader). */
tsResult* tsGetSerialNumber(char* name); /* TS_NAME_SIZE bytes */
tsResult* tsGetPort(int32_t* port);   /* 0 none, 1 USB, 2 IEEE 1394 */
void tsRegisterEventCallbackFunction(tsEventCallback callback);
void tsRegisterRemoteEventCallbackFunction(tsRemoteEventCallback callback);
void tsRegisterProgressCallbackFunction(tsProgressCallback callback);
void tsRegisterViewfinderCallbackFunction(tsViewfinderCallback callback);

/* Stopping at once. tsCancel, from any thread, stops the transfer under way
   (tsGetPicture, tsGetMovie, tsReleaseGetThumbnail, tsReleaseGetPicture,
   tsUploadPicture) at its next progress step, and a folder search of
   tsOpenPicCollection at its next entry, and every such transfer
   started after it, until tsClearCancel: each ends with TS_ERR_CANCELLED,
   leaving no part of the file it was writing; the camera's card keeps what
   it holds. A caller that stops its own operations clears before it starts
   one and checks its own stop request after clearing. */
void tsCancel(void);
void tsClearCancel(void);

/* Volumes and the picture collection; index counts from 0, volumes from 1. */
tsResult* tsTotalVolumes(int32_t* count);
tsResult* tsGetVolume(int32_t n);
tsResult* tsTotalPCVolumes(int32_t* count);
tsResult* tsGetPCVolumeName(int32_t n, char* name); /* one character */
/* With TS_SOURCE_FOLDER the search of path's tree reports to the progress
   callback the number of folder entries looked at so far, and tsCancel ends
   it at the next entry with TS_ERR_CANCELLED and no collection open. */
tsResult* tsOpenPicCollection(int32_t kind, const char* path, tsFileKinds kinds);
tsResult* tsClosePicCollection(void);
tsResult* tsGetNrOfPicturesOnCamera(int32_t* count);
tsResult* tsGetNrOfMoviesCamera(int32_t* count);
/* Entries first to first + count - 1 of the collection, from what opening it
   read in one listing of the camera: no call reaches the camera, so a card of
   thousands of items is named at once, before any item's properties are read. */
tsResult* tsGetItemList(int32_t first, int32_t count, tsItemEntry* entries);
tsResult* tsGetObjectContents(int32_t index, tsObjectContents* contents);
tsResult* tsGetPictureProperties(int32_t index, tsPictureProperties* properties);
tsResult* tsGetMovieProperties(int32_t index, tsMovieProperties* properties);
tsResult* tsDeletePicture(int32_t index);
tsResult* tsDeleteMovie(int32_t index);

/* Item transfer to files that carry the shooting time. */
tsResult* tsGetThumbnail(int32_t index, const char* path);
tsResult* tsGetPicture(int32_t index, const char* path, int32_t skipPicture);
tsResult* tsGetMovie(int32_t index, const char* path);

/* Upload to the current volume. quality: 0 low, 1 normal, 2 high, 3 very
   high; path: a raw pixel file, width * height * 3 bytes of red, green, blue,
   rows from the top; rotation: degrees in the low 16 bits. */
tsResult* tsGetNrOfImageSizeSupported(int32_t* count);
tsResult* tsGetImageSizeSupported(int32_t index, tsImageSize* size);
tsResult* tsDoSupportUppload(uint8_t* supported);
tsResult* tsUploadPicture(int32_t width, int32_t height, int32_t rotation, int32_t quality,
                          const char* path);

/* Remote release. synchronous: only its low byte counts. The fetches write
   the next released data (thumbnail first, then picture) to the file. */
tsResult* tsReleaseDoSupportRemote(uint8_t* supported);
tsResult* tsReleaseStart(int32_t destination, int32_t data);
tsResult* tsReleaseEnd(void);
tsResult* tsRelease(int32_t synchronous);
tsResult* tsReleaseGetThumbnail(const char* path);
/* The camera's name of the next released data ("IMG_0001.CR2"; "" when it
   is no file of the camera's card), TS_NAME_SIZE bytes: a camera that saves
   one shot as several files delivers more after the picture. Fails with
   TS_SDK_NO_DATA when nothing more waits. */
tsResult* tsReleaseGetNextName(char* name);
tsResult* tsReleaseGetPicture(const char* path);

/* Shooting parameters and zoom, in release control. */
tsResult* tsReleaseGetParams(int32_t* values); /* TS_PARAM_COUNT values */
tsResult* tsReleaseSetParams(int32_t compQuality, int32_t imageSize, int32_t strobeSetting,
                             int32_t strobeCompSetting, int32_t imageMode, int32_t mlWeiMode,
                             int32_t afDistance, int32_t whiteBalanceSetting, int32_t contrast,
                             int32_t colorGain, int32_t sharpness, int32_t iso, int32_t av,
                             int32_t tv, int32_t exposureCompensation, int32_t photoEffect,
                             int32_t beep);
tsResult* tsReleaseGetAvailParams(uint8_t* available); /* TS_AVAIL_SIZE bytes */
tsResult* tsReleaseGetZoomPosition(int32_t* position, int32_t* secondMaximum,
                                   int32_t* firstMaximum);
tsResult* tsReleaseSetZoomPosition(int32_t position);
tsResult* tsReleaseDoSupportZoom(uint8_t* supported);

/* Viewfinder, in release control: frames reach the viewfinder callback. */
tsResult* tsReleaseDoSupportViewFinder(uint8_t* supported);
tsResult* tsReleaseStartViewFinder(void);
tsResult* tsReleaseStopViewFinder(void);
tsResult* tsReleaseSetViewFinderOutput(int32_t mode);
tsResult* tsReleaseActivateViewFinderAuto(void);
/* 1 when the camera takes tsReleaseSetViewFinderOutput, and
   tsReleaseActivateViewFinderAuto, else 0. */
tsResult* tsReleaseDoSupportViewFinderOutput(uint8_t* supported);
tsResult* tsReleaseDoSupportViewFinderAuto(uint8_t* supported);

/* Starting the program when a camera or camera card is plugged in.
   register_app makes the program the user's handler for camera cards
   (content type x-content/image-dcf): it writes a desktop entry named after
   the application name, "tesselink-NAME.desktop" (characters other than
   letters, digits, "-" and "_" become "-"), to $XDG_DATA_HOME/applications
   that starts the command line, a program path run without arguments, and
   makes it the default for the content type in $XDG_CONFIG_HOME/mimeapps.list
   (every default line of the type there). The lines it displaces are recorded
   in the entry; unregister_app gives them back byte for byte (unless the user
   has chosen another default since) and removes the entry. Every other line
   of mimeapps.list is kept byte for byte, the file keeps its permissions, a
   link stays a link (its target is written), and both files are replaced
   whole, never left half-written; when mimeapps.list cannot be read as a
   regular file or written, register_app leaves no entry behind. Neither call touches the
   camera or the status record; names are zero-terminated UTF-16.
   The result record: service is 0, or the errno why the folders cannot be
   found, created or written (then nothing is tried); registration is 0, or
   the errno of the registration or removal itself: EINVAL for a missing,
   empty or control-character name or command line, EILSEQ for invalid
   UTF-16, ENOENT from unregister_app when the name is not registered, and
   the file system's errors. Both return the non-zero field, else 0. */
typedef struct tsRegistrationResult {
    int32_t service;
    int32_t registration;
} tsRegistrationResult;

int32_t register_app(const uint16_t* name, const uint16_t* commandLine,
                     tsRegistrationResult* result);
int32_t unregister_app(const uint16_t* name, tsRegistrationResult* result);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#define TESSELINK_STATIC_ASSERT static_assert
#else
#define TESSELINK_STATIC_ASSERT _Static_assert
#endif
TESSELINK_STATIC_ASSERT(sizeof(tsPictureProperties) == 184, "picture properties");
TESSELINK_STATIC_ASSERT(sizeof(tsMovieProperties) == 76, "movie properties");
TESSELINK_STATIC_ASSERT(sizeof(tsObjectContents) == 16, "object contents");
TESSELINK_STATIC_ASSERT(sizeof(tsItemEntry) == 60, "item entry");
TESSELINK_STATIC_ASSERT(sizeof(tsFileKinds) == 4, "file kinds");
TESSELINK_STATIC_ASSERT(sizeof(tsImageSize) == 8, "image size");
TESSELINK_STATIC_ASSERT(sizeof(tsRegistrationResult) == 8, "registration result");
#undef TESSELINK_STATIC_ASSERT

#endif
