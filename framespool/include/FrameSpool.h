/*
 * FrameSpool: writes series of equally sized frames into multi-frame files
 * (headerless RAW or little-endian multi-page TIFF) from a background thread.
 *
 * Eight independent slots, numbered 0 to 7. Per slot, call Init_FrameSpool
 * once (it names the first file), then for each file Append_FileBuffer once
 * per frame and Close_FrameSpool, with Open_FrameSpool naming every file after
 * the first; finish with Uninit_FrameSpool. Only one thread may use a slot at
 * a time; different slots may be used from different threads.
 *
 * Every function returns 1 on success and 0 on failure.
 */
#ifndef FRAMESPOOL_H
#define FRAMESPOOL_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(FRAMESPOOL_BUILD)
#    define FRAMESPOOL_API __declspec(dllexport)
#  else
#    define FRAMESPOOL_API __declspec(dllimport)
#  endif
#else
#  define FRAMESPOOL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Creates the slot's writer: the file type comes from the path, letters
 * compared case-blind: the file name's own extension where it is ".raw"
 * (RAW) or ".tif" (TIFF); for a name with neither, ".raw" anywhere in the
 * path (RAW), else ".tif" anywhere (TIFF).
 * Buffers up to fileCount + 1 whole files in memory (1 when fileCount is -1),
 * at most eight, within one budget of 70 % of the free physical memory that
 * all slots share. Refused when the slot is in use, when no buffer fits the
 * budget, when one file would exceed 4 GiB, when a frame is not a whole
 * number of bytes, or when the format cannot describe the frame. */
FRAMESPOOL_API unsigned char Init_FrameSpool(const char* path, int32_t width, int32_t height,
                                             int32_t channels, int32_t bitsPerSample,
                                             int32_t framesPerFile, int32_t fileCount,
                                             int32_t slot);

/* Names the next file of an initialised slot. Returns 0 when the path's
 * extension does not match the slot's type (the name is taken all the same). */
FRAMESPOOL_API unsigned char Open_FrameSpool(const char* path, int32_t slot);

/* Copies one frame of at most the slot's frame size into the file being
 * filled; the rest of a shorter frame's place is zero. Refused after the
 * last frame of a file, for a null pointer or a negative size, and while no
 * free file buffer is available. */
FRAMESPOOL_API unsigned char Append_FileBuffer(const void* data, int32_t size, int32_t slot);

/* Hands the file being filled to the slot's writer thread (a file without
 * frames is not written). Waits while the buffer for the next file is still
 * queued for the disk; returns 0 when that buffer cannot be freed because the
 * disk refuses the files ahead of it (Append_FileBuffer then refuses until
 * the buffer is free). */
FRAMESPOOL_API unsigned char Close_FrameSpool(int32_t slot);

/* Closes the file being filled, waits until every handed-over file has been
 * written, stops the writer thread and frees the slot. A disk that still
 * takes files is waited for. A file that fails all its tries is dropped and
 * the next one gets one try; when that one fails too, it and the files
 * queued behind it are dropped at once. A file whose write fails
 * is not left behind cut short (one written through a symbolic link is, and
 * the link stays). Returns 0 when the slot was not initialised
 * or when a file could not be written. */
FRAMESPOOL_API unsigned char Uninit_FrameSpool(int32_t slot);

#ifdef __cplusplus
}
#endif

#endif /* FRAMESPOOL_H */
