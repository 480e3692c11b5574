/* Shared between the C view of the headers and the C++ harness. */
#ifndef CONSUMER_C_VIEW_H
#define CONSUMER_C_VIEW_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct GentlCLayout {
    size_t bool8Size;
    size_t handleSize;
    size_t stackEntrySize;
    size_t stackEntrySizeOffset;
    size_t chunkDataSize;
    size_t chunkLengthOffset;
    size_t newBufferDataSize;
    size_t guidSize;
};

/* Sizes and offsets of the shared records as compiled in C. */
void gentlCLayout(struct GentlCLayout* out);
/* Calls GCInitLib, GCGetInfo and CvnInit, given as resolved symbols, through
 * the C function-pointer types of a producer without a service; 0 when each
 * answers as expected, else the number of the first that does not. */
int32_t gentlCCall(void* initLib, void* getInfo, void* cvnInit, unsigned char* id);

#ifdef __cplusplus
}
#endif

#endif
