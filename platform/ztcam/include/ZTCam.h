/*
 * ZTCam camera SDK: public C interface.
 *
 * Every call returns a ZTCamStatus; exactly ZTCAM_STATUS_SUCCESS (1) is
 * success. Handles are opaque pointers to SDK-owned records. All records have
 * fixed layouts on 64-bit little-endian platforms with 8-byte pointers;
 * reserved fields belong to the SDK.
 */
#ifndef ZTCAM_H
#define ZTCAM_H

#include <stddef.h>
#include <stdint.h>

#if defined(ZTCAM_BUILDING_LIBRARY)
#define ZTCAM_API __attribute__((visibility("default")))
#else
#define ZTCAM_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------- status */

typedef uint32_t ZTCamStatus;

#define ZTCAM_STATUS_SUCCESS          1u
#define ZTCAM_STATUS_FAILURE          0u
#define ZTCAM_STATUS_INVALID_PARAM    0x80000101u /* null pointer or bad value */
#define ZTCAM_STATUS_INVALID_HANDLE   0x80000102u /* unknown or closed handle */
#define ZTCAM_STATUS_NOT_INITIALIZED  0x80000103u /* ZTCAM_Api_Init not called */
#define ZTCAM_STATUS_NO_DEVICE        0x80000104u /* index out of range */
#define ZTCAM_STATUS_BUSY             0x80000105u /* already open / wrong state */
#define ZTCAM_STATUS_WRONG_STATE      0x80000106u /* not allowed in this state */
#define ZTCAM_STATUS_TIMEOUT          0x80000107u /* no frame within time-out */
#define ZTCAM_STATUS_ABORTED          0x80000108u /* wait aborted */
#define ZTCAM_STATUS_NOT_FOUND        0x80000109u /* unknown id or name */
#define ZTCAM_STATUS_END_OF_LIST      0x8000010Au /* element walk finished */
#define ZTCAM_STATUS_ACCESS_DENIED    0x8000010Bu /* read-only or locked */
#define ZTCAM_STATUS_OUT_OF_RANGE     0x8000010Cu /* value outside range */
#define ZTCAM_STATUS_NO_MEMORY        0x8000010Du
#define ZTCAM_STATUS_DISCONNECTED     0x8000010Eu /* the camera is gone */
#define ZTCAM_STATUS_IO_ERROR         0x8000010Fu /* file could not be used */
#define ZTCAM_STATUS_BUFFER_TOO_SMALL 0x80000110u
#define ZTCAM_STATUS_FILE_INVALID     0x80000115u /* a file that cannot be used */
#define ZTCAM_STATUS_NOT_SUPPORTED    0x80000312u /* firmware lacks the operation */

/* ---------------------------------------------------------------- ids */

/* Device information ids (ZTCAM_Dev_GetInfo). */
#define ZTCAM_INFO_TRANSFER_RATE    8  /* value / 1000 = MB/s */
#define ZTCAM_INFO_CONNECTION_STATE 24 /* 1 = the camera is gone */
#define ZTCAM_INFO_PAYLOAD_SIZE     33 /* bytes; 0 = use imageSize */
#define ZTCAM_INFO_STATUS_TEXT      34 /* last message text */

/* Property ids (double values). */
#define ZTCAM_PROP_5           5
#define ZTCAM_PROP_GAMMA       8  /* hundredths */
#define ZTCAM_PROP_CONTRAST    9
#define ZTCAM_PROP_LEFT_LEVEL  10
#define ZTCAM_PROP_RIGHT_LEVEL 11

/* Capability ids (integer values). */
#define ZTCAM_CAPA_FLIP_HORIZONTAL 4
#define ZTCAM_CAPA_FLIP_VERTICAL   5
#define ZTCAM_CAPA_AUTO_LEVELS     8  /* bit 0 left, bit 1 right */
#define ZTCAM_CAPA_AUTO_LEVEL_MODE 10 /* 1 while either automatic level is on */
#define ZTCAM_CAPA_FLAT_FIELD      15 /* 3 on, 0 off, 2 still working */
#define ZTCAM_CAPA_19              19 /* reset to 0 when a camera is set up */
#define ZTCAM_CAPA_TIME_STAMP      31 /* time stamp in the image */

