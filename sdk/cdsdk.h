#ifndef CDSDK_H
#define CDSDK_H
/*
 * The camera SDK layer: devices, their properties, volumes, image items and
 * their data, and the remote control of a camera (release, shooting
 * parameters, zoom, viewfinder, adding pictures), behind opaque 32-bit handles. Every operation
 * returns a cdError, 0 on success. The backend is chosen by the environment variable LUMVIK_CAMERA:
 * "sim:DIR" opens the simulated camera described by the folder DIR; "gphoto2" the first camera
 * libgphoto2 finds; "gphoto2:MODEL@PORT" the camera libgphoto2 knows by that model and port
 * ("gphoto2:Directory Browse@disk:/media/card"); unset, every camera libgphoto2 finds.
 */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t cdError;
typedef uint32_t cdHandle;
typedef cdHandle cdHEnum;
typedef cdHandle cdHSource;
typedef cdHandle cdHVolume;
typedef cdHandle cdHItem;
typedef cdHandle cdHImageData;
typedef uint32_t cdContext;

/* One code per kind of failure. */
enum {
    CD_OK = 0,
    CD_ERR_INTERNAL = 0x0001,               /* the layer itself failed */
    CD_ERR_NOT_STARTED = 0x0002,            /* CDStartSDK has not run */
    CD_ERR_NOT_SUPPORTED = 0x0003,          /* interface version or operation not offered */
    CD_ERR_BAD_PARAMETER = 0x0004,          /* a value outside what the operation takes */
    CD_ERR_BAD_HANDLE = 0x0005,             /* unknown, released or wrong kind of handle */
    CD_ERR_DEVICE_NOT_FOUND = 0x0006,       /* no camera, or the camera went away */
    CD_ERR_DEVICE_DISCONNECTED = 0x0007,    /* the camera of an open source was unplugged */
    CD_ERR_ENUM_END = 0x0008,               /* an enumeration has no further entry */
    CD_ERR_ITEM_NOT_OPEN = 0x0009,          /* the item must be opened first */
    CD_ERR_NO_DATA = 0x000A,                /* the item has no data of that kind */
    CD_ERR_PROPERTY_UNAVAILABLE = 0x000B,   /* the item or device does not hold the property */
    CD_ERR_BUFFER_TOO_SMALL = 0x000C,       /* the caller's buffer cannot take the value */
    CD_ERR_FILE_NOT_FOUND = 0x000D,         /* a file to read does not exist */
    CD_ERR_FILE_IO = 0x000E,                /* a file cannot be read, created or written */
    CD_ERR_NOT_IN_RELEASE_CONTROL = 0x000F, /* the operation needs release control */
    CD_ERR_BUSY = 0x0010,                   /* already in release control, or already running */
    CD_ERR_NOT_RUNNING = 0x0011,            /* the viewfinder is not running */
    CD_ERR_DISK_FULL = 0x0012,              /* a file's disk is full, or the file reached a size limit */
    CD_ERR_CANCELLED = 0x0013               /* the progress callback asked the operation to stop */
};

/* Version record of CDStartSDK: size 40, interface version major.minor 7.0. */
typedef struct cdVersionInfo {
    uint16_t size;
    uint16_t major;
    uint16_t minor;
    uint16_t reserved;
    uint8_t padding[32];
} cdVersionInfo;

enum { CD_SOURCE_COMPUTER = 1, CD_SOURCE_CAMERA = 2 };
enum { CD_PORT_NONE = 0, CD_PORT_USB = 1, CD_PORT_IEEE1394 = 2 };
enum { CD_DEVICE_KIND_CAMERA = 1 };

/* Source description filled by CDEnumDeviceNext. */
typedef struct cdSourceInfo {
    uint32_t sourceType; /* CD_SOURCE_... */
    char name[132];      /* model name */
    uint32_t portType;   /* CD_PORT_..., at byte 136 */
    uint32_t deviceIndex;
    char serialNumber[64];
} cdSourceInfo;

/* Device properties read with CDGetDevicePropertyData. Upload and remote
   release support are 32-bit values, not 0 when the camera offers them; a
   camera that knows nothing of them does not list them. */
