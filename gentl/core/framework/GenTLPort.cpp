#include "GenTLPort.h"

#include "InfoWriters.h"
#include "ReportError.h"
#include "ScopedLock.h"

namespace GenTLCore {

GenTLPort::~GenTLPort() = default;

void GenTLPort::SetPortURLs(const std::vector<PortURLRecord>& urls)
{
    ScopedLock lock(GetModuleLock());
    m_urls = urls;
    m_portImplemented = true;
}

GC_ERROR GenTLPort::GetNumPortURLs(uint32_t* count)
{
    ScopedLock lock(GetModuleLock());
    if (!m_portImplemented)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetNumPortURLs: this module does not implement a port");
    if (!count)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetNumPortURLs: invalid num_urls pointer");
    *count = static_cast<uint32_t>(m_urls.size());
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLPort::GetPortURL(char* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    if (!size)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetPortURL: invalid buffer size pointer");
    if (m_urls.empty())
        return ReportError(GC_ERR_NO_DATA, "GetPortURL: no URL's available for this port");
    std::string answer;
    for (const PortURLRecord& record : m_urls) {
        answer += record.url + "?SchemaVersion=" + std::to_string(record.schemaVersionMajor) + "." +
                  std::to_string(record.schemaVersionMinor) + ".0";
        answer.push_back('\0');
    }
    answer.push_back('\0');
    if (buffer) {
        if (*size < answer.size())
            return ReportError(GC_ERR_BUFFER_TOO_SMALL, "GetPortURL: the buffer is not sufficient for the URL string.");
        answer.copy(buffer, answer.size());
    }
    *size = answer.size();
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLPort::GetPortURLInfo(uint32_t index, URL_INFO_CMD command, INFO_DATATYPE* type, void* buffer,
                                   size_t* size)
{
    ScopedLock lock(GetModuleLock());
    if (!m_portImplemented)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetPortURLInfo: this module does not implement a port");
    if (index >= m_urls.size())
        return ReportError(GC_ERR_INVALID_INDEX, "GetPortURLInfo: invalid URL index, not that many URLs available");
    const PortURLRecord& record = m_urls[index];
    const char* const noSchema = "GetPortURLInfo: schema version not available";
    const char* const noVersion = "GetPortURLInfo: XML version not available";
    const char* const localOnly =
        "GetPortURLInfo: XML file register address/size  available only for local URL scheme";
    switch (command) {
    case URL_INFO_URL:
        return WriteInfoString(type, buffer, size, record.url);
    case URL_INFO_SCHEMA_VER_MAJOR:
    case URL_INFO_SCHEMA_VER_MINOR:
        if (!record.hasSchemaVersion)
            return ReportError(GC_ERR_NOT_AVAILABLE, noSchema);
        return WriteInfoInt32(type, buffer, size,
                              static_cast<int32_t>(command == URL_INFO_SCHEMA_VER_MAJOR ? record.schemaVersionMajor
                                                                                          : record.schemaVersionMinor));
    case URL_INFO_FILE_VER_MAJOR:
    case URL_INFO_FILE_VER_MINOR:
    case URL_INFO_FILE_VER_SUBMINOR: {
        if (!record.hasFileVersion)
            return ReportError(GC_ERR_NOT_AVAILABLE, noVersion);
        const uint32_t version = command == URL_INFO_FILE_VER_MAJOR   ? record.fileVersionMajor
                                 : command == URL_INFO_FILE_VER_MINOR ? record.fileVersionMinor
                                                                      : record.fileVersionSubminor;
        return WriteInfoInt32(type, buffer, size, static_cast<int32_t>(version));
    }
    case URL_INFO_FILE_SHA1_HASH:
        if (!record.hasSha1)
            return ReportError(GC_ERR_NOT_AVAILABLE, "GetPortURLInfo: SHA1 hash not available");
        return WriteInfoBuffer(type, buffer, size, record.sha1.data(), record.sha1.size());
    case URL_INFO_FILE_REGISTER_ADDRESS:
    case URL_INFO_FILE_SIZE:
        if (record.scheme != URL_SCHEME_LOCAL)
            return ReportError(GC_ERR_NOT_AVAILABLE, localOnly);
        return WriteInfoUInt64(type, buffer, size,
                               command == URL_INFO_FILE_SIZE ? record.fileSize : record.registerAddress);
    case URL_INFO_SCHEME:
        return WriteInfoInt32(type, buffer, size, static_cast<int32_t>(record.scheme));
    case URL_INFO_FILENAME:
        if (record.scheme != URL_SCHEME_LOCAL && record.scheme != URL_SCHEME_FILE)
            return ReportError(GC_ERR_NOT_AVAILABLE, localOnly);
        return WriteInfoString(type, buffer, size, record.fileName);
    default:
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetPortURLInfo: unknown URL info command requested");
    }
}

GC_ERROR GenTLPort::GetPortInfoLocked(PORT_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    return GetPortInfo(command, type, buffer, size);
}

GC_ERROR GenTLPort::ReadPort(uint64_t address, void* buffer, size_t* size)
{
    return AccessSingle(address, buffer, size, false);
}

GC_ERROR GenTLPort::WritePort(uint64_t address, const void* buffer, size_t* size)
{
    return AccessSingle(address, const_cast<void*>(buffer), size, true);
}

GC_ERROR GenTLPort::AccessSingle(uint64_t address, void* buffer, size_t* size, bool write)
{
    ScopedLock lock(GetModuleLock());
    if (!buffer || !size || *size == 0)
        return ReportError(GC_ERR_INVALID_PARAMETER,
                           std::string(write ? "WritePort" : "ReadPort") + ": invalid buffer/size pointer");
    uint64_t length = *size;
    const int32_t code =
        write ? WritePortData(address, buffer, &length) : ReadPortData(address, buffer, &length);
    *size = code == GC_ERR_SUCCESS ? static_cast<size_t>(length) : 0;
    return code;
}

GC_ERROR GenTLPort::ReadPortStacked(PORT_REGISTER_STACK_ENTRY* entries, size_t* count)
{
    return AccessStacked(entries, count, false);
}

GC_ERROR GenTLPort::WritePortStacked(PORT_REGISTER_STACK_ENTRY* entries, size_t* count)
{
    return AccessStacked(entries, count, true);
}

GC_ERROR GenTLPort::AccessStacked(PORT_REGISTER_STACK_ENTRY* entries, size_t* count, bool write)
{
    const char* const name = write ? "WritePortStacked" : "ReadPortStacked";
    ScopedLock lock(GetModuleLock());
    if (!entries || !count) {
        if (count)
            *count = 0;
        return ReportError(GC_ERR_INVALID_PARAMETER,
                           std::string(name) + ": invalid pointer to register entries or their size");
    }
    const size_t total = *count;
    try {
        for (size_t i = 0; i < total; ++i) {
            PORT_REGISTER_STACK_ENTRY& entry = entries[i];
            // Each entry is checked like a single access: never a copy to or
            // from null, never an empty access.
            if (!entry.pBuffer || entry.Size == 0) {
                *count = i;
                return ReportError(GC_ERR_INVALID_PARAMETER,
                                   std::string(name) + ": invalid buffer/size in register entry " + std::to_string(i));
            }
            uint64_t length = entry.Size;
            const int32_t code = write ? WritePortData(entry.Address, entry.pBuffer, &length)
                                       : ReadPortData(entry.Address, entry.pBuffer, &length);
            if (code != GC_ERR_SUCCESS) {
                *count = i;
                return code;
            }
            entry.Size = static_cast<size_t>(length);
        }
    } catch (...) {
        *count = 0;
        throw;
    }
    return GC_ERR_SUCCESS;
}

}  // namespace GenTLCore