/* Flat-field states of capability 15. */
#define ZTCAM_FLAT_FIELD_OFF     0
#define ZTCAM_FLAT_FIELD_WORKING 2
#define ZTCAM_FLAT_FIELD_ON      3

/* Registers (byte addresses, big-endian contents). */
#define ZTCAM_REG_DEVICE_STRING   0x20B0u  /* 64 bytes, used as serial number */
#define ZTCAM_REG_DEVICE_STRING_LEN 64u
#define ZTCAM_REG_PRODUCT_ID      0x80000u /* 4 bytes, id in bytes 2 and 3 */
#define ZTCAM_REG_USERSET_BASE    0x8000u  /* user-set control block */
#define ZTCAM_REG_USERSET_END     0x8010u
#define ZTCAM_REG_USERSET_WINDOW  0x9000u  /* 4096-byte data window */
#define ZTCAM_REG_USERSET_WINDOW_SIZE 4096u

/* Node maps of the element calls. */
#define ZTCAM_NODEMAP_CAMERA 0
#define ZTCAM_NODEMAP_STREAM 1

/* Element types. */
#define ZTCAM_ELEM_INTEGER     2
#define ZTCAM_ELEM_BOOLEAN     3
#define ZTCAM_ELEM_COMMAND     4
#define ZTCAM_ELEM_FLOAT       5
#define ZTCAM_ELEM_STRING      6
#define ZTCAM_ELEM_CATEGORY    8
#define ZTCAM_ELEM_ENUMERATION 9

/* Element representations (others are plain). */
#define ZTCAM_REPR_PLAIN 0
#define ZTCAM_REPR_IPV4  5
#define ZTCAM_REPR_MAC   6
#define ZTCAM_REPR_TIME  8

/* Element access modes: 2 and 4 are writable, others read-only. */
#define ZTCAM_ACCESS_NOT_AVAILABLE 0
#define ZTCAM_ACCESS_READ_ONLY     1
#define ZTCAM_ACCESS_WRITE_ONLY    2
#define ZTCAM_ACCESS_READ_ONLY_3   3
#define ZTCAM_ACCESS_READ_WRITE    4

/* Element visibility. */
#define ZTCAM_VIS_BEGINNER  0
#define ZTCAM_VIS_EXPERT    1
#define ZTCAM_VIS_GURU      2
#define ZTCAM_VIS_INVISIBLE 3

/* Frame format request, set before ZTCAM_Buf_Alloc / ZTCAM_Buf_WaitForFrame. */
#define ZTCAM_FORMAT_REQUEST 17

/* Image file format mask bits (ZTCamFileSaveParams.formatMask). */
#define ZTCAM_FILE_RAW 0x01
#define ZTCAM_FILE_TIF 0x02
#define ZTCAM_FILE_PNG 0x04
#define ZTCAM_FILE_JPG 0x08
#define ZTCAM_FILE_BMP 0x10

/* Video codec: "DIB " (uncompressed). */
#define ZTCAM_CODEC_DIB 0x20424944u

/* DSNU / PRNU transfer direction. */
#define ZTCAM_DATA_CAMERA_TO_FILE 0
#define ZTCAM_DATA_FILE_TO_CAMERA 1

/* ---------------------------------------------------------------- records */

/* A handle points to an SDK-owned record; the byte at offset
 * ZTCAM_HANDLE_INTERFACE_KIND_OFFSET of that record is the device's interface
 * kind (ZTCAM_INTERFACE_KIND_PRODUCT_ID: the product id register is readable). */
typedef void* ZTCamHandle;

