#pragma once
#include "GenTLHandle.h"
#include "PortURLRecord.h"

#include <GenTL.h>

#include <cstdint>
#include <vector>

namespace GenTLCore {

// A GenTL port: a byte-addressed register space and the URLs of its register
// descriptions. The entry points carry out the GenTL function of the same
// name under the port's own lock and store every failure as the calling
// thread's last error.
class GenTLPort : public GenTLHandle {
public:
    GenTLPort() = default;
    ~GenTLPort() override;

    virtual int32_t ReadPortData(uint64_t address, void* buffer, uint64_t* size) = 0;
    virtual int32_t WritePortData(uint64_t address, const void* buffer, uint64_t* size) = 0;
    virtual int32_t GetPortInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size) = 0;

    // Sets the URL list (from InitPortURLs); the port counts as implemented
    // from then on, even with an empty list.
    void SetPortURLs(const std::vector<PortURLRecord>& urls);

    GC_ERROR GetNumPortURLs(uint32_t* count);
    GC_ERROR GetPortURL(char* buffer, size_t* size);
    GC_ERROR GetPortURLInfo(uint32_t index, URL_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR GetPortInfoLocked(PORT_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR ReadPort(uint64_t address, void* buffer, size_t* size);
    GC_ERROR WritePort(uint64_t address, const void* buffer, size_t* size);
    GC_ERROR ReadPortStacked(PORT_REGISTER_STACK_ENTRY* entries, size_t* count);
    GC_ERROR WritePortStacked(PORT_REGISTER_STACK_ENTRY* entries, size_t* count);

private:
    // One read or write with its argument tests.
    GC_ERROR AccessSingle(uint64_t address, void* buffer, size_t* size, bool write);
    // One stacked access: every entry in turn under one hold of the lock.
    GC_ERROR AccessStacked(PORT_REGISTER_STACK_ENTRY* entries, size_t* count, bool write);

    std::vector<PortURLRecord> m_urls;
    bool m_portImplemented = false;
};

}  // namespace GenTLCore
