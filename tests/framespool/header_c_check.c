/* The public header must compile as plain C. */
#include "FrameSpool.h"

typedef unsigned char (*InitFn)(const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);
typedef unsigned char (*OpenFn)(const char*, int32_t);
typedef unsigned char (*AppendFn)(const void*, int32_t, int32_t);
typedef unsigned char (*SlotFn)(int32_t);

int framespool_header_is_c(void)
{
    InitFn init = Init_FrameSpool;
    OpenFn open = Open_FrameSpool;
    AppendFn append = Append_FileBuffer;
    SlotFn close = Close_FrameSpool;
    SlotFn uninit = Uninit_FrameSpool;
    return init && open && append && close && uninit;
}