#define ZTCAM_HANDLE_INTERFACE_KIND_OFFSET 4
#define ZTCAM_INTERFACE_KIND_PRODUCT_ID    7

/* One opened camera (16 bytes). */
typedef struct OpenedCamera {
    uint32_t index;       /* 0 .. count - 1, input to ZTCAM_Dev_Open */
    uint8_t reserved4[4];
    ZTCamHandle handle;   /* filled by ZTCAM_Dev_Open */
} OpenedCamera;

/* Argument of ZTCAM_Api_Init (16 bytes). */
typedef struct ZTCamInitParams {
    uint32_t cameraCount;     /* written by the SDK */
    uint8_t reserved4[4];
    const char* configPath;   /* NUL-terminated directory path */
} ZTCamInitParams;

/* Frame description (56 bytes). data addresses a block of headerSize bytes
 * (beginning with a copy of this record) followed by the pixels. */
typedef struct ZTCamFrame {
    uint8_t reserved0[8];
    uint16_t headerSize;   /* bytes from the block start to the first pixel */
    uint8_t reserved10[2];
    uint16_t width;        /* pixels */
    uint16_t height;       /* rows */
    uint32_t widthStep;    /* bytes per row */
    uint8_t reserved20[2];
    uint8_t channels;      /* 1 mono, 3 colour (interleaved) */
    uint8_t elementBytes;  /* bytes per sample, 1 or 2 (little-endian) */
    uint8_t formatRequest; /* 17 */
    uint8_t reserved25[7];
    uint32_t imageSize;    /* pixel bytes: widthStep * height */
    uint32_t reserveCount; /* 1 before ZTCAM_Buf_Alloc */
    uint32_t extraSize;    /* further bytes behind the pixels */
    uint8_t reserved44[4];
    void* data;            /* block start (header, then pixels) */
} ZTCamFrame;

/* 64-bit value of an element: integer, boolean, enumeration index or float. */
typedef union ZTCamValue {
    int64_t intValue;
    double floatValue;
} ZTCamValue;

/* One GenICam feature (128 bytes). */
typedef struct ZTCamElement {
    uint8_t lock;            /* non-zero: not editable now */
    uint8_t level;           /* depth below "Root" */
    uint16_t representation; /* ZTCAM_REPR_... */
    int32_t type;            /* ZTCAM_ELEM_... */
    int32_t access;          /* ZTCAM_ACCESS_...: 2 and 4 writable */
    int32_t visibility;      /* ZTCAM_VIS_... */
    uint8_t reserved16[8];
    ZTCamValue value;
    ZTCamValue minimum;
    ZTCamValue maximum;      /* for a string: the maximum length */
    ZTCamValue increment;
    uint64_t commandValue;   /* written to execute a command element */
    const char* name;        /* feature name, set by the caller */
    uint8_t reserved72[8];
    char* text;              /* caller's buffer of maximum + 1 bytes (string) */
    const char* tooltip;     /* owned by the SDK */
    uint8_t reserved96[8];
    const char* const* entries; /* enumeration entry names, indexed by value */
    uint64_t polled;         /* non-zero: changes by itself, re-read each second */
    int64_t decimals;        /* display precision of a float element */
} ZTCamElement;

/* Argument of ZTCAM_File_SaveImage, passed by value (24 bytes). */
typedef struct ZTCamFileSaveParams {
    int32_t formatMask;      /* ZTCAM_FILE_... bits; one file per bit */
    uint8_t reserved4[4];
    const char* path;        /* path without extension */
    ZTCamFrame* frame;       /* data is a header-plus-pixels block */
} ZTCamFileSaveParams;

/* Argument of ZTCAM_Rec_Start (24 bytes). */
typedef struct ZTCamRecordParams {
    uint32_t codec;          /* ZTCAM_CODEC_DIB */
    uint8_t reserved4[4];
    const char* path;        /* .avi path */
    float frameRate;
    uint8_t reserved20[4];
} ZTCamRecordParams;

