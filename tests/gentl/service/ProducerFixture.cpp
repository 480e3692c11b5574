#include "ProducerFixture.h"

#include "ProducerLoad.h"
#include "ProducerStartup.h"
#include "TestBackendSettings.h"

#include <cstdlib>
#include <vector>

namespace GenTLTest {

namespace {

// Loads the producer once for the whole test program and unloads it at
// the end, in the order a consumer's dlopen and dlclose would.
class ProducerEnvironment : public ::testing::Environment {
public:
    void SetUp() override { GenTLCore::ProducerLoad::Load(GenTLCore::ProducerFactories()); }
    void TearDown() override { GenTLCore::ProducerLoad::Unload(); }
};

const ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new ProducerEnvironment());

}  // namespace

void ProducerTest::SetUp() { TestBackendSettings::Get().Reset(); }

void ProducerTest::TearDown()
{
    GCCloseLib();
    TestBackendSettings::Get().Reset();
}

void ProducerTest::OpenToInterface()
{
    ASSERT_EQ(GCInitLib(), GC_ERR_SUCCESS);
    ASSERT_EQ(TLOpen(&system), GC_ERR_SUCCESS);
    ASSERT_EQ(TLUpdateInterfaceList(system, nullptr, 0), GC_ERR_SUCCESS);
    ASSERT_EQ(TLOpenInterface(system, "TestTL_ITF_if0", &interface), GC_ERR_SUCCESS);
    ASSERT_EQ(IFUpdateDeviceList(interface, nullptr, 0), GC_ERR_SUCCESS);
}

void ProducerTest::OpenToDevice(const char* id, DEVICE_ACCESS_FLAGS access)
{
    ASSERT_NO_FATAL_FAILURE(OpenToInterface());
    ASSERT_EQ(IFOpenDevice(interface, (std::string("TestTL_DEV_") + id).c_str(), access, &device), GC_ERR_SUCCESS);
}

void ProducerTest::OpenToStream()
{
    ASSERT_NO_FATAL_FAILURE(OpenToDevice());
    char id[256];
    size_t size = sizeof id;
    ASSERT_EQ(DevGetDataStreamID(device, 0, id, &size), GC_ERR_SUCCESS);
    ASSERT_EQ(DevOpenDataStream(device, id, &stream), GC_ERR_SUCCESS);
}

std::string ProducerTest::InterfaceId(TL_HANDLE tl, uint32_t index)
{
    char id[256] = {};
    size_t size = sizeof id;
    if (TLGetInterfaceID(tl, index, id, &size) != GC_ERR_SUCCESS)
        return std::string();
    return id;
}

GC_ERROR ProducerTest::LastError(std::string* text)
{
    GC_ERROR code = 0;
    char buffer[1024] = {};
    size_t size = sizeof buffer;
    if (GCGetLastError(&code, buffer, &size) != GC_ERR_SUCCESS)
        return 1;
    if (text)
        *text = buffer;
    return code;
}

std::string ProducerTest::ReadDescription(PORT_HANDLE port)
{
    uint64_t address = 0;
    uint64_t length = 0;
    INFO_DATATYPE type = 0;
    size_t size = sizeof address;
    if (GCGetPortURLInfo(port, 0, URL_INFO_FILE_REGISTER_ADDRESS, &type, &address, &size) != GC_ERR_SUCCESS)
        return std::string();
    size = sizeof length;
    if (GCGetPortURLInfo(port, 0, URL_INFO_FILE_SIZE, &type, &length, &size) != GC_ERR_SUCCESS)
        return std::string();
    std::vector<char> text(length);
    size = text.size();
    if (length == 0 || GCReadPort(port, address, text.data(), &size) != GC_ERR_SUCCESS)
        return std::string();
    return std::string(text.begin(), text.end());
}

}  // namespace GenTLTest
