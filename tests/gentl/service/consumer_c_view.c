/* The producer's headers as a C consumer sees them. The C++ harness
 * compares these layouts with its own and calls the plug-in through the C
 * function-pointer types. */
#include <CvnProducer.h>
#include <GenTL.h>

#include <stddef.h>

#include "consumer_c_view.h"

void gentlCLayout(struct GentlCLayout* out)
{
    out->bool8Size = sizeof(bool8_t);
    out->handleSize = sizeof(TL_HANDLE);
    out->stackEntrySize = sizeof(PORT_REGISTER_STACK_ENTRY);
    out->stackEntrySizeOffset = offsetof(PORT_REGISTER_STACK_ENTRY, Size);
    out->chunkDataSize = sizeof(SINGLE_CHUNK_DATA);
    out->chunkLengthOffset = offsetof(SINGLE_CHUNK_DATA, ChunkLength);
    out->newBufferDataSize = sizeof(EVENT_NEW_BUFFER_DATA);
    out->guidSize = sizeof(CVN_GUID);
}

int32_t gentlCCall(void* initLib, void* getInfo, void* cvnInit, unsigned char* id)
{
    PGCInitLib pInitLib = (PGCInitLib)initLib;
    PGCGetInfo pGetInfo = (PGCGetInfo)getInfo;
    PCvnInit pCvnInit = (PCvnInit)cvnInit;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    size_t size = 0;
    if (pInitLib() != GC_ERR_ERROR)
        return 1;
    if (pGetInfo(TL_INFO_ID, &type, NULL, &size) != GC_ERR_NOT_INITIALIZED)
        return 2;
    if ((unsigned char*)pCvnInit((CVN_GUID*)id) != id)
        return 3;
    return 0;
}