/* Argument of ZTCAM_Dev_GetInfo (16 bytes). */
typedef struct ZTCamDeviceInfo {
    int32_t id;              /* in */
    int32_t value;           /* out */
    const char* text;        /* out, owned by the SDK */
} ZTCamDeviceInfo;

/* Argument of ZTCAM_Prop_GetAttr (48 bytes). */
typedef struct ZTCamPropAttr {
    int32_t id;              /* in */
    uint8_t reserved4[4];
    double minimum;
    double maximum;
    double defaultValue;
    uint8_t reserved32[16];
} ZTCamPropAttr;

/* Argument of ZTCAM_Capa_GetAttr (24 bytes). */
typedef struct ZTCamCapaAttr {
    int32_t id;              /* in */
    int32_t minimum;         /* SDK detail */
    int32_t maximum;         /* SDK detail */
    int32_t defaultValue;
    uint8_t reserved16[8];
} ZTCamCapaAttr;

/* Data callback: called once per frame on an SDK thread; call
 * ZTCAM_Buf_GetData inside it to take the frame. handle is the camera's. */
typedef void (*ZTCamDataCallback)(void* handle, void* context);

/* ---------------------------------------------------------------- layout */

#ifdef __cplusplus
#define ZTCAM_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define ZTCAM_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

ZTCAM_STATIC_ASSERT(sizeof(void*) == 8, "ZTCam needs 8-byte pointers");
ZTCAM_STATIC_ASSERT(sizeof(OpenedCamera) == 16, "OpenedCamera size");
ZTCAM_STATIC_ASSERT(offsetof(OpenedCamera, index) == 0, "OpenedCamera.index");
ZTCAM_STATIC_ASSERT(offsetof(OpenedCamera, handle) == 8, "OpenedCamera.handle");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamInitParams) == 16, "ZTCamInitParams size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamInitParams, cameraCount) == 0, "ZTCamInitParams.cameraCount");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamInitParams, configPath) == 8, "ZTCamInitParams.configPath");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamFrame) == 56, "ZTCamFrame size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, headerSize) == 8, "ZTCamFrame.headerSize");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, width) == 12, "ZTCamFrame.width");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, height) == 14, "ZTCamFrame.height");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, widthStep) == 16, "ZTCamFrame.widthStep");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, channels) == 22, "ZTCamFrame.channels");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, elementBytes) == 23, "ZTCamFrame.elementBytes");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, formatRequest) == 24, "ZTCamFrame.formatRequest");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, imageSize) == 32, "ZTCamFrame.imageSize");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, reserveCount) == 36, "ZTCamFrame.reserveCount");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, extraSize) == 40, "ZTCamFrame.extraSize");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFrame, data) == 48, "ZTCamFrame.data");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamValue) == 8, "ZTCamValue size");
ZTCAM_STATIC_ASSERT(sizeof(ZTCamElement) == 128, "ZTCamElement size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, lock) == 0, "ZTCamElement.lock");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, level) == 1, "ZTCamElement.level");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, representation) == 2, "ZTCamElement.representation");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, type) == 4, "ZTCamElement.type");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, access) == 8, "ZTCamElement.access");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, visibility) == 12, "ZTCamElement.visibility");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, value) == 24, "ZTCamElement.value");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, minimum) == 32, "ZTCamElement.minimum");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, maximum) == 40, "ZTCamElement.maximum");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, increment) == 48, "ZTCamElement.increment");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, commandValue) == 56, "ZTCamElement.commandValue");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, name) == 64, "ZTCamElement.name");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, text) == 80, "ZTCamElement.text");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, tooltip) == 88, "ZTCamElement.tooltip");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, entries) == 104, "ZTCamElement.entries");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, polled) == 112, "ZTCamElement.polled");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamElement, decimals) == 120, "ZTCamElement.decimals");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamFileSaveParams) == 24, "ZTCamFileSaveParams size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFileSaveParams, formatMask) == 0, "ZTCamFileSaveParams.formatMask");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFileSaveParams, path) == 8, "ZTCamFileSaveParams.path");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamFileSaveParams, frame) == 16, "ZTCamFileSaveParams.frame");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamRecordParams) == 24, "ZTCamRecordParams size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamRecordParams, codec) == 0, "ZTCamRecordParams.codec");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamRecordParams, path) == 8, "ZTCamRecordParams.path");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamRecordParams, frameRate) == 16, "ZTCamRecordParams.frameRate");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamDeviceInfo) == 16, "ZTCamDeviceInfo size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamDeviceInfo, id) == 0, "ZTCamDeviceInfo.id");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamDeviceInfo, value) == 4, "ZTCamDeviceInfo.value");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamDeviceInfo, text) == 8, "ZTCamDeviceInfo.text");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamPropAttr) == 48, "ZTCamPropAttr size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamPropAttr, id) == 0, "ZTCamPropAttr.id");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamPropAttr, minimum) == 8, "ZTCamPropAttr.minimum");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamPropAttr, maximum) == 16, "ZTCamPropAttr.maximum");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamPropAttr, defaultValue) == 24, "ZTCamPropAttr.defaultValue");

