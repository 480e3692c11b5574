#include "TraceFormat.h"

#include "TraceNames.h"

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <limits>
#include <sstream>

namespace GenTLCore {

namespace {

const char kNull[] = "{ null }";
const char kUnknownSize[] = "{ unknown buffer size }";
const char kUnknownType[] = "{ unknown command datatype }";

constexpr size_t kTextLimit = 128;
constexpr size_t kDumpLimit = 8;
constexpr size_t kEntrySize = 24;
static_assert(sizeof(PORT_REGISTER_STACK_ENTRY) == kEntrySize, "port stack entries are 24 bytes");
static_assert(sizeof(SINGLE_CHUNK_DATA) == kEntrySize, "chunk descriptors are 24 bytes");

// Reads a T from memory that may not be aligned for it.
template <class T>
T ReadAs(const void* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

template <class T>
std::string Rendered(const T& value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Dump(const void* p, const size_t* piSize)
{
    if (!piSize)
        return kUnknownSize;
    const auto* bytes = static_cast<const unsigned char*>(p);
    const size_t shown = std::min(*piSize, kDumpLimit);
    std::ostringstream out;
    out << "{ " << std::hex << std::setfill('0');
    for (size_t i = 0; i < shown; ++i)
        out << std::setw(2) << static_cast<unsigned>(bytes[i]) << ' ';
    if (*piSize > kDumpLimit)
        out << "... ";
    out << '}';
    return out.str();
}

// A fixed-width number of type T, read only when the size covers it; a
// shorter value shows the bytes that exist.
template <class T, class Shown = T>
std::string Number(const void* p, const size_t* piSize)
{
    if (!piSize)
        return kUnknownSize;
    if (*piSize < sizeof(T))
        return Dump(p, piSize);
    return Rendered(static_cast<Shown>(ReadAs<T>(p)));
}

std::string Pointer(const void* p, const size_t* piSize)
{
    if (!piSize)
        return kUnknownSize;
    if (*piSize < sizeof(void*))
        return Dump(p, piSize);
    return FormatPointer(ReadAs<const void*>(p));
}

}  // namespace

std::string FormatPointer(const void* pointer)
{
    std::ostringstream out;
    out << std::uppercase << std::hex << std::setfill('0') << std::setw(16) << reinterpret_cast<uintptr_t>(pointer);
    return out.str();
}

std::string FormatInfoValue(const void* pValue, const INFO_DATATYPE* piType, const size_t* piSize)
{
    if (!pValue)
        return kNull;
    if (!piType)
        return kUnknownType;
    switch (*piType) {
    case INFO_DATATYPE_STRING: {
        if (!piSize)
            return kUnknownSize;
        const auto* text = static_cast<const char*>(pValue);
        const size_t limit = std::min(*piSize, kTextLimit);
        const void* nul = std::memchr(text, '\0', limit);
        std::string out(text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : limit);
        if (*piSize > kTextLimit)
            out += "...";
        return out;
    }
    case INFO_DATATYPE_INT16: return Number<int16_t>(pValue, piSize);
    case INFO_DATATYPE_UINT16: return Number<uint16_t>(pValue, piSize);
    case INFO_DATATYPE_INT32: return Number<int32_t>(pValue, piSize);
    case INFO_DATATYPE_UINT32: return Number<uint32_t>(pValue, piSize);
    case INFO_DATATYPE_INT64:
    case INFO_DATATYPE_PTRDIFF: return Number<int64_t>(pValue, piSize);
    case INFO_DATATYPE_UINT64:
    case INFO_DATATYPE_SIZET: return Number<uint64_t>(pValue, piSize);
    case INFO_DATATYPE_FLOAT64: return Number<double>(pValue, piSize);
    case INFO_DATATYPE_PTR: return Pointer(pValue, piSize);
    case INFO_DATATYPE_BOOL8: return Number<uint8_t, unsigned>(pValue, piSize);
    default: return Dump(pValue, piSize);
    }
}

std::string FormatBufferDump(const void* pBuffer, const size_t* piSize)
{
    const INFO_DATATYPE type = INFO_DATATYPE_BUFFER;
    return FormatInfoValue(pBuffer, &type, piSize);
}

std::string FormatSizedString(const char* pText, const size_t* piSize)
{
    const INFO_DATATYPE type = INFO_DATATYPE_STRING;
    return FormatInfoValue(pText, &type, piSize);
}

std::string FormatCString(const char* text)
{
    // Only whether the text passes the limit counts, so the length is
    // measured no further than one character beyond it.
    const size_t size = text ? strnlen(text, kTextLimit + 1) : 0;
    return FormatSizedString(text, &size);
}

std::string FormatEntryArray(const void* pEntries, const size_t* piCount)
{
    if (!piCount)
        return FormatBufferDump(pEntries, nullptr);
    const size_t most = std::numeric_limits<size_t>::max();
    const size_t size = *piCount > most / kEntrySize ? most : *piCount * kEntrySize;
    return FormatBufferDump(pEntries, &size);
}

std::string FormatRegisterValue(const void* pBuffer, const size_t* piSize)
{
    std::string out = FormatBufferDump(pBuffer, piSize);
    if (!pBuffer || !piSize)
        return out;
    std::ostringstream value;
    switch (*piSize) {
    case 2: value << ReadAs<uint16_t>(pBuffer) << "U, " << ReadAs<int16_t>(pBuffer) << 'S'; break;
    case 4: value << ReadAs<uint32_t>(pBuffer) << "U, " << ReadAs<int32_t>(pBuffer) << 'S'; break;
    case 8: value << ReadAs<uint64_t>(pBuffer) << "U, " << ReadAs<int64_t>(pBuffer) << 'S'; break;
    default: return out;
    }
    return out + " [" + value.str() + "]";
}

std::string FormatInfoOutputs(const INFO_DATATYPE* piType, const void* pBuffer, const size_t* piSize,
                              const size_t* piValueSize)
{
    std::string out = "*piType=";
    if (piType)
        out += Rendered(*piType) + " [" + TraceNameOf(INFO_DATATYPE_LIST(), *piType) + "]";
    else
        out += kNull;
    return out + ", *pBuffer=" + FormatInfoValue(pBuffer, piType, piValueSize) + ", *piSize=" +
           FormatOutValue(piSize);
}

std::string FormatInfoOutputs(const INFO_DATATYPE* piType, const void* pBuffer, const size_t* piSize)
{
    return FormatInfoOutputs(piType, pBuffer, piSize, piSize);
}

template <>
std::string FormatOutValue<uint32_t>(const uint32_t* value)
{
    return value ? Rendered(*value) : kNull;
}

template <>
std::string FormatOutValue<size_t>(const size_t* value)
{
    return value ? Rendered(*value) : kNull;
}

template <>
std::string FormatOutValue<void*>(void* const* value)
{
    return value ? FormatPointer(*value) : kNull;
}

template <>
std::string FormatOutValue<bool>(const bool* value)
{
    // The flag is the caller's byte; any non-zero byte counts as true.
    if (!value)
        return kNull;
    return ReadAs<unsigned char>(value) != 0 ? "true" : "false";
}

std::string FormatNamedOutValue(const int32_t* value, const char* (*nameOf)(int32_t))
{
    if (!value)
        return kNull;
    return Rendered(*value) + " [" + nameOf(*value) + "]";
}

}  // namespace GenTLCore
