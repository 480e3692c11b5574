#pragma once
#include <GenTL.h>

namespace GenTLCore {

// The names that the call trace shows for GenTL enumeration values. Every
// GenTL enumeration parameter is a plain int32_t, so the first argument, a
// value of the enumeration's list type, only picks the table:
// TraceNameOf(EVENT_TYPE_LIST(), iEventID). Each answers the enumerator's
// standard name, or "Unknown" for a value it does not name (gaps, values
// beyond the named range, custom values from 1000 up). The texts are
// constants.
const char* TraceNameOf(ACQ_QUEUE_TYPE_LIST, int32_t value);
const char* TraceNameOf(ACQ_START_FLAGS_LIST, int32_t value);
const char* TraceNameOf(ACQ_STOP_FLAGS_LIST, int32_t value);
const char* TraceNameOf(BUFFER_INFO_CMD_LIST, int32_t value);
const char* TraceNameOf(BUFFER_PART_INFO_CMD_LIST, int32_t value);
// Value 2 (string list) has no name here.
const char* TraceNameOf(INFO_DATATYPE_LIST, int32_t value);
const char* TraceNameOf(DEVICE_ACCESS_FLAGS_LIST, int32_t value);
const char* TraceNameOf(DEVICE_INFO_CMD_LIST, int32_t value);
const char* TraceNameOf(EVENT_DATA_INFO_CMD_LIST, int32_t value);
const char* TraceNameOf(EVENT_INFO_CMD_LIST, int32_t value);
const char* TraceNameOf(EVENT_TYPE_LIST, int32_t value);
const char* TraceNameOf(INTERFACE_INFO_CMD_LIST, int32_t value);
const char* TraceNameOf(PORT_INFO_CMD_LIST, int32_t value);
// 0 and -1001 to -1022.
const char* TraceNameOf(GC_ERROR_LIST, int32_t value);
const char* TraceNameOf(STREAM_INFO_CMD_LIST, int32_t value);
const char* TraceNameOf(TL_INFO_CMD_LIST, int32_t value);
const char* TraceNameOf(URL_INFO_CMD_LIST, int32_t value);

}  // namespace GenTLCore