enum {
    CD_DEVPROP_MODEL_NAME = 0x00000002,
    CD_DEVPROP_UPLOAD_SUPPORT = 0x00000004,
    CD_DEVPROP_REMOTE_RELEASE_SUPPORT = 0x00000008,
    CD_DEVPROP_OWNER_NAME = 0x0800000C
};

typedef struct cdVolumeInfo {
    uint32_t type;
    uint32_t totalKBytes;
    uint32_t freeKBytes;
    uint32_t access;
    uint32_t reserved;
    char name[256]; /* at byte 20 */
} cdVolumeInfo;

/* Item enumeration options. */
enum {
    CD_ENUM_ALL_ITEMS = 1,         /* pictures, RAW files, movies and sound files */
    CD_ENUM_IMAGES_AND_MOVIES = 3, /* no stand-alone sound files */
    CD_ENUM_PICTURES = 4           /* pictures and RAW files only */
};

/* Format codes of items. */
enum {
    CD_FORMAT_JPEG = 1,
    CD_FORMAT_MOVIE = 9,
    CD_FORMAT_SOUND = 10,
    CD_FORMAT_CR2 = 15,
    CD_FORMAT_CRW = 257,
    CD_FORMAT_TIFF = 258
};

typedef struct cdItemInfo {
    uint32_t isFolder;
    uint32_t format; /* CD_FORMAT_... */
    char name[256];
    uint32_t size;
    uint32_t time;
    uint8_t reserved[256];
    uint32_t numThumbnails; /* counts at byte 528 */
    uint32_t numPictures;
    uint32_t numMovies;
    uint32_t numSounds;
} cdItemInfo;

/* Item properties of CDGetImageItemProperty, with the size each is delivered in. */
enum {
    CD_ITEMPROP_NUMBER = 0x0100,         /* 4: directory number * 10000 + file number */
    CD_ITEMPROP_MODEL_NAME = 0x0200,     /* 32: zero-padded text */
    CD_ITEMPROP_TIME = 0x0400,           /* 4: seconds since 1970-01-01 00:00 UTC */
    CD_ITEMPROP_EXPOSURE_COMP = 0x0800,  /* 4: float, EV */
    CD_ITEMPROP_FLASH = 0x0900,          /* 4: float, not 0.0 when the flash fired */
    CD_ITEMPROP_MACRO = 0x0B00,          /* 1: 1 for macro */
    CD_ITEMPROP_FOCAL_LENGTH = 0x1300,   /* 2: millimetres * 32 */
    CD_ITEMPROP_ISO = 0x2700,            /* 2 */
    CD_ITEMPROP_TELE_FOCAL = 0x3600,     /* 8: rational millimetres */
    CD_ITEMPROP_WIDE_FOCAL = 0x3700,     /* 8: rational millimetres */
    CD_ITEMPROP_SHUTTER_SPEED = 0x6300,  /* 8: rational APEX value */
    CD_ITEMPROP_APERTURE = 0x6400,       /* 8: rational APEX value */
    CD_ITEMPROP_OWNER_NAME = 0x08000300, /* 32: zero-padded text */
    CD_ITEMPROP_ROTATION = 0x08001800    /* 4: degrees, 0, 90, 180 or 270 */
};

typedef struct cdRational {
    int32_t numerator;
    int32_t denominator;
} cdRational;

typedef struct cdImageDataInfo {
    uint32_t dataType;
    uint32_t format;
    uint32_t byteCount; /* at byte 8 */
    uint32_t reserved;
    char fileName[256]; /* at byte 16 */
} cdImageDataInfo;

/* Base image data properties, 16-bit values. */
enum { CD_IMAGEPROP_WIDTH = 4, CD_IMAGEPROP_HEIGHT = 5 };

/* Where CDGetImageData writes: a file named by path. */
enum { CD_STORAGE_FILE = 0 };
typedef struct cdStorage {
    uint32_t type;
    const char* path;
} cdStorage;

/* Progress option of CDGetImageData: without reports, or with reports from the
   layer's transfer thread while the call waits. A callback that returns
   non-zero stops the operation: it fails with CD_ERR_CANCELLED, and a file
   it was writing is not left behind. */
