#include "CtiProducer.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

std::string CtiProducer::ShippedFile()
{
    const char* dir = std::getenv("LUMA_BINARY_DIR");
    if (dir && *dir)
        return std::string(dir) + "/lib/Corvane.CoaXPress.cti";
    return GENTL_PRODUCER_FILE;
}

CtiProducer::CtiProducer(const char* simConfig, const std::string& file)
{
    EXPECT_EQ(PexTestConfigure(simConfig), 1) << "the stand-in has objects left from an earlier test";
    m_module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(m_module, nullptr) << dlerror();
}

CtiProducer::~CtiProducer() { Unload(); }

void CtiProducer::Unload()
{
    if (m_module) {
        EXPECT_EQ(dlclose(m_module), 0);
    }
    m_module = nullptr;
}

void* CtiProducer::Symbol(const char* name)
{
    void* symbol = m_module ? dlsym(m_module, name) : nullptr;
    EXPECT_NE(symbol, nullptr) << name;
    return symbol;
}

GC_ERROR CtiProducer::OpenSystem()
{
    if (GC_ERROR code = Fn<PGCInitLib>("GCInitLib")())
        return code;
    if (GC_ERROR code = Fn<PTLOpen>("TLOpen")(&system))
        return code;
    return Fn<PTLUpdateInterfaceList>("TLUpdateInterfaceList")(system, nullptr, 1000);
}

namespace {

// The ids below a module: its count, then each id by index.
template <class Handle, class CountFunction, class IdFunction>
std::vector<std::string> ListIds(Handle handle, CountFunction countOf, IdFunction idAt)
{
    std::vector<std::string> ids;
    uint32_t count = 0;
    EXPECT_EQ(countOf(handle, &count), GC_ERR_SUCCESS);
    for (uint32_t i = 0; i < count; ++i) {
        char id[256] = {};
        size_t size = sizeof id;
        EXPECT_EQ(idAt(handle, i, id, &size), GC_ERR_SUCCESS);
        ids.push_back(id);
    }
    return ids;
}

}  // namespace

std::vector<std::string> CtiProducer::InterfaceIds()
{
    return ListIds(system, Fn<PTLGetNumInterfaces>("TLGetNumInterfaces"), Fn<PTLGetInterfaceID>("TLGetInterfaceID"));
}

GC_ERROR CtiProducer::OpenInterface(const std::string& id, IF_HANDLE* handle)
{
    if (GC_ERROR code = Fn<PTLOpenInterface>("TLOpenInterface")(system, id.c_str(), handle))
        return code;
    return Fn<PIFUpdateDeviceList>("IFUpdateDeviceList")(*handle, nullptr, 1000);
}

std::vector<std::string> CtiProducer::DeviceIds(IF_HANDLE interface)
{
    return ListIds(interface, Fn<PIFGetNumDevices>("IFGetNumDevices"), Fn<PIFGetDeviceID>("IFGetDeviceID"));
}

GC_ERROR CtiProducer::OpenFirstDevice(DEVICE_ACCESS_FLAGS access, DEV_HANDLE* device)
{
    if (!system) {
        if (GC_ERROR code = OpenSystem())
            return code;
    }
    if (!firstInterface) {
        const std::vector<std::string> interfaces = InterfaceIds();
        if (interfaces.empty())
            return GC_ERR_NOT_AVAILABLE;
        if (GC_ERROR code = OpenInterface(interfaces[0], &firstInterface))
            return code;
    }
    const std::vector<std::string> devices = DeviceIds(firstInterface);
    if (devices.empty())
        return GC_ERR_NOT_AVAILABLE;
    return Fn<PIFOpenDevice>("IFOpenDevice")(firstInterface, devices[0].c_str(), access, device);
}

GC_ERROR CtiProducer::OpenFirstRemotePort(DEVICE_ACCESS_FLAGS access, PORT_HANDLE* port)
{
    DEV_HANDLE device = nullptr;
    if (GC_ERROR code = OpenFirstDevice(access, &device))
        return code;
    return Fn<PDevGetPort>("DevGetPort")(device, port);
}

std::string CtiProducer::DeviceInfoText(IF_HANDLE interface, const std::string& id, DEVICE_INFO_CMD command)
{
    char text[256] = {};
    size_t size = sizeof text;
    INFO_DATATYPE type = 0;
    EXPECT_EQ(Fn<PIFGetDeviceInfo>("IFGetDeviceInfo")(interface, id.c_str(), command, &type, text, &size),
              GC_ERR_SUCCESS);
    return text;
}

std::pair<GC_ERROR, std::string> CtiProducer::LastError()
{
    GC_ERROR code = 0;
    char text[512] = {};
    size_t size = sizeof text;
    Fn<PGCGetLastError>("GCGetLastError")(&code, text, &size);
    return {code, text};
}

void CtiProducer::Close()
{
    if (system)
        Fn<PTLClose>("TLClose")(system);
    system = nullptr;
    firstInterface = nullptr;
    Fn<PGCCloseLib>("GCCloseLib")();
}

PEX_ID CtiProducer::LastControlledDigitizer()
{
    PEX_ID digitizer = 0;
    for (size_t i = 0; i < PexTestCallCount(); ++i) {
        if (std::strcmp(PexTestCallName(i), "PexDigControl") == 0) {
            PEX_INT code = 0, value = 0;
            PexTestCallArgs(i, &digitizer, &code, &value);
        }
    }
    return digitizer;
}
