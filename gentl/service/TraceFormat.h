#pragma once
#include <GenTL.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace GenTLCore {

// How the call trace turns GenTL values into text. Each formatter returns a
// new string, holds no state and reads only through the pointers it is
// given: at most 128 bytes of a text, 8 bytes of a dump and the 2, 4 or 8
// bytes of a number, never more than the size says. Null pointers become
// the texts below instead of a failure.

// A pointer or handle: 16 upper-case hexadecimal digits, leading zeros, no
// prefix.
std::string FormatPointer(const void* pointer);

// An info value by the INFO_DATATYPE that *piType names: text, decimal
// number, floating point, pointer, the bool8 byte as a number, or a hex dump
// for buffers, string lists and every unknown type. "{ null }" without a
// value, "{ unknown command datatype }" without a type, "{ unknown buffer
// size }" for a text or dump without a size. A number is read only when
// *piSize covers its width; a shorter value is dumped as the bytes that
// exist, and one without a size pointer is not read at all.
std::string FormatInfoValue(const void* pValue, const INFO_DATATYPE* piType, const size_t* piSize);
// "{ " and the first 8 bytes as two lower-case digits and a blank each,
// "... " when there are more, "}".
std::string FormatBufferDump(const void* pBuffer, const size_t* piSize);
// The text up to its first NUL within 128 bytes; "..." when the size passes
// 128.
std::string FormatSizedString(const char* pText, const size_t* piSize);
// A NUL-terminated text, cut like FormatSizedString.
std::string FormatCString(const char* text);
// The dump of *piCount 24-byte entries (port stack entries, chunk
// descriptors).
std::string FormatEntryArray(const void* pEntries, const size_t* piCount);
// The dump; for 2, 4 or 8 bytes followed by " [<unsigned>U, <signed>S]"
// (little-endian).
std::string FormatRegisterValue(const void* pBuffer, const size_t* piSize);

// The out part of an info query: "*piType=<type> [<name>], *pBuffer=<value>,
// *piSize=<size>". The value is read within *piValueSize, which the trace
// bounds by the buffer the caller passed in; *piSize is what the call left.
std::string FormatInfoOutputs(const INFO_DATATYPE* piType, const void* pBuffer, const size_t* piSize,
                              const size_t* piValueSize);
std::string FormatInfoOutputs(const INFO_DATATYPE* piType, const void* pBuffer, const size_t* piSize);

// A value the call left behind: "{ null }" for a null pointer; decimal for
// uint32_t and size_t, the pointer rendering for void*, "true" or "false"
// for the bool8 flag (any non-zero byte is true).
template <class T>
std::string FormatOutValue(const T* value);
template <>
std::string FormatOutValue<uint32_t>(const uint32_t* value);
template <>
std::string FormatOutValue<size_t>(const size_t* value);
template <>
std::string FormatOutValue<void*>(void* const* value);
template <>
std::string FormatOutValue<bool>(const bool* value);

// "{ null }", or the value in decimal, " [", nameOf(value), "]".
std::string FormatNamedOutValue(const int32_t* value, const char* (*nameOf)(int32_t));

}  // namespace GenTLCore
