#ifndef CDSDK_H
#define CDSDK_H
/*
 * The camera SDK layer: devices, their properties, volumes, image items and
 * their data, behind opaque 32-bit handles. Every operation returns a cdError,
 * 0 on success. The backend is chosen by the environment variable
 * LUMVIK_CAMERA: "sim:DIR" opens the simulated camera described by the folder
 * DIR; without it the device enumeration finds no camera.
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
    CD_ERR_INTERNAL = 0x0001,             /* the layer itself failed */
    CD_ERR_NOT_STARTED = 0x0002,          /* CDStartSDK has not run */
    CD_ERR_NOT_SUPPORTED = 0x0003,        /* interface version or operation not offered */
    CD_ERR_BAD_PARAMETER = 0x0004,        /* a value outside what the operation takes */
    CD_ERR_BAD_HANDLE = 0x0005,           /* unknown, released or wrong kind of handle */
    CD_ERR_DEVICE_NOT_FOUND = 0x0006,     /* no camera, or the camera went away */
    CD_ERR_DEVICE_DISCONNECTED = 0x0007,  /* the camera of an open source was unplugged */
    CD_ERR_ENUM_END = 0x0008,             /* an enumeration has no further entry */
    CD_ERR_ITEM_NOT_OPEN = 0x0009,        /* the item must be opened first */
    CD_ERR_NO_DATA = 0x000A,              /* the item has no data of that kind */
    CD_ERR_PROPERTY_UNAVAILABLE = 0x000B, /* the item or device does not hold the property */
    CD_ERR_BUFFER_TOO_SMALL = 0x000C,     /* the caller's buffer cannot take the value */
    CD_ERR_FILE_NOT_FOUND = 0x000D,       /* a file to read does not exist */
    CD_ERR_FILE_IO = 0x000E               /* a file cannot be read, created or written */
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

/* Device properties read with CDGetDevicePropertyData. */
enum { CD_DEVPROP_MODEL_NAME = 0x00000002, CD_DEVPROP_OWNER_NAME = 0x0800000C };

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
   layer's transfer thread while the call waits. */
enum { CD_PROGRESS_NONE = 0, CD_PROGRESS_REPORT = 3 };
enum { CD_PROGRESS_STATUS_TRANSFER = 1 };
typedef uint32_t (*cdProgressCallbackFunction)(uint32_t progress, uint32_t status,
                                               cdContext context);

/* Camera events: the event kind in bits 16 to 19, the reason in bits 0 to 15.
   They arrive on a thread of the camera. */
enum {
    CD_EVENT_WARNING = 0x00020000,
    CD_EVENT_SHUTDOWN = 0x00040000,
    CD_EVENT_REASON_CONNECTION_LOST = 13
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
#undef CDSDK_STATIC_ASSERT

#endif
