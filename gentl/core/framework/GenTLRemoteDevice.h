#pragma once
#include "CountedPtr.h"
#include "DeviceTag.h"
#include "GenTLPort.h"

#include <string>

namespace GenTLCore {

// The camera as the consumer sees it: the port that DevGetPort hands out,
// with the local device's identity. It is a port, not a module: no register
// map, no event source. Opening and closing its handle change nothing.
class GenTLRemoteDevice : public GenTLPort {
public:
    explicit GenTLRemoteDevice(const CountedPtr<DeviceTag>& tag);
    ~GenTLRemoteDevice() override;

    // The local device's id.
    std::string& GetID(std::string& id) override;
    std::string& GetLogID(std::string& id) override;
    int32_t GetPortInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size) override;

    virtual bool IsLittleEndian() = 0;
    virtual bool IsWriteSupported() = 0;

    const CountedPtr<DeviceTag>& GetTag() const { return m_tag; }

private:
    CountedPtr<DeviceTag> m_tag;
    std::string m_id;
};

}  // namespace GenTLCore