ZTCAM_STATIC_ASSERT(sizeof(ZTCamCapaAttr) == 24, "ZTCamCapaAttr size");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamCapaAttr, id) == 0, "ZTCamCapaAttr.id");
ZTCAM_STATIC_ASSERT(offsetof(ZTCamCapaAttr, defaultValue) == 12, "ZTCamCapaAttr.defaultValue");

/* ---------------------------------------------------------------- calls */

/* Library */
ZTCAM_API ZTCamStatus ZTCAM_Api_Config(int32_t option, int32_t value);
ZTCAM_API ZTCamStatus ZTCAM_Api_Init(ZTCamInitParams* params, uint32_t timeoutMs);
ZTCAM_API ZTCamStatus ZTCAM_Api_Uninit(void);

/* Device */
ZTCAM_API ZTCamStatus ZTCAM_Dev_Open(OpenedCamera* camera);
ZTCAM_API ZTCamStatus ZTCAM_Dev_Close(ZTCamHandle handle);
ZTCAM_API ZTCamStatus ZTCAM_Dev_GetInfo(ZTCamHandle handle, ZTCamDeviceInfo* info);

/* Properties (double) and capabilities (integer) */
ZTCAM_API ZTCamStatus ZTCAM_Prop_GetAttr(ZTCamHandle handle, ZTCamPropAttr* attr);
ZTCAM_API ZTCamStatus ZTCAM_Capa_GetAttr(ZTCamHandle handle, ZTCamCapaAttr* attr);
ZTCAM_API ZTCamStatus ZTCAM_Prop_GetValue(ZTCamHandle handle, int32_t id, double* value, int32_t channel);
ZTCAM_API ZTCamStatus ZTCAM_Prop_SetValue(ZTCamHandle handle, int32_t id, double value, int32_t channel);
ZTCAM_API ZTCamStatus ZTCAM_Capa_GetValue(ZTCamHandle handle, int32_t id, int32_t* value);
ZTCAM_API ZTCamStatus ZTCAM_Capa_SetValue(ZTCamHandle handle, int32_t id, int32_t value);

/* GenICam elements. ElementAttr fills element with the attributes of the
 * named feature; ElementAttrNext with those of the feature after the named
 * one in depth-first order (start with "Root"), element->name pointing to the
 * SDK-owned name. Get/Set use element->name; Set on a command executes it
 * when element->commandValue is the command value ElementAttr reports. */
ZTCAM_API ZTCamStatus ZTCAM_GenICam_ElementAttr(ZTCamHandle handle, ZTCamElement* element,
                                                const char* name, int32_t nodeMap);
ZTCAM_API ZTCamStatus ZTCAM_GenICam_ElementAttrNext(ZTCamHandle handle, ZTCamElement* element,
                                                    const char* name, int32_t nodeMap);