enum { CD_PROGRESS_NONE = 0, CD_PROGRESS_REPORT = 3 };
enum { CD_PROGRESS_STATUS_TRANSFER = 1 };
typedef uint32_t (*cdProgressCallbackFunction)(uint32_t progress, uint32_t status,
                                               cdContext context);

/* Camera events: the event kind in bits 16 to 19, the reason in bits 0 to 15.
   They arrive on a thread of the camera. A card change tells that the
   camera itself added (reason 1) or removed (reason 2) a file of its card,
   so that a list of the card is read again. */
enum {
    CD_EVENT_WARNING = 0x00020000,
    CD_EVENT_SHUTDOWN = 0x00040000,
    CD_EVENT_CARD_CHANGED = 0x00080000,
    CD_EVENT_REASON_CONNECTION_LOST = 13,
    CD_EVENT_REASON_FILE_ADDED = 1,
    CD_EVENT_REASON_FILE_REMOVED = 2
};
typedef uint32_t (*cdEventCallbackFunction)(uint32_t eventId, const void* data, uint32_t dataSize,
                                            cdContext context);

cdError CDStartSDK(const cdVersionInfo* version, uint32_t option);
cdError CDFinishSDK(void);

cdError CDEnumDeviceReset(uint32_t kind, cdHEnum* enumeration);
cdError CDGetDeviceCount(cdHEnum enumeration, uint32_t* count);
cdError CDEnumDeviceNext(cdHEnum enumeration, cdSourceInfo* source);
cdError CDEnumDeviceRelease(cdHEnum enumeration);
cdError CDOpenSource(const cdSourceInfo* sourceInfo, cdHSource* source);
cdError CDCloseSource(cdHSource source);
cdError CDRegisterEventCallbackFunction(cdHSource source, cdEventCallbackFunction function,
                                        cdContext context, cdHandle* registration);
cdError CDUnregisterEventCallbackFunction(cdHSource source, cdHandle registration);

cdError CDEnumDevicePropertyReset(cdHSource source, uint32_t option, cdHEnum* enumeration);
cdError CDEnumDevicePropertyNext(cdHEnum enumeration, uint32_t* propertyId);
cdError CDEnumDevicePropertyRelease(cdHEnum enumeration);
/* size: the buffer's capacity on entry, the bytes written on return. */
cdError CDGetDevicePropertyData(cdHSource source, uint32_t propertyId, uint32_t* size, void* buffer,
                                uint32_t option);

cdError CDEnumVolumeReset(cdHSource source, cdHEnum* enumeration);
cdError CDGetVolumeCount(cdHEnum enumeration, uint32_t* count);
cdError CDEnumVolumeNext(cdHEnum enumeration, cdHVolume* volume);
cdError CDEnumVolumeRelease(cdHEnum enumeration);
cdError CDGetVolumeInfo(cdHVolume volume, cdVolumeInfo* info);

/* depth: how many folder levels below the volume's root are searched. */
cdError CDEnumImageItemReset(cdHVolume volume, uint32_t depth, uint32_t option,
                             cdHEnum* enumeration);
cdError CDGetImageItemCount(cdHEnum enumeration, uint32_t* count);
cdError CDEnumImageItemNext(cdHEnum enumeration, cdHItem* item);
cdError CDEnumImageItemRelease(cdHEnum enumeration);
/* What CDGetImageItemList tells of one item without opening it. */
typedef struct cdItemListEntry {
    cdHItem item;
    uint32_t format; /* CD_FORMAT_... */
    char name[256];  /* the main file's name */
    uint32_t size;   /* bytes of the main file */
    uint32_t number; /* from the file's path: directory number * 10000 + file number; 0 unknown */
} cdItemListEntry;
/* The items the enumeration has not handed out yet, at most *count of them,
   in the order CDEnumImageItemNext would give them, in one call; *count is
   set to the entries written and the enumeration moves past them. Reads only
   what the camera lists of each file, none of its data: a whole card at the
   price of one call. */
