/* Compiled as C: the record layouts seen by a C caller. */
#include "ZTCam.h"

size_t ztcamtest_c_layout(int which)
{
    switch (which) {
    case 0: return sizeof(OpenedCamera);
    case 1: return sizeof(ZTCamInitParams);
    case 2: return sizeof(ZTCamFrame);
    case 3: return sizeof(ZTCamElement);
    case 4: return sizeof(ZTCamFileSaveParams);
    case 5: return sizeof(ZTCamRecordParams);
    case 6: return sizeof(ZTCamDeviceInfo);
    case 7: return offsetof(ZTCamElement, entries);
    case 8: return offsetof(ZTCamFrame, data);
    case 9: return offsetof(ZTCamPropAttr, defaultValue);
    case 10: return offsetof(ZTCamCapaAttr, defaultValue);
    default: return 0;
    }
}
