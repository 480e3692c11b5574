#pragma once
#include "CountedPtr.h"
#include "DeviceTag.h"
#include "DiscoveryList.h"
#include "GenTLModule.h"
#include "InterfaceTag.h"

#include <GenTL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {

class GenTLLocalDevice;

// The GenTL interface module (one frame-grabber board): the list of local
// devices that discovery found with its published part, the interface and
// device info queries, devices handed out by id with the requested access,
// and the Interface register map. The back end supplies device discovery
// and local-device creation.
//
// Entry points take the interface's lock; discovery and the device queries
// take the devices' locks inside it (interface before device).
class GenTLInterface : public GenTLModule {
public:
    explicit GenTLInterface(const CountedPtr<InterfaceTag>& tag);
    ~GenTLInterface() override;

    std::string& GetID(std::string& id) override;
    int32_t Close() override;
    void InitPortURLs() override;
    bool IsPortImplemented() override;
    std::string& GetPortModuleName(std::string& name) override;
    std::string& GetPortName(std::string& name) override;

    // Interface info commands from 1000 up; here -1003.
    virtual int32_t GetTLInterfaceInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size);
    // One tag per device present now; GenTL code (with its own text).
    virtual int32_t DiscoverDevices(std::vector<CountedPtr<DeviceTag>>* tags, uint64_t timeout) = 0;
    // A new local device for `tag`; never null (may throw std::bad_alloc).
    virtual CountedPtr<GenTLLocalDevice> CreateLocalDevice(const CountedPtr<DeviceTag>& tag) = 0;

    // The own tag's IsSame; no lock.
    bool MatchesTag(const InterfaceTag& candidate);
    std::string GetDisplayName();
    const CountedPtr<InterfaceTag>& GetTag() const { return m_tag; }

    GC_ERROR GetInterfaceInfo(INTERFACE_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR GetNumDevices(uint32_t* count);
    GC_ERROR GetDeviceID(uint32_t index, char* buffer, size_t* size);
    GC_ERROR GetDeviceInfo(const char* id, DEVICE_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR DevOpen(const char* id, DEVICE_ACCESS_FLAGS access, CountedPtr<GenTLLocalDevice>* device);
    GC_ERROR UpdateDeviceList(bool8_t* changed, uint64_t timeout);
    // One discovery run; callers hold the interface lock.
    int32_t DiscoverAndPublishDevices(bool publish, uint64_t timeout);
    // The selected published device (selector clamped); null when none.
    CountedPtr<GenTLLocalDevice> GetSelectedDevice();

    int32_t ReadUInt32Register(uint32_t id, uint32_t* value) override;
    int32_t ReadStringRegister(uint32_t id, std::string* value) override;
    int32_t WriteUInt32Register(uint32_t id, uint32_t value) override;

private:
    void DeclareRegisters();

    CountedPtr<InterfaceTag> m_tag;
    std::string m_id;
    DiscoveryList<GenTLLocalDevice, DeviceTag> m_devices;
};

}  // namespace GenTLCore