cdError CDGetImageItemList(cdHEnum enumeration, uint32_t* count, cdItemListEntry* entries);
/* An item for any file of the computer; freed with CDFreeImageItem. */
cdError CDMakeImageItem(const char* path, uint32_t format, cdHItem* item);
cdError CDFreeImageItem(cdHItem item);
/* Opens are counted; each CDOpenImage needs its CDCloseImage. */
cdError CDOpenImage(cdHItem item);
cdError CDCloseImage(cdHItem item);
cdError CDGetItemInfo(cdHItem item, cdItemInfo* info);
/* Deletes a camera item from its volume, or the file of a made item (volume ignored). */
cdError CDDeleteImage(cdHVolume volume, cdHItem item);
cdError CDEnumImageItemPropertyReset(cdHItem item, uint32_t option, cdHEnum* enumeration);
cdError CDEnumImageItemPropertyRelease(cdHEnum enumeration);
/* size: the buffer's capacity on entry, the bytes written on return. */
cdError CDGetImageItemProperty(cdHItem item, uint32_t propertyId, uint32_t* size, void* buffer);
/* One property of CDGetImageItemProperties: propertyId and buffer in; size
   in as the buffer's capacity, out as the bytes written; result out: the code
   CDGetImageItemProperty answers for it. */
typedef struct cdItemPropertyRequest {
    uint32_t propertyId;
    uint32_t size;
    void* buffer;
    cdError result;
} cdItemPropertyRequest;
/* Several properties of an open item in one call, each as
   CDGetImageItemProperty reads it; the call itself fails only as the item
   does (a bad handle, an item not open). */
cdError CDGetImageItemProperties(cdHItem item, uint32_t count, cdItemPropertyRequest* requests);

/* Data handles of an open item; they stay valid until the item's last close. */
cdError CDGetPicture(cdHItem item, cdHImageData* data);
cdError CDGetThumbnail(cdHItem item, cdHImageData* data);
cdError CDGetSound(cdHItem item, cdHImageData* data);
cdError CDGetMovie(cdHItem item, cdHImageData* data);
cdError CDGetImageDataInfo(cdHImageData data, cdImageDataInfo* info);
cdError CDGetBaseImageDataProperty(cdHImageData data, uint32_t propertyId, uint32_t* size,
                                   void* buffer);
cdError CDGetImageData(cdHImageData data, const cdStorage* storage,
                       cdProgressCallbackFunction progress, cdContext context, uint32_t option);

/* ---- Remote control ---------------------------------------------------- */

/* Release control: release events carry the kind in bits 16 to 19 like camera
   events; a completed release carries the number of released data items as
   4 bytes of data. They arrive on a thread of the camera. */
enum {
    CD_RELEASE_EVENT_RELEASE_START = 0x00010000,
    CD_RELEASE_EVENT_RELEASE_COMPLETE = 0x00020000
};
typedef uint32_t (*cdReleaseEventCallbackFunction)(uint32_t eventId, const void* data,
                                                   uint32_t dataSize, cdContext context);

/* What a release delivers, as flags: the thumbnail and the picture, each to
   the computer (fetched with CDGetReleasedData, thumbnail first) and/or kept
   on the camera's first volume as a new picture under the next free number. */
enum {
    CD_REL_KIND_THUMB_TO_PC = 0x1,
    CD_REL_KIND_PICTURE_TO_PC = 0x2,
    CD_REL_KIND_THUMB_TO_CAMERA = 0x4,
    CD_REL_KIND_PICTURE_TO_CAMERA = 0x8
};

/* Faculties of release control, as flags: besides the zoom and the
   viewfinder, whether the camera chooses where it shows the live picture
   itself (CDSelectViewFinderCameraOutput) and runs its automatic functions on
   demand (CDActViewfinderAutoFunctions). */
enum {
    CD_RELEASE_FACULTY_ZOOM = 0x1,
    CD_RELEASE_FACULTY_VIEWFINDER = 0x2,
    CD_RELEASE_FACULTY_VIEWFINDER_OUTPUT = 0x4,
    CD_RELEASE_FACULTY_VIEWFINDER_AUTO = 0x8
};

