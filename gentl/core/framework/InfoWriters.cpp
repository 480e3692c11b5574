#include "InfoWriters.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "ReportError.h"

#include <cstring>

namespace GenTLCore {

namespace {

const char kNumberTooSmall[] = "A buffer passed to the get-info function is too small to hold given numeric value.";

bool AcceptsNullPointers() { return GetBranding().AcceptsNullInfoPointers(); }

// The common path: pointer tests, size test, copy, type and size out.
GC_ERROR WriteValue(INFO_DATATYPE* type, void* buffer, size_t* size, const void* value, size_t valueSize,
                    INFO_DATATYPE typeCode, bool numeric, const char* tooSmall)
{
    if (!size && !(numeric && buffer && AcceptsNullPointers()))
        return ReportError(GC_ERR_INVALID_PARAMETER, numeric
                                                         ? "Invalid buffer size pointer in a get-info function."
                                                         : "Output buffer size pointer set to NULL in a get-info "
                                                           "function.");
    if (!type && !AcceptsNullPointers())
        return ReportError(GC_ERR_INVALID_PARAMETER, "Pointer for datatype value set to NULL in a get-info function.");
    if (buffer) {
        if (size && *size < valueSize)
            return ReportError(GC_ERR_BUFFER_TOO_SMALL, tooSmall);
        if (valueSize > 0)
            std::memcpy(buffer, value, valueSize);
    }
    if (type)
        *type = typeCode;
    if (size)
        *size = valueSize;
    return GC_ERR_SUCCESS;
}

template <class T>
GC_ERROR WriteNumber(INFO_DATATYPE* type, void* buffer, size_t* size, T value, INFO_DATATYPE typeCode)
{
    return WriteValue(type, buffer, size, &value, sizeof value, typeCode, true, kNumberTooSmall);
}

}  // namespace

GC_ERROR WriteInfoInt32(INFO_DATATYPE* type, void* buffer, size_t* size, int32_t value)
{
    return WriteNumber(type, buffer, size, value, INFO_DATATYPE_INT32);
}

GC_ERROR WriteInfoUInt32(INFO_DATATYPE* type, void* buffer, size_t* size, uint32_t value)
{
    return WriteNumber(type, buffer, size, value, INFO_DATATYPE_UINT32);
}

GC_ERROR WriteInfoUInt64(INFO_DATATYPE* type, void* buffer, size_t* size, uint64_t value)
{
    return WriteNumber(type, buffer, size, value, INFO_DATATYPE_UINT64);
}

GC_ERROR WriteInfoSizeT(INFO_DATATYPE* type, void* buffer, size_t* size, uint64_t value)
{
    return WriteNumber(type, buffer, size, value, INFO_DATATYPE_SIZET);
}

GC_ERROR WriteInfoPointer(INFO_DATATYPE* type, void* buffer, size_t* size, const void* value)
{
    return WriteNumber(type, buffer, size, reinterpret_cast<uint64_t>(value), INFO_DATATYPE_PTR);
}

GC_ERROR WriteInfoBool8(INFO_DATATYPE* type, void* buffer, size_t* size, bool value)
{
    const uint8_t byte = value ? 1 : 0;
    return WriteNumber(type, buffer, size, byte, INFO_DATATYPE_BOOL8);
}

GC_ERROR WriteInfoString(INFO_DATATYPE* type, void* buffer, size_t* size, const std::string& value)
{
    return WriteValue(type, buffer, size, value.c_str(), value.size() + 1, INFO_DATATYPE_STRING, false,
                      "A buffer passed to the get-info function is too small to hold given string value.");
}

GC_ERROR WriteInfoBuffer(INFO_DATATYPE* type, void* buffer, size_t* size, const void* data, size_t length)
{
    return WriteValue(type, buffer, size, data, length, INFO_DATATYPE_BUFFER, false,
                      "A buffer passed to the get-info function is too small to hold given buffer data.");
}

GC_ERROR WriteIdString(char* buffer, size_t* size, const std::string& value)
{
    if (!size)
        return ReportError(GC_ERR_INVALID_PARAMETER, "Output buffer size pointer set to NULL in a get-info function.");
    if (buffer) {
        if (*size < value.size() + 1)
            return ReportError(GC_ERR_BUFFER_TOO_SMALL,
                               "A string buffer passed to the function is too small to hold given string value.");
        std::memcpy(buffer, value.c_str(), value.size() + 1);
    }
    *size = value.size() + 1;
    return GC_ERR_SUCCESS;
}

}  // namespace GenTLCore
