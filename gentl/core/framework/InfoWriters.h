#pragma once
#include <GenTL.h>

#include <cstdint>
#include <string>

namespace GenTLCore {

// The info value writers through which every get-info function hands a typed
// value to the consumer: (out type, buffer, in/out size, value). A null
// buffer asks only for the type and size. Failures are stored as the thread's
// last error. Null type pointers (and, with a buffer, null size pointers for
// numbers) are accepted only when the branding says so.
GC_ERROR WriteInfoInt32(INFO_DATATYPE* type, void* buffer, size_t* size, int32_t value);
GC_ERROR WriteInfoUInt32(INFO_DATATYPE* type, void* buffer, size_t* size, uint32_t value);
GC_ERROR WriteInfoUInt64(INFO_DATATYPE* type, void* buffer, size_t* size, uint64_t value);
GC_ERROR WriteInfoSizeT(INFO_DATATYPE* type, void* buffer, size_t* size, uint64_t value);
GC_ERROR WriteInfoPointer(INFO_DATATYPE* type, void* buffer, size_t* size, const void* value);
GC_ERROR WriteInfoBool8(INFO_DATATYPE* type, void* buffer, size_t* size, bool value);
// Text and its closing zero.
GC_ERROR WriteInfoString(INFO_DATATYPE* type, void* buffer, size_t* size, const std::string& value);
GC_ERROR WriteInfoBuffer(INFO_DATATYPE* type, void* buffer, size_t* size, const void* data, size_t length);
// The id getters' writer: text and zero, no type output.
GC_ERROR WriteIdString(char* buffer, size_t* size, const std::string& value);

}  // namespace GenTLCore