/* What CDGetReleasedData delivered. */
enum { CD_RELEASED_THUMBNAIL = 1, CD_RELEASED_PICTURE = 2 };
typedef struct cdReleaseImageInfo {
    uint32_t dataType; /* CD_RELEASED_... */
    uint32_t format;   /* CD_FORMAT_JPEG */
    uint32_t byteCount;
    uint32_t reserved;
} cdReleaseImageInfo;

cdError CDGetReleaseControlFaculty(cdHSource source, uint32_t* faculty);
cdError CDEnterReleaseControl(cdHSource source, cdReleaseEventCallbackFunction function,
                              cdContext context);
/* Also stops a running viewfinder and drops released data not fetched. */
cdError CDExitReleaseControl(cdHSource source);
cdError CDSelectReleaseDataKind(cdHSource source, uint32_t kind);
/* synchronous 0: returns at once and the camera shoots on its own thread; a
   following CDGetReleasedData waits for it. Progress as in CDGetImageData. */
cdError CDRelease(cdHSource source, uint8_t synchronous, cdProgressCallbackFunction progress,
                  cdContext context, uint32_t option, uint32_t* numData);
/* The name of the oldest released data not fetched yet: its file's name on
   the camera's card ("IMG_0001.CR2"), or "" when it is no file of the card;
   CD_ERR_NO_DATA when none waits. A camera that saves one shot as several
   files delivers them one after the other. size: the buffer's capacity. */
cdError CDGetReleasedDataName(cdHSource source, char* name, uint32_t size);
/* Writes the oldest released data not fetched yet to the storage. */
cdError CDGetReleasedData(cdHSource source, cdProgressCallbackFunction progress, cdContext context,
                          uint32_t option, cdReleaseImageInfo* info, const cdStorage* storage);

/* Shooting parameters, in release control. A value the camera does not take
   fails with CD_ERR_BAD_PARAMETER and leaves the setting as it was. Av and Tv
   are taken only in the shooting modes that use them (manual; Av or Tv
   priority). Codes:
     image quality 2 normal, 3 fine, 4 RAW, 5 superfine; image size 0 large,
     1 medium, 2 small, 5 medium 1, 6 medium 2;
     shooting mode 0 auto, 1 program, 2 Tv, 3 Av, 4 manual, 102 to 114 scenes;
     Av and Tv: APEX values * 8; exposure and flash compensation 8 (+2 EV) to
     40 (-2 EV) in thirds, 24 is 0; white balance 0 auto, 1 daylight, 2 cloudy,
     3 tungsten, 4 fluorescent, 5 flash, 6 custom, 14 fluorescent H;
     AF distance 0 manual, 1 auto, 2 unknown, 3 to 7 zone focus;
     flash mode 0 off, 1 auto, 2 on, 3 red eye, 4 slow sync, 5 auto red eye,
     6 on red eye; in CDSetFlashSetting 0xFF keeps that half as it is. */
enum { CD_SHOOTING_MODE_MANUAL = 4 };
cdError CDGetImageFormatAttribute(cdHSource source, uint16_t* quality, uint16_t* size);
cdError CDSetImageFormatAttribute(cdHSource source, uint16_t quality, uint16_t size);
cdError CDGetShootingMode(cdHSource source, uint16_t* mode);
cdError CDSetShootingMode(cdHSource source, uint16_t mode);
cdError CDGetAvValue(cdHSource source, uint16_t* av);
cdError CDSetAvValue(cdHSource source, uint16_t av);
cdError CDGetTvValue(cdHSource source, uint16_t* tv);
cdError CDSetTvValue(cdHSource source, uint16_t tv);
cdError CDGetExposureComp(cdHSource source, uint16_t* compensation);
cdError CDSetExposureComp(cdHSource source, uint16_t compensation);
cdError CDGetWBSetting(cdHSource source, uint16_t* whiteBalance);
cdError CDSetWBSetting(cdHSource source, uint16_t whiteBalance);
cdError CDGetAFDistanceSetting(cdHSource source, uint16_t* distance);
cdError CDSetAFDistanceSetting(cdHSource source, uint16_t distance);
cdError CDGetFlashSetting(cdHSource source, uint16_t* mode, uint16_t* compensation);
cdError CDSetFlashSetting(cdHSource source, uint16_t mode, uint16_t compensation);

