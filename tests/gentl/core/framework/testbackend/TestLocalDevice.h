#pragma once
#include "GenTLLocalDevice.h"

#include <string>

namespace GenTLTest {

class TestDataStream;

// A local device of the test back end with one data stream ("0", the same
// object at every open) and a remote device over a byte array; its switches
// come from TestBackendSettings.
class TestLocalDevice : public GenTLCore::GenTLLocalDevice {
public:
    explicit TestLocalDevice(const GenTLCore::CountedPtr<GenTLCore::DeviceTag>& tag);
    ~TestLocalDevice() override;

    GenTLCore::CountedPtr<GenTLCore::GenTLEvent> CreateRemoteDeviceEvent() override;
    GenTLCore::CountedPtr<GenTLCore::GenTLRemoteDevice> CreateRemoteDevice() override;
    void CreateDataStreams(std::vector<GenTLCore::CountedPtr<GenTLCore::GenTLDataStream>>* streams) override;
    int32_t OpenTLDevice(int32_t access) override;
    void CloseTLDevice() override;
    bool IsDeviceAvailable() override;
    bool HasMessageChannel() override;
    int32_t GetTimestampFrequency(uint64_t* frequency) override;
    void GetDeviceTagString(std::string* text) override;
    int32_t EnableRemoteDeviceEvents(const GenTLCore::CountedPtr<GenTLCore::GenTLEvent>& event) override;
    bool DisableRemoteDeviceEvents() override { return true; }

private:
    GenTLCore::CountedPtr<GenTLCore::GenTLDataStream> m_stream;
};

}  // namespace GenTLTest
