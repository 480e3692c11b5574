/* Corvane CoaXPress GenTL producer: its one export beyond GenTL. */
#ifndef CORVANE_CVNPRODUCER_H
#define CORVANE_CVNPRODUCER_H

#include <stdint.h>

#include "GenTL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A 16-byte identifier laid out like a GUID. */
typedef struct S_CVN_GUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} CVN_GUID;

/* Copies the producer's fixed identifier into the caller's 16-byte buffer
 * and returns the buffer; with a null buffer it writes nothing and returns
 * null. Works whether or not the GenTL library is initialised. */
GC_IMPORT_EXPORT CVN_GUID* GC_CALLTYPE CvnInit(CVN_GUID* pIdentifier);
typedef CVN_GUID*(GC_CALLTYPE* PCvnInit)(CVN_GUID* pIdentifier);

#ifdef __cplusplus
}
#endif

#endif /* CORVANE_CVNPRODUCER_H */
