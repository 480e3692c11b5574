/*
 * Test-only exports of the simulated ZTCam SDK. Not part of the camera SDK's
 * interface: production code never calls these.
 *
 * Camera indexes here are SDK indexes (0 .. count - 1 of the last
 * ZTCAM_Api_Init). Fault and state changes act on the cameras of the current
 * initialisation and are forgotten at ZTCAM_Api_Uninit.
 */
#ifndef ZTCAM_SIM_H
#define ZTCAM_SIM_H

#include "ZTCam.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- call log: one entry per SDK call, in call order (all threads) ---- */

/* Number of entries logged since the last clear. */
ZTCAM_API size_t ZTCamSim_CallLogSize(void);
/* Entry at position: *name receives the SDK function name (a static string,
 * e.g. "ZTCAM_Cap_Start"), *cameraIndex the SDK index of the camera the call
 * addressed, -1 for library calls and unknown handles. Returns 1 when the
 * position exists, else 0. Either output pointer may be null. */
ZTCAM_API int ZTCamSim_CallLogEntry(size_t position, const char** name, int* cameraIndex);
/* The whole log as text, one line "<name> <cameraIndex>\n" per entry, copied
 * into buffer (always NUL-terminated when size > 0). Returns the number of
 * bytes the full text needs, terminator included. */
ZTCAM_API size_t ZTCamSim_CallLogText(char* buffer, size_t size);
/* Forgets every entry. */
ZTCAM_API void ZTCamSim_CallLogClear(void);
/* Leaves the high-rate per-frame calls (ZTCAM_Buf_GetData,
 * ZTCAM_Buf_WaitForFrame, ZTCAM_Rec_AppendFrame, ZTCAM_Get_GrayValue) out of
 * the log when skip is non-zero. Default: 0 (everything is logged). */
ZTCAM_API void ZTCamSim_CallLogSkipFrameCalls(int skip);

/* ---- configuration ---- */

/* Configuration text used by the next ZTCAM_Api_Init instead of the
 * configuration file (same format as ZTCamSim.conf). NULL returns to the
 * file look-up. The text is copied. */
ZTCAM_API void ZTCamSim_UseConfigText(const char* text);

/* ---- fault injection and camera state ---- */

/* Sets a fault at run time. key is one of the configuration keys:
 *   library (cameraIndex -1): "init_fails", "zero_cameras"
 *   camera: "fail_open", "fail_alloc", "fail_announce", "fail_start",
 *           "payload_zero", "wait_timeout", "ffc_fails"
 * value 0 clears the fault. Library faults persist across initialisations
 * until cleared, and clearing one hands the decision back to the
 * configuration; camera faults last until ZTCAM_Api_Uninit. */
ZTCAM_API ZTCamStatus ZTCamSim_SetFault(int cameraIndex, const char* key, int value);
/* Base temperatures in degrees Celsius as the features SensorTemperature
 * and DeviceTemperature report them (fan and TEC add their offsets). */
ZTCAM_API ZTCamStatus ZTCamSim_SetTemperature(int cameraIndex, double sensor, double device);
/* connected 0: the camera is gone: device info 24 reads 1, frames stop,
 * and element, value, register, calibration, allocation and capture-start
 * calls fail with ZTCAM_STATUS_DISCONNECTED; device info, close, capture
 * stop, buffer release and clear still succeed. 1: it is back. */
ZTCAM_API ZTCamStatus ZTCamSim_SetConnected(int cameraIndex, int connected);
/* hold non-zero: every ZTCAM_File_SaveImage call waits at its start, before
 * it is logged, as behind a very slow disk, until hold is set to 0 again. */
ZTCAM_API void ZTCamSim_HoldFileSaves(int hold);
/* Number of ZTCAM_File_SaveImage calls waiting now. */
ZTCAM_API int ZTCamSim_HeldFileSaves(void);
/* The next `files` image files that ZTCAM_File_SaveImage writes (each format
 * is one file; -1: every file until this is called with 0) fail part-way as
 * on a full disk: the file is begun, the write fails with errno `error`
 * (0: ENOSPC), and the file is removed again. The call returns
 * ZTCAM_STATUS_IO_ERROR with errno set. ZTCAM_Api_Uninit clears the fault. */
ZTCAM_API void ZTCamSim_FailImageWrites(int files, int error);
/* Video files fail as on a full disk or in a folder that cannot be written,
 * for every camera. error 0 clears the fault (so does ZTCAM_Api_Uninit).
 * Otherwise, with framesWritten < 0, every ZTCAM_Rec_Start fails and makes
 * no file; with framesWritten >= 0, each recording writes its first
 * framesWritten frames and every ZTCAM_Rec_AppendFrame after them fails
 * (having written part of its frame, which the SDK takes back). Failing
 * calls return ZTCAM_STATUS_IO_ERROR and leave errno = error; ZTCAM_Rec_Stop
 * still completes the file over the frames written. */
ZTCAM_API void ZTCamSim_FailVideoWrites(int framesWritten, int error);
/* Frames generated since the last ZTCAM_Cap_Start of the camera. */
ZTCAM_API ZTCamStatus ZTCamSim_GetFrameCount(int cameraIndex, uint64_t* count);

/* ---- test pattern ---- */

/* Writes frame number frameNumber of the test pattern for the geometry and
 * pixel format (an entry text such as "Mono 12" or "RGB 8") into dst, at most
 * capacity bytes, rows packed. Returns the image size in bytes, 0 for an
 * unknown format or bad arguments. Frames are a pure function of their
 * arguments, so tests can compare what the SDK delivered. */
ZTCAM_API uint32_t ZTCamSim_GenerateFrame(void* dst, uint32_t capacity, uint32_t width, uint32_t height,
                                          const char* pixelFormat, uint64_t frameNumber);

#ifdef __cplusplus
}
#endif

#endif /* ZTCAM_SIM_H */