/* Camera settings by identifier, with their byte counts; the codes are
   metering 0 centre weighted, 1 spot, 2 averaging, 3 evaluative, 4 partial,
   5 centre weighted averaging; ISO 0 auto, 0x40 50, 0x48 100, 0x50 200,
   0x58 400; contrast, colour gain, sharpness 0xFF (-1), 0, 1; photo effect
   0 off, 1 neutral, 2 low sharpening, 3 sepia, 4 black and white; beep 0 off,
   1 on. */
enum {
    CD_RELCAM_BEEP = 0x08000002,        /* 1 byte */
    CD_RELCAM_METERING = 0x08000004,    /* 1 byte */
    CD_RELCAM_CONTRAST = 0x08000008,    /* 1 byte */
    CD_RELCAM_COLOR_GAIN = 0x08000009,  /* 1 byte */
    CD_RELCAM_SHARPNESS = 0x0800000A,   /* 1 byte */
    CD_RELCAM_ISO = 0x0800000C,         /* 1 byte */
    CD_RELCAM_PHOTO_EFFECT = 0x08000B00 /* 2 bytes */
};
/* size: the buffer's capacity on entry, the bytes written on return. */
cdError CDGetRelCamSettingData(cdHSource source, uint32_t settingId, uint32_t* size, void* buffer);
cdError CDSetRelCamSettingData(cdHSource source, uint32_t settingId, uint32_t size,
                               const void* buffer);

/* Lists of the values a parameter takes. Each reset fails with
   CD_ERR_NOT_SUPPORTED when the camera offers no list for the parameter; the
   lists are read with the CDGetReleaseParamCount, CDEnumReleaseParamNext and
   CDEnumReleaseParamRelease. Entries: a cdImageFormat for the image format,
   16-bit codes for the others (the flash list gives flash modes), and
   entrySize bytes for a camera setting. */
typedef struct cdImageFormat {
    uint16_t quality;
    uint16_t size;
} cdImageFormat;
cdError CDEnumImageFormatAttributeReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumShootingModeReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumAvValueReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumTvValueReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumExposureCompReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumWBSettingReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumAFDistanceSettingReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumFlashSettingReset(cdHSource source, cdHEnum* enumeration);
cdError CDEnumRelCamSettingReset(cdHSource source, uint32_t settingId, cdHEnum* enumeration,
                                 uint32_t* entrySize);
cdError CDGetReleaseParamCount(cdHEnum enumeration, uint32_t* count);
/* size: the buffer's capacity on entry, the bytes written on return. */
cdError CDEnumReleaseParamNext(cdHEnum enumeration, uint32_t* size, void* entry);
cdError CDEnumReleaseParamRelease(cdHEnum enumeration);

/* Zoom positions count from 0 (widest); the first maximum is the end of the
   optical zoom, the second the end of the digital zoom. */
cdError CDGetZoomPos(cdHSource source, uint32_t* position);
cdError CDGetMaximumZoomPos(cdHSource source, uint32_t* opticalMaximum, uint32_t* maximum);
cdError CDSetZoomPos(cdHSource source, uint32_t position);

/* The viewfinder, in release control: one complete JPEG image per call, from
   the viewfinder's own thread, valid during the call. Format 0 is JPEG. */
typedef uint32_t (*cdViewfinderCallbackFunction)(const uint8_t* buffer, uint32_t size,
                                                 uint32_t format, cdContext context);
enum { CD_VIEWFINDER_OUTPUT_LCD = 1, CD_VIEWFINDER_OUTPUT_VIDEO = 2, CD_VIEWFINDER_OUTPUT_OFF = 3 };
enum { CD_AUTO_EXPOSURE = 0x1, CD_AUTO_FOCUS = 0x2, CD_AUTO_WHITE_BALANCE = 0x4 };
cdError CDStartViewfinder(cdHSource source, uint32_t format, cdViewfinderCallbackFunction function,
                          cdContext context);