ZTCAM_API ZTCamStatus ZTCAM_GenICam_GetElementValue(ZTCamHandle handle, ZTCamElement* element,
                                                    int32_t nodeMap);
ZTCAM_API ZTCamStatus ZTCAM_GenICam_SetElementValue(ZTCamHandle handle, ZTCamElement* element,
                                                    int32_t nodeMap);

/* Registers: big-endian bytes */
ZTCAM_API ZTCamStatus ZTCAM_GenICam_GetRegisterValue(ZTCamHandle handle, uint8_t* bytes,
                                                     uint64_t address, uint32_t count);
ZTCAM_API ZTCamStatus ZTCAM_GenICam_SetRegisterValue(ZTCamHandle handle, const uint8_t* bytes,
                                                     uint64_t address, uint32_t count);

/* Calibration data: direction 0 camera to file, 1 file to camera */
ZTCAM_API ZTCamStatus ZTCAM_GenICam_DSNUDataRW(ZTCamHandle handle, const char* path, int32_t direction);
ZTCAM_API ZTCamStatus ZTCAM_GenICam_PRNUDataRW(ZTCamHandle handle, const char* path, int32_t direction);

/* Gray value at (x, y) of the newest frame into values[0] (values[1..2]:
 * further channels of a colour frame); values holds at least 12 entries. */
ZTCAM_API ZTCamStatus ZTCAM_Get_GrayValue(ZTCamHandle handle, int32_t x, int32_t y, uint16_t* values);

/* Buffers and capture */
ZTCAM_API ZTCamStatus ZTCAM_Buf_DataCallBack(ZTCamHandle handle, ZTCamDataCallback callback, void* context);
ZTCAM_API ZTCamStatus ZTCAM_Buf_Alloc(ZTCamHandle handle, ZTCamFrame* frame);
ZTCAM_API ZTCamStatus ZTCAM_Cap_AnnounceBuffer(ZTCamHandle handle, uint32_t size, void* buffer);
ZTCAM_API ZTCamStatus ZTCAM_Cap_Start(ZTCamHandle handle, int32_t mode);
ZTCAM_API ZTCamStatus ZTCAM_Buf_WaitForFrame(ZTCamHandle handle, ZTCamFrame* frame, uint32_t timeoutMs);
ZTCAM_API ZTCamStatus ZTCAM_Buf_GetData(ZTCamHandle handle, ZTCamFrame* frame);
ZTCAM_API ZTCamStatus ZTCAM_Buf_AbortWait(ZTCamHandle handle);
ZTCAM_API ZTCamStatus ZTCAM_Cap_Stop(ZTCamHandle handle);
ZTCAM_API ZTCamStatus ZTCAM_Buf_Release(ZTCamHandle handle);
ZTCAM_API ZTCamStatus ZTCAM_Cap_ClearBuffer(ZTCamHandle handle);

/* Files */
/* Writes one file per format bit: path + ".raw", ".tif", ".png", ".jpg",
 * ".bmp". A file that cannot be written whole is removed again; the call then
 * returns ZTCAM_STATUS_IO_ERROR with errno set to the system's error of the
 * first such file. */
ZTCAM_API ZTCamStatus ZTCAM_File_SaveImage(ZTCamHandle handle, ZTCamFileSaveParams params);
/* Creates the video file; a path already taken is never replaced: the call
 * returns ZTCAM_STATUS_IO_ERROR with errno EEXIST. */
ZTCAM_API ZTCamStatus ZTCAM_Rec_Start(ZTCamHandle handle, ZTCamRecordParams* params);
ZTCAM_API ZTCamStatus ZTCAM_Rec_AppendFrame(ZTCamHandle handle, ZTCamFrame* frame);
ZTCAM_API ZTCamStatus ZTCAM_Rec_Stop(ZTCamHandle handle);

#ifdef __cplusplus
}
#endif

#endif /* ZTCAM_H */
