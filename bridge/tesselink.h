#ifndef TESSELINK_H
#define TESSELINK_H
/*
 * tesselink: the camera bridge. Flat C functions over the camera SDK layer.
 * Every ts... function except the callback registrations returns the one
 * status record of the library, overwritten by the next call. Every buffer
 * belongs to the caller; text is 8-bit and zero-terminated.
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
    TS_ERR_BAD_INDEX = 0x00010002,   /* an item index outside the collection */
    TS_ERR_BAD_KIND = 0x00010003,    /* a source kind outside 0 to 3 */
    TS_ERR_FILE_OPEN = 0x00010004,   /* a file to copy cannot be opened */
    TS_ERR_FILE_CREATE = 0x00010005, /* a destination file cannot be created */
    TS_ERR_FILE_WRITE = 0x00010006,  /* a copy cannot be read or written to the end */
    TS_ERR_FILE_TIME = 0x00010007    /* a file's time cannot be set */
};

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
tsResult* tsGetPort(int32_t* port);   /* 0 none, 1 USB, 2 IEEE 1394 */
void tsRegisterEventCallbackFunction(tsEventCallback callback);
void tsRegisterRemoteEventCallbackFunction(tsRemoteEventCallback callback);
void tsRegisterProgressCallbackFunction(tsProgressCallback callback);
void tsRegisterViewfinderCallbackFunction(tsViewfinderCallback callback);

/* Volumes and the picture collection; index counts from 0, volumes from 1. */
tsResult* tsTotalVolumes(int32_t* count);
tsResult* tsGetVolume(int32_t n);
tsResult* tsTotalPCVolumes(int32_t* count);
tsResult* tsGetPCVolumeName(int32_t n, char* name); /* one character */
tsResult* tsOpenPicCollection(int32_t kind, const char* path, tsFileKinds kinds);
tsResult* tsClosePicCollection(void);
tsResult* tsGetNrOfPicturesOnCamera(int32_t* count);
tsResult* tsGetNrOfMoviesCamera(int32_t* count);
tsResult* tsGetObjectContents(int32_t index, tsObjectContents* contents);
tsResult* tsGetPictureProperties(int32_t index, tsPictureProperties* properties);
tsResult* tsGetMovieProperties(int32_t index, tsMovieProperties* properties);
tsResult* tsDeletePicture(int32_t index);
tsResult* tsDeleteMovie(int32_t index);

/* Item transfer to files that carry the shooting time. */
tsResult* tsGetThumbnail(int32_t index, const char* path);
tsResult* tsGetPicture(int32_t index, const char* path, int32_t skipPicture);
tsResult* tsGetMovie(int32_t index, const char* path);

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
TESSELINK_STATIC_ASSERT(sizeof(tsFileKinds) == 4, "file kinds");
#undef TESSELINK_STATIC_ASSERT

#endif