cdError CDTermViewfinder(cdHSource source);
/* Where the camera itself shows the live picture: CD_VIEWFINDER_OUTPUT_... */
cdError CDSelectViewFinderCameraOutput(cdHSource source, uint32_t output);
/* Runs the automatic functions once: CD_AUTO_... flags. */
cdError CDActViewfinderAutoFunctions(cdHSource source, uint32_t functions);

/* Adding pictures: the camera takes raw pixel files (width * height * 3 bytes,
   red, green, blue, rows from the top) of the sizes it lists and stores them
   as JPEG pictures. */
#pragma pack(push, 1)
enum { CD_IMAGE_SIZE_WIDTH_HEIGHT = 7 };
typedef struct cdImageSize {
    uint16_t type; /* CD_IMAGE_SIZE_WIDTH_HEIGHT */
    uint32_t width;
    uint32_t height;
} cdImageSize;
typedef struct cdPictureAttributes {
    uint32_t reserved1;
    uint32_t reserved2;
    uint16_t rotation; /* degrees: 0, 90, 180 or 270, recorded as the EXIF orientation */
    uint16_t reserved3;
    uint16_t reserved4;
} cdPictureAttributes;
#pragma pack(pop)
/* Quality codes of CDAddPicture. */
enum {
    CD_ADD_QUALITY_ECONOMY = 1,
    CD_ADD_QUALITY_NORMAL = 2,
    CD_ADD_QUALITY_FINE = 3,
    CD_ADD_QUALITY_SUPERFINE = 5
};
typedef struct cdAddPictureResult {
    char fileName[256]; /* the new picture's name on the card */
    uint8_t reserved[276];
} cdAddPictureResult;

cdError CDEnumSupportedImageSizeReset(cdHSource source, uint32_t option, cdHEnum* enumeration);
cdError CDGetSupportedImageSizeCount(cdHEnum enumeration, uint32_t* count);
cdError CDEnumSupportedImageSizeNext(cdHEnum enumeration, cdImageSize* size);
cdError CDEnumSupportedImageSizeRelease(cdHEnum enumeration);
/* source: the raw pixel file. The reserved arguments are 0. */
cdError CDAddPicture(const cdStorage* source, const cdImageSize* size, cdHVolume volume,
                     uint32_t reserved1, uint32_t quality, uint32_t reserved2, uint32_t reserved3,
                     const cdPictureAttributes* attributes, cdProgressCallbackFunction progress,
                     cdContext context, uint32_t option, cdAddPictureResult* result);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#define CDSDK_STATIC_ASSERT static_assert
#else
#define CDSDK_STATIC_ASSERT _Static_assert
#endif
CDSDK_STATIC_ASSERT(sizeof(cdVersionInfo) == 40, "version record");
CDSDK_STATIC_ASSERT(offsetof(cdSourceInfo, portType) == 136, "port word");
CDSDK_STATIC_ASSERT(sizeof(cdSourceInfo) <= 400, "source description");
CDSDK_STATIC_ASSERT(offsetof(cdVolumeInfo, name) == 20, "volume name");
CDSDK_STATIC_ASSERT(offsetof(cdItemInfo, numThumbnails) == 528, "item counts");
CDSDK_STATIC_ASSERT(offsetof(cdImageDataInfo, byteCount) == 8, "byte count");
CDSDK_STATIC_ASSERT(offsetof(cdImageDataInfo, fileName) == 16, "file name");
CDSDK_STATIC_ASSERT(sizeof(cdReleaseImageInfo) == 16, "released data information");
CDSDK_STATIC_ASSERT(sizeof(cdImageSize) == 10 && offsetof(cdImageSize, width) == 2 &&
                        offsetof(cdImageSize, height) == 6,
                    "image size");
CDSDK_STATIC_ASSERT(sizeof(cdPictureAttributes) == 14 &&
                        offsetof(cdPictureAttributes, rotation) == 8,
                    "picture attributes");
CDSDK_STATIC_ASSERT(sizeof(cdAddPictureResult) == 532, "add-picture result");
#undef CDSDK_STATIC_ASSERT

#endif
