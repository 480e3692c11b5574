#include "TestLocalDevice.h"

#include "GenTLDataStream.h"
#include "GenTLEvent.h"
#include "ReportError.h"
#include "TestBackendSettings.h"
#include "TestDataStream.h"
#include "TestRemoteDevice.h"
#include "TestRemoteDeviceEvent.h"
#include "TestStreamTag.h"

using namespace GenTLCore;

namespace GenTLTest {

TestLocalDevice::TestLocalDevice(const CountedPtr<DeviceTag>& tag) : GenTLLocalDevice(tag) {}

TestLocalDevice::~TestLocalDevice() = default;

CountedPtr<GenTLEvent> TestLocalDevice::CreateRemoteDeviceEvent()
{
    if (!TestBackendSettings::Get().remoteDeviceEvents)
        return CountedPtr<GenTLEvent>();
    return CountedPtr<GenTLEvent>(new TestRemoteDeviceEvent());
}

CountedPtr<GenTLRemoteDevice> TestLocalDevice::CreateRemoteDevice()
{
    if (!TestBackendSettings::Get().withRemoteDevice)
        return CountedPtr<GenTLRemoteDevice>();
    return CountedPtr<GenTLRemoteDevice>(new TestRemoteDevice(GetTag()));
}

void TestLocalDevice::CreateDataStreams(std::vector<CountedPtr<GenTLDataStream>>* streams)
{
    if (!m_stream) {
        std::string id;
        GetID(id);
        CountedPtr<StreamTag> tag(new TestStreamTag(id, "0"));
        TestDataStream* stream = new TestDataStream(tag);
        m_stream = CountedPtr<GenTLDataStream>(stream);
        stream->payloadSize = TestBackendSettings::Get().payloadSize;
        stream->autoComplete = true;
    }
    streams->push_back(m_stream);
}

int32_t TestLocalDevice::OpenTLDevice(int32_t access)
{
    ++TestBackendSettings::Get().openTLDeviceCalls;
    if (access != DEVICE_ACCESS_READONLY && access != DEVICE_ACCESS_CONTROL && access != DEVICE_ACCESS_EXCLUSIVE)
        return ReportError(GC_ERR_INVALID_PARAMETER, "Invalid device-open access flag requested");
    return GC_ERR_SUCCESS;
}

void TestLocalDevice::CloseTLDevice() { ++TestBackendSettings::Get().closeTLDeviceCalls; }

bool TestLocalDevice::IsDeviceAvailable() { return TestBackendSettings::Get().deviceAvailable; }

bool TestLocalDevice::HasMessageChannel() { return TestBackendSettings::Get().messageChannel; }

int32_t TestLocalDevice::GetTimestampFrequency(uint64_t* frequency)
{
    *frequency = 1000000000;
    return GC_ERR_SUCCESS;
}

void TestLocalDevice::GetDeviceTagString(std::string* text)
{
    *text = GetTag() ? GetTag()->GetUserDefinedName() : std::string();
}

int32_t TestLocalDevice::EnableRemoteDeviceEvents(const CountedPtr<GenTLEvent>&)
{
    if (TestBackendSettings::Get().failEnableRemoteEvents)
        return ReportError(GC_ERR_ERROR, "The camera refused to send events.");
    return GC_ERR_SUCCESS;
}

}  // namespace GenTLTest
