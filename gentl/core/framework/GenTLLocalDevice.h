#pragma once
#include "CountedPtr.h"
#include "DeviceTag.h"
#include "GenTLEvent.h"
#include "GenTLModule.h"

#include <GenTL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {

class GenTLDataStream;
class GenTLRemoteDevice;

// The GenTL device module on the producer's side (one acquisition channel).
// Opening it opens the hardware with the access the consumer asked for and
// makes its data streams and the remote device (the camera's port); it
// answers the device info queries, hands out streams and the remote device,
// serves the Device register map and arms remote-device events. The back
// end supplies the hardware operations.
//
// Consumer operations take the device's lock; the open and close run under
// it (taken by the handle pool), and take the streams' and the remote
// device's locks inside it.
class GenTLLocalDevice : public GenTLModule {
public:
    static constexpr int32_t kNotSet = 0x7FFFFFFF;

    explicit GenTLLocalDevice(const CountedPtr<DeviceTag>& tag);
    ~GenTLLocalDevice() override;

    std::string& GetID(std::string& id) override;
    // The open: access check, OpenTLDevice, streams, remote device.
    int32_t Open() override;
    int32_t Close() override;
    void InitPortURLs() override;
    bool IsPortImplemented() override;
    std::string& GetPortModuleName(std::string& name) override;
    std::string& GetPortName(std::string& name) override;

    // The event object of remote-device events (type 4), or null.
    virtual CountedPtr<GenTLEvent> CreateRemoteDeviceEvent() = 0;
    CountedPtr<GenTLEvent> CreateCustomPort() { return CreateRemoteDeviceEvent(); }
    virtual CountedPtr<GenTLRemoteDevice> CreateRemoteDevice() = 0;
    // The device's streams; may be the same objects at every call.
    virtual void CreateDataStreams(std::vector<CountedPtr<GenTLDataStream>>* streams) = 0;
    // Device info commands from 1000 up; here -1003.
    virtual int32_t GetTLDeviceInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size);
    // Opens the hardware; refuses access values it does not support.
    virtual int32_t OpenTLDevice(int32_t access) = 0;
    virtual void CloseTLDevice() = 0;
    // False: the open makes no data streams.
    virtual bool IsDeviceAvailable() = 0;
    virtual bool HasMessageChannel() = 0;
    virtual int32_t GetTimestampFrequency(uint64_t* frequency) = 0;
    // The user-defined name.
    virtual void GetDeviceTagString(std::string* text) = 0;
    virtual int32_t EnableRemoteDeviceEvents(const CountedPtr<GenTLEvent>& event) = 0;
    virtual bool DisableRemoteDeviceEvents() = 0;
    // The device-event thread's settings; here not supported (false).
    virtual bool SetEventThreadPriority(int32_t policy, int32_t priority);
    virtual bool GetEventThreadPriority(int32_t* policy, int32_t* priority);

    int32_t RegisterTLEvent(int32_t type) override;
    bool UnregisterTLEvent(int32_t type) override;

    GC_ERROR GetDeviceInfo(DEVICE_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR GetNumDataStreams(uint32_t* count);
    GC_ERROR GetDataStreamID(uint32_t index, char* buffer, size_t* size);
    GC_ERROR StmOpen(const char* id, CountedPtr<GenTLDataStream>* stream);
    GC_ERROR GetRemotePort(CountedPtr<GenTLRemoteDevice>* port);
    void SetRequestedAccess(int32_t access);
    // DEVICE_ACCESS_STATUS: open 6 read-only, 5 control or exclusive;
    // closed 3 no access, 1 free, 4 busy.
    int32_t GetAccessStatus();
    bool MatchesTag(const DeviceTag& candidate);
    void UpdateTag(const DeviceTag& candidate);
    const CountedPtr<DeviceTag>& GetTag() const { return m_tag; }

    std::string GetVendorName();
    std::string GetModelName();
    std::string GetVersion();
    std::string GetSerialNumber();
    std::string GetManufacturerInfo();
    std::string GetUserDefinedName();
    bool HasUserDefinedName();
    std::string GetDisplayName();
    // The selected stream (selector clamped); null without streams.
    CountedPtr<GenTLDataStream> GetSelectedStream();

    int32_t ReadInt32Register(uint32_t id, int32_t* value) override;
    int32_t ReadUInt32Register(uint32_t id, uint32_t* value) override;
    int32_t ReadStringRegister(uint32_t id, std::string* value) override;
    int32_t WriteInt32Register(uint32_t id, int32_t value) override;
    int32_t WriteUInt32Register(uint32_t id, uint32_t value) override;

private:
    void DeclareRegisters();
    void DropChildren();
    int32_t ReadEventThreadSetting(bool policy);

    CountedPtr<DeviceTag> m_tag;
    std::string m_id;
    CountedPtr<GenTLEvent> m_remoteDeviceEvent;
    CountedPtr<GenTLRemoteDevice> m_remoteDevice;
    std::vector<CountedPtr<GenTLDataStream>> m_streams;
    bool m_remoteDeviceEventsActive = false;
    int32_t m_requestedAccess = 0;
    int32_t m_currentAccess = 0;
    uint32_t m_streamSelector = 0;
    int32_t m_eventThreadPolicy = kNotSet;
    int32_t m_eventThreadPriority = kNotSet;
};

}  // namespace GenTLCore
