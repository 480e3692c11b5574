#include "TraceNames.h"

#include "LastGenTLError.h"

#include <cstddef>

namespace GenTLCore {

namespace {

const char* const kUnknown = "Unknown";

// The name of `value` in a table that names 0 to N-1; a null entry is a gap.
template <size_t N>
const char* NameIn(const char* const (&names)[N], int32_t value)
{
    if (value < 0 || static_cast<size_t>(value) >= N || !names[value])
        return kUnknown;
    return names[value];
}

const char* const kQueueTypes[] = {
    "ACQ_QUEUE_INPUT_TO_OUTPUT", "ACQ_QUEUE_OUTPUT_DISCARD", "ACQ_QUEUE_ALL_TO_INPUT",
    "ACQ_QUEUE_UNQUEUED_TO_INPUT", "ACQ_QUEUE_ALL_DISCARD",
};

const char* const kStartFlags[] = {"ACQ_START_FLAGS_DEFAULT"};

const char* const kStopFlags[] = {"ACQ_STOP_FLAGS_DEFAULT", "ACQ_STOP_FLAGS_KILL"};

const char* const kBufferInfo[] = {
    "BUFFER_INFO_BASE", "BUFFER_INFO_SIZE", "BUFFER_INFO_USER_PTR", "BUFFER_INFO_TIMESTAMP",
    "BUFFER_INFO_NEW_DATA", "BUFFER_INFO_IS_QUEUED", "BUFFER_INFO_IS_ACQUIRING", "BUFFER_INFO_IS_INCOMPLETE",
    "BUFFER_INFO_TLTYPE", "BUFFER_INFO_SIZE_FILLED", "BUFFER_INFO_WIDTH", "BUFFER_INFO_HEIGHT",
    "BUFFER_INFO_XOFFSET", "BUFFER_INFO_YOFFSET", "BUFFER_INFO_XPADDING", "BUFFER_INFO_YPADDING",
    "BUFFER_INFO_FRAMEID", "BUFFER_INFO_IMAGEPRESENT", "BUFFER_INFO_IMAGEOFFSET", "BUFFER_INFO_PAYLOADTYPE",
    "BUFFER_INFO_PIXELFORMAT", "BUFFER_INFO_PIXELFORMAT_NAMESPACE", "BUFFER_INFO_DELIVERED_IMAGEHEIGHT",
    "BUFFER_INFO_DELIVERED_CHUNKPAYLOADSIZE", "BUFFER_INFO_CHUNKLAYOUTID", "BUFFER_INFO_FILENAME",
    "BUFFER_INFO_PIXEL_ENDIANNESS", "BUFFER_INFO_DATA_SIZE", "BUFFER_INFO_TIMESTAMP_NS",
    "BUFFER_INFO_DATA_LARGER_THAN_BUFFER", "BUFFER_INFO_CONTAINS_CHUNKDATA",
};

const char* const kBufferPartInfo[] = {
    "BUFFER_PART_INFO_BASE", "BUFFER_PART_INFO_DATA_SIZE", "BUFFER_PART_INFO_DATA_TYPE",
    "BUFFER_PART_INFO_DATA_FORMAT", "BUFFER_PART_INFO_DATA_FORMAT_NAMESPACE", "BUFFER_PART_INFO_WIDTH",
    "BUFFER_PART_INFO_HEIGHT", "BUFFER_PART_INFO_XOFFSET", "BUFFER_PART_INFO_YOFFSET",
    "BUFFER_PART_INFO_XPADDING", "BUFFER_PART_INFO_SOURCE_ID", "BUFFER_PART_INFO_DELIVERED_IMAGEHEIGHT",
};

const char* const kDataTypes[] = {
    "INFO_DATATYPE_UNKNOWN", "INFO_DATATYPE_STRING", nullptr, "INFO_DATATYPE_INT16", "INFO_DATATYPE_UINT16",
    "INFO_DATATYPE_INT32", "INFO_DATATYPE_UINT32", "INFO_DATATYPE_INT64", "INFO_DATATYPE_UINT64",
    "INFO_DATATYPE_FLOAT64", "INFO_DATATYPE_PTR", "INFO_DATATYPE_BOOL8", "INFO_DATATYPE_SIZET",
    "INFO_DATATYPE_BUFFER", "INFO_DATATYPE_PTRDIFF",
};

const char* const kAccessFlags[] = {
    "DEVICE_ACCESS_UNKNOWN", "DEVICE_ACCESS_NONE", "DEVICE_ACCESS_READONLY", "DEVICE_ACCESS_CONTROL",
    "DEVICE_ACCESS_EXCLUSIVE",
};

const char* const kDeviceInfo[] = {
    "DEVICE_INFO_ID", "DEVICE_INFO_VENDOR", "DEVICE_INFO_MODEL", "DEVICE_INFO_TLTYPE",
    "DEVICE_INFO_DISPLAYNAME", "DEVICE_INFO_ACCESS_STATUS", "DEVICE_INFO_USER_DEFINED_NAME",
    "DEVICE_INFO_SERIAL_NUMBER", "DEVICE_INFO_VERSION", "DEVICE_INFO_TIMESTAMP_FREQUENCY",
};

const char* const kEventDataInfo[] = {"EVENT_DATA_ID", "EVENT_DATA_VALUE", "EVENT_DATA_NUMID"};

const char* const kEventInfo[] = {
    "EVENT_EVENT_TYPE", "EVENT_NUM_IN_QUEUE", "EVENT_NUM_FIRED", "EVENT_SIZE_MAX", "EVENT_INFO_DATA_SIZE_MAX",
};

const char* const kEventTypes[] = {
    "EVENT_ERROR", "EVENT_NEW_BUFFER", "EVENT_FEATURE_INVALIDATE", "EVENT_FEATURE_CHANGE",
    "EVENT_REMOTE_DEVICE", "EVENT_MODULE",
};

const char* const kInterfaceInfo[] = {"INTERFACE_INFO_ID", "INTERFACE_INFO_DISPLAYNAME", "INTERFACE_INFO_TLTYPE"};

const char* const kPortInfo[] = {
    "PORT_INFO_ID", "PORT_INFO_VENDOR", "PORT_INFO_MODEL", "PORT_INFO_TLTYPE", "PORT_INFO_MODULE",
    "PORT_INFO_LITTLE_ENDIAN", "PORT_INFO_BIG_ENDIAN", "PORT_INFO_ACCESS_READ", "PORT_INFO_ACCESS_WRITE",
    "PORT_INFO_ACCESS_NA", "PORT_INFO_ACCESS_NI", "PORT_INFO_VERSION", "PORT_INFO_PORTNAME",
};

const char* const kStreamInfo[] = {
    "STREAM_INFO_ID", "STREAM_INFO_NUM_DELIVERED", "STREAM_INFO_NUM_UNDERRUN", "STREAM_INFO_NUM_ANNOUNCED",
    "STREAM_INFO_NUM_QUEUED", "STREAM_INFO_NUM_AWAIT_DELIVERY", "STREAM_INFO_NUM_STARTED",
    "STREAM_INFO_PAYLOAD_SIZE", "STREAM_INFO_IS_GRABBING", "STREAM_INFO_DEFINES_PAYLOADSIZE",
    "STREAM_INFO_TLTYPE", "STREAM_INFO_NUM_CHUNKS_MAX", "STREAM_INFO_BUF_ANNOUNCE_MIN",
    "STREAM_INFO_BUF_ALIGNMENT",
};

const char* const kTLInfo[] = {
    "TL_INFO_ID", "TL_INFO_VENDOR", "TL_INFO_MODEL", "TL_INFO_VERSION", "TL_INFO_TLTYPE", "TL_INFO_NAME",
    "TL_INFO_PATHNAME", "TL_INFO_DISPLAYNAME", "TL_INFO_CHAR_ENCODING", "TL_INFO_GENTL_VER_MAJOR",
    "TL_INFO_GENTL_VER_MINOR",
};

const char* const kURLInfo[] = {
    "URL_INFO_URL", "URL_INFO_SCHEMA_VER_MAJOR", "URL_INFO_SCHEMA_VER_MINOR", "URL_INFO_FILE_VER_MAJOR",
    "URL_INFO_FILE_VER_MINOR", "URL_INFO_FILE_VER_SUBMINOR", "URL_INFO_FILE_SHA1_HASH",
    "URL_INFO_FILE_REGISTER_ADDRESS", "URL_INFO_FILE_SIZE", "URL_INFO_SCHEME", "URL_INFO_FILENAME",
};

}  // namespace

const char* TraceNameOf(ACQ_QUEUE_TYPE_LIST, int32_t value) { return NameIn(kQueueTypes, value); }
const char* TraceNameOf(ACQ_START_FLAGS_LIST, int32_t value) { return NameIn(kStartFlags, value); }
const char* TraceNameOf(ACQ_STOP_FLAGS_LIST, int32_t value) { return NameIn(kStopFlags, value); }
const char* TraceNameOf(BUFFER_INFO_CMD_LIST, int32_t value) { return NameIn(kBufferInfo, value); }
const char* TraceNameOf(BUFFER_PART_INFO_CMD_LIST, int32_t value) { return NameIn(kBufferPartInfo, value); }
const char* TraceNameOf(INFO_DATATYPE_LIST, int32_t value) { return NameIn(kDataTypes, value); }
const char* TraceNameOf(DEVICE_ACCESS_FLAGS_LIST, int32_t value) { return NameIn(kAccessFlags, value); }
const char* TraceNameOf(DEVICE_INFO_CMD_LIST, int32_t value) { return NameIn(kDeviceInfo, value); }
const char* TraceNameOf(EVENT_DATA_INFO_CMD_LIST, int32_t value) { return NameIn(kEventDataInfo, value); }
const char* TraceNameOf(EVENT_INFO_CMD_LIST, int32_t value) { return NameIn(kEventInfo, value); }
const char* TraceNameOf(EVENT_TYPE_LIST, int32_t value) { return NameIn(kEventTypes, value); }
const char* TraceNameOf(INTERFACE_INFO_CMD_LIST, int32_t value) { return NameIn(kInterfaceInfo, value); }
const char* TraceNameOf(PORT_INFO_CMD_LIST, int32_t value) { return NameIn(kPortInfo, value); }
const char* TraceNameOf(STREAM_INFO_CMD_LIST, int32_t value) { return NameIn(kStreamInfo, value); }
const char* TraceNameOf(TL_INFO_CMD_LIST, int32_t value) { return NameIn(kTLInfo, value); }
const char* TraceNameOf(URL_INFO_CMD_LIST, int32_t value) { return NameIn(kURLInfo, value); }

const char* TraceNameOf(GC_ERROR_LIST, int32_t value)
{
    // The standard codes carry the same names as the last-error texts; the
    // trace calls every other code "Unknown".
    const bool standard = value == GC_ERR_SUCCESS || (value <= GC_ERR_ERROR && value >= GC_ERR_BUSY);
    return standard ? GenTLErrorName(value) : kUnknown;
}

}  // namespace GenTLCore
